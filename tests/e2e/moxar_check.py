#!/usr/bin/env python3
"""Reads a moxar archive with Python's own zlib and checks it against the files it
came from: usage: moxar_check.py ARCHIVE SOURCE_DIR (members are looked up by name
in SOURCE_DIR). Prints "OK <members>" or the first problem, exit status 0 or 1."""
import binascii
import os
import struct
import sys
import zlib

ENTRY = 544


def fail(msg):
    print(msg)
    sys.exit(1)


def main(archive, source):
    data = open(archive, "rb").read()
    body, trailer = data[:-36], data[-36:]
    crc, count, one, reg_len, reg_off, flag = struct.unpack("<IiiiiB", trailer[:21])
    if binascii.crc32(body) != crc:
        fail("trailer crc mismatch")
    if one != 1 or trailer[21:] != bytes(15):
        fail("trailer constant or padding wrong")
    registry = body[reg_off:]
    if flag == 1:
        if len(registry) != reg_len:
            fail("registry length field wrong")
        registry = zlib.decompress(registry)
    if len(registry) != count * ENTRY:
        fail("registry size wrong")
    expected_offset = 0
    checked = 0
    for i in range(count):
        rec = registry[i * ENTRY:(i + 1) * ENTRY]
        name = rec[1:1 + rec[0]].decode("cp1252")
        size, stored_size, offset, member_crc = struct.unpack("<iiiI", rec[512:528])
        stored, level = rec[528], rec[529]
        if offset != expected_offset:
            fail(f"member {i} not back to back")
        expected_offset += stored_size
        raw = body[offset:offset + stored_size]
        content = raw if stored == 1 else zlib.decompress(raw)
        if stored == 1 and level != 0:
            fail(f"member {i} stored with a level")
        if len(content) != size or binascii.crc32(content) != member_crc:
            fail(f"member {i} size or crc wrong")
        if name.lower().startswith("moxarpwd"):
            if content != b" \r\n":
                fail("password entry contents wrong")
            continue
        original = open(os.path.join(source, name), "rb").read()
        if content != original:
            fail(f"member {name} differs from its file")
        checked += 1
    if expected_offset != reg_off:
        fail("data area does not end at the registry")
    print(f"OK {checked}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
