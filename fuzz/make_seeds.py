#!/usr/bin/env python3
"""Makes the fuzz targets' seed corpora from what the project itself builds.

    make_seeds.py HOST_BUILD OUT

HOST_BUILD is a host build folder with zephyrkit and zephyrkit-project built;
OUT receives one folder per target. Nothing here comes from elsewhere:
cabinets are made by tools/make_ce_cab.py (gcab), their set-up members taken
out by cabextract, projects made and exported by zephyrkit-project, packages
built by zephyrkit -silent over a stand-in device stub, and the device-facts
records written field by field. The real cabinets beside the repository
(../shared/testdata/cabs) join when present.
"""

import glob
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))
from package_layout import stub_length  # noqa: E402

MAKE_CE_CAB = os.path.join(SOURCE, "tools", "make_ce_cab.py")
REAL_CABS = os.path.join(SOURCE, "..", "shared", "testdata", "cabs")
# Seeds larger than this slow every run of the target more than they help.
LARGEST_SEED = 1 << 20


class Seeds:
    def __init__(self, out):
        self.out = out

    def add(self, target, data):
        if len(data) > LARGEST_SEED:
            return
        folder = os.path.join(self.out, target)
        os.makedirs(folder, exist_ok=True)
        name = hashlib.sha1(data).hexdigest()
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    def add_file(self, target, path):
        with open(path, "rb") as f:
            self.add(target, f.read())


def run(*args, **kwargs):
    return subprocess.run(list(args), check=True, capture_output=True, **kwargs)


def cabinets(work):
    variants = [
        ["--app-name", "Viewer", "--provider", "Acme", "--os-min", "4.20", "--os-max", "5.1"],
        ["--app-name", "Player", "--provider", "Morvane", "--compress", "--payload", "player.exe:3000"],
        ["--app-name", "Notes", "--xml-only", "--os-min", "5.0"],
        ["--app-name", "Both", "--xml", "--signature", "CE4+", "--os-min", "3.1", "--os-max", "4.2"],
        ["--app-name", "Short", "--header-size", "60"],
        ["--app-name", "A" * 70, "--provider", "B" * 70],
        ["--no-header", "--payload", "data.bin:200"],
    ]
    made = []
    for i, extra in enumerate(variants):
        out = os.path.join(work, f"fixture{i}.cab")
        run(sys.executable, MAKE_CE_CAB, out, *extra)
        made.append(out)
    if os.path.isdir(REAL_CABS):
        made += sorted(p for p in glob.glob(os.path.join(REAL_CABS, "*"))
                       if p.lower().endswith(".cab"))
    return made


def cabinet_seeds(seeds, work):
    for cab in cabinets(work):
        seeds.add_file("cabinet_members", cab)
        members = os.path.join(work, "members", os.path.basename(cab))
        os.makedirs(members, exist_ok=True)
        if subprocess.run(["cabextract", "-q", "-d", members, cab], capture_output=True).returncode:
            continue
        for root, _, files in os.walk(members):
            for name in files:
                path = os.path.join(root, name)
                if name.lower().endswith(".000"):
                    seeds.add_file("setup_header", path)
                elif name.lower().endswith(".xml"):
                    seeds.add_file("setup_xml", path)


FLAG_FIELDS = ["forPocketPC", "forSmartphone", "forOs2002", "forOs2003", "forOs2003SE",
               "forOs2005", "forTI", "forIntel", "forSamsung"]


def project_document(work, title, cabs, eula, readme, splash):
    document = {"title": title, "company": "Morvane", "outputFolder": os.path.join(work, "out", title),
                "eulaEnabled": eula, "eulaPath": os.path.join(work, "eula.htm") if eula else "",
                "readmeEnabled": readme, "readmePath": os.path.join(work, "readme.txt") if readme else "",
                "splashEnabled": splash, "splashPath": os.path.join(work, "splash.bmp") if splash else "",
                "saveProjectFile": True, "addDateToPath": False, "addTitleSubfolder": True,
                "osFilterOn": True, "filterOs2003SE": True, "cabinets": []}
    for i, cab in enumerate(cabs):
        entry = {"path": cab, "fileName": os.path.basename(cab), "appName": f"App{i}",
                 "provider": "Acme"}
        for j, field in enumerate(FLAG_FIELDS):
            entry[field] = (i + j) % 3 != 0
        entry["forPocketPC"] = entry["forOs2003SE"] = entry["forIntel"] = i % 2 == 0
        document["cabinets"].append(entry)
    return document


