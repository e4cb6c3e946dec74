"""End-to-end harness: the real game in its own Xvfb, driven with real key events.

A journey runs in a private copy of the staged run folder, with a stand-in `xmessage` that
records message boxes, and with sound captured to a file through ALSA's `file` plugin. Screens
are recognised by polling screenshots for a signature, never by fixed sleeps alone; on failure
the last screenshot and the game's output are kept under VS_ARTIFACTS and their paths printed.
"""
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

import allegro_ref
from screen import ScreenProbe

# ctest passes all three; run by hand, a journey uses the default build folder of the tree.
SOURCE_DIR = Path(os.environ.get("VS_SOURCE_DIR", Path(__file__).resolve().parents[2]))
RUN_DIR = Path(os.environ.get("VS_RUN_DIR", SOURCE_DIR / "build" / "run")).resolve()
ARTIFACTS = Path(os.environ.get("VS_ARTIFACTS", SOURCE_DIR / "build" / "e2e-artifacts")).resolve()

GAME_BINARY = "void-sentinel"
WINDOW_NAME = "^Void Sentinel$"
SCREEN_SIZE = (320, 200)
X_SOCKETS = Path("/tmp/.X11-unix")
FIRST_DISPLAY = 100
LAST_DISPLAY = 400
XMESSAGE_OK_STATUS = 101  # what Allegro expects from xmessage when OK was pressed
MESSAGE_SEPARATOR = "\x1e"
TAP_SECONDS = 0.03    # seen by polled key state, well short of the menu's 100 ms rest per key
TYPE_DELAY_MS = 80
POLL_SECONDS = 0.2
DEFAULT_TIMEOUT = 30.0
PRESS_TIMEOUT = 3.0
PRESS_TRIES = 3

XMESSAGE_STAND_IN = """#!/bin/sh
# Stands in for xmessage: records the message text (the last argument) and answers OK.
for text; do :; done
printf '%s\\036' "$text" >> '{log}'
exit {status}
"""

# ALSA output through the `file` plugin over `null`: everything played lands in a raw file.
ALSA_CAPTURE = """pcm.!default {{ type plug; slave {{ pcm {{ type file; slave.pcm {{ type null }};
  file "{out}"; format "raw" }}; format S16_LE; rate 44100; channels 2 }} }}
"""
ALSA_NO_DEVICE = "# no sound device at all\n"
# A fragment of 441 frames keeps the null sink close to real time.
ALLEGRO_CFG = "[sound]\nalsa_fragsize = 441\n"


class JourneyError(AssertionError):
    """A journey did not go as expected (the game's fault or the journey's)."""


def free_display():
    for number in range(FIRST_DISPLAY, LAST_DISPLAY):
        if not (X_SOCKETS / f"X{number}").exists() and not Path(f"/tmp/.X{number}-lock").exists():
            yield number


class Display:
    """A private Xvfb, 640x480 at depth 24, started on a free display number. It runs with
    -noreset: a server that resets when its last client leaves drops clients that connect
    during the reset, so a probe or a screenshot between two games could break the next one."""

    def __init__(self, log_dir=ARTIFACTS):
        self.log_dir = Path(log_dir)
        self.process = None
        self.name = None
        self.probe = None

    def __enter__(self):
        self.log_dir.mkdir(parents=True, exist_ok=True)
        for number in free_display():
            log = open(self.log_dir / "xvfb.log", "ab")
            process = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                 "-noreset"],
                stdout=log, stderr=log, start_new_session=True)
            log.close()
            deadline = time.monotonic() + 15
            while time.monotonic() < deadline and process.poll() is None:
                # The socket appears a little before the server accepts clients.
                if (X_SOCKETS / f"X{number}").exists():
                    with contextlib.suppress(RuntimeError):
                        self.probe = ScreenProbe(f":{number}")
                        self.process, self.name = process, f":{number}"
                        return self
                time.sleep(0.05)
            if process.poll() is None:
                process.kill()
            process.wait()
        raise JourneyError("no Xvfb display could be started")

    def __exit__(self, *exc):
        if self.probe:
            self.probe.close()
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return False


def level_text(this_file, next_file, entries):
    """A level file: the enemy count, the restart and next file names, then one
    `delay sprite pattern extra` line per enemy."""
    lines = [str(len(entries)), this_file, next_file]
    lines += [" ".join(str(n) for n in entry) for entry in entries]
    return "\n".join(lines) + "\n"


def scores_text(entries):
    """A highscores.sco: a name line and a score line for each of the ten entries."""
    return "".join(f"{name}\n{score}\n" for name, score in entries)


