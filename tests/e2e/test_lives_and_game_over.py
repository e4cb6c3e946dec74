"""Journey: deaths down the lives screens to the game over, then a new game from the start.

Along the way Escape is tapped on each blocking screen, where it must do nothing. Enter on the
game-over picture brings back the title menu, which waits for a choice and still offers the high
score table; its "New Game" starts afresh, and an Enter held from one lives screen passes the
next one at once.
"""
import time

import harness
import game_screens as gs
import progress_screens as ps

# Three enemies shot down on level 1 bank 30 points; level 2 holds the killer and restarts
# itself. The table's lowest score is above 30, so the game over shows no score screen.
FIRST_LEVEL = ps.gallery(3)
POINTS = len(FIRST_LEVEL) * ps.POINTS_PER_ENEMY
TABLE = [(f"P{i}", 1000 - 50 * i) for i in range(10)]
KILLER_LEVEL = 2
# A blocking screen is read again this long after Escape was tapped on it.
AFTER_ESCAPE_SECONDS = 0.5


class LivesAndGameOver(harness.JourneyTest):

    def escape_does_nothing(self, game, check, what):
        """Escape tapped on a blocking screen leaves it up and the game running."""
        game.tap("Escape")
        time.sleep(AFTER_ESCAPE_SECONDS)
        self.assertTrue(game.running(), f"Escape on {what} ended the game")
        self.assertTrue(check(game.screenshot()), f"Escape on {what} left it")

    def test_deaths_to_game_over_and_a_new_game_starts_afresh(self):
        with self.game() as game:
            game.write_scores(TABLE)
            ps.write_chain(game, [("level1.qlv", FIRST_LEVEL, "level2.qlv"),
                                  ("level2.qlv", ps.KILLER, "level2.qlv")])
            scores_before = game.path("highscores.sco").read_bytes()
            gs.start_to_menu(game)

            with game.holding("space"):
                game.press("Return", "the game started", ps.left_menu)
                ps.wait_tally(game, POINTS, 0, KILLER_LEVEL)
            self.escape_does_nothing(game, ps.shows_tally(game), "the tally")
            game.press("Return", "the tally left", lambda shot: not ps.shows_tally(game)(shot))

            # Lives are shown before one is taken: 5 down to 1, then the sixth death ends it.
            shot = ps.wait_lives(game, ps.START_LIVES, KILLER_LEVEL, keep="lives-screen")
            self.escape_does_nothing(game, ps.shows_lives(game), "the lives screen")
            self.assertEqual(ps.lives_numbers(game.screenshot()), ps.lives_numbers(shot))
            ps.leave_lives(game)
            ps.lose_lives(game, ps.START_LIVES - 1, KILLER_LEVEL)
            game.wait_for("the game-over picture", ps.shows_game_over(game), keep="game-over")
            self.escape_does_nothing(game, ps.shows_game_over(game), "the game-over picture")

            # The menu after the game over waits, and its high score table is the file's.
            ps.game_over_to_menu(game, keep="menu-after-game-over")
            shot = gs.visit_high_scores(game, keep="high-scores-after-game-over")
            self.assertEqual(gs.table_rows(shot), [(n, str(score)) for n, score in TABLE])
            gs.move_cursor(game, "Up", gs.NEW_GAME)

            # The new game starts at level 1 with no points: its tally banks level 1's alone.
            with game.holding("space"):
                game.press("Return", "the new game started", ps.left_menu)
                ps.wait_tally(game, POINTS, 0, KILLER_LEVEL, keep="tally-of-new-game")
            game.press("Return", "the tally left", lambda shot: not ps.shows_tally(game)(shot))
            ps.wait_lives(game, ps.START_LIVES, KILLER_LEVEL, keep="lives-of-new-game")

            # Enter held from this lives screen passes the next one: 4 is never shown, 3 is.
            ps.hold_enter_through_one_death(game)
            ps.wait_lives(game, ps.START_LIVES - 2, KILLER_LEVEL, keep="lives-after-held-enter")
            self.assertEqual(ps.leave_lives_to_exit(game), 0)
            self.assertEqual(game.messages(), [])
            self.assertEqual(game.path("highscores.sco").read_bytes(), scores_before,
                             "30 points rank nowhere in this table")


if __name__ == "__main__":
    harness.main()
