#!/usr/bin/env python3
"""Prints the fields of every member of a zip archive, as Python's zipfile
reads them, one 'key=value' line each, so tests can compare against an
independent reader. The local header's extra field is read from the raw bytes,
since zipfile only exposes the central one."""
import struct
import sys
import zipfile


def main(path):
    with open(path, "rb") as f:
        raw = f.read()
    with zipfile.ZipFile(path) as z:
        infos = z.infolist()
        print(f"count={len(infos)}")
        for i, info in enumerate(infos):
            p = f"m{i}."
            print(f"{p}name={info.filename}")
            print(f"{p}flags={info.flag_bits:#06x}")
            print(f"{p}method={info.compress_type}")
            print(f"{p}made_by={info.create_system << 8 | info.create_version:#06x}")
            print(f"{p}needed={info.extract_version}")
            print(f"{p}crc={info.CRC:#010x}")
            print(f"{p}compressed={info.compress_size}")
            print(f"{p}size={info.file_size}")
            print(f"{p}external={info.external_attr:#010x}")
            print(f"{p}offset={info.header_offset}")
            print(f"{p}date_time={'-'.join(str(x) for x in info.date_time)}")
            print(f"{p}central_extra={info.extra.hex()}")
            o = info.header_offset
            name_len, extra_len = struct.unpack_from("<HH", raw, o + 26)
            local_extra = raw[o + 30 + name_len:o + 30 + name_len + extra_len]
            print(f"{p}local_extra={local_extra.hex()}")
            print(f"{p}local_flags={struct.unpack_from('<H', raw, o + 6)[0]:#06x}")
            print(f"{p}data_ok={int(z.read(info.filename) is not None)}")


if __name__ == "__main__":
    main(sys.argv[1])
