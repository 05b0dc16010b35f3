#!/usr/bin/env python3
"""The Wine device: scripts/wine-device.sh makes a prefix that plays a device
of a profile, and its \\Windows\\wceload.exe installs cabinets started the way
the installer engine starts it (device_start_driver.exe), journals each start
and honours the installer's registry key.

usage: wine_device_test.py --script S --windows-build W --zk-device Z
         --driver D --reset-probe R --make-cab M --work DIR
"""
import argparse
import os
import shutil
import subprocess
import sys
import unittest

ARGS = None
INSTALL_KEY = r"HKLM\SOFTWARE\Apps\Microsoft Application Installer\Install"
PROFILE_KEY = r"HKLM\SOFTWARE\Morvane\Zephyrkit\Emulated Device"


def run(command, **kw):
    return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, **kw)


class WineDevice:
    def __init__(self, prefix):
        self.prefix = prefix
        self.drive = os.path.join(prefix, "drive_c")

    def script(self, *args):
        env = dict(os.environ, ZK_WINDOWS_BUILD=ARGS.windows_build, ZK_DEVICE=ARGS.zk_device)
        return run(["bash", ARGS.script, args[0], self.prefix] + list(args[1:]), env=env)

    def wine(self, *args):
        env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all", TMPDIR=self.prefix + ".tmp",
                   WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d")
        return run(["/usr/lib/wine/wine64"] + list(args), env=env, cwd=self.drive)

    def host(self, device_path):
        parts = [p for p in device_path.split("\\") if p]
        if parts and parts[0].lower() == "windows":
            parts[0] = "windows"
        return os.path.join(self.drive, *parts)

    def wceload(self, command_line):
        started = self.wine(ARGS.driver, "\\Windows\\wceload.exe", command_line)
        if started.returncode != 0:
            raise AssertionError("wceload did not start: %d %s" % (started.returncode, started.stderr))

    def journal(self):
        path = self.host("\\Windows\\wceload.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()

    def set_value(self, key, name, value):
        done = self.wine("reg", "add", key, "/v", name, "/d", value, "/f")
        assert done.returncode == 0, done.stdout + done.stderr

    def values(self, key):
        listed = self.wine("reg", "query", key)
        out = {}
        for line in listed.stdout.replace("\r", "").splitlines():
            fields = line.strip().split("    ")
            if len(fields) >= 2 and fields[1].startswith("REG_"):
                out[fields[0]] = fields[2] if len(fields) > 2 else ""
        return out

    def make_cab(self, device_path, *options):
        subprocess.run([sys.executable, ARGS.make_cab, self.host(device_path)] + list(options),
                       check=True, stdout=subprocess.DEVNULL)


class WineDeviceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.device = WineDevice(os.path.join(ARGS.work, "device"))
        made = cls.device.script("create", "--profile", "smartphone2003", "--screen", "qvga-landscape")
        if made.returncode != 0:
            raise AssertionError("create failed: %s %s" % (made.stdout, made.stderr))

    @classmethod
    def tearDownClass(cls):
        cls.device.script("stop")

    def test_create_lays_out_the_device_with_its_profile(self):
        d = self.device
        for folder in ("\\Temp", "\\Windows\\StartUp", "\\Program Files", "\\My Documents"):
            self.assertTrue(os.path.isdir(d.host(folder)), folder)
        self.assertTrue(os.path.isfile(d.host("\\Windows\\wceload.exe")))
        values = d.values(PROFILE_KEY)
        self.assertEqual(values.get("PlatformType"), "SmartPhone", values)
        self.assertEqual(values.get("MajorVersion"), "0x4", values)
        self.assertEqual(values.get("ScreenWidth"), "0x140", values)
        self.assertEqual(values.get("ScreenHeight"), "0xf0", values)
        self.assertEqual(values.get("TaskBarHeight"), "0x1a", values)
        # Another profile over the same device.
        turned = d.script("profile", "ppc2003se", "--screen", "vga")
        self.assertEqual(turned.returncode, 0, turned.stderr)
        values = d.values(PROFILE_KEY)
        self.assertEqual((values.get("MinorVersion"), values.get("ScreenWidth"),
                          values.get("TaskBarHeight")), ("0x15", "0x1e0", "0x34"), values)
        refused = d.script("profile", "palm", "--screen", "vga")
        self.assertEqual(refused.returncode, 2)
        self.assertIn("unknown profile 'palm'", refused.stderr)

    def test_wceload_installs_where_the_engine_asks(self):
        d = self.device
        before = len(d.journal())
        # The override folder the engine leaves for a cabinet, under the
        # quoted cabinet path.
        d.make_cab("\\Temp\\over.cab", "--app-name", "Viewer", "--compress",
                   "--payload", "viewer.exe:70000", "--payload", "docs\\read me.txt:300")
        d.set_value(INSTALL_KEY, '"\\Temp\\over.cab"', "\\Storage Card\\Apps\\Morvane")
        d.wceload('/noaskdest "\\Temp\\over.cab"')
        folder = d.host("\\Storage Card\\Apps\\Morvane")
        self.assertEqual(os.path.getsize(os.path.join(folder, "viewer.exe")), 70000)
        self.assertEqual(os.path.getsize(os.path.join(folder, "docs", "read me.txt")), 300)
        self.assertFalse(os.path.exists(os.path.join(folder, "VIEWER~1.000")))
        self.assertFalse(os.path.exists(d.host("\\Temp\\over.cab")), "the cabinet stays")
        self.assertNotIn('"\\Temp\\over.cab"', d.values(INSTALL_KEY))

        # No override: the set-up header's application name, or the XML's.
        d.make_cab("\\Temp\\plain.cab", "--app-name", "Player", "--payload", "player.exe:1000")
        d.wceload('/askdest "\\Temp\\plain.cab" /nodelete')
        self.assertEqual(os.path.getsize(d.host("\\Program Files\\Player\\player.exe")), 1000)
        self.assertTrue(os.path.exists(d.host("\\Temp\\plain.cab")), "/nodelete removed it")
        d.make_cab("\\Temp\\xml.cab", "--app-name", "Notes", "--xml-only",
                   "--xml-app-value", "Notes Morvane", "--payload", "notes.exe:10")
        d.wceload('/askdest "\\Temp\\xml.cab"')
        self.assertTrue(os.path.exists(d.host("\\Program Files\\Notes\\notes.exe")))

        self.assertEqual(d.journal()[before:], ['/noaskdest "\\Temp\\over.cab"',
                                                '/askdest "\\Temp\\plain.cab" /nodelete',
                                                '/askdest "\\Temp\\xml.cab"'])
        report = d.script("report")
        self.assertEqual(report.returncode, 0, report.stderr)
        listed = report.stdout.split("== \\Program Files\n", 1)[1].splitlines()
        self.assertIn("Player\\player.exe", listed)
        self.assertIn("Notes\\notes.exe", listed)
        self.assertFalse([line for line in listed if line.startswith("Common Files")], listed)
        self.assertIn('/askdest "\\Temp\\xml.cab"', report.stdout)

    def test_wceload_without_a_cabinet_installs_the_registry_key(self):
        d = self.device
        d.make_cab("\\Temp\\k1.cab", "--app-name", "One", "--payload", "one.txt:5")
        d.make_cab("\\Temp\\k2.cab", "--app-name", "Two", "--payload", "two.txt:6")
        d.set_value(INSTALL_KEY, '"\\Temp\\k1.cab"', "\\Apps\\One")
        d.set_value(INSTALL_KEY, "\\Temp\\k2.cab", "Apps\\Two\\")
        d.wceload("/noaskdest ")
        self.assertEqual(d.journal()[-1], "/noaskdest ")
        self.assertEqual(os.path.getsize(d.host("\\Apps\\One\\one.txt")), 5)
        self.assertEqual(os.path.getsize(d.host("\\Apps\\Two\\two.txt")), 6)
        self.assertEqual(d.values(INSTALL_KEY), {})

    def test_wceload_survives_bad_cabinets(self):
        d = self.device
        with open(d.host("\\Temp\\junk.cab"), "wb") as f:
            f.write(b"MSCF" + b"\xff" * 200)
        d.wceload('/noui "\\Temp\\junk.cab"')
        d.wceload('/noui "\\Temp\\missing.cab"')
        self.assertEqual(d.journal()[-4:], ['/noui "\\Temp\\junk.cab"', '! \\Temp\\junk.cab: not a cabinet',
                                            '/noui "\\Temp\\missing.cab"',
                                            '! \\Temp\\missing.cab: no such cabinet'])
        self.assertFalse(os.path.exists(d.host("\\Program Files\\junk")))

    def test_run_starts_a_package_from_my_documents(self):
        d = self.device
        package = os.path.join(ARGS.work, "Tool.exe")
        shutil.copy(os.path.join(ARGS.windows_build, "emulator/wceload/wceload.exe"), package)
        d.make_cab("\\Temp\\run.cab", "--app-name", "Runner", "--payload", "run.txt:3")
        ran = d.script("run", package, "/noui", "\\Temp\\run.cab")
        self.assertEqual(ran.returncode, 0, ran.stderr)
        self.assertTrue(os.path.exists(d.host("\\My Documents\\Tool.exe")))
        self.assertTrue(os.path.exists(d.host("\\Program Files\\Runner\\run.txt")))
        self.assertEqual(d.journal()[-1], "/noui \\Temp\\run.cab")
        missing = d.script("run", os.path.join(ARGS.work, "none.exe"))
        self.assertEqual(missing.returncode, 3)

    def test_run_reports_a_device_reset(self):
        d = self.device
        reset = d.script("run", ARGS.reset_probe)
        self.assertEqual(reset.returncode, 206, reset.stderr)
        with open(d.host("\\Temp\\zk_reset_probe.txt"), "rb") as f:
            self.assertEqual(f.read(), b"before")
        report = d.script("report")
        self.assertIn("== \\Windows\\reset.log\nreset\n", report.stdout)


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    for name in ("script", "windows-build", "zk-device", "driver", "reset-probe", "make-cab", "work"):
        ap.add_argument("--" + name, required=True)
    ARGS, rest = ap.parse_known_args()
    if not os.path.exists(ARGS.zk_device):
        print("FAIL: %s is missing: build the host preset first" % ARGS.zk_device)
        return 1
    shutil.rmtree(ARGS.work, ignore_errors=True)
    os.makedirs(ARGS.work)
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
