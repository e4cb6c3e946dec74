#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: good files and the damaged forms a player's copy could take.

    make_seeds.py [SOURCE_DIR]    rewrites tests/fuzz/corpus/level and corpus/highscores
"""
import random
import shutil
import sys
from pathlib import Path

SOURCE = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
CORPUS = SOURCE / "tests" / "fuzz" / "corpus"
JUNK_SEED = 20261207  # the binary junk is the same on every run


def level(count, this, nxt, entries, end="\n"):
    lines = [str(count), this, nxt] + [" ".join(str(n) for n in e) for e in entries]
    return (end.join(lines) + end).encode()


def level_seeds():
    first = (SOURCE / "data" / "levels" / "level1.qlv").read_bytes()
    two = [(0, 1, 5, 7), (30, 4, 12, -3)]
    full = [(i % 90, i % 14, 1 + i % 12, i) for i in range(200)]
    rng = random.Random(JUNK_SEED)
    return {
        "campaign_level1.qlv": first,
        "crlf.qlv": first.replace(b"\n", b"\r\n"),
        "one_line.qlv": first.replace(b"\n", b" "),
        "tabs_and_blank_lines.qlv": first.replace(b" ", b"\t").replace(b"\n", b"\n\n"),
        "truncated_mid_entry.qlv": first[: len(first) // 2],
        "truncated_in_name.qlv": first[:12],
        "empty.qlv": b"",
        "only_whitespace.qlv": b" \r\n\t\n",
        "zero_enemies.qlv": level(0, "levels\\a.qlv", "levels\\b.qlv", []),
        "two_enemies_trailing_text.qlv": level(2, "a", "b", two) + b"extra words 1 2 3\n",
        "full_200.qlv": level(200, "levels\\full.qlv", "levels\\full.qlv", full),
        "count_201.qlv": level(201, "a", "b", full + [(1, 1, 1, 1)]),
        "huge_count.qlv": level(2147483647, "a", "b", two),
        "count_overflows_int.qlv": b"99999999999 a b\n0 1 5 0\n",
        "negative_count.qlv": level(-1, "a", "b", two),
        "count_claims_more_than_given.qlv": level(5, "a", "b", two),
        "signed_numbers.qlv": b"+2 a b\n+0 +1 +5 -0\n-30 +4 +12 -2147483648\n",
        "name_255.qlv": level(1, "n" * 255, "b", two[:1]),
        "name_256.qlv": level(1, "a", "n" * 256, two[:1]),
        "name_huge.qlv": level(1, "x" * 5000, "b", two[:1]),
        "names_missing.qlv": b"1",
        "word_for_count.qlv": b"two a b\n0 1 5 0\n",
        "word_for_pattern.qlv": b"1 a b\n0 1 five 0\n",
        "decimal_delay.qlv": b"1 a b\n1.5 1 5 0\n",
        "junk_after_sprite.qlv": b"1 a b\n0 12x 5 0\n",
        "byte_order_mark.qlv": b"\xef\xbb\xbf" + first,
        "half_byte_order_mark.qlv": b"\xef\xbb" + first,
        "sprite_14.qlv": level(1, "a", "b", [(0, 14, 5, 0)]),
        "sprite_negative.qlv": level(1, "a", "b", [(0, -1, 5, 0)]),
        "pattern_0.qlv": level(1, "a", "b", [(0, 1, 0, 0)]),
        "pattern_13.qlv": level(1, "a", "b", [(0, 1, 13, 0)]),
        "nul_bytes.qlv": b"1 a\0b c\n0 1 5 0\n",
        "binary_junk.qlv": bytes(rng.randrange(256) for _ in range(300)),
        "utf8_names.qlv": level(1, "niveau\u00e9.qlv", "\u9053.qlv", two[:1]),
    }


def scores(entries, end="\n"):
    return "".join(f"{name}{end}{score}{end}" for name, score in entries).encode()


def score_seeds():
    blank = [("Empty", 0)] * 10
    ranked = [(f"P{i}", 1000 - 100 * i) for i in range(10)]
    rng = random.Random(JUNK_SEED + 1)
    canonical = scores(ranked)
    return {
        "blank.sco": scores(blank),
        "ranked.sco": canonical,
        "crlf.sco": scores(ranked, "\r\n"),
        "spaces_and_blank_lines.sco": canonical.replace(b"\n", b" \n\n\t"),
        "truncated_mid_name.sco": canonical[:23],
        "truncated_after_name.sco": canonical[:3],
        "nine_entries.sco": scores(ranked[:9]),
        "eleven_entries.sco": scores(ranked + [("Extra", 5)]),
        "empty.sco": b"",
        "name_255.sco": scores([("N" * 255, 9)] + ranked[1:]),
        "name_256.sco": scores([("N" * 256, 9)] + ranked[1:]),
        "name_cut_in_a_character.sco": scores([("N" * 254 + "\u00e9" * 3, 9)] + ranked[1:]),
        "name_huge.sco": scores([("N" * 4000, 9)] + ranked[1:]),
        "score_word.sco": scores([("ACE", "lots")] + ranked[1:]),
        "score_junk_after_digits.sco": scores([("ACE", "6000x"), ("B", "1.5")] + ranked[2:]),
        "score_overflow.sco": scores([("ACE", 2147483648), ("B", "-99999999999999999999")] + ranked[2:]),
        "score_limits.sco": scores([("Max", 2147483647), ("Min", -2147483648)] + ranked[2:]),
        "score_signs_and_zeros.sco": scores([("A", "+0007"), ("B", "-0"), ("C", "--1")] + ranked[3:]),
        "spaced_names_in_line_pairs.sco": scores([("Ann Lee", 50), ("J\tR\rR", 40)] + ranked[2:]),
        "utf8_names.sco": scores([("J\u00f6rg", 50), ("\u98db\u884c\u58eb", 40)] + ranked[2:]),
        "huge_gap.sco": b"ACE" + b" " * 2000 + b"10\n" + canonical,
        "byte_order_mark.sco": b"\xef\xbb\xbf" + canonical,
        "out_of_order.sco": scores(list(reversed(ranked))),
        "nul_then_name.sco": canonical + b"\0new name with spaces",
        "nul_then_long_name.sco": canonical + b"\0" + b"\xc3\xa9" * 40,
        "binary_junk.sco": bytes(rng.randrange(256) for _ in range(300)),
    }


def write(folder, seeds):
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


write(CORPUS / "level", level_seeds())
write(CORPUS / "highscores", score_seeds())
print(f"seeds written under {CORPUS}")
