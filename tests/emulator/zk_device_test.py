#!/usr/bin/env python3
"""End to end: packages built by `zephyrkit -silent` from real Windows CE
cabinets, installed with `zk-device` on a folder that plays the device.

usage: zk_device_test.py ZEPHYRKIT ZEPHYRKIT_PROJECT ZK_DEVICE MAKE_CE_CAB"""
import glob
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

ZEPHYRKIT, ZEPHYRKIT_PROJECT, ZK_DEVICE, MAKE_CE_CAB = sys.argv[1:5]

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import package_layout  # noqa: E402
from package_layout import sections_of, stub_length, zip_holding  # noqa: E402

STUB_LENGTH = stub_length()
# The short names tests use for the cabinet flags of a project document.
FLAG_FIELDS = {"ppc": "forPocketPC", "sp": "forSmartphone", "2002": "forOs2002",
               "2003": "forOs2003", "2003se": "forOs2003SE", "5": "forOs2005",
               "ti": "forTI", "intel": "forIntel", "samsung": "forSamsung"}

SYSINFO = {
    "ppc2002": "[SystemInfo] Platform [PocketPC] majorVersion [3] minorVersion[0] "
               "Processor [ARM4 SA1110 Intel]",
    "ppc2003": "[SystemInfo] Platform [PocketPC] majorVersion [4] minorVersion[20] "
               "Processor [ARMV4I PXA255 Intel Corporation]",
    "ppc2003se": "[SystemInfo] Platform [PocketPC] majorVersion [4] minorVersion[21] "
                 "Processor [ARM925T OMAP1510 Texas Instruments]",
    "wm5": "[SystemInfo] Platform [PocketPC] majorVersion [5] minorVersion[1] "
           "Processor [ARM920T S3C2440 Samsung]",
    "smartphone2003": "[SystemInfo] Platform [SmartPhone] majorVersion [4] minorVersion[0] "
                      "Processor [ARM926EJ-S OMAP730 TI]",
}


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


def package_sections(package):
    with open(package, "rb") as f:
        return sections_of(f.read())


class Workshop(package_layout.Workshop):
    """A program folder for zephyrkit, cabinets, projects and device roots."""

    def __init__(self, folder):
        super().__init__(
            folder, MAKE_CE_CAB, [ZEPHYRKIT],
            {"eula.htm": "<html>EULA</html>", "readme.txt": "Read me"},
            mobile_stub=b"MZ" + bytes(range(256)) * 243 + bytes(STUB_LENGTH - 2 - 256 * 243),
            desktop_stub=b"MZ desktop stand-in" + bytes(500),
            system_info=zip_holding("SystemInfo.exe", b"MZ system information tool stand-in",
                                    zipfile.ZIP_STORED))
        self.count = 0
        # What each cabinet's set-up header names, as the wizard learns it.
        self.apps = {}

    def cabinet(self, name, app, *extra, provider="Acme"):
        out = super().cabinet(name, app, *extra, provider=provider)
        self.apps[out] = (app, provider)
        return out

    def package(self, cabinets, eula=False, readme=False, splash=False, flags=None,
                providers=None, advanced=False, processor_filter=False):
        """cabinets: [(cab path, "2003,2003SE")]; flags: {index: "ppc,2003,ti"}."""
        self.count += 1
        title = f"Demo{self.count}"
        out = self.path(f"out{self.count}")
        os.mkdir(out)
        paw = self.path(f"{title}.paw")
        project = {"title": title, "company": "Morvane", "outputFolder": out,
                   "eulaEnabled": eula, "eulaPath": self.path("eula.htm") if eula else "",
                   "readmeEnabled": readme,
                   "readmePath": self.path("readme.txt") if readme else "",
                   "splashEnabled": splash,
                   "splashPath": self.path("splash.bmp") if splash else "",
                   "deviceAdvancedSettings": advanced, "saveProjectFile": True,
                   "processorFilterOn": processor_filter, "filterTI": processor_filter,
                   "filterIntel": processor_filter, "filterSamsung": processor_filter,
                   "addDateToPath": True, "addTitleSubfolder": True, "cabinets": []}
        for index, (cab, points) in enumerate(cabinets):
            wanted = (flags or {}).get(index, "ppc,ti,intel,samsung," + points.lower())
            app, provider = self.apps.get(cab, (os.path.basename(cab), ""))
            entry = {"path": cab, "fileName": os.path.basename(cab), "appName": app,
                     "provider": (providers or {}).get(index, provider)}
            for name, field in FLAG_FIELDS.items():
                entry[field] = name in wanted.split(",")
            project["cabinets"].append(entry)
        subprocess.run([ZEPHYRKIT_PROJECT, "import", paw], input=json.dumps(project),
                       text=True, check=True)
        result = subprocess.run([os.path.join(self.program, "zephyrkit"), "-silent", paw],
                                capture_output=True, text=True)
        found = glob.glob(os.path.join(out, "**", f"{title}.[[]MOBILE].exe"), recursive=True)
        if len(found) != 1:
            raise AssertionError(f"no package built: {result.stdout}{result.stderr}")
        return found[0]

    def run(self, package, root, *args):
        return subprocess.run([ZK_DEVICE, "install", package, "--root", root, *args],
                              capture_output=True, text=True, timeout=120)


class DeviceTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.shop = Workshop(self.tmp.name)
        self.roots = 0

    def tearDown(self):
        self.tmp.cleanup()

    def root(self):
        self.roots += 1
        return self.shop.path(f"device{self.roots}")

    def device(self, package, *args, root=None, code=0):
        root = root or self.root()
        result = self.shop.run(package, root, *args)
        self.assertEqual(result.returncode, code, result.stdout + result.stderr)
        return root, result.stdout

    def log(self, root):
        return read_lines(os.path.join(root, "Temp", "Zephyrkit.log"))

    def wceload(self, root):
        # The device matches "\Windows" to whatever case the folder has.
        windows = [n for n in os.listdir(root) if n.lower() == "windows"]
        path = os.path.join(root, windows[0] if windows else "Windows", "wceload.log")
        return read_lines(path) if os.path.exists(path) else []


class ProfileTest(DeviceTest):
    def test_each_profile_installs_the_cabinets_its_flags_name(self):
        s = self.shop
        cabs = [(s.cabinet("c2002.cab", "Old"), "2002"), (s.cabinet("c2003.cab", "Mid"), "2003"),
                (s.cabinet("cse.cab", "Second"), "2003SE"), (s.cabinet("c5.cab", "Five"), "5"),
                (s.cabinet("call.cab", "Every"), "2002,2003,2003SE,5")]
        package = s.package(cabs)
        expected = {"ppc2002": ["c2002.cab", "call.cab"], "ppc2003": ["c2003.cab", "call.cab"],
                    "ppc2003se": ["cse.cab", "call.cab"], "wm5": ["c5.cab", "call.cab"],
                    "smartphone2003": []}
        apps = {"c2002.cab": "Old", "c2003.cab": "Mid", "cse.cab": "Second", "c5.cab": "Five",
                "call.cab": "Every"}
        for profile, installed in expected.items():
            with self.subTest(profile=profile):
                root, out = self.device(package, "--profile", profile)
                option = "" if profile == "wm5" else "/askdest "
                self.assertEqual(self.wceload(root),
                                 [f'{option}"\\Temp\\{name}"' for name in installed])
                lines = [SYSINFO[profile]]
                for cab, _ in cabs:
                    name = os.path.basename(cab)
                    if name in installed:
                        lines += [f"[InstallerThread] Installing [{name}]",
                                  f'[InstallerThread] command [{option}"\\Temp\\{name}"]',
                                  f"[InstallerThread] Installed [{name}]"]
                    else:
                        lines.append(f"[InstallerThread] Skipping {name}...")
                self.assertEqual(self.log(root), lines)
                for name in installed:
                    app = apps[name]
                    self.assertTrue(os.path.isfile(
                        os.path.join(root, "Program Files", app, app.lower() + ".exe")), out)
                self.assertIn(f"{len(installed)} installed, 0 failed, {5 - len(installed)} skipped",
                              out)
                # A normal end leaves neither state file nor restart shortcut.
                self.assertFalse(os.path.exists(os.path.join(root, "Windows", "Zephyrkit.dat")))
                self.assertFalse(os.path.exists(
                    os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))

    def test_platform_and_processor_flags(self):
        s = self.shop
        package = s.package([(s.cabinet("phone.cab", "Phone"), "2003"),
                             (s.cabinet("omap.cab", "Omap"), "2003SE"),
                             (s.cabinet("none.cab", "None"), "2003")],
                            flags={0: "sp,2003,ti", 1: "ppc,2003se,ti", 2: "ppc,2003"},
                            processor_filter=True)
        root, _ = self.device(package, "--profile", "smartphone2003")
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\phone.cab"'])
        root, _ = self.device(package, "--profile", "ppc2003se")
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\omap.cab"'])
        # The same device with an Intel processor: the TI cabinet is skipped.
        root, _ = self.device(package, "--profile", "ppc2003se", "--cpu-name", "PXA270",
                              "--cpu-vendor", "TI")
        self.assertEqual(self.wceload(root), [])
        self.assertIn("[InstallerThread] Skipping omap.cab...", self.log(root))

    def test_another_processor_installs_only_without_the_processor_filter(self):
        s = self.shop
        cab = s.cabinet("six.cab", "Six")
        for on in (False, True):
            with self.subTest(filter=on):
                package = s.package([(cab, "5")], processor_filter=on)
                root, out = self.device(package, "--profile", "wm6-msm")
                self.assertEqual(self.wceload(root), [] if on else ['"\\Temp\\six.cab"'], out)

    def test_explicit_facts_override_the_profile(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003SE")])
        root, _ = self.device(package, "--profile", "ppc2003", "--os", "4.21",
                              "--platform", "PocketPC", "--cpu-core", "CORE")
        self.assertEqual(self.log(root)[0], "[SystemInfo] Platform [PocketPC] majorVersion [4] "
                         "minorVersion[21] Processor [CORE PXA255 Intel Corporation]")
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\a.cab"'])


TESTDATA = os.environ.get("ZK_TESTDATA_DIR", os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "testdata"))


