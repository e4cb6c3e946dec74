#!/usr/bin/env python3
"""Writes the datafile fuzzer's seed corpus: small datafiles of every kind the game reads,
laid out as the dat tool writes them (unpacked, each object with its name).

    make_datafile_seeds.py [SOURCE_DIR]    rewrites tests/fuzz/corpus/datafile
"""
import shutil
import struct
import sys
from pathlib import Path

SOURCE = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
FOLDER = SOURCE / "tests" / "fuzz" / "corpus" / "datafile"
TRACKS = 32

# Entry sizes of sprites.dat, in entry order.
SPRITE_SIZES = [(16, 16)] * 5 + [(3, 6), (2, 6)] + [(16, 16)] * 5 + [(32, 32)] * 2


def be16(value):
    return struct.pack(">h", value)


def be32(value):
    return struct.pack(">i", value)


def le16(value):
    return struct.pack("<H", value)


def le32(value):
    return struct.pack("<I", value)


def patch(length, loop_start, loop_end, sixteen_bit):
    """An instrument patch of one sample, laid out as a Gravis patch file."""
    header = b"GF1PATCH110\0ID#000002\0" + bytes(65) + le16(127) + bytes(109) + b"\x01" + bytes(40)
    sample = (b"sample\0\0" + le32(length) + le32(loop_start) + le32(loop_end) + le16(22050)
              + le32(8000) + le32(12000) + le32(261626) + le16(0) + b"\x07" + bytes(18)
              + bytes([1 if sixteen_bit else 0]) + le16(60) + le16(1024) + bytes(36))
    return header + sample + bytes(i & 0xFF for i in range(length))


INDEX = b"# instruments\n1 piano\n129-256 begin_multipatch default blank\n36 kick\nend_multipatch\n"


def obj(kind, data, name):
    prop = b"prop" + b"NAME" + be32(len(name)) + name.encode()
    return prop + kind + be32(len(data)) + be32(len(data)) + data


def datafile(objects):
    return b"slh." + b"ALL." + be32(len(objects)) + b"".join(objects)


def picture(depth, width, height, pixel_bytes):
    pixels = bytes((x * 37 + 11) & 0xFF for x in range(width * height * pixel_bytes))
    return be16(depth) + be16(width) + be16(height) + pixels


def sound(bits, rate, length):
    channels = 2 if bits < 0 else 1
    size = length * channels * (abs(bits) // 8)
    return be16(bits) + struct.pack(">H", rate) + be32(length) + bytes(i & 0xFF for i in range(size))


def tune(tracks, division=96):
    data = struct.pack(">H", division)
    for index in range(TRACKS):
        track = tracks[index] if index < len(tracks) else b""
        data += be32(len(track)) + track
    return data


END = b"\x00\xff\x2f\x00"
CONDUCTOR = b"\x00\xff\x51\x03\x07\xa1\x20" + b"\x00\xff\x03\x04tune" + b"\x60" + END[1:]
MELODY = (b"\x00\xc0\x49" + b"\x00\xb0\x07\x64" + b"\x00\x90\x3c\x40" + b"\x30\x3c\x00"
          + b"\x00\xe0\x00\x40" + b"\x00\xf0\x03\x7e\x7f\xf7" + b"\x00\x99\x24\x50"
          + b"\x30\x89\x24\x00" + END)


def seeds():
    sprites = [obj(b"BMP ", picture(16, w, h, 2), f"{i:02d}_SPRITE_BMP")
               for i, (w, h) in enumerate(SPRITE_SIZES)]
    sounds = [obj(b"SAMP", sound(16, 22050, 24 + i), f"{i:02d}_SOUND_WAV") for i in range(5)]
    tunes = [obj(b"MIDI", tune([CONDUCTOR, MELODY][: 1 + i % 2] if i else [MELODY]),
                 f"{i:02d}_TUNE_MID") for i in range(4)]
    return {
        "sprites.dat": datafile(sprites),
        "sounds.dat": datafile(sounds),
        "music.dat": datafile(tunes),
        "pictures_of_other_depths.dat": datafile([
            obj(b"BMP ", picture(8, 4, 4, 1), "EIGHT"),
            obj(b"BMP ", picture(15, 4, 4, 2), "FIFTEEN"),
            obj(b"BMP ", picture(24, 4, 4, 3), "TWENTY_FOUR"),
            obj(b"BMP ", picture(32, 4, 4, 3), "THIRTY_TWO"),
            obj(b"BMP ", picture(-32, 4, 4, 4), "WITH_ALPHA")]),
        "sounds_of_other_kinds.dat": datafile([
            obj(b"SAMP", sound(8, 11025, 40), "EIGHT_BIT"),
            obj(b"SAMP", sound(-8, 8000, 20), "EIGHT_BIT_STEREO"),
            obj(b"SAMP", sound(-16, 44100, 10), "STEREO")]),
        "every_kind.dat": datafile([
            obj(b"BMP ", picture(16, 2, 6, 2), "BULLET"),
            obj(b"SAMP", sound(16, 22050, 8), "BEEP"),
            obj(b"MIDI", tune([MELODY, CONDUCTOR]), "TUNE"),
            obj(b"DATA", b"plain bytes", "DATA"),
            obj(b"info", b"grabber notes", "INFO"),
            obj(b"FONT", be16(8) + bytes(95 * 8), "OLD_FONT")]),
        "empty.dat": datafile([]),
        "patches.dat": datafile([
            obj(b"DATA", INDEX, "default_cfg"),
            obj(b"PAT ", patch(64, 8, 60, False), "piano"),
            obj(b"PAT ", patch(48, 0, 48, True), "kick")]),
    }


def main():
    shutil.rmtree(FOLDER, ignore_errors=True)
    FOLDER.mkdir(parents=True)
    for name, data in seeds().items():
        (FOLDER / name).write_bytes(data)
    print(f"seeds written under {FOLDER}")


if __name__ == "__main__":
    main()
