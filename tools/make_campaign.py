#!/usr/bin/env python3
"""Writes the campaign's level files, data/levels/level1.qlv to level12.qlv.

Edit the waves below and run this script to rewrite the files; `--check` only
compares the committed files with what it would write. Run the level checker
afterwards (build/tools/level_checker --campaign build/run) to see each
level's enemies and timing.

A level file holds the enemy count, the file a lost life restarts (the level
itself), the file that follows, then one line per enemy in spawn order:
delay, picture, pattern and a fourth number the game ignores, used here for
the wave the enemy belongs to. The delay of an enemy is the wait after the
enemy before it: the countdown loses 1.5 per tick, so a delay of 3t/2 waits
t ticks, and a delay of 0 enters in the very next frame, together with it.
"""

import sys
from pathlib import Path

LEVELS_DIR = Path(__file__).resolve().parent.parent / "data" / "levels"
MAX_ENEMIES = 200

# One picture per kind of flight, so that a player learns to read them:
# scouts dive slowly and run along the top, hooks dive and climb back,
# drifters swing across the screen while sinking, raiders are the fast divers
# and runners, hunters swing fast.
SCOUT, HOOK, DRIFTER, RAIDER, HUNTER = range(5)
PICTURE_OF_PATTERN = {
    5: SCOUT, 7: SCOUT,
    9: HOOK, 11: HOOK,
    1: DRIFTER, 3: DRIFTER,
    6: RAIDER, 8: RAIDER, 10: RAIDER, 12: RAIDER,
    2: HUNTER, 4: HUNTER,
}


def delay_for(ticks):
    """The delay that spawns an enemy `ticks` ticks after the one before it."""
    assert ticks == 0 or (ticks > 0 and ticks % 2 == 0), "use 0 or an even number of ticks"
    return ticks * 3 // 2


# ---- Waves: each is a list of (ticks after the previous enemy, pattern) ------
# The first enemy's wait is replaced by the pause before the wave.

def line(pattern, count, gap):
    """Enemies of one pattern following each other `gap` ticks apart."""
    return [(gap, pattern)] * count


def pincer(left, right, pairs, gap):
    """Pairs from both corners at once, the pairs `gap` ticks apart."""
    wave = []
    for _ in range(pairs):
        wave += [(gap, left), (0, right)]
    return wave


def squad(patterns, times, gap):
    """Several patterns entering together, repeated `times` times `gap` ticks apart."""
    wave = []
    for _ in range(times):
        wave += [(gap, patterns[0])] + [(0, p) for p in patterns[1:]]
    return wave


def level(pause, *waves):
    """A level: its waves, each after `pause` ticks of quiet."""
    entries = []
    for number, wave in enumerate(waves, start=1):
        for i, (gap, pattern) in enumerate(wave):
            wait = gap if i > 0 else pause if entries else 0  # the first enemy waits for nothing
            entries.append((delay_for(wait), PICTURE_OF_PATTERN[pattern], pattern, number))
    return entries


CORNERS = [5, 6, 7, 8]       # both corners, slow and fast runners
HOOKS = [9, 10, 11, 12]      # both corners, slow and fast hooks
SWINGERS = [1, 2, 3, 4]      # every bouncer at once
SLOW_MIX = [5, 7, 9, 11]
FAST_MIX = [6, 8, 10, 12]