class RealCabinetTest(DeviceTest):
    def test_wm2003_cabinets_reach_2003_and_second_edition_devices(self):
        cabs = os.path.join(TESTDATA, "cabs")
        axo = os.path.join(cabs, "nsbasic_SymbolAXO.arm.cab")  # 4.20 and later
        se = os.path.join(cabs, "generated", "gen_wm2003se_v4.21-5.1.cab")
        if not (os.path.isfile(axo) and os.path.isfile(se)):
            self.skipTest("no real cabinets in " + cabs)
        s = self.shop
        out = s.path("real-out")
        os.mkdir(out)
        paw = s.path("Real.paw")
        for args in (["new", paw, "--title", "Real", "--company", "Morvane", "--output", out],
                     ["add", paw, axo, se]):
            subprocess.run([ZEPHYRKIT_PROJECT, *args], check=True, capture_output=True)
        subprocess.run([os.path.join(s.program, "zephyrkit"), "-silent", paw],
                       capture_output=True)
        found = glob.glob(os.path.join(out, "**", "Real.[[]MOBILE].exe"), recursive=True)
        self.assertEqual(len(found), 1)
        axo_name, se_name = os.path.basename(axo), os.path.basename(se)
        expected = {"ppc2003": ([axo_name], [se_name]),
                    "ppc2003se": ([axo_name, se_name], []),
                    "wm5": ([axo_name, se_name], []), "ppc2002": ([], [axo_name, se_name])}
        for profile, (installed, skipped) in expected.items():
            with self.subTest(profile=profile):
                root = self.root()
                s.run(found[0], root, "--profile", profile)
                log = self.log(root)
                for name in installed:
                    self.assertIn(f"[InstallerThread] Installing [{name}]", log)
                for name in skipped:
                    self.assertIn(f"[InstallerThread] Skipping {name}...", log)


