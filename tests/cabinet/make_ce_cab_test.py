#!/usr/bin/env python3
"""Checks the fixture-cabinet tool against cabextract, an independent reader."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                    "make_ce_cab.py")


def run_tool(*args):
    return subprocess.run([sys.executable, TOOL] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)


def listed_members(cab):
    """Member names as cabextract -l prints them, in stored order."""
    out = subprocess.run(["cabextract", "-l", cab], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, text=True, check=True).stdout
    names = []
    for line in out.splitlines():
        parts = line.split(" | ")
        if len(parts) == 3 and parts[0].strip().isdigit():
            names.append((parts[2], int(parts[0].strip())))
    return names


def extract(cab, folder):
    subprocess.run(["cabextract", "-q", "-d", folder, cab], check=True,
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class MakeCeCabTest(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory(prefix="make_ce_cab_test-")
        self.dir = self.temp.name

    def tearDown(self):
        self.temp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def make(self, *args):
        cab = self.path("out.cab")
        result = run_tool(cab, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return cab

    def test_header_fields_and_strings(self):
        cab = self.make("--app-name", "Acme Viewer", "--provider", "Acme Software",
                        "--os-min", "4.20", "--os-max", "5.1", "--architecture", "2577")
        self.assertEqual(listed_members(cab), [("ACMEVI~1.000", 128)])
        extract(cab, self.path("x"))
        header = read(self.path("x/ACMEVI~1.000"))
        self.assertEqual(header[0:4], b"MSCE")
        self.assertEqual(struct.unpack_from("<I", header, 8)[0], len(header))
        self.assertEqual(struct.unpack_from("<I", header, 20)[0], 2577)
        self.assertEqual(struct.unpack_from("<iiii", header, 24), (4, 20, 5, 1))
        app_offset, app_length, prov_offset, prov_length = struct.unpack_from("<hhhh", header, 84)
        # Strings follow the header, NUL-terminated and padded to four bytes.
        self.assertEqual((app_offset, app_length), (100, 12))
        self.assertEqual(header[app_offset:app_offset + app_length], b"Acme Viewer\0")
        self.assertEqual((prov_offset, prov_length), (112, 16))
        self.assertEqual(header[prov_offset:prov_offset + prov_length],
                         b"Acme Software" + b"\0" * 3)

    def test_signature_cut_header_and_name(self):
        cab = self.make("--signature", "CE4+", "--header-size", "30",
                        "--header-name", "SETUP.000")
        self.assertEqual(listed_members(cab), [("SETUP.000", 30)])
        extract(cab, self.path("x"))
        self.assertEqual(read(self.path("x/SETUP.000"))[0:4], b"CE4+")

    def test_xml_only_document(self):
        cab = self.make("--app-name", "Viewer", "--provider", "Acme", "--os-min", "4.0",
                        "--os-max", "5.99", "--xml-only")
        self.assertEqual(listed_members(cab)[0][0], "_setup.xml")
        self.assertEqual(len(listed_members(cab)), 1)
        extract(cab, self.path("x"))
        root = ElementTree.parse(self.path("x/_setup.xml")).getroot()
        parms = {p.get("name"): p.get("value") for p in root.iter("parm")}
        self.assertEqual(parms["OSVersionMin"], "4.0")
        self.assertEqual(parms["OSVersionMax"], "5.99")
        self.assertEqual(parms["AppName"], "Acme Viewer")

    def test_payloads_keep_order_names_and_bytes(self):
        source = self.path("readme.txt")
        with open(source, "wb") as f:
            f.write(b"read me\r\n")
        cab = self.make("--app-name", "App", "--xml", "--payload", "data.000.bak:5000",
                        "--payload", source, "--payload", "a\\b\\setup.xml=" + source,
                        "--compress")
        members = listed_members(cab)
        self.assertEqual([name for name, _ in members], [
            "APP~1.000", "data.000.bak", "README~1.002", "a/b/setup.xml", "_setup.xml"])
        self.assertEqual([size for _, size in members[:4]], [116, 5000, 9, 9])
        extract(cab, self.path("x"))
        self.assertEqual(read(self.path("x/a/b/setup.xml")), b"read me\r\n")
        generated = read(self.path("x/data.000.bak"))
        self.assertEqual(len(generated), 5000)
        self.assertGreater(len(set(generated)), 200)

    def test_compression_is_recorded_in_the_folder(self):
        # CFHEADER is 36 bytes without reserved space; the first CFFOLDER's
        # typeCompress follows its u32 offset and u16 block count.
        plain = read(self.make("--payload", "d.bin:40000"))
        self.assertEqual(struct.unpack_from("<H", plain, 42)[0], 0)
        packed = read(self.make("--payload", "d.bin:40000", "--compress"))
        self.assertEqual(struct.unpack_from("<H", packed, 42)[0], 1)

    def test_bad_arguments_are_refused(self):
        for args in (["--signature", "MSCEX"], ["--os-min", "four"],
                     ["--payload", "missing-file-and-no-size"], ["--no-header"]):
            result = run_tool(self.path("bad.cab"), *args)
            self.assertNotEqual(result.returncode, 0, args)
            self.assertFalse(os.path.exists(self.path("bad.cab")), args)


if __name__ == "__main__":
    unittest.main()
