#!/usr/bin/env python3
"""zephyrkit-package through the real programs: installers built by
`zephyrkit -silent` from made and real cabinets, listed, tested, extracted
(hostile names included) and put to the device matrix, which must agree with
what zk-device installs on each of its profiles; and reproducible builds.

usage: package_tool_test.py ZEPHYRKIT ZEPHYRKIT_PROJECT ZEPHYRKIT_PACKAGE ZK_DEVICE MAKE_CE_CAB"""
import datetime
import glob
import io
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
import zlib

ZEPHYRKIT, ZEPHYRKIT_PROJECT, PACKAGE_TOOL, ZK_DEVICE, MAKE_CE_CAB = sys.argv[1:6]
HERE = os.path.dirname(os.path.abspath(__file__))
REAL_CABS = os.path.join(HERE, "..", "..", "..", "shared", "testdata", "cabs")

sys.path.insert(0, os.path.join(HERE, "..", "support"))
import package_layout  # noqa: E402
from package_layout import desktop_stub_length, sections_of, signed, stub_length, zip_holding  # noqa: E402

STUB_LENGTH = stub_length()
DESKTOP_STUB_LENGTH = desktop_stub_length()

# The matrix column each zk-device profile is a device of.
PROFILE_KINDS = {
    "ppc2002": ("Pocket PC", "2002", "Intel"),
    "ppc2003": ("Pocket PC", "2003", "Intel"),
    "ppc2003se": ("Pocket PC", "2003 SE", "TI"),
    "wm5": ("Pocket PC", "WM 5", "Samsung"),
    "smartphone2003": ("Smartphone", "2003", "TI"),
    "wm6-msm": ("Pocket PC", "WM 5", "other"),
}


def tool(*args, code=None):
    result = subprocess.run([PACKAGE_TOOL, *args], capture_output=True, text=True, timeout=120)
    if code is not None and result.returncode != code:
        raise AssertionError(f"zephyrkit-package {' '.join(args)}: exit {result.returncode}, "
                             f"wanted {code}\n{result.stdout}{result.stderr}")
    return result


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Workshop(package_layout.Workshop):
    """A program folder with stand-in stubs of the real lengths, and projects."""

    def __init__(self, folder):
        super().__init__(
            folder, MAKE_CE_CAB, [ZEPHYRKIT, ZEPHYRKIT_PROJECT],
            {"eula.txt": "EULA of the demo", "readme.txt": "Read me"},
            desktop_stub=b"MZ desktop" + bytes(DESKTOP_STUB_LENGTH - 10),
            system_info=zip_holding("SystemInfo.exe", b"MZ system information tool stand-in" * 20))

    def project(self, name, cabinets, *presets):
        paw = self.path(name + ".paw")
        out = self.path("out-" + name)
        os.makedirs(out, exist_ok=True)
        subprocess.run([ZEPHYRKIT_PROJECT, "new", paw, "--title", name, "--company", "Morvane",
                        "--output", out, "--date-folder", "no", "--title-folder", "no",
                        *presets], check=True, capture_output=True)
        subprocess.run([ZEPHYRKIT_PROJECT, "add", paw, *cabinets], check=True, capture_output=True)
        return paw, out

    def build(self, paw, env=None):
        result = subprocess.run([os.path.join(self.program, "zephyrkit"), "-silent", paw],
                                capture_output=True, text=True, env=env)
        if result.returncode != 1:
            raise AssertionError("the build failed: " + result.stdout + result.stderr)


class PackageToolTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.shop = Workshop(self.tmp.name)

    def tearDown(self):
        self.tmp.cleanup()

    def demo(self):
        s = self.shop
        paw, out = s.project("Demo", [s.cabinet("Old.cab", "Old", "--os-min", "3.0", "--os-max", "3.99"),
                                      s.cabinet("New.cab", "New", "--os-min", "4.21", "--os-max", "5.99")],
                             "--eula", s.path("eula.txt"), "--readme", s.path("readme.txt"),
                             "--splash", s.path("splash.bmp"))
        s.build(paw)
        return os.path.join(out, "Demo.[MOBILE].exe"), os.path.join(out, "Demo.[DESKTOP].exe")


