"""Journey: "New Game" shows play, the arrows move the ship, Space fires, Escape ends with 0."""
import time

import harness
import game_screens as gs

# One enemy that dives in from the left and drops at x 150, and a second one that comes only
# after 2000 ticks (over half a minute), so the level cannot end during the journey. Right of
# x 165 neither the first enemy's body nor its shots (which fall at x 158 at most) can reach the
# ship: it goes to the right edge first, and from there only a short way back.
LEVEL = [(0, 0, 9, 0), (3000, 1, 9, 0)]
SHIP_STEP = 2


class Play(harness.JourneyTest):

    def test_ship_moves_and_fires_and_escape_exits_0_without_score_screens(self):
        with self.game() as game:
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv", LEVEL)
            scores_before = game.path("highscores.sco").read_bytes()
            gs.start_to_menu(game)
            start = gs.new_game(game)
            self.assertEqual(gs.bullets_above(game, start, gs.SHIP_START_X), [],
                             "no bullet before Space is pressed")

            with game.holding("Right"):
                game.wait_for("the ship at the right edge", gs.shows_ship_at(game, gs.SHIP_MAX_X),
                              timeout=10, keep="ship-at-right-edge")
                time.sleep(0.3)
            self.assertEqual(gs.ship_x(game, game.screenshot()), gs.SHIP_MAX_X,
                             "the ship stops at the right edge")

            with game.holding("Left"):
                shot = game.wait_for("the ship back to the left", lambda shot:
                                     (gs.ship_x(game, shot) or gs.SHIP_MAX_X) < gs.SHIP_MAX_X)
            self.assertEqual((gs.SHIP_MAX_X - gs.ship_x(game, shot)) % SHIP_STEP, 0)
            with game.holding("Right"):
                game.wait_for("the ship at the right edge again",
                              gs.shows_ship_at(game, gs.SHIP_MAX_X))

            self.assertEqual(gs.bullets_above(game, game.screenshot(), gs.SHIP_MAX_X), [])
            columns = set()
            with game.holding("space"):
                def both_guns(shot):
                    columns.update(x for x, _ in gs.bullets_above(game, shot, gs.SHIP_MAX_X))
                    return len(columns) == 2
                game.wait_for("bullets from both guns", both_guns, timeout=10, keep="firing")
            self.assertEqual(columns, {gs.SHIP_MAX_X + offset for offset in gs.GUN_OFFSETS})

            self.assertEqual(game.press_to_exit("Escape"), 0,
                             "Escape in play ends the game with status 0")
            self.assertEqual(game.messages(), [])
            self.assertEqual(game.path("highscores.sco").read_bytes(), scores_before,
                             "no score was banked, so the table is untouched")


if __name__ == "__main__":
    harness.main()
