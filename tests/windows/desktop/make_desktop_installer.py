"""Writes a desktop installer for the tests: the desktop stub, then one
section carrying a device installer made of a stand-in device stub and real
sections (SystemInfo, the project record, one cabinet)."""
import argparse
import io
import random
import struct
import zipfile

PROJECT_RECORD_SIZE = 339536
CABINET_COUNT_OFFSET = 2636  # Project.cabinetCount


def zip_of(name, data):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(name, data)
    return out.getvalue()


def section(data):
    return struct.pack("<I", len(data)) + data


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--stub", required=True)
    p.add_argument("--device-stub-length", type=int, required=True)
    p.add_argument("--title", default="Demo")
    p.add_argument("--company", default="Morvane")
    p.add_argument("--out", required=True)
    p.add_argument("--mobile-out", required=True)
    a = p.parse_args()

    record = bytearray(PROJECT_RECORD_SIZE)
    record[0:len(a.title)] = a.title.encode("cp1252")
    record[260:260 + len(a.company)] = a.company.encode("cp1252")
    struct.pack_into("<i", record, CABINET_COUNT_OFFSET, 1)
    cabinet = random.Random(5).randbytes(70000)
    mobile = b"MZ" + bytes(a.device_stub_length - 2)
    mobile += section(zip_of("SystemInfo.exe", b"MZ tool"))
    mobile += section(zip_of(a.title + ".paw", bytes(record)))
    mobile += section(zip_of("App.cab", cabinet))
    with open(a.mobile_out, "wb") as f:
        f.write(mobile)
    with open(a.stub, "rb") as f:
        stub = f.read()
    with open(a.out, "wb") as f:
        f.write(stub + section(mobile))


if __name__ == "__main__":
    main()
