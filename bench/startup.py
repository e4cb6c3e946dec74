#!/usr/bin/env python3
"""Start-up to the title menu, and resident memory at the menu and in play: the real game,
as a whole process under Xvfb, with the intro cut short at once.

Usage: startup.py RUN_DIR [RUNS]

Each run starts the game from a fresh copy of RUN_DIR (through the end-to-end harness),
presses a key every few milliseconds from the moment its window has the focus, and watches
the screen until the title menu's white "New Game" shows. The intro's two fixed one-second
pauses cannot be cut short; the figure less those pauses is what the game's own work costs.
"""
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

E2E_DIR = Path(__file__).resolve().parent.parent / "tests" / "e2e"
DEFAULT_RUNS = 5
INTRO_PAUSES_S = 2.0          # the intro's two rest(1000) calls
STARTUP_TARGET_S = 0.250      # start-up less the pauses
MAIN_THREAD_TARGET_S = 0.110  # the main thread's processor time up to the menu
RSS_TARGET_BYTES = 24_000_000  # resident memory in play
KEY_GAP_MS = 10               # between the key presses that cut the intro short
KEY_PRESSES = 1000            # per xdotool run: ten seconds of presses
POLL_S = 0.002
PAUSE_POLL_S = 0.1
MENU_TIMEOUT_S = 60.0
SETTLE_S = 0.5                # before memory is read on a screen
PLAY_S = 2.0                  # of play before its memory is read (the ship is still safe)
MENU_TEXT = ("New Game", 120, 100)
MENU_TEXT_CELLS = (64, 8)     # the text's eight 8x8 cells


def resident_kib(pid, field="VmRSS"):
    """A memory figure of /proc/PID/status, in KiB (the file's "kB")."""
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"no {field} for process {pid}")


def main_thread_seconds(pid):
    """Processor time used so far by the game's main thread, which does all of start-up's work
    (the sound and input threads run on their own through the intro's pauses). Unlike the time
    on the clock, the machine's other load hardly moves it."""
    return int(Path(f"/proc/{pid}/schedstat").read_text().split()[0]) / 1e9


class StartupRun:
    """One start of the game: the time to its title menu and its memory on two screens."""

    def __init__(self, harness, screens, display, index):
        self.harness, self.screens, self.probe = harness, screens, display.probe
        self.game = harness.Game(display, f"startup-{index}")
        self.presser = None

    def keep_pressing(self):
        """Keeps a stream of key presses going into the focused game window."""
        if self.presser is None or self.presser.poll() is not None:
            keys = [self.screens.INTRO_KEY] * KEY_PRESSES
            self.presser = subprocess.Popen(
                ["xdotool", "key", "--delay", str(KEY_GAP_MS), *keys], env=self.game.x_env)

    def stop_pressing(self):
        if self.presser is not None and self.presser.poll() is None:
            self.presser.terminate()
        if self.presser is not None:
            self.presser.wait()

    def shows_menu_text(self):
        text, x, y = MENU_TEXT
        return self.probe.grab(x, y, *MENU_TEXT_CELLS).shows_text(0, 0, text)

    def time_to_menu(self):
        """Seconds from the start of the process until the menu's text is on the screen, and
        the processor seconds its main thread had used by then."""
        started = time.monotonic()
        self.game.start()
        self.game.find_window()
        deadline = started + MENU_TIMEOUT_S
        try:
            # The menu cannot show before the intro's pauses are over: polling meanwhile would
            # only take processor time from the game.
            while time.monotonic() < started + INTRO_PAUSES_S:
                self.keep_pressing()
                time.sleep(PAUSE_POLL_S)
            while True:
                self.keep_pressing()
                seen = time.monotonic()
                if self.shows_menu_text():
                    return seen - started, main_thread_seconds(self.game.process.pid)
                if not self.game.running() or seen > deadline:
                    raise self.harness.JourneyError("the title menu did not appear")
                time.sleep(POLL_S)
        finally:
            self.stop_pressing()

    def start_play(self):
        """Enter on "New Game", and the menu gone from the screen."""
        self.game.tap("Return")
        deadline = time.monotonic() + MENU_TIMEOUT_S
        while self.shows_menu_text():
            if not self.game.running() or time.monotonic() > deadline:
                raise self.harness.JourneyError("play did not start after Enter on New Game")
            time.sleep(POLL_S)

    def measure(self):
        with self.game:
            seconds, processor = self.time_to_menu()
            shot = self.game.screenshot(keep="title-menu")
            if not self.screens.shows_menu(shot):
                raise self.harness.JourneyError("the screenshot does not show the title menu")
            time.sleep(SETTLE_S)
            pid = self.game.process.pid
            menu_kib = resident_kib(pid)
            self.start_play()
            time.sleep(PLAY_S)
            play_kib, peak_kib = resident_kib(pid), resident_kib(pid, "VmHWM")
        return seconds, processor, menu_kib, play_kib, peak_kib


def megabytes(kib):
    return kib * 1024 / 1e6


def verdict(met):
    return "met" if met else "MISSED"


def main():
    usage = next(line for line in __doc__.splitlines() if line.startswith("Usage:"))
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and not sys.argv[2].isdigit()):
        sys.exit(usage)
    run_dir = Path(sys.argv[1]).resolve()
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else DEFAULT_RUNS
    if runs < 1:
        sys.exit(usage)
    if not (run_dir / "void-sentinel").is_file():
        sys.exit(f"startup.py: no game in {run_dir} (build it first)")
    os.environ["VS_RUN_DIR"] = str(run_dir)
    os.environ.setdefault("VS_ARTIFACTS", str(run_dir.parent / "bench-artifacts"))
    sys.path.insert(0, str(E2E_DIR))
    import game_screens
    import harness

    results = []
    try:
        with harness.Display() as display:
            for index in range(runs):
                seconds, processor, *memory = StartupRun(harness, game_screens, display,
                                                         index).measure()
                menu_mb, play_mb, peak_mb = (megabytes(kib) for kib in memory)
                print(f"run {index + 1}: title menu after {seconds * 1000:.0f} ms "
                      f"(main thread {processor * 1000:.0f} ms on the processor); resident "
                      f"{menu_mb:.1f} MB at the menu, {play_mb:.1f} MB in play "
                      f"(peak {peak_mb:.1f} MB)", flush=True)
                results.append((seconds, processor, menu_mb, play_mb, peak_mb))
    except (harness.JourneyError, RuntimeError, OSError) as error:
        sys.exit(f"startup.py: {error}")

    raw, processor, menu_mb, play_mb, peak_mb = (statistics.median(r[i] for r in results)
                                                 for i in range(5))
    net = raw - INTRO_PAUSES_S
    print(f"start-up to the title menu, median of {runs}: {raw * 1000:.0f} ms; less the intro's "
          f"{INTRO_PAUSES_S:.0f} s of pauses {net * 1000:.0f} ms "
          f"(target < {STARTUP_TARGET_S * 1000:.0f} ms: {verdict(net < STARTUP_TARGET_S)}); "
          f"main thread's processor time {processor * 1000:.0f} ms "
          f"(target <= {MAIN_THREAD_TARGET_S * 1000:.0f} ms: "
          f"{verdict(processor <= MAIN_THREAD_TARGET_S)})")
    print(f"resident memory, median: {menu_mb:.1f} MB at the title menu, {play_mb:.1f} MB in play, "
          f"peak {peak_mb:.1f} MB (target < {RSS_TARGET_BYTES / 1e6:.0f} MB in play: "
          f"{verdict(play_mb * 1e6 < RSS_TARGET_BYTES)})")


if __name__ == "__main__":
    main()
