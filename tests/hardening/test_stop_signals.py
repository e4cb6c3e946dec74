"""Journeys: SIGTERM, SIGINT and SIGHUP end the real game at once, by that very signal (a shell
shows 143, 130 and 129), never by an abort with a core, and leave the score table as it was.
Each signal is sent during the intro, at the title menu and three times at random moments of play
that draws as much as a level can: 200 enemies on screen, their shots and both guns firing.
A message box on screen goes with the game; a SIGHUP the game was started to ignore (as nohup
starts it) stays ignored. Losing the X display ends the game with status 1 and one line."""
import os
import random
import signal
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
import game_screens as gs  # noqa: E402

STOP_SIGNALS = [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]
PLAY_TRIES = 3
# 200 enemies, one every tick, sweeping from side to side as they sink (patterns 1 and 3).
HEAVY_LEVEL = [(1, kind % 5, 1 + 2 * (kind % 2), 0) for kind in range(200)]
PLAY_MOMENTS = (0.5, 4.0)     # seconds of play before the signal, drawn at random
DIES_WITHIN = 5.0
SEED = 20261207               # the same moments on every run
IGNORED_FOR = 1.0             # how long the game is watched to go on after an ignored SIGHUP
# A message box that stays up until it is ended: it notes its process and becomes a long sleep.
BLOCKING_BOX = """#!/bin/sh
echo $$ > '{pid_file}'
exec sleep 600
"""


class StopSignals(harness.JourneyTest):

    def stop(self, game, sent, when):
        """Sends the signal and checks how the game ended and what it left behind."""
        scores = game.path("highscores.sco").read_bytes()
        os.kill(game.process.pid, sent)
        deadline = time.monotonic() + DIES_WITHIN
        while True:
            pid, status = os.waitpid(game.process.pid, os.WNOHANG)
            if pid:
                break
            self.assertLess(time.monotonic(), deadline, f"{sent.name} {when}: still running")
            time.sleep(0.05)
        game.process.returncode = -1  # reaped here, for the harness's own clean-up
        self.assertTrue(os.WIFSIGNALED(status), f"{sent.name} {when}: exited with "
                                                f"{os.WEXITSTATUS(status)} instead")
        self.assertEqual(signal.Signals(os.WTERMSIG(status)), sent,
                         f"{sent.name} {when}: ended by another signal")
        self.assertFalse(os.WCOREDUMP(status), f"{sent.name} {when}: a core was written")
        self.assertEqual(game.path("highscores.sco").read_bytes(), scores,
                         f"{sent.name} {when}: the score table changed")
        self.assertEqual(sorted(p.name for p in game.run_dir.glob("core*")), [])

    @staticmethod
    def gone(pid):
        """True once the process has ended (a zombie waiting for its reaper counts)."""
        try:
            return Path(f"/proc/{pid}/stat").read_text().split(")")[-1].split()[0] == "Z"
        except FileNotFoundError:
            return True

    def test_a_message_box_goes_with_the_game(self):
        with self.game() as game:
            # A read-only table gets its warning box before the title menu.
            game.path("highscores.sco").chmod(0o444)
            box_pid = game.folder / "box.pid"
            (game.folder / "bin" / "xmessage").write_text(BLOCKING_BOX.format(pid_file=box_pid))
            hangup = signal.signal(signal.SIGHUP, signal.SIG_IGN)  # inherited, as under nohup
            try:
                game.start()
            finally:
                signal.signal(signal.SIGHUP, hangup)
            game.wait_for("the warning box", lambda shot: box_pid.exists(), between=lambda: None)
            box = int(box_pid.read_text())
            os.kill(game.process.pid, signal.SIGHUP)
            time.sleep(IGNORED_FOR)
            self.assertTrue(game.running(), "a SIGHUP inherited as ignored ended the game")
            self.stop(game, signal.SIGTERM, "with a message box up")
            deadline = time.monotonic() + DIES_WITHIN
            while not self.gone(box):
                self.assertLess(time.monotonic(), deadline, "the message box outlived the game")
                time.sleep(0.05)

    def test_losing_the_display_ends_the_game_with_one_line(self):
        with self.game() as game:
            gs.start_to_menu(game)
            game.xdotool("windowkill", game.window)
            self.assertEqual(game.wait_exit(), 1)
            # ALSA notes its own lack of a MIDI device there too.
            lines = [line for line in (game.artifacts / "stderr.txt").read_text().splitlines()
                     if not line.startswith("ALSA lib")]
            self.assertEqual(lines, ["Void Sentinel: the connection to the X display "
                                     f"{game.display.name} was lost"])

    def test_during_the_intro(self):
        for sent in STOP_SIGNALS:
            with self.game() as game:
                game.start()
                game.find_window()
                self.stop(game, sent, "during the intro")

    def test_at_the_title_menu(self):
        for sent in STOP_SIGNALS:
            with self.game() as game:
                gs.start_to_menu(game)
                self.stop(game, sent, "at the title menu")

    def test_during_drawing_heavy_play(self):
        moments = random.Random(SEED)
        for sent in STOP_SIGNALS:
            for _ in range(PLAY_TRIES):
                with self.game() as game:
                    game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv",
                                     HEAVY_LEVEL)
                    gs.start_to_menu(game)
                    gs.new_game(game)
                    moment = moments.uniform(*PLAY_MOMENTS)
                    with game.holding("space"):
                        time.sleep(moment)
                        self.stop(game, sent, f"after {moment:.2f} s of play")


if __name__ == "__main__":
    harness.main()
