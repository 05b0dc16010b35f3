"""What the Python tests read of the package layout, from its one home."""
import os

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
