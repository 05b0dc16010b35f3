#!/usr/bin/env python3
"""Writes the zip archives the device zip-reader tests read.

make_zips.py KIND OUTPUT: KIND is one of
  dos      items made on an MS-DOS host with Windows attribute bytes
  hostile  names that try to climb out of the extract folder
  big      one 40000-byte deflated item
  unicode  one item with a non-ASCII UTF-8 name
"""
import sys
import zipfile


def entry(name, date_time=(2020, 1, 2, 3, 4, 6), attributes=0x20, system=0):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = system
    info.external_attr = attributes
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def dos(out):
    with zipfile.ZipFile(out, "w") as z:
        z.writestr(entry("plain.txt"), b"plain text\n")
        z.writestr(entry("readonly.txt", attributes=0x21), b"read only\n")
        z.writestr(entry("hidden.txt", attributes=0x22), b"hidden\n")
        z.writestr(entry("system.txt", attributes=0x24), b"system\n")
        z.writestr(entry("folder/", attributes=0x10), b"")
        z.writestr(entry("folder/inner.txt"), b"inner\n")


HOSTILE_NAMES = [
    "../x1.txt",
    "a/../../x2.txt",
    "..\\x3.txt",
    "../../x4.txt",
    "\\x5.txt",
    "/x6.txt",
    "C:x7.txt",
    "C:\\a\\..\\x8.txt",
    "./\\x9.txt",
    "sub/../../../x10.txt",
    ".. /x11.txt",
    "C:/../x12.txt",
    "a/./b/../../../x13.txt",
    "..",
    "...\\x14.txt",
    "d/..",
]


def hostile(out):
    with zipfile.ZipFile(out, "w") as z:
        for number, name in enumerate(HOSTILE_NAMES):
            info = entry("placeholder")
            info.filename = name  # as stored, without zipfile's own clean-up
            z.writestr(info, ("item %d\n" % number).encode())


def big(out):
    data = bytes((i * 7 + i // 251) & 0xFF for i in range(40000))
    with zipfile.ZipFile(out, "w") as z:
        z.writestr(entry("big.bin"), data)


def unicode(out):
    with zipfile.ZipFile(out, "w") as z:
        z.writestr(entry("Gr\u00fc\u00dfe-\U0001F600.txt"), b"hello\n")


if __name__ == "__main__":
    {"dos": dos, "hostile": hostile, "big": big, "unicode": unicode}[sys.argv[1]](sys.argv[2])
