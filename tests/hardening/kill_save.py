#!/usr/bin/env python3
"""Crash-safe saving: kills save_loop (the game's own save, over and over) with SIGKILL at
random moments and checks that highscores.sco is always the old table or the new one, byte for
byte, with the permission bits the player gave it, and that a temporary file left behind by a
kill never stops the next save and goes with it.

    kill_save.py SAVE_LOOP BLANK_TABLE [KILLS] [SEED]
"""
import os
import random
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

DEFAULT_KILLS = 250
DEFAULT_SEED = 1
LONGEST_WAIT_S = 0.02   # a kill lands up to this long after the saver is ready
START_TIMEOUT_S = 30
SCORE_FILE = "highscores.sco"
TEMP_PREFIX = "highscores.sco.tmp."  # then the saving game's process number and a count
NO_SUCH_PROCESS = 999999999          # past any process number Linux gives
ENTRIES = 10
NAME_PAD_SPAN = 50
SCORE_STEP = 10
FINAL_SAVES = 3
PLAYERS_MODE = 0o660  # group-writable, closed to others: no usual umask makes a new file so


def table_bytes(generation, blank=b""):
    """What save_loop writes for a generation, in the file's format (a name line, a score line);
    generation 0 is the blank table it starts from."""
    if generation == 0:
        return blank
    lines = []
    for i in range(ENTRIES):
        name = f"g{generation}_{i}" + chr(ord("a") + i) * ((generation * 7 + i * 13) % NAME_PAD_SPAN)
        score = (generation % 1000000) * SCORE_STEP + ENTRIES - i
        lines += [name, str(score)]
    return ("\n".join(lines) + "\n").encode()


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def start_saver(save_loop, folder, *extra):
    saver = subprocess.Popen([save_loop, str(folder), *extra], stdout=subprocess.PIPE,
                             stdin=subprocess.DEVNULL, text=True)
    first = saver.stdout.readline().split()
    if len(first) != 2 or first[0] != "ready":
        saver.kill()
        rest = saver.stdout.read()
        saver.wait()
        fail(f"save_loop did not start on the table left by the last kill: {first} {rest}")
    return saver, int(first[1])


def kill_once(save_loop, folder, blank, rng, tally):
    """One saver killed after a random moment; returns the generation the file holds."""
    saver, ready = start_saver(save_loop, folder)
    time.sleep(rng.uniform(0, LONGEST_WAIT_S))
    saver.send_signal(signal.SIGKILL)
    saver.wait(START_TIMEOUT_S)
    saved = [int(line.split()[1]) for line in saver.stdout.read().splitlines()
             if line.startswith("saved ")]
    saver.stdout.close()
    last_done = saved[-1] if saved else ready
    data = (folder / SCORE_FILE).read_bytes()
    mode = (folder / SCORE_FILE).stat().st_mode & 0o7777
    if mode != PLAYERS_MODE:
        fail(f"after a kill {SCORE_FILE} has mode {mode:o}, not {PLAYERS_MODE:o}")
    # The kill may land after the rename but before "saved" is printed: then the file is the
    # new table. Anything else, a mix or a cut table, is a failure.
    if data == table_bytes(last_done, blank):
        tally["old"] += 1
        return last_done
    if data == table_bytes(last_done + 1):
        tally["new"] += 1
        return last_done + 1
    fail(f"after a kill with generation {last_done} saved, {SCORE_FILE} holds neither it nor "
         f"the next: {data[:120]!r}")


def main():
    if len(sys.argv) not in (3, 4, 5):
        print(__doc__)
        sys.exit(2)
    save_loop, blank = sys.argv[1], Path(sys.argv[2])
    kills = int(sys.argv[3]) if len(sys.argv) > 3 else DEFAULT_KILLS
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else DEFAULT_SEED)
    tally = {"old": 0, "new": 0, "temp_left": 0, "saves": 0}
    with tempfile.TemporaryDirectory(prefix="vs-kill-save-") as name:
        folder = Path(name)
        (folder / SCORE_FILE).write_bytes(blank.read_bytes())
        (folder / SCORE_FILE).chmod(PLAYERS_MODE)
        generation = 0
        for _ in range(kills):
            held = kill_once(save_loop, folder, blank.read_bytes(), rng, tally)
            if held < generation:
                fail(f"the table went back from generation {generation} to {held}")
            tally["saves"] += held - generation
            generation = held
            tally["temp_left"] += any(folder.glob(TEMP_PREFIX + "*"))

        # A stray temporary file, left by a kill or made here, must not stop the next saves.
        (folder / f"{TEMP_PREFIX}{NO_SUCH_PROCESS}.0").write_bytes(b"half a table\n")
        saver, ready = start_saver(save_loop, folder, "--count", str(FINAL_SAVES))
        saver.stdout.read()
        saver.stdout.close()
        if saver.wait(START_TIMEOUT_S) != 0:
            fail("save_loop could not save over a stray temporary file")
        if (folder / SCORE_FILE).read_bytes() != table_bytes(ready + FINAL_SAVES):
            fail("the saves after a stray temporary file did not land")
        if any(folder.glob(TEMP_PREFIX + "*")):
            fail("a temporary file is left after a completed save")

    print(f"{kills} kills during saving: {SCORE_FILE} held the last saved table {tally['old']} "
          f"times and the one being saved {tally['new']} times, never anything else; "
          f"{tally['saves']} saves completed in all; a temporary file was left behind "
          f"{tally['temp_left']} times and the next save went through every time")


if __name__ == "__main__":
    main()
