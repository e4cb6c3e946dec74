"""Journeys: SIGTERM, SIGINT and SIGHUP end the real game at once, by that very signal (a shell
shows 143, 130 and 129), never by an abort with a core, and leave the score table as it was.
Each signal is sent during the intro, at the title menu and three times at random moments of play
that draws as much as a level can: 200 enemies on screen, their shots and both guns firing."""
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
