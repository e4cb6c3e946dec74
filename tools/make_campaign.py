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

# One picture per kind of flight, so that a player reads an enemy's path from
# its look: scouts dive slowly and run along the top, raiders run the same way
# twice as fast, hooks (slow or fast) dive, climb back and drop in the middle,
# drifters swing across the screen while sinking, hunters swing fast.
SCOUT, HOOK, DRIFTER, RAIDER, HUNTER = range(5)
PICTURE_OF_PATTERN = {
    5: SCOUT, 7: SCOUT,
    6: RAIDER, 8: RAIDER,
    9: HOOK, 11: HOOK, 10: HOOK, 12: HOOK,
    1: DRIFTER, 3: DRIFTER,
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


# A fast diver sent too soon after a slow one from the same corner overtakes
# it on the path they share, and for a while the two look like one: runners
# share only the first dive, hooks their whole flight.
RUNNERS = {5: 6, 7: 8}      # slow pattern: its fast twin
HOOKS_PAIRS = {9: 10, 11: 12}
RUNNER_OVERTAKE_TICKS = 52
HOOK_OVERTAKE_TICKS = 120
LEFT_CORNER = {1, 2, 5, 6, 9, 10}


def overtake_ticks(earlier, later):
    """How long `later` must wait after `earlier` so as not to catch it up."""
    if (earlier in LEFT_CORNER) != (later in LEFT_CORNER):
        return 0
    if HOOKS_PAIRS.get(earlier) == later:
        return HOOK_OVERTAKE_TICKS
    slow_divers = set(RUNNERS) | set(HOOKS_PAIRS)
    fast_divers = set(RUNNERS.values()) | set(HOOKS_PAIRS.values())
    return RUNNER_OVERTAKE_TICKS if earlier in slow_divers and later in fast_divers else 0


def after(ticks, wave):
    """A wave that waits `ticks` after the one before it instead of the level's pause."""
    return [(-ticks, wave[0][1])] + wave[1:]


def level(pause, *waves):
    """A level: its waves, each after `pause` ticks of quiet (longer where a
    fast diver would overtake a slow one)."""
    entries = []
    sent = []  # (tick, pattern) of every enemy so far
    now = 0
    for number, wave in enumerate(waves, start=1):
        for i, (gap, pattern) in enumerate(wave):
            wait = gap if i > 0 else pause if entries else 0  # the first enemy waits for nothing
            if i == 0 and gap < 0:
                wait = -gap
            if i == 0:
                for tick, earlier in sent:
                    for _, later in wave[:2]:
                        wait = max(wait, tick + overtake_ticks(earlier, later) - now)
                wait += wait % 2
            now += wait
            sent.append((now, pattern))
            entries.append((delay_for(wait), PICTURE_OF_PATTERN[pattern], pattern, number))
    return entries


# One round of the runners and hooks, fast ones first on each side so that
# no slow one is overtaken; the numbers are pairs and the gap between them.
def round_of(pairs, gap, hooks=True, runners=True):
    waves = []
    if hooks:
        waves += [pincer(10, 12, pairs, gap), pincer(9, 11, pairs, gap)]
    if runners:
        waves += [pincer(6, 8, pairs, gap), pincer(5, 7, pairs, gap)]
    return waves


HUNTER_LEFT = line(2, 1, 0)
HUNTER_RIGHT = line(4, 1, 0)
DRIFTER_LEFT = line(1, 1, 0)
DRIFTER_RIGHT = line(3, 1, 0)
HUNTER_PINCER = pincer(2, 4, 1, 0)

CAMPAIGN = [
    # 1: scouts, one at a time and then from both corners.
    level(40,
          line(5, 4, 44), line(7, 4, 44), pincer(5, 7, 4, 50), line(5, 3, 40), line(7, 3, 40),
          pincer(5, 7, 3, 44)),
    # 2: slow hooks, which drop in the middle of the screen.
    level(38,
          line(9, 3, 40), line(11, 3, 40), line(5, 3, 36), pincer(9, 11, 3, 44), line(7, 3, 36),
          pincer(5, 7, 3, 40), pincer(9, 11, 3, 44), pincer(5, 7, 3, 36)),
    # 3: raiders, fast along the top and down the sides; at the end the first
    # hunter, swinging fast from side to side.
    level(36,
          line(6, 3, 36), line(8, 3, 36), pincer(9, 11, 3, 38), pincer(6, 8, 3, 36),
          pincer(5, 7, 3, 38), pincer(9, 11, 3, 34), pincer(6, 8, 3, 32), pincer(5, 7, 3, 32),
          HUNTER_LEFT, pincer(9, 11, 2, 32)),
    # 4: fast hooks, and a hunter from the right.
    level(34,
          pincer(10, 12, 3, 36), pincer(9, 11, 3, 34), *round_of(3, 34)[1:],
          after(90, HUNTER_RIGHT), after(150, pincer(9, 11, 3, 32)), *round_of(3, 32)[1:]),
    # 5: drifters, sinking slowly: shoot them before they come down.
    level(32,
          *round_of(3, 32, hooks=False), DRIFTER_LEFT, *round_of(3, 30), HUNTER_RIGHT,
          *round_of(3, 30, runners=False), DRIFTER_RIGHT, *round_of(3, 28, hooks=False)),
    # 6: hunters from both sides, one at a time.
    level(32,
          *round_of(3, 32, hooks=False), HUNTER_LEFT, *round_of(3, 32), HUNTER_RIGHT,
          *round_of(3, 30, runners=False), DRIFTER_LEFT, *round_of(3, 30)),
    # 7: more of them.
    level(32,
          *round_of(3, 32, hooks=False), HUNTER_RIGHT, *round_of(3, 32),
          *round_of(3, 32, runners=False), DRIFTER_RIGHT, *round_of(3, 30), HUNTER_LEFT,
          *round_of(2, 30, hooks=False)),
    # 8: the first pincer of hunters, a single pair on a quiet screen.
    level(30,
          *round_of(3, 30, hooks=False), HUNTER_LEFT, *round_of(3, 30), HUNTER_PINCER,
          after(60, DRIFTER_RIGHT), after(200, pincer(10, 12, 3, 28)),
          *round_of(3, 28, runners=False), DRIFTER_LEFT, *round_of(3, 28)),
    # 9: pincers now and then among everything else.
    level(30,
          *round_of(3, 28, hooks=False), HUNTER_PINCER, *round_of(3, 28), DRIFTER_RIGHT,
          *round_of(3, 28, runners=False), HUNTER_PINCER, *round_of(3, 26)),
    # 10: more pincers, denser streams.
    level(28,
          *round_of(3, 26, hooks=False), HUNTER_LEFT, *round_of(3, 26), HUNTER_PINCER,
          *round_of(3, 26, runners=False), *round_of(2, 26, hooks=False), DRIFTER_RIGHT,
          *round_of(3, 24), HUNTER_PINCER,
          *round_of(2, 24, runners=False)),
    # 11: everything, faster.
    level(26,
          *round_of(4, 24, hooks=False), HUNTER_PINCER, *round_of(3, 24), HUNTER_PINCER,
          *round_of(3, 24, runners=False), HUNTER_RIGHT, *round_of(3, 22), HUNTER_PINCER,
          *round_of(3, 22, runners=False)),
    # 12: the last stand; then the campaign starts over from level 1.
    level(24,
          *round_of(4, 24, hooks=False), HUNTER_PINCER, *round_of(3, 22), HUNTER_PINCER,
          *round_of(3, 22, runners=False), DRIFTER_LEFT, *round_of(3, 22), HUNTER_PINCER,
          after(90, pincer(6, 8, 3, 22)), pincer(5, 7, 3, 22), HUNTER_PINCER,
          *round_of(3, 22, runners=False)),
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