class PreferenceTest(DeviceTest):
    def test_override_folder_goes_through_the_registry(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A", provider="X"), "2003SE")], advanced=True)
        root, out = self.device(package, "--os", "4.21", "--override", "\\Program Files\\Apps")
        self.assertEqual(self.wceload(root), ["/noaskdest "])
        self.assertEqual(self.log(root)[1:], [
            '[RegistryEntry] PathFrom ["\\Temp\\a.cab"] PathTo [Program Files\\Apps\\X]',
            "[InstallerThread] Installing [a.cab]",
            "[InstallerThread] command [/noaskdest ]",
            "[InstallerThread] Installed [a.cab]"])
        self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "Apps", "X", "a.exe")),
                        out)
        self.assertIn("page: preferences (override on [Program Files\\Apps\\]", out)

    def test_silent_and_windows_mobile_5(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A", provider="X"), "2003,5")])
        root, _ = self.device(package, "--silent")
        self.assertEqual(self.wceload(root), ['/noui "\\Temp\\a.cab"'])
        root, _ = self.device(package, "--profile", "wm5", "--override", "\\Apps")
        self.assertEqual(self.wceload(root), [""])
        self.assertIn('[RegistryEntry] PathFrom ["\\Temp\\a.cab"] PathTo [Apps\\X]', self.log(root))
        self.assertTrue(os.path.isfile(os.path.join(root, "Apps", "X", "a.exe")))


class SectionFlagTest(DeviceTest):
    def test_every_combination_of_splash_eula_and_read_me(self):
        s = self.shop
        cab = s.cabinet("a.cab", "A")
        for mask in range(8):
            splash, eula, readme = bool(mask & 1), bool(mask & 2), bool(mask & 4)
            with self.subTest(splash=splash, eula=eula, readme=readme):
                package = s.package([(cab, "2003")], splash=splash, eula=eula, readme=readme)
                root, out = self.device(package)
                self.assertEqual("splash: \\Temp\\splash.bmp" in out, splash, out)
                self.assertEqual("page: EULA file://\\Temp\\eula.htm" in out, eula, out)
                self.assertEqual("read-me file://\\Temp\\readme.txt" in out, readme, out)
                self.assertEqual("showing the read-me \\Temp\\readme.txt" in out, readme, out)
                self.assertEqual(f"page: Morvane Demo{s.count} installed successfuly." in out,
                                 not readme, out)
                # The cabinet section is still the right one after them.
                self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\a.cab"'])
                self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "A", "a.exe")))
                # The unpacked files are removed at the end of the run.
                self.assertEqual(sorted(os.listdir(os.path.join(root, "Temp"))), ["Zephyrkit.log"])


def state_line(root):
    """The state file's page and cabinet, or None without one."""
    path = os.path.join(root, "Windows", "Zephyrkit.dat")
    if not os.path.exists(path):
        return None
    with open(path) as f:
        lines = f.read().splitlines()
    return lines[1] if lines and lines[0].startswith("zk-state ") else lines[0]