def project_and_package_seeds(seeds, work, host):
    project_tool = os.path.join(host, "wizard", "ui", "zephyrkit-project")
    program = os.path.join(work, "program")
    os.makedirs(program)
    shutil.copy(os.path.join(host, "wizard", "ui", "zephyrkit"), program)
    length = stub_length()
    with open(os.path.join(program, "MobileZephyrkit.exe"), "wb") as f:
        f.write(b"MZ" + bytes(length - 2))
    with open(os.path.join(program, "DesktopZephyrkit.exe"), "wb") as f:
        f.write(b"MZ desktop stand-in" + bytes(500))
    with zipfile.ZipFile(os.path.join(program, "SystemInfo.dat"), "w") as z:
        z.writestr("SystemInfo.exe", b"MZ system information tool stand-in")
    for name, text in [("eula.htm", "<html>EULA</html>"), ("readme.txt", "Read me"),
                       ("splash.bmp", "BM splash")]:
        with open(os.path.join(work, name), "w") as f:
            f.write(text)
    fixtures = sorted(glob.glob(os.path.join(work, "fixture*.cab")))[:3]
    shapes = [([], False, False, False), (fixtures[:1], True, False, False),
              (fixtures, True, True, True), (fixtures[1:], False, True, False)]
    for n, (cabs, eula, readme, splash) in enumerate(shapes):
        title = f"Demo{n}"
        paw = os.path.join(work, f"{title}.paw")
        document = project_document(work, title, cabs, eula, readme, splash)
        os.makedirs(document["outputFolder"], exist_ok=True)
        run(project_tool, "import", paw, input=json.dumps(document).encode())
        # Without the unused cabinet slots: the target lays the input over a
        # record of zeros.
        with open(paw, "rb") as f:
            cut = f.read().rstrip(b"\0") or b"\0"
        seeds.add("project_file", cut)
        # A last byte of 0x40: check, with the files the project names there.
        seeds.add("project_file", cut + b"\x40")
        seeds.add("project_json", run(project_tool, "export", paw).stdout)
        subprocess.run([os.path.join(program, "zephyrkit"), "-silent", paw], capture_output=True)
        for package in glob.glob(os.path.join(document["outputFolder"], "**", "*.[[]MOBILE].exe"),
                                 recursive=True):
            with open(package, "rb") as f:
                data = f.read()[length:]
            # The first byte sets the device: as it comes, installing with
            # the debug log, and reset in the middle of an installation.
            for device in (b"\x00", b"\x03", b"\x0a", b"\x14"):
                seeds.add("package", device + data)
            at = 0
            starts = []
            while at + 4 <= len(data):
                (count,) = struct.unpack_from("<I", data, at)
                seeds.add("device_zip", data[at + 4:at + 4 + count])
                at += 4 + count
                starts.append(at)
            # After the system-information and the project sections.
            if len(starts) >= 2:
                shape = bytes([splash | eula << 1 | readme << 2 | len(cabs) << 3])
                image = b"MZ" + bytes(PACKAGE_CHECK_SECTIONS_AT - 2) + data[starts[1]:]
                seeds.add("package_check", shape + image)
                seeds.add("package_check", shape + signed_program(image))


# Where the package_check target's sections begin: the bytes before stand
# for the stub and its PE header.
PACKAGE_CHECK_SECTIONS_AT = 0x140


def signed_program(program, table_bytes=1508):
    """The program made a PE32+ image that code signing has appended a
    certificate table to, at the 8-byte boundary after its last byte."""
    pe, optional = 0x40, 0x40 + 24
    image = bytearray(program)
    image[0x3C:0x40] = struct.pack("<I", pe)
    image[pe:pe + 4] = b"PE\0\0"
    image[pe + 20:pe + 22] = struct.pack("<H", 0xF0)
    image[optional:optional + 2] = struct.pack("<H", 0x20B)
    image[optional + 108:optional + 112] = struct.pack("<I", 16)
    aligned = (len(image) + 7) // 8 * 8
    image[optional + 144:optional + 152] = struct.pack("<II", aligned, table_bytes)
    return bytes(image) + bytes(aligned - len(image)) + b"C" * table_bytes