class ListAndTestCase(PackageToolTest):
    def test_list_shows_what_an_independent_zip_reader_sees(self):
        mobile, desktop = self.demo()
        with open(mobile, "rb") as f:
            data = f.read()
        sections = sections_of(data, STUB_LENGTH)
        roles = ["system information", "project", "splash", "EULA", "read-me", "cabinet", "cabinet"]
        for package, base in [(mobile, 0), (desktop, DESKTOP_STUB_LENGTH + 4)]:
            with self.subTest(package=os.path.basename(package)):
                doc = json.loads(tool("list", package, "--json", code=0).stdout)
                self.assertEqual(doc["kind"], "desktop" if base else "mobile")
                self.assertEqual(doc["stubLength"], STUB_LENGTH)
                self.assertEqual([s["role"] for s in doc["sections"]], roles)
                self.assertEqual(doc["faults"], [])
                self.assertEqual(doc["project"]["title"], "Demo")
                for listed, (offset, body) in zip(doc["sections"], sections):
                    self.assertEqual(listed["offset"], base + offset)
                    self.assertEqual(listed["count"], len(body))
                    with zipfile.ZipFile(io.BytesIO(body)) as z:
                        infos = z.infolist()
                        self.assertEqual([m["storedName"] for m in listed["members"]],
                                         [i.filename for i in infos])
                        for m, i in zip(listed["members"], infos):
                            self.assertEqual(m["crc"], f"{i.CRC:08x}")
                            self.assertEqual((m["size"], m["packed"]), (i.file_size, i.compress_size))
                            self.assertEqual(m["method"], {0: "stored", 8: "deflate"}[i.compress_type])
                self.assertEqual(doc["sections"][5]["cabinetFileName"], "Old.cab")

        text = tool("list", mobile, code=0).stdout
        # The settings, as zephyrkit-project show prints them.
        show = subprocess.run([ZEPHYRKIT_PROJECT, "show", self.shop.path("Demo.paw")],
                              capture_output=True, text=True, check=True).stdout
        self.assertTrue(text.endswith(show.split("Save project file")[1]), text)

    def test_test_passes_whole_installers_and_names_each_fault(self):
        mobile, desktop = self.demo()
        self.assertEqual(tool("test", mobile, code=0).stdout, "OK\nnot signed\n")
        self.assertEqual(tool("test", desktop, code=0).stdout,
                         "OK\nnot signed\ncarried installer not signed\n")
        self.assertTrue(json.loads(tool("test", desktop, "--json", code=0).stdout)["ok"])
        with open(mobile, "rb") as f:
            data = f.read()
        sections = sections_of(data, STUB_LENGTH)
        damaged = self.shop.path("damaged.exe")

        def check(blob, offset, words):
            with open(damaged, "wb") as f:
                f.write(blob)
            result = tool("test", damaged, code=1)
            self.assertIn(f"offset {offset}: ", result.stdout)
            self.assertIn(words, result.stdout)
            doc = json.loads(tool("test", damaged, "--json", code=1).stdout)
            self.assertFalse(doc["ok"])
            self.assertIn(offset, [f["offset"] for f in doc["faults"]])

        last = sections[-1][0]
        check(data[:last + 20], last, "the package is cut")
        check(data[:sections[3][0] + 2], sections[3][0], "byte count cut off")
        past = bytearray(data)
        struct.pack_into("<I", past, last, len(sections[-1][1]) + 1)
        check(bytes(past), last, "are left: the package is cut")
        not_zip = bytearray(data)
        start, body = sections[3]
        not_zip[start + 4:start + 4 + len(body)] = bytes(len(body))
        check(bytes(not_zip), start + 4, "section 4 (EULA) is not a zip archive")
        with open(desktop, "rb") as f:
            outer = f.read()
        check(outer[:-7], DESKTOP_STUB_LENGTH, "the carried package is cut")
        # A stub of the Windows CE length, told with --stub-length.
        with open(damaged, "wb") as f:
            f.write(b"MZ" + bytes(62464 - 2) + data[STUB_LENGTH:])
        self.assertEqual(tool("test", damaged, "--stub-length", "62464", code=0).stdout,
                         "OK\nnot signed\n")

    def test_a_signature_after_the_sections_is_no_damage(self):
        mobile, desktop = (read_bytes(p) for p in self.demo())
        signed_mobile = signed(mobile, 1500)
        outer = desktop[:DESKTOP_STUB_LENGTH]

        def carrying(package):
            return outer + struct.pack("<I", len(package)) + package

        misplaced = (len(mobile) + 7) // 8 * 8 + 8
        cases = [  # bytes, exit code, words in the output
            (signed_mobile, 0, "OK\nsigned: 1500 bytes of certificate table\n"),
            (signed(carrying(signed_mobile), 9), 0,
             "OK\nsigned: 9 bytes of certificate table\n"
             "carried installer signed: 1500 bytes of certificate table\n"),
            (signed(desktop), 0, "OK\nsigned: 1508 bytes of certificate table\n"
                                 "carried installer not signed\n"),
            (signed_mobile + b"x", 1, "bytes follow the last section the project announces"),
            (signed(mobile, 1500, misplaced), 1, "bytes follow the last section"),
            (signed(desktop) + b"x", 1, "bytes follow the carried package"),
            (carrying(signed_mobile + b"\0" * 8), 1, "bytes follow the last section"),
        ]
        path = self.shop.path("signed.exe")
        for data, code, words in cases:
            with self.subTest(words=words, code=code):
                with open(path, "wb") as f:
                    f.write(data)
                self.assertIn(words, tool("test", path, code=code).stdout)
        with open(path, "wb") as f:
            f.write(signed(carrying(signed_mobile), 9))
        doc = json.loads(tool("list", path, "--json", code=0).stdout)
        self.assertEqual((doc["signed"], doc["certificateTableBytes"]), (True, 9))
        self.assertEqual((doc["carriedSigned"], doc["carriedCertificateTableBytes"]), (True, 1500))
        self.assertIn("carried installer signed: 1500 bytes", tool("list", path, code=0).stdout)

    def test_files_shown_under_one_name(self):
        self.demo()
        s = self.shop
        with open(s.path("eulb.txt"), "w") as f:
            f.write("read me, under the EULA's name")
        paw, out = s.project("Same", [s.path("Old.cab")], "--eula", s.path("eula.txt"),
                             "--readme", s.path("eulb.txt"))
        s.build(paw)
        # The build refuses two files of one name; a package from elsewhere
        # may still hold them: the read-me's member renamed in its headers.
        mobile = os.path.join(out, "Same.[MOBILE].exe")
        with open(mobile, "rb") as f:
            data = f.read()
        with open(mobile, "wb") as f:
            f.write(data.replace(b"eulb.txt", b"eula.txt"))
        result = tool("test", mobile, code=1)
        self.assertIn('section 4 (read-me) unpacks as "eula.txt" over section 3 (EULA)', result.stdout)

    def test_usage_and_files_that_are_no_package(self):
        self.assertEqual(tool("--help", code=0).stdout.splitlines()[0],
                         "Usage: zephyrkit-package COMMAND PACKAGE [OPTIONS]")
        self.assertRegex(tool("--version", code=0).stdout, r"^zephyrkit-package \d")
        for args in [(), ("list",), ("unpack", "x.exe"), ("list", "x.exe", "-d", "f"),
                     ("list", "x.exe", "--stub-length", "many")]:
            tool(*args, code=2)
        tool("test", self.shop.path("missing.exe"), code=3)
        tool("test", self.shop.folder, code=3)
        for name, blob in [("empty.exe", b""), ("short.exe", b"MZ" + bytes(100)),
                           ("noise.exe", os.urandom(STUB_LENGTH + 5000))]:
            path = self.shop.path(name)
            with open(path, "wb") as f:
                f.write(blob)
            for command in ["list", "test", "matrix", "extract"]:
                result = tool(command, path, *(["-d", self.shop.path("x")] if command == "extract" else []))
                self.assertEqual(result.returncode, 1, f"{command} {name}: {result.stdout}{result.stderr}")
                self.assertIn("offset ", result.stdout + result.stderr)


