#!/usr/bin/env python3
"""End to end: packages built by `zephyrkit -silent` from real Windows CE
cabinets, installed with `zk-device` on a folder that plays the device.

usage: zk_device_test.py ZEPHYRKIT ZEPHYRKIT_PROJECT ZK_DEVICE MAKE_CE_CAB"""
import glob
import io
import json
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

ZEPHYRKIT, ZEPHYRKIT_PROJECT, ZK_DEVICE, MAKE_CE_CAB = sys.argv[1:5]

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from package_layout import small_bitmap, stand_in_program, stub_length, zip_holding  # noqa: E402

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


def sections_of(package):
    """(offset of the count, length) of each section."""
    with open(package, "rb") as f:
        data = f.read()
    at, found = STUB_LENGTH, []
    while at + 4 <= len(data):
        (n,) = struct.unpack_from("<I", data, at)
        found.append((at, n))
        at += 4 + n
    return found


class Workshop:
    """A program folder for zephyrkit, cabinets, projects and device roots."""

    def __init__(self, folder):
        self.folder = folder
        self.program = os.path.join(folder, "program")
        stand_in_program(
            self.program, [ZEPHYRKIT],
            mobile_stub=b"MZ" + bytes(range(256)) * 243 + bytes(STUB_LENGTH - 2 - 256 * 243),
            desktop_stub=b"MZ desktop stand-in" + bytes(500),
            system_info=zip_holding("SystemInfo.exe", b"MZ system information tool stand-in",
                                    zipfile.ZIP_STORED))
        for name, text in [("eula.htm", "<html>EULA</html>"), ("readme.txt", "Read me")]:
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
        with open(os.path.join(folder, "splash.bmp"), "wb") as f:
            f.write(small_bitmap())
        self.count = 0

    def path(self, name):
        return os.path.join(self.folder, name)

    def cabinet(self, name, app, *extra):
        out = self.path(name)
        subprocess.run([sys.executable, MAKE_CE_CAB, out, "--app-name", app, "--provider", "Acme",
                        "--payload", f"{app.lower()}.exe:3000", "--compress", *extra],
                       check=True, capture_output=True)
        return out

    def package(self, cabinets, eula=False, readme=False, splash=False, flags=None,
                providers=None, advanced=False):
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
                   "addDateToPath": True, "addTitleSubfolder": True, "cabinets": []}
        for index, (cab, points) in enumerate(cabinets):
            wanted = (flags or {}).get(index, "ppc,ti,intel,samsung," + points.lower())
            entry = {"path": cab, "fileName": os.path.basename(cab),
                     "appName": os.path.basename(cab),
                     "provider": (providers or {}).get(index, "")}
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
                                  f'[InstallerThread] command [{option}"\\Temp\\{name}"]']
                    else:
                        lines.append(f"[InstallerThread] Skipping {name}...")
                self.assertEqual(self.log(root), lines)
                for name in installed:
                    app = apps[name]
                    self.assertTrue(os.path.isfile(
                        os.path.join(root, "Program Files", app, app.lower() + ".exe")), out)
                self.assertIn(f"{len(installed)} installed, {5 - len(installed)} skipped", out)
                # A normal end leaves neither state file nor restart shortcut.
                self.assertFalse(os.path.exists(os.path.join(root, "Windows", "Zephyrkit.dat")))
                self.assertFalse(os.path.exists(
                    os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))

    def test_platform_and_processor_flags(self):
        s = self.shop
        package = s.package([(s.cabinet("phone.cab", "Phone"), "2003"),
                             (s.cabinet("omap.cab", "Omap"), "2003SE"),
                             (s.cabinet("none.cab", "None"), "2003")],
                            flags={0: "sp,2003,ti", 1: "ppc,2003se,ti", 2: "ppc,2003"})
        root, _ = self.device(package, "--profile", "smartphone2003")
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\phone.cab"'])
        root, _ = self.device(package, "--profile", "ppc2003se")
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\omap.cab"'])
        # The same device with an Intel processor: the TI cabinet is skipped.
        root, _ = self.device(package, "--profile", "ppc2003se", "--cpu-name", "PXA270",
                              "--cpu-vendor", "TI")
        self.assertEqual(self.wceload(root), [])
        self.assertIn("[InstallerThread] Skipping omap.cab...", self.log(root))

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
        package = s.package([(s.cabinet("a.cab", "A"), "2003SE")], providers={0: "X"},
                            advanced=True)
        root, out = self.device(package, "--os", "4.21", "--override", "\\Program Files\\Apps")
        self.assertEqual(self.wceload(root), ["/noaskdest "])
        self.assertEqual(self.log(root)[1:], [
            '[RegistryEntry] PathFrom ["\\Temp\\a.cab"] PathTo [Program Files\\Apps\\X]',
            "[InstallerThread] Installing [a.cab]",
            "[InstallerThread] command [/noaskdest ]"])
        self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "Apps", "X", "a.exe")),
                        out)
        self.assertIn("page: preferences (override on [Program Files\\Apps\\]", out)

    def test_silent_and_windows_mobile_5(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003,5")], providers={0: "X"})
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


class ResumeTest(DeviceTest):
    def three(self, count=3):
        s = self.shop
        return s.package([(s.cabinet(f"c{i}.cab", f"App{i}"), "2003") for i in range(1, count + 1)])

    def test_reset_during_the_first_of_three_resumes_with_the_second(self):
        package = self.three()
        root, out = self.device(package, "--reset-after", "1")
        self.assertIn("device reset", out)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\c1.cab"'])
        with open(os.path.join(root, "Windows", "Zephyrkit.dat")) as f:
            self.assertEqual(f.read(), "2 0")
        target = '"\\My Documents\\' + os.path.basename(package) + '"'
        with open(os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")) as f:
            self.assertEqual(f.read(), f"{len(target)}#{target}")
        self.device(package, root=root)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\c1.cab"',
                                              '/askdest "\\Temp\\c2.cab"',
                                              '/askdest "\\Temp\\c3.cab"'])
        log = self.log(root)
        second = log[log.index(SYSINFO["ppc2003"], 1):]
        self.assertEqual(second, [SYSINFO["ppc2003"],
                                  "[InstallerThread] Installing [c2.cab]",
                                  '[InstallerThread] command [/askdest "\\Temp\\c2.cab"]',
                                  "[InstallerThread] Installing [c3.cab]",
                                  '[InstallerThread] command [/askdest "\\Temp\\c3.cab"]'])
        self.assertFalse(os.path.exists(os.path.join(root, "Windows", "Zephyrkit.dat")))
        self.assertFalse(os.path.exists(os.path.join(root, "Windows", "StartUp", "Zephyrkit.lnk")))

    def test_saved_state_before_the_installation_page_starts_afresh(self):
        package = self.three()
        root = self.root()
        os.makedirs(os.path.join(root, "Windows"))
        with open(os.path.join(root, "Windows", "Zephyrkit.dat"), "w") as f:
            f.write("1 0")
        self.device(package, root=root)
        self.assertEqual(len(self.wceload(root)), 3)

    def test_saved_cabinet_three_resumes_with_index_four(self):
        package = self.three(5)
        root = self.root()
        os.makedirs(os.path.join(root, "windows"))
        with open(os.path.join(root, "windows", "Zephyrkit.dat"), "w") as f:
            f.write("2 3")
        _, out = self.device(package, root=root)
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\c5.cab"'])
        self.assertIn("4 passed over", out)


