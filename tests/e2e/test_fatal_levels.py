"""Journeys: level files that fail between levels end the game with their message and status 1.
A missing file fails the same way (a missing first level: test_fatal.py); the messages of each
kind of fault are the unit tests' (test_level_file.cpp)."""
import time

import harness
import progress_screens as ps

FATAL_STATUS = 1
# Allegro ends every message box text with a line feed of its own.
REFUSED = "Level file {} cannot be played:\n{}.\n\nOK TO QUIT!\n"


class FatalLevels(harness.JourneyTest):

    def assert_fatal(self, game, message):
        self.assertEqual(game.wait_exit(), FATAL_STATUS)
        self.assertEqual(game.messages(), [message])

    def test_next_level_refused_after_a_cleared_level(self):
        with self.game() as game:
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level2.qlv", ps.EMPTY)
            # Three enemies announced, one written: the second entry has no delay.
            game.path("levels/level2.qlv").write_text(
                "3\nlevels\\level2.qlv levels\\level2.qlv\n0 0 10 0\n")
            ps.start_new_game(game)
            # The next level is loaded before the tally reaches the screen: it never shows.
            deadline = time.monotonic() + harness.DEFAULT_TIMEOUT
            while game.running() and time.monotonic() < deadline:
                self.assertFalse(ps.shows_tally(game)(game.screenshot()),
                                 "the tally must not show before its next level is loaded")
            self.assert_fatal(game, REFUSED.format(
                "levels/level2.qlv", "enemy entry 2: the delay is missing or not a whole number"))

    def test_sprite_beyond_the_datafile_refused_after_a_death(self):
        with self.game() as game:
            game.write_level("level1.qlv", "levels\\restart.qlv", "levels\\level1.qlv", ps.KILLER)
            game.write_level("restart.qlv", "levels\\restart.qlv", "levels\\level1.qlv",
                             [(0, 14, 10, 0)])
            ps.start_new_game(game)
            ps.wait_lives(game, ps.START_LIVES, 1)
            self.assertEqual(game.press_to_exit("Return"), FATAL_STATUS)
            self.assertEqual(game.messages(), [REFUSED.format(
                "levels/restart.qlv",
                "enemy entry 1: sprite 14 is not a picture of sprites.dat (0 to 13)")])


if __name__ == "__main__":
    harness.main()