class ResumeTest(DeviceTest):
    def three(self, count=3):
        s = self.shop
        return s.package([(s.cabinet(f"c{i}.cab", f"App{i}"), "2003") for i in range(1, count + 1)],
                         advanced=True)

    def cabs(self, root):
        return [line.split("\\")[-1].rstrip('"') for line in self.wceload(root)]

    def test_a_reset_while_installing_or_unpacking_resumes_right(self):
        # During c2's installation: it got there, the next run installs c3
        # only. While c2 is unpacked: the next run unpacks it again.
        for option, again in (("--reset-after", ["c3.cab"]),
                              ("--reset-while-unpacking", ["c2.cab", "c3.cab"])):
            with self.subTest(option=option):
                package = self.three()
                root, out = self.device(package, option, "2")
                self.assertIn("device reset", out)
                self.assertEqual(state_line(root), "2 1")
                target = '"\\My Documents\\' + os.path.basename(package) + '"'
                with open(os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")) as f:
                    self.assertEqual(f.read(), f"{len(target)}#{target}")
                before = self.cabs(root)
                self.device(package, root=root)
                self.assertEqual(self.cabs(root)[len(before):], again)
                self.assertEqual(sorted(os.listdir(os.path.join(root, "Program Files"))),
                                 ["App1", "App2", "App3"])
                self.assertIsNone(state_line(root))
                self.assertFalse(os.path.exists(
                    os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))
                self.assertEqual(os.listdir(os.path.join(root, "Temp")), ["Zephyrkit.log"])

    def test_the_preferences_of_the_reset_run_go_on(self):
        package = self.three()
        root, _ = self.device(package, "--override", "\\Storage Card\\Apps", "--reset-after", "2")
        _, out = self.device(package, root=root)
        self.assertTrue(os.path.isfile(
            os.path.join(root, "Storage Card", "Apps", "Acme", "app3.exe")), out)

    def test_a_state_of_another_package_is_not_taken(self):
        package_a = self.three()
        root, _ = self.device(package_a, "--reset-after", "1")
        package_b = self.shop.package([(self.shop.cabinet("b1.cab", "B1"), "2003"),
                                       (self.shop.cabinet("b2.cab", "B2"), "2003")])
        _, out = self.device(package_b, root=root)
        self.assertEqual(self.cabs(root), ["c1.cab", "b1.cab", "b2.cab"])
        self.assertIn("2 installed", out)

    def test_short_and_cut_state_files(self):
        package = self.three(5)
        # The two-number form of earlier installers: after cabinet 3.
        # Cut files: a fresh start, never a skip.
        for text, expected in (("2 3", ["c5.cab"]), ("1 0", None), ("", None), ("z", None),
                               ("zk", None)):
            with self.subTest(text=text):
                root = self.root()
                os.makedirs(os.path.join(root, "windows"))
                with open(os.path.join(root, "windows", "Zephyrkit.dat"), "w") as f:
                    f.write(text)
                self.device(package, root=root)
                self.assertEqual(self.cabs(root),
                                 expected or [f"c{i}.cab" for i in range(1, 6)])


class OutcomeTest(DeviceTest):
    """What the closing page and the exit code say is what the device shows."""

    def test_a_refused_cabinet_fails_alone_and_a_second_start_retries_it(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003"),
                             (s.cabinet("c.cab", "C"), "2003")])
        root = self.root()
        # A file where b's folder must go: the platform installer fails it.
        os.makedirs(os.path.join(root, "Program Files"))
        with open(os.path.join(root, "Program Files", "B"), "w") as f:
            f.write("in the way")
        _, out = self.device(package, root=root, code=1)
        self.assertIn("page: 1 of 3 applications could not be installed: / b.cab / "
                      "See \\Temp\\Zephyrkit.log / Press <Finish> to exit!", out)
        self.assertIn("2 installed, 1 failed", out)
        self.assertTrue(any(line.startswith("[InstallerThread] Failed [b.cab]: the platform "
                                            "installer did not install it")
                            for line in self.log(root)))
        self.assertEqual(state_line(root), "2 -1")
        self.assertTrue(os.path.exists(os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))
        os.remove(os.path.join(root, "Program Files", "B"))
        _, out = self.device(package, root=root)
        self.assertEqual(self.wceload(root)[-1], '/askdest "\\Temp\\b.cab"')
        self.assertIn("page: Morvane Demo1 installed successfuly.", out)
        self.assertIsNone(state_line(root))

    def test_too_little_storage_fails_the_cabinet_and_more_installs_it(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"),
                             (s.cabinet("big.cab", "Big", "--payload", "big.bin:400000"), "2003")])
        root, out = self.device(package, "--free-storage", "600000", code=1)
        self.assertIn("Not enough storage for big.cab (needs ", out)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\a.cab"'])
        self.assertEqual(os.listdir(os.path.join(root, "Temp")), ["Zephyrkit.log"])
        _, out = self.device(package, "--free-storage", "5000000", root=root)
        self.assertEqual(self.wceload(root)[-1], '/askdest "\\Temp\\big.cab"')
        self.assertIn("1 passed over", out)
        # Too little even for the installer's own files: it says so, calls
        # nothing damaged, installs nothing and leaves nothing behind.
        for free in ("0", "30000", "300000"):
            root, out = self.device(package, "--free-storage", free, code=1)
            self.assertIn("page: welcome: Welcome user! / Not enough storage to unpack this "
                          "installer. Free some storage and start it again. / Press <Exit> to "
                          "close", out)
            self.assertIn("not enough storage to unpack the package: see the log", out)
            self.assertNotIn("damaged", out)
            self.assertEqual(self.wceload(root), [])
            temp = os.path.join(root, "Temp")
            left = set(os.listdir(temp)) if os.path.isdir(temp) else set()
            self.assertLessEqual(left, {"Zephyrkit.log"})
            self.assertFalse([f for f in os.listdir(root) if f.endswith(".zip")])
            log = os.path.join(root, "Temp", "Zephyrkit.log")
            lines = read_lines(log) if os.path.exists(log) else []
            self.assertFalse(any("Damaged" in line for line in lines), free)

    def test_a_stale_read_only_file_does_not_stand_in_for_the_cabinet(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003")])
        root = self.root()
        os.makedirs(os.path.join(root, "Temp"))
        stale = os.path.join(root, "Temp", "a.cab")
        with open(stale, "w") as f:
            f.write("an old cabinet")
        os.chmod(stale, 0o444)
        self.device(package, root=root)
        self.assertFalse(os.path.exists(stale))
        self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "A", "a.exe")))

    def test_a_silent_start_shows_nothing_and_says_how_it_ended(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003")], eula=True, advanced=True)
        root, out = self.device(package, "--command-line", "/noui")
        self.assertNotIn("page:", out)
        self.assertEqual(self.wceload(root), ['/noui "\\Temp\\a.cab"'])
        root, out = self.device(DamageTest.cut(self, package, os.path.getsize(package) - 100),
                                "--command-line", "/noui", code=1)
        self.assertNotIn("page:", out)
        self.assertEqual(self.wceload(root), [])


class DamageTest(DeviceTest):
    def cut(self, package, at):
        copy = self.shop.path("damaged.exe")
        with open(package, "rb") as f:
            data = f.read()
        with open(copy, "wb") as f:
            f.write(data[:at])
        return copy

    def damaged(self, package, edit):
        copy = self.shop.path("damaged.exe")
        with open(package, "rb") as f:
            data = bytearray(f.read())
        data = edit(data)
        with open(copy, "wb") as f:
            f.write(data)
        root, out = self.device(copy, code=1)
        return root, out, self.log(root)

    def assert_nothing_installed(self, root, out):
        self.assertIn("This installer is incomplete or damaged. Download it again.", out)
        self.assertIn("press: Exit", out)
        self.assertEqual(self.wceload(root), [])
        self.assertIsNone(state_line(root))
        self.assertFalse(os.path.exists(os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))
        self.assertEqual(os.listdir(os.path.join(root, "Temp")), ["Zephyrkit.log"])

    def test_a_cut_at_every_boundary_and_in_every_section_installs_nothing(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003"),
                             (s.cabinet("c.cab", "C"), "2003")],
                            eula=True, readme=True, splash=True)
        roles = ["system information", "project", "splash", "EULA", "read-me",
                 "cabinet [a.cab]", "cabinet [b.cab]", "cabinet [c.cab]"]
        sections = package_sections(package)
        self.assertEqual(len(sections), len(roles))
        for number, ((at, body), role) in enumerate(zip(sections, roles), start=1):
            for cut in (at, at + 4 + len(body) // 2):
                with self.subTest(section=number, cut=cut):
                    root, out, log = self.damaged(package, lambda d: d[:cut])
                    self.assert_nothing_installed(root, out)
                    if number > 2:
                        # Once the project is read, the fault is placed.
                        self.assertIn(f"[SystemInfo] Damaged package: section {number} ({role}) "
                                      f"at offset {at} ", "\n".join(log))

    def test_a_flipped_byte_in_a_cabinet_fails_that_cabinet(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003")])
        at_a, a = package_sections(package)[2]

        def flip(d):
            d[at_a + 4 + len(a) // 2] ^= 0x55
            return d
        root, out, log = self.damaged(package, flip)
        self.assertIn("page: 1 of 2 applications could not be installed: / a.cab /", out)
        self.assertTrue(any(line.startswith("[InstallerThread] Failed [a.cab]: its section is "
                                            "damaged") for line in log), log)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\b.cab"'])

    def test_stray_bytes_a_zip_that_does_not_open_and_a_package_no_longer_than_its_program(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003")])
        at_a, a = package_sections(package)[2]

        def garbage(d):
            d[at_a + 4:at_a + 4 + len(a)] = b"X" * len(a)
            return d
        for edit, fault in ((lambda d: d + b"junk", "4 bytes at offset "),
                            (garbage, "section 3 (cabinet [a.cab]) at offset "),
                            (lambda d: d[:1000], "is 1000 bytes, no longer than its program")):
            root, out, log = self.damaged(package, edit)
            self.assert_nothing_installed(root, out)
            self.assertIn(fault, "\n".join(log))


class EncodingTest(DeviceTest):
    """Names beyond ASCII typed on the command line, kept in code page 1252 in
    the record, and read so by the device."""

    def project(self, *args, code=0):
        result = subprocess.run([ZEPHYRKIT_PROJECT, *args], capture_output=True, text=True)
        self.assertEqual(result.returncode, code, result.stdout + result.stderr)
        return result

    def test_a_cabinet_title_and_eula_beyond_ascii_reach_the_device_whole(self):
        s = self.shop
        cab = s.cabinet("Café.cab", "Café")
        eula = s.path("Lisez-moi.txt")
        with open(eula, "w", encoding="utf-8") as f:
            f.write("<html>Conditions générales</html>")
        out = s.path("sortie")
        os.mkdir(out)
        paw = s.path("Société.paw")
        self.project("new", paw, "--title", "Société Générale", "--company", "Morvane",
                     "--output", out, "--eula", eula, "--platform-filter", "pocketpc")
        self.project("add", paw, cab)
        with open(paw, "rb") as f:
            record = f.read()
        self.assertEqual(record[:17], "Société Générale".encode("cp1252") + b"\0")
        shown = self.project("show", paw).stdout
        self.assertIn("Title : Société Générale\n", shown)
        self.assertIn("- Name [Café]", shown)
        self.assertEqual(json.loads(self.project("export", paw).stdout)["cabinets"][0]["fileName"],
                         "Café.cab")

        refused = self.project("set", paw, "--company", "Morvane 中文", code=1)
        self.assertEqual(refused.stderr, "zephyrkit-project: --company: holds U+4E2D, which "
                                         "code page 1252 cannot store\n")
        with open(paw, "rb") as f:
            self.assertEqual(f.read(), record)

        built = subprocess.run([os.path.join(s.program, "zephyrkit"), "-silent", paw],
                               capture_output=True, text=True)
        self.assertEqual((built.returncode, built.stdout, built.stderr),
                         (1, "Success: Zephyrkit files successfully built.\n", ""))
        found = glob.glob(os.path.join(out, "*", "Société Générale", "Société Générale.[[]MOBILE].exe"))
        self.assertEqual(len(found), 1, os.listdir(out))
        package = found[0]
        # The cabinet's section, the last one, names its member in UTF-8.
        _, cabinet = package_sections(package)[-1]
        with zipfile.ZipFile(io.BytesIO(cabinet)) as z:
            self.assertEqual(z.namelist(), ["Café.cab"])

        root, text = self.device(package, "--profile", "ppc2003")
        self.assertIn("window title: Morvane Société Générale\n", text)
        self.assertIn("page: EULA file://\\Temp\\Lisez-moi.txt\n", text)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\Café.cab"'])
        self.assertIn("[InstallerThread] Installing [Café.cab]", self.log(root))
        self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "Café", "café.exe")),
                        text)
        self.assertIn("1 Café.cab: installed into \\Program Files\\Café", text)
        # The emulated wceload found the unpacked cabinet under its UTF-8 name
        # (it deletes it once installed, as the device's does).
        self.assertNotIn("no such cabinet", text)
        self.assertEqual(os.listdir(os.path.join(root, "My Documents")),
                         ["Société Générale.[MOBILE].exe"])

    def test_a_project_the_record_cannot_name_is_not_built(self):
        built = subprocess.run([os.path.join(self.shop.program, "zephyrkit"), "-silent",
                                self.shop.path("项目.paw")], capture_output=True, text=True)
        self.assertEqual(built.returncode, 0)
        self.assertEqual(built.stderr, 'Error: argument 2 "' + self.shop.path("项目.paw") +
                         '": holds U+9879, which code page 1252 cannot store\n')


class CommandLineTest(DeviceTest):
    def test_help_and_wrong_command_lines(self):
        result = subprocess.run([ZK_DEVICE, "--help"], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0)
        for word in ["--profile", "--reset-after", "--stub-length", "--override", "wceload"]:
            self.assertIn(word, result.stdout)
        for args in [[], ["install"], ["install", "x.exe"], ["remove", "x", "--root", "r"],
                     ["install", "x", "--root", "r", "--profile", "nokia"],
                     ["install", "x", "--root", "r", "--os", "4"],
                     ["install", "x", "--root", "r", "--reset-after", "0"]]:
            with self.subTest(args=args):
                result = subprocess.run([ZK_DEVICE, *args], capture_output=True, text=True)
                self.assertEqual(result.returncode, 2, result.stderr)

    def test_uninstall_word_and_stub_length(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003")])
        root, _ = self.device(package, "--command-line", "UNINSTALL")
        self.assertEqual(self.wceload(root), [])
        self.assertFalse(os.path.exists(os.path.join(root, "Temp", "Zephyrkit.log")))
        root, _ = self.device(package, "--command-line", "install", "--card-answer", "cancel")
        self.assertEqual(self.wceload(root), [])
        # A wrong first-section offset reads nonsense counts: damage, no crash.
        root, _ = self.device(package, "--stub-length", "1000", code=1)
        self.assertEqual(self.wceload(root), [])
        # What it prints must reach its reader.
        with open("/dev/full", "w") as full:
            result = subprocess.run([ZK_DEVICE, "install", package, "--root", self.root()],
                                    stdout=full, stderr=subprocess.PIPE, text=True)
        self.assertEqual(result.returncode, 3)
        self.assertIn("zk-device: cannot write to standard output: ", result.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
