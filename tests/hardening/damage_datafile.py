#!/usr/bin/env python3
"""Writes a copy of an unpacked datafile with bytes of one object's data changed, as a damaged
disk or a careless edit would leave it.

    damage_datafile.py SOURCE OUT ENTRY EDIT...

Each EDIT is OFFSET:WIDTH=VALUE, a big-endian number of WIDTH bytes written OFFSET bytes into
the data of object ENTRY (counted from 0, properties skipped), or OFFSET:junk=COUNT, COUNT
bytes of fixed junk written there. The game's datafiles are stored unpacked ("slh." magic),
so their objects can be found and changed in place.
"""
import struct
import sys

UNPACKED_MAGIC = b"slh."
DATAFILE_MAGIC = b"ALL."
PROPERTY = b"prop"


def data_offset(data, entry):
    """Where the bytes of object `entry` start in the file, and how many it stores."""
    if data[:4] != UNPACKED_MAGIC or data[4:8] != DATAFILE_MAGIC:
        sys.exit("damage_datafile: not an unpacked datafile")
    count = struct.unpack(">i", data[8:12])[0]
    at = 12
    for index in range(count):
        while data[at:at + 4] == PROPERTY:
            size = struct.unpack(">i", data[at + 8:at + 12])[0]
            at += 12 + size
        stored = struct.unpack(">i", data[at + 8:at + 12])[0]
        if index == entry:
            return at + 12, stored
        at += 12 + stored
    sys.exit(f"damage_datafile: no object {entry}")


def junk(count):
    """The same bytes on every run, in no pattern a reader could mistake for sense."""
    return bytes((index * 167 + 13) & 0xFF for index in range(count))


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    source, out, entry = sys.argv[1], sys.argv[2], int(sys.argv[3])
    data = bytearray(open(source, "rb").read())
    start, stored = data_offset(data, entry)
    for edit in sys.argv[4:]:
        where, value = edit.split("=")
        offset, width = where.split(":")
        offset = int(offset, 0)
        if width == "junk":
            new = junk(int(value, 0))
        else:
            new = int(value, 0).to_bytes(int(width), "big", signed=int(value, 0) < 0)
        if offset + len(new) > stored:
            sys.exit(f"damage_datafile: {edit} runs past object {entry}")
        data[start + offset:start + offset + len(new)] = new
    open(out, "wb").write(data)


if __name__ == "__main__":
    main()
