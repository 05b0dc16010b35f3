"""What the Python tests read of the package layout, from its one home, the
sections of a package, and the program folder of stand-in build inputs they
build with."""
import io
import os
import shutil
import struct
import subprocess
import sys
import zipfile

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "common",
                      "package_layout.h")


def stub_length():
    """The length the build asks of the device stub (its first-section offset)."""
    with open(HEADER) as f:
        for line in f:
            if "MOBILE_STUB_FIRST_SECTION_OFFSET =" in line:
                return int(line.split("=")[1].strip(" ;\n"))
    raise RuntimeError("no MOBILE_STUB_FIRST_SECTION_OFFSET in " + HEADER)


def desktop_stub_length():
    """The length the build asks of the desktop stub."""
    with open(HEADER) as f:
        for line in f:
            if "DESKTOP_STUB_FIRST_SECTION_OFFSET =" in line:
                return int(line.split("=")[1].strip(" ;\n"))
    raise RuntimeError("no DESKTOP_STUB_FIRST_SECTION_OFFSET in " + HEADER)


def pe_image(length):
    """A whole Windows program image (PE32+, x86-64, one code section of a
    `ret`) padded with zeros to `length` bytes: a stand-in stub that
    Authenticode signing tools take, as they take the real stubs."""
    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, len(dos))  # e_lfanew
    coff = b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664, 1, 0, 0, 0, 240, 0x22)
    optional = struct.pack("<HBBIIIIIQIIHHHHHHIIIIHHQQQQII", 0x20B, 0, 0, 0x200, 0, 0, 0x1000,
                           0x1000, 0x140000000, 0x1000, 0x200, 6, 0, 0, 0, 6, 0, 0, 0x2000, 0x200,
                           0, 2, 0x8160, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16) + bytes(16 * 8)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0,
                          0x60000020)
    headers = bytes(dos) + coff + optional + section
    image = headers + bytes(0x200 - len(headers)) + b"\xc3" + bytes(0x1FF)
    if length < len(image):
        raise ValueError("a PE image is at least %d bytes" % len(image))
    return image + bytes(length - len(image))


def small_bitmap(width=2, height=2):
    """A whole 24-bit Windows bitmap, the smallest splash a build takes."""
    row = b"\x80" * (3 * width) + b"\0" * ((4 - 3 * width % 4) % 4)
    pixels = row * height
    return (struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0) +
            pixels)


def zip_holding(name, data, compression=zipfile.ZIP_DEFLATED):
    """The bytes of a zip archive whose one member `name` holds `data`."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", compression) as z:
        z.writestr(name, data)
    return buffer.getvalue()


def stand_in_program(folder, tools=(), mobile_stub=None, desktop_stub=b"MZ" + bytes(1000),
                     system_info=b"PK\x05\x06" + bytes(18)):
    """Makes `folder` a program folder the build runs from: each of `tools`
    copied in, beside stand-ins of the build inputs it reads there —
    MobileZephyrkit.exe (by default "MZ" and zeros, the length the build
    asks), DesktopZephyrkit.exe and SystemInfo.dat (by default an empty zip).
    Returns `folder`."""
    os.makedirs(folder, exist_ok=True)
    for tool in tools:
        shutil.copy(tool, folder)
    if mobile_stub is None:
        mobile_stub = b"MZ" + bytes(stub_length() - 2)
    for name, data in (("MobileZephyrkit.exe", mobile_stub), ("DesktopZephyrkit.exe", desktop_stub),
                       ("SystemInfo.dat", system_info)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return folder


def signed(program, table_bytes=1508, table_at=None):
    """What code signing does to `program`, without a signer: a PE32+ header
    in its first 0x140 bytes whose security directory points at a
    certificate table of `table_bytes` appended at the 8-byte boundary (or at
    `table_at`, for a signature that lies)."""
    data = bytearray(program)
    aligned = (len(data) + 7) // 8 * 8
    struct.pack_into("<2s", data, 0, b"MZ")
    struct.pack_into("<I", data, 0x3C, 0x40)
    struct.pack_into("<4sxxxxxxxxxxxxxxxxH", data, 0x40, b"PE\0\0", 0xF0)
    struct.pack_into("<H", data, 0x58, 0x20B)
    struct.pack_into("<I", data, 0x58 + 108, 16)
    struct.pack_into("<II", data, 0x58 + 112 + 32, table_at or aligned, table_bytes)
    return bytes(data) + bytes(aligned - len(data)) + b"C" * table_bytes


def sections_of(data, start=None):
    """(offset of the count, bytes) of each section of the package `data`
    from `start` on (the device stub's length when not given)."""
    found, at = [], stub_length() if start is None else start
    while at + 4 <= len(data):
        (n,) = struct.unpack_from("<I", data, at)
        found.append((at, data[at + 4:at + 4 + n]))
        at += 4 + n
    return found


class Workshop:
    """A folder to build in: a program folder of stand-in build inputs beside
    the given tools (stand_in_program's keywords), the documents a project may
    carry, a splash bitmap, and cabinets made with make_ce_cab.py."""

    def __init__(self, folder, make_ce_cab, tools, documents, **inputs):
        self.folder = folder
        self.make_ce_cab = make_ce_cab
        self.program = stand_in_program(os.path.join(folder, "program"), tools, **inputs)
        for name, text in documents.items():
            with open(self.path(name), "w") as f:
                f.write(text)
        with open(self.path("splash.bmp"), "wb") as f:
            f.write(small_bitmap())

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def cabinet(self, name, app, *extra, provider="Acme"):
        out = self.path(name)
        subprocess.run([sys.executable, self.make_ce_cab, out, "--app-name", app,
                        "--provider", provider, "--payload", f"{app.lower()}.exe:3000",
                        "--compress", *extra], check=True, capture_output=True)
        return out