class DamageTest(DeviceTest):
    def damaged(self, package, edit):
        copy = self.shop.path("damaged.exe")
        with open(package, "rb") as f:
            data = bytearray(f.read())
        data = edit(data)
        with open(copy, "wb") as f:
            f.write(data)
        root, out = self.device(copy, code=1)
        return root, out, self.log(root)

    def test_a_cut_in_each_section(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003")],
                            eula=True, readme=True, splash=True)
        roles = ["system information", "project", "splash", "EULA", "read-me",
                 "cabinet [a.cab]", "cabinet [b.cab]"]
        sections = sections_of(package)
        self.assertEqual(len(sections), len(roles))
        for number, ((at, n), role) in enumerate(zip(sections, roles), start=1):
            with self.subTest(section=number):
                root, out, log = self.damaged(package, lambda d: d[:at + 4 + n // 2])
                self.assertIn(f"[{'InstallerThread' if number > 5 else 'SystemInfo'}] "
                              f"Damaged package: section {number} ({role}) holds {n // 2} of "
                              f"{n} bytes", log)
                if number > 2:
                    # The project was read: every later section is reported too.
                    self.assertTrue(any("Damaged package: section 7 (cabinet [b.cab])" in line
                                        for line in log), log)
                if number == 1:
                    self.assertIn("[SystemInfo] Platform [] majorVersion [0] minorVersion[0] "
                                  "Processor [  ]", log)
                    self.assertEqual(self.wceload(root), [])

    def test_a_count_cut_off_and_a_count_past_the_end(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003")])
        (at_a, n_a), (at_b, n_b) = sections_of(package)[2:]
        _, _, log = self.damaged(package, lambda d: d[:at_b + 2])
        self.assertIn("[InstallerThread] Damaged package: section 4 (cabinet [b.cab]) "
                      "has its byte count cut off", log)

        def huge(d):
            d[at_b:at_b + 4] = struct.pack("<I", 0xFFFFFFF0)
            return d
        root, _, log = self.damaged(package, huge)
        self.assertIn("[InstallerThread] Damaged package: section 4 (cabinet [b.cab]) holds "
                      f"{n_b} of 4294967280 bytes", log)
        # The first cabinet is untouched and installed.
        self.assertEqual(self.wceload(root)[0], '/askdest "\\Temp\\a.cab"')

    def test_a_zip_that_does_not_open(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003"), (s.cabinet("b.cab", "B"), "2003")])
        at_a, n_a = sections_of(package)[2]

        def garbage(d):
            d[at_a + 4:at_a + 4 + n_a] = b"X" * n_a
            return d
        root, out, log = self.damaged(package, garbage)
        self.assertIn("[InstallerThread] Damaged package: section 3 (cabinet [a.cab]) does not "
                      "open: Couldn't create/open file", log)
        # Still handed to the installer, which finds nothing; b.cab installs.
        self.assertEqual(self.wceload(root), ['/askdest "\\Temp\\a.cab"', '/askdest "\\Temp\\b.cab"'])
        self.assertTrue(os.path.isfile(os.path.join(root, "Program Files", "B", "b.exe")))

    def test_a_package_no_longer_than_its_program(self):
        s = self.shop
        package = s.package([(s.cabinet("a.cab", "A"), "2003")])
        root, out, log = self.damaged(package, lambda d: d[:1000])
        self.assertIn("is 1000 bytes, no longer than its program", log[0])
        self.assertEqual(self.wceload(root), [])


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
        at, n = sections_of(package)[-1]
        with open(package, "rb") as f:
            f.seek(at + 4)
            with zipfile.ZipFile(io.BytesIO(f.read(n))) as z:
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


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
