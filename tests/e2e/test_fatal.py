"""Journeys: a missing file ends the game with its exact message and status 1 (a missing or
damaged datafile: the hardening tests and their journey)."""
import time

import harness
import game_screens as gs

FATAL_STATUS = 1
# Allegro ends every message box text with a line feed of its own.
SCORES_MESSAGE = "Something messy\n\nOK TO QUIT!\n"
LEVEL_MESSAGE = "Level not found!\n\nOK TO QUIT!\n"


class Fatal(harness.JourneyTest):

    def assert_fatal(self, game, message, status=None):
        self.assertEqual(game.wait_exit() if status is None else status, FATAL_STATUS)
        self.assertEqual(game.messages(), [message])

    def test_missing_high_score_file_ends_the_game_before_the_menu(self):
        with self.game() as game:
            scores = game.path("highscores.sco")
            scores.unlink()
            game.start()
            game.find_window()
            deadline = time.monotonic() + harness.DEFAULT_TIMEOUT * 2
            while game.running() and time.monotonic() < deadline:
                self.assertFalse(gs.shows_menu(game.screenshot()), "the menu must not appear")
                game.tap(gs.INTRO_KEY)
                time.sleep(harness.POLL_SECONDS)
            self.assert_fatal(game, SCORES_MESSAGE)
            self.assertFalse(scores.exists(), "the game never creates the score file")

    def test_without_a_display_the_reason_is_named(self):
        for display, reason in ((None, "DISPLAY is not set"),
                                (":9999", "the X display :9999 could not be opened")):
            with self.game() as game:
                game.env.pop("DISPLAY")
                game.env.update({"DISPLAY": display} if display else {})
                game.start()
                self.assertEqual(game.wait_exit(), FATAL_STATUS)
                self.assertEqual((game.artifacts / "stdout.txt").read_text(),
                                 f"Void Sentinel cannot start: {reason}\n(it needs an X display)\n")

    def test_missing_first_level_at_new_game(self):
        with self.game() as game:
            game.path("levels/level1.qlv").unlink(missing_ok=True)
            gs.start_to_menu(game)
            self.assert_fatal(game, LEVEL_MESSAGE, game.press_to_exit("Return"))


if __name__ == "__main__":
    harness.main()
