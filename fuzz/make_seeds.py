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
            seeds.add("project_file", f.read().rstrip(b"\0") or b"\0")
        seeds.add("project_json", run(project_tool, "export", paw).stdout)
        subprocess.run([os.path.join(program, "zephyrkit"), "-silent", paw], capture_output=True)
        for package in glob.glob(os.path.join(document["outputFolder"], "**", "*.[[]MOBILE].exe"),
                                 recursive=True):
            with open(package, "rb") as f:
                data = f.read()[length:]
            seeds.add("package", data)
            at = 0
            while at + 4 <= len(data):
                (count,) = struct.unpack_from("<I", data, at)
                seeds.add("device_zip", data[at + 4:at + 4 + count])
                at += 4 + count


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
    # The short form, a full state, and a save cut between its two files.
    full = (b"zk-state 1\n2 1\nsequence 3\npackage 12345 1234abcd\ncabinets iw-\n"
            b"prefs 1 1 0 0 1\noverride Storage Card\\Apps\\\nlog \\Temp\\Zephyrkit.log\n")
    full += b"end %08x\n" % (zlib.crc32(full) & 0xFFFFFFFF)
    for seed in (b"2 3", b"1 0", full, full + b"\0" + full[:40], full[:30] + b"\0" + full):
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
    for target in sorted(os.listdir(out)):
        print(f"{target}: {len(os.listdir(os.path.join(out, target)))} seeds")


if __name__ == "__main__":
    main()