class Game:
    """One run of the game in a private copy of the run folder (use as a context manager)."""

    def __init__(self, display, journey, sound=True):
        self.display = display
        self.journey = journey
        self.artifacts = ARTIFACTS / journey
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True)
        self.folder = Path(tempfile.mkdtemp(prefix="vs-" + journey.replace("/", "-") + "-"))
        self.run_dir = self.folder / "run"
        shutil.copytree(RUN_DIR, self.run_dir)
        self.process = None
        self.window = None
        self.last_shot = None
        self.status = None
        self._set_up_environment(sound)

    def _set_up_environment(self, sound):
        bin_dir = self.folder / "bin"
        bin_dir.mkdir()
        self.message_log = self.folder / "messages.log"
        stand_in = bin_dir / "xmessage"
        stand_in.write_text(XMESSAGE_STAND_IN.format(log=self.message_log,
                                                     status=XMESSAGE_OK_STATUS))
        stand_in.chmod(0o755)
        self.audio_file = self.folder / "audio.raw"
        alsa = self.folder / "alsa.conf"
        alsa.write_text(ALSA_CAPTURE.format(out=self.audio_file) if sound else ALSA_NO_DEVICE)
        allegro_dir = self.folder / "allegro"
        allegro_dir.mkdir()
        (allegro_dir / "allegro.cfg").write_text(ALLEGRO_CFG)
        self.env = dict(os.environ, DISPLAY=self.display.name, HOME=str(self.folder),
                        PATH=f"{bin_dir}:{os.environ.get('PATH', '')}",
                        ALSA_CONFIG_PATH=str(alsa), ALLEGRO=str(allegro_dir))
        self.x_env = dict(os.environ, DISPLAY=self.display.name)

    # ---- files of the run folder ------------------------------------------------------
    def path(self, relative):
        return self.run_dir / relative

    def write_level(self, name, this_file, next_file, entries):
        """Writes levels/<name> in the run folder; the names inside use the game's backslashes."""
        self.path("levels").mkdir(exist_ok=True)
        self.path(f"levels/{name}").write_text(level_text(this_file, next_file, entries))

    def write_scores(self, entries):
        self.path("highscores.sco").write_bytes(scores_text(entries).encode())

    def sprite(self, index):
        """Entry `index` of the sprites.dat this game loads."""
        return allegro_ref.datafile_sprites(self.path("sprites.dat"))[index]

    def messages(self):
        """Every message box text so far, as Allegro passed it (it ends each with a newline)."""
        if not self.message_log.exists():
            return []
        text = self.message_log.read_bytes().decode("utf-8", "replace")
        return text.split(MESSAGE_SEPARATOR)[:-1]

    # ---- the process ----------------------------------------------------------------
    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            self.keep_evidence(f"{exc_type.__name__}: {exc}")
        self.kill()
        shutil.rmtree(self.folder, ignore_errors=True)
        return False

    def start(self):
        self.stdout = open(self.artifacts / "stdout.txt", "wb")
        self.stderr = open(self.artifacts / "stderr.txt", "wb")
        self.process = subprocess.Popen([str(self.run_dir / GAME_BINARY)], cwd=self.run_dir,
                                        env=self.env, stdout=self.stdout, stderr=self.stderr,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def kill(self):
        if self.running():
            with contextlib.suppress(ProcessLookupError):
                os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        if self.process is not None:
            self.stdout.close()
            self.stderr.close()

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """The exit status; a game still running after `timeout` seconds is killed."""
        try:
            self.status = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.screenshot_if_possible()
            self.kill()
            raise JourneyError(f"the game did not exit within {timeout} s")
        return self.status

    def keep_evidence(self, reason):
        """Keeps the last screenshot, the game's output and its messages; prints their paths."""
        lines = [f"journey '{self.journey}' failed: {reason}"]
        self.screenshot_if_possible()
        if self.last_shot is not None:
            shot = self.artifacts / "last-screen.png"
            self.last_shot.save_png(shot)
            lines.append(f"  last screenshot: {shot}")
        for stream in ("stdout", "stderr"):
            with contextlib.suppress(AttributeError, ValueError):
                getattr(self, stream).flush()
            lines.append(f"  game {stream}: {self.artifacts / (stream + '.txt')}")
        messages = self.artifacts / "messages.txt"
        messages.write_text("\n----\n".join(self.messages()))
        lines.append(f"  message boxes: {messages}")
        if self.process is not None:
            lines.append(f"  exit status: {self.process.poll()}")
        print("\n".join(lines), file=sys.stderr)

    # ---- the window and the keyboard --------------------------------------------------
    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.x_env, capture_output=True,
                                text=True, timeout=30)
        if check and result.returncode != 0:
            raise JourneyError(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def find_window(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the game's window and gives it the keyboard focus."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.running():
                raise JourneyError(f"the game exited ({self.process.poll()}) before its window "
                                   f"appeared; messages: {self.messages()!r}")
            found = self.xdotool("search", "--name", WINDOW_NAME, check=False).split()
            if found:
                self.window = found[0]
                focused = subprocess.run(["xdotool", "windowfocus", "--sync", self.window],
                                         env=self.x_env, capture_output=True, timeout=30)
                if focused.returncode == 0:
                    return self.window
            time.sleep(POLL_SECONDS)
        raise JourneyError(f"no window named {WINDOW_NAME!r} within {timeout} s")

    def focus(self):
        if self.window is None:
            self.find_window()
        else:
            self.xdotool("windowfocus", "--sync", self.window, check=False)

    def tap(self, key, seconds=TAP_SECONDS):
        """Holds a key down for a moment: long enough for the game's polled key state."""
        self.focus()
        self.xdotool("keydown", key, "sleep", str(seconds), "keyup", key)

    def press(self, key, what, check, timeout=PRESS_TIMEOUT, tries=PRESS_TRIES, keep=None):
        """Taps a key until the screen shows its effect. Screens that poll the held-key state
        can miss a tap when the game is not scheduled while the key is down (both X events then
        reach it together); a second tap is only sent when no effect was seen, so use it where
        one more tap after a slow but seen first one would do no harm."""
        for attempt in range(1, tries + 1):
            self.tap(key)
            try:
                return self.wait_for(what, check, timeout=timeout, keep=keep)
            except JourneyError:
                if attempt == tries or not self.running():
                    raise
                print(f"{key} had no visible effect ({what}); pressing it again",
                      file=sys.stderr)

    def press_to_exit(self, key, timeout=DEFAULT_TIMEOUT):
        """Holds a key that should end the game until it does (a tap can pass unseen by a busy
        game); returns the exit status."""
        with self.holding(key):
            return self.wait_exit(timeout)

    def key_down(self, key):
        self.focus()
        self.xdotool("keydown", key)

    def key_up(self, key):
        self.xdotool("keyup", key)

    @contextlib.contextmanager
    def holding(self, *keys):
        """Keeps the keys down for the body of the with-statement."""
        for key in keys:
            self.key_down(key)
        try:
            yield
        finally:
            for key in reversed(keys):
                self.key_up(key)

    def type_text(self, text):
        self.focus()
        self.xdotool("type", "--delay", str(TYPE_DELAY_MS), text)

    # ---- the screen -----------------------------------------------------------------
    def screenshot(self, keep=None):
        """The game's screen now; `keep` saves it as <keep>.png among the artifacts."""
        width, height = SCREEN_SIZE
        self.last_shot = self.display.probe.grab(0, 0, width, height)
        if keep:
            self.last_shot.save_png(self.artifacts / f"{keep}.png")
        return self.last_shot

    def screenshot_if_possible(self):
        with contextlib.suppress(Exception):
            self.screenshot()

    def wait_for(self, what, check, timeout=DEFAULT_TIMEOUT, keep=None, between=None):
        """Polls screenshots until check(screen) is true and returns that screen. `between`
        runs after each miss (for example a key press). Fails if the game exits first."""
        deadline = time.monotonic() + timeout
        while True:
            if not self.running():
                raise JourneyError(f"the game exited ({self.process.poll()}) while waiting for "
                                   f"{what}; messages: {self.messages()!r}")
            shot = self.screenshot()
            if check(shot):
                if keep:
                    shot.save_png(self.artifacts / f"{keep}.png")
                return shot
            if time.monotonic() >= deadline:
                raise JourneyError(f"{what} did not appear within {timeout} s")
            if between:
                between()
            time.sleep(POLL_SECONDS)

    def audio_heard(self):
        """True when the captured sound holds anything but silence (the driver streams zeros
        while nothing plays)."""
        if not self.audio_file.exists():
            return False
        return self.audio_file.read_bytes().strip(b"\x00") != b""


class JourneyTest(unittest.TestCase):
    """A test case whose journeys share one Xvfb; each journey is one run of the game."""

    @classmethod
    def setUpClass(cls):
        cls._display = Display()
        cls.display = cls._display.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls._display.__exit__(None, None, None)

    def game(self, sound=True):
        """A fresh game for this test method, its artifacts under <file>/<method>."""
        file_stem = Path(sys.modules[type(self).__module__].__file__).stem
        return Game(self.display, f"{file_stem}/{self._testMethodName}", sound=sound)


def main():
    """Runs the journeys of the calling file; the exit status tells ctest the outcome."""
    unittest.main(module="__main__", verbosity=2)