def request_path_seeds(seeds):
    for target in ["/", "/Demo.%5BMOBILE%5D.exe", "/a%20b.exe?x=1#top", "/Apps/Viewer.cab",
                   "/..%2f..%2fetc/passwd", "/%2e%2e/x", "//x", "/.htaccess", "/Demo.exe.partial",
                   "/C%3a%5cWindows", "/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q", "Demo.exe", "/x/"]:
        seeds.add("request_path", target.encode())


def zip_seeds(seeds, work):
    if shutil.which("zip"):
        member = os.path.join(work, "secret.txt")
        with open(member, "w") as f:
            f.write("installed on the device\n" * 20)
        for extra, name in [(["-P", "zephyr"], "locked.zip"), (["-0"], "stored.zip")]:
            out = os.path.join(work, name)
            run("zip", "-q", "-j", *extra, out, member, cwd=work)
            seeds.add_file("device_zip", out)
    out = os.path.join(work, "folders.zip")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("Sub/", b"")
        z.writestr("Sub/Deeper/file.txt", b"below a folder")
        z.writestr("Readme.txt", b"x" * 3000)
    seeds.add_file("device_zip", out)


def text16(text, units):
    encoded = text.encode("utf-16-le")[:2 * (units - 1)]
    return encoded + bytes(2 * units - len(encoded))


def system_info_seeds(seeds):
    facts = [(4, 21, (0, 0, 1, 0), "PocketPC", (1, 0), "ARMV4I", "PXA255", "Intel", (1, 0, 0)),
             (5, 1, (0, 0, 0, 1), "SmartPhone", (0, 1), "ARM926EJ-S", "OMAP730", "TI", (0, 1, 0)),
             (3, 0, (1, 0, 0, 0), "PocketPC", (1, 0), "ARM920T", "S3C2440", "Samsung", (0, 0, 1))]
    for major, minor, os_flags, platform, kind, core, name, vendor, family in facts:
        record = struct.pack("<ii4B", major, minor, *os_flags) + text16(platform, 64)
        record += struct.pack("<2B", *kind) + text16(core, 40) + text16(name, 40)
        record += text16(vendor, 100) + bytes(2) + struct.pack("<I", 400) + struct.pack("<4B", *family, 0)
        assert len(record) == 512, len(record)
        seeds.add("system_info", record)
    seeds.add("system_info", bytes(100))


def state_file_seeds(seeds):
    # The first byte seals the main file (bit 0) and the second (bit 1).
    def body(sequence, letters=b"iw-"):
        return (b"zk-state 1\n2 1\nsequence %d\npackage 12345 1234abcd\ncabinets %s\n"
                b"prefs 1 1 0 0 1\noverride Storage Card\\Apps\\\nlog \\Temp\\Zephyrkit.log\n"
                % (sequence, letters))

    def sealed(text):
        return text + b"end %08x\n" % (zlib.crc32(text) & 0xFFFFFFFF)

    full = sealed(body(3))
    # The short form, a full state, a save cut in either file, the second
    # file newer or alone, and a state of another package.
    for seed in (b"\0" + b"2 3", b"\0" + b"1 0", b"\0" + full, b"\0" + full + b"\0" + full[:40],
                 b"\0" + full[:30] + b"\0" + full, b"\3" + body(3) + b"\0" + body(4, b"ii-"),
                 b"\2" + b"\0" + body(1, b"f"), b"\1" + body(7, b"") + b"\0" + b"2 0",
                 b"\1" + body(2).replace(b"12345", b"99")):
        seeds.add("state_file", seed)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    host, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    shutil.rmtree(out, ignore_errors=True)
    seeds = Seeds(out)
    with tempfile.TemporaryDirectory() as work:
        cabinet_seeds(seeds, work)
        project_and_package_seeds(seeds, work, host)
        zip_seeds(seeds, work)
    system_info_seeds(seeds)
    state_file_seeds(seeds)
    request_path_seeds(seeds)
    for target in sorted(os.listdir(out)):
        print(f"{target}: {len(os.listdir(os.path.join(out, target)))} seeds")


if __name__ == "__main__":
    main()