class ExtractCase(PackageToolTest):
    def test_extract_writes_every_file_under_its_name(self):
        mobile, desktop = self.demo()
        for package in (mobile, desktop):
            target = self.shop.path("x-" + os.path.basename(package)[:10])
            result = tool("extract", package, "-d", target, code=0)
            self.assertEqual(sorted(os.listdir(target)),
                             sorted(["SystemInfo.exe", "Demo.paw", "splash.bmp", "eula.txt",
                                     "readme.txt", "Old.cab", "New.cab"]), result.stdout)
            for name in ["Old.cab", "New.cab", "eula.txt", "splash.bmp"]:
                with open(os.path.join(target, name), "rb") as a, open(self.shop.path(name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)
            with open(os.path.join(target, "Demo.paw"), "rb") as a, \
                    open(self.shop.path("Demo.paw"), "rb") as b:
                self.assertEqual(a.read(), b.read())

    def test_hostile_member_names_never_leave_the_folder(self):
        mobile, _ = self.demo()
        with open(mobile, "rb") as f:
            data = f.read()
        sections = sections_of(data, STUB_LENGTH)
        outside = f"zk-hostile-{os.getpid()}"
        hostile = ["../../" + outside + "-splash.bmp",
                   "/tmp/" + outside + "/eula.txt",
                   "C:\\..\\..\\" + outside + "-readme.txt",
                   "..\\..\\..\\" + outside + "-Old.cab",
                   "sub/../../../" + outside + "/New.cab"]
        out = bytearray(data[:sections[2][0]])
        for (offset, body), name in zip(sections[2:], hostile):
            with zipfile.ZipFile(io.BytesIO(body)) as z:
                content = z.read(z.infolist()[0])
            buffer = io.BytesIO()
            with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
                info = zipfile.ZipInfo("x")
                info.filename = name  # kept as written: no normalising
                z.writestr(info, content)
            out += struct.pack("<I", len(buffer.getvalue())) + buffer.getvalue()
        package = self.shop.path("nest", "deeper", "hostile.exe")
        os.makedirs(os.path.dirname(package))
        with open(package, "wb") as f:
            f.write(out)
        target = self.shop.path("nest", "deeper", "target")
        before = {p for p in glob.glob(self.shop.path("**"), recursive=True)}
        result = tool("extract", package, "-d", target, code=1)
        self.assertIn("no plain name", result.stderr)
        after = {p for p in glob.glob(self.shop.path("**"), recursive=True)}
        for made in after - before:
            self.assertTrue(made.startswith(target), made)
        self.assertFalse(glob.glob(f"/tmp/{outside}*"))
        self.assertFalse(glob.glob(f"/{outside}*"))
        self.assertTrue(os.path.isfile(os.path.join(target, outside + "-Old.cab")))
        self.assertTrue(os.path.isfile(os.path.join(target, outside, "New.cab")))
        self.assertIn("its member is named", tool("test", package, code=1).stdout)


class MatrixCase(PackageToolTest):
    def installed_on(self, package, profile):
        root = self.shop.path("device-" + profile)
        result = subprocess.run([ZK_DEVICE, "install", package, "--root", root, "--profile", profile],
                                capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        outcomes = re.findall(r"^cabinet \d+ (.+?): (installing|skipped)", result.stdout, re.M)
        return [n for n, what in outcomes if what == "installing"], [n for n, _ in outcomes]

    def agree_with_zk_device(self, package):
        doc = json.loads(tool("matrix", package, "--json", code=0).stdout)
        self.assertEqual(len(doc["columns"]), 32)
        columns = [(c["platform"], c["os"], c["processor"]) for c in doc["columns"]]
        for profile, kind in PROFILE_KINDS.items():
            with self.subTest(profile=profile):
                column = columns.index(kind)
                installed, rows = self.installed_on(package, profile)
                self.assertEqual(rows, [r["fileName"] for r in doc["rows"]])
                self.assertEqual(installed, [r["fileName"] for r in doc["rows"] if r["installs"][column]])
        return doc

    def test_matrix_of_made_cabinets_agrees_with_the_device(self):
        mobile, desktop = self.demo()
        doc = self.agree_with_zk_device(mobile)
        self.assertEqual(json.loads(tool("matrix", desktop, "--json", code=0).stdout)["rows"],
                         doc["rows"])
        # Old.cab suits 2002 alone, New.cab 2003 SE and WM 5: nothing suits 2003.
        # The processor filter is off: any processor will do.
        nothing = doc["installsNothing"]
        self.assertIn("Pocket PC 2003, Intel", nothing)
        self.assertIn("Pocket PC 2003, other processor", nothing)
        self.assertNotIn("Pocket PC 2002, Intel", nothing)
        self.assertNotIn("Pocket PC 2002, other processor", nothing)
        text = tool("matrix", mobile, code=0).stdout
        self.assertIn("Pocket PC 2003, Intel: installs nothing\n", text)
        self.assertRegex(text, r"\n  0  Old.cab +\+\+\+\+\.\.\.\.")

    def test_matrix_of_real_cabinets_agrees_with_the_device(self):
        names = ["nsbasic_BenchmarkDotNet_PPC.ARM.CAB", "nsbasic_App.WM.CAB",
                 "ushahidi_NETCFv35.wm.armv4i.cab", "generated/gen_ppc2000_v3.0-3.99.cab",
                 "generated/gen_wm2003se_v4.21-5.1.cab", "synce_smelter.rsh3.CAB"]
        cabs = [os.path.join(REAL_CABS, n) for n in names]
        if not all(os.path.isfile(c) for c in cabs):
            self.skipTest("the real cabinets are not there")
        paw, out = self.shop.project("Real", cabs, "--platform-filter", "pocketpc")
        self.shop.build(paw)
        self.agree_with_zk_device(os.path.join(out, "Real.[MOBILE].exe"))


class ReproducibleCase(PackageToolTest):
    OUTPUTS = ["Demo.[MOBILE].exe", "Demo.[DESKTOP].exe", "autorun.exe", "Demo.paw"]

    def fresh_inputs(self):
        """Copies of the inputs made now, later than the source date."""
        s = self.shop
        for name in ["eula.txt", "Old.cab"]:
            shutil.copy(s.path("keep", name), s.path(name))

    def test_same_source_date_gives_the_same_bytes(self):
        s = self.shop
        os.mkdir(s.path("keep"))
        s.cabinet("keep/Old.cab", "Old", "--os-min", "3.0", "--os-max", "3.99")
        shutil.copy(s.path("eula.txt"), s.path("keep", "eula.txt"))
        self.fresh_inputs()
        paw, out = s.project("Demo", [s.path("Old.cab")], "--eula", s.path("eula.txt"),
                             "--removable-card", "yes", "--date-folder", "yes")
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")
        folder = os.path.join(out, "14-11-2023")
        runs = []
        for run in range(3):
            shutil.rmtree(out)
            os.mkdir(out)
            self.fresh_inputs()
            if run < 2:
                s.build(paw, env)
            else:
                subprocess.run([os.path.join(s.program, "zephyrkit-project"), "build", paw, "-q"],
                               env=env, check=True, capture_output=True)
            runs.append({n: read_bytes(os.path.join(folder, n)) for n in self.OUTPUTS})
            time.sleep(1.1)
        self.assertEqual(runs[0], runs[1])
        self.assertEqual(runs[0], runs[2])
        # The members carry the source date, not the copies' times.
        body = sections_of(read_bytes(os.path.join(folder, "Demo.[MOBILE].exe")), STUB_LENGTH)[2][1]
        with zipfile.ZipFile(io.BytesIO(body)) as z:
            self.assertEqual(z.infolist()[0].date_time, (2023, 11, 14, 22, 13, 20))

        # Unset, the build dates its folder and members by the clock.
        shutil.rmtree(out)
        os.mkdir(out)
        env.pop("SOURCE_DATE_EPOCH")
        s.build(paw, env)
        today = datetime.datetime.now(datetime.timezone.utc)
        self.assertTrue(os.path.isdir(os.path.join(out, f"{today.day}-{today.month}-{today.year}")))

        env["SOURCE_DATE_EPOCH"] = "yesterday"
        result = subprocess.run([os.path.join(s.program, "zephyrkit"), "-silent", paw],
                                capture_output=True, text=True, env=env)
        self.assertEqual(result.returncode, 0)
        self.assertIn("SOURCE_DATE_EPOCH", result.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