CAMPAIGN = [
    # 1: scouts and hooks only, one at a time or in pairs, long pauses.
    level(180,
          line(5, 3, 50), line(7, 3, 50), pincer(5, 7, 2, 70), pincer(9, 11, 2, 70)),
    # 2: the first drifters, which must be shot before they sink onto the ship.
    level(200,
          line(5, 4, 36), line(7, 4, 36), line(1, 2, 60), pincer(9, 11, 3, 50),
          line(3, 2, 60), pincer(5, 7, 3, 40), pincer(9, 11, 2, 30)),
    # 3: raiders running fast along the top.
    level(170,
          pincer(5, 7, 3, 36), line(6, 5, 14), line(8, 5, 14), line(1, 3, 40),
          pincer(9, 11, 3, 40), pincer(6, 8, 4, 20), line(3, 3, 40), pincer(5, 7, 2, 30)),
    # 4: fast hooks that drop in the middle of the screen.
    level(160,
          line(10, 4, 14), line(12, 4, 14), pincer(5, 7, 4, 30), line(1, 2, 40),
          squad(HOOKS, 2, 40), pincer(6, 8, 4, 16), line(3, 4, 30), pincer(10, 12, 4, 20),
          pincer(9, 11, 3, 30)),
    # 5: hunters, and every corner at once.
    level(150,
          line(2, 3, 30), line(4, 3, 30), squad(CORNERS, 3, 50), pincer(10, 12, 4, 16),
          pincer(1, 3, 3, 40), line(6, 6, 12), line(8, 6, 12), squad(HOOKS, 2, 40),
          pincer(2, 4, 2, 40), pincer(5, 7, 4, 24)),
    # 6: mixed squads.
    level(170,
          squad(SLOW_MIX, 3, 40), line(6, 8, 10), line(8, 8, 10), squad(SWINGERS, 1, 0),
          pincer(1, 3, 2, 40), squad(FAST_MIX, 3, 30), pincer(2, 4, 3, 30),
          pincer(9, 11, 6, 30), line(10, 6, 10), line(12, 6, 10)),
    # 7: longer streams from both sides.
    level(140,
          pincer(5, 7, 6, 24), squad(HOOKS, 3, 40), pincer(1, 3, 3, 40), pincer(6, 8, 6, 14),
          squad(CORNERS, 3, 36), pincer(2, 4, 3, 36), pincer(10, 12, 6, 16),
          squad(SLOW_MIX, 2, 36), line(9, 6, 24), line(11, 6, 24)),
    # 8: the swingers come in force.
    level(110,
          squad(FAST_MIX, 4, 36), squad(SWINGERS, 2, 80), pincer(5, 7, 6, 18),
          pincer(9, 11, 6, 18), squad(CORNERS, 4, 30), pincer(2, 4, 3, 36),
          pincer(10, 12, 6, 16), squad(HOOKS, 3, 30), pincer(6, 8, 6, 14)),
    # 9: runners, hooks and drifters in turn.
    level(120,
          pincer(6, 8, 8, 14), squad(SLOW_MIX, 4, 30), pincer(1, 3, 4, 36), squad(HOOKS, 4, 30),
          pincer(5, 7, 6, 20), squad(SWINGERS, 2, 70), pincer(10, 12, 6, 14),
          squad(CORNERS, 4, 30), pincer(9, 11, 4, 20), squad(FAST_MIX, 2, 24)),
    # 10: dense streams and squads.
    level(120,
          squad(CORNERS, 5, 30), pincer(10, 12, 8, 12), pincer(2, 4, 4, 30),
          squad(SLOW_MIX, 5, 30), pincer(6, 8, 8, 12), squad(SWINGERS, 2, 60),
          squad(HOOKS, 5, 26), pincer(5, 7, 6, 18), squad(FAST_MIX, 4, 24)),
    # 11: everything, faster.
    level(120,
          squad(FAST_MIX, 5, 26), pincer(1, 3, 3, 40), squad(HOOKS, 5, 26),
          pincer(6, 8, 8, 12), squad(SWINGERS, 2, 60), squad(CORNERS, 6, 30),
          pincer(9, 11, 10, 24), pincer(2, 4, 4, 30), squad(SLOW_MIX, 4, 24),
          pincer(10, 12, 8, 12)),
    # 12: the last stand; then the campaign starts over from level 1.
    level(100,
          squad(CORNERS, 6, 24), squad(HOOKS, 5, 24), pincer(2, 4, 5, 30),
          squad(FAST_MIX, 5, 20), pincer(5, 7, 8, 16), squad(SWINGERS, 3, 50),
          squad(SLOW_MIX, 5, 24), pincer(6, 8, 10, 12), squad(HOOKS, 5, 20),
          pincer(10, 12, 9, 10)),
]


def file_name(number):
    return "levels\\level%d.qlv" % number


def level_text(number, entries):
    assert 0 <= len(entries) <= MAX_ENEMIES, "level %d has %d enemies" % (number, len(entries))
    following = number % len(CAMPAIGN) + 1  # the last leads back to the first
    lines = ["%d %s %s" % (len(entries), file_name(number), file_name(following))]
    lines += ["%d %d %d %d" % entry for entry in entries]
    return "\n".join(lines) + "\n"


def main():
    check_only = sys.argv[1:] == ["--check"]
    if sys.argv[1:] and not check_only:
        sys.exit("usage: make_campaign.py [--check]")
    stale = []
    for number, entries in enumerate(CAMPAIGN, start=1):
        path = LEVELS_DIR / ("level%d.qlv" % number)
        text = level_text(number, entries)
        if check_only:
            if not path.exists() or path.read_text() != text:
                stale.append(path.name)
        else:
            LEVELS_DIR.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
            print("%s: %d enemies" % (path.name, len(entries)))
    if stale:
        sys.exit("level files differ from tools/make_campaign.py: %s\n"
                 "run tools/make_campaign.py to rewrite them" % " ".join(stale))


if __name__ == "__main__":
    main()
