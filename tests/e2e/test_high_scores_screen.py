"""Journeys: the high score table from the menu, and a qualifying score entered by name."""
import harness
import game_screens as gs
import progress_screens as ps

TABLE_AT_START = [("AAA", 100), ("BBB", 50), ("CCC", 30), ("DDD", 20), ("EEE", 10)] + \
                 [("Empty", 0)] * 5
# Written after start-up has read the file: the screen must show the file as it is now.
TABLE_LATER = [("Zed", 9000), ("100%", 800), ("Q", 700), ("ABCDEFGHIJKL", 600), ("x_y", 500),
               ("Empty", 400), ("e", 300), ("-", 200), ("1", 100), ("Last", 1)]

# Two enemies that fly into the fire of a ship that stays at x 160: pattern 9 drops at x 150
# (inside the box at the left gun, x 161), pattern 11 at x 170 (the right gun, x 174). Their
# shots fall at x 158 or less and 178 or more, outside the ship. The level names itself as the
# next one, so after the tally it starts again and the journey can end it with Escape.
LEVEL = [(0, 0, 9, 0), (60, 1, 11, 0)]
POINTS_PER_ENEMY = 10
TYPED_NAME = "ABCDEFGHIJKLM"
NAME_LIMIT = 12


def rows_of(table):
    return [(name, str(score)) for name, score in table]


class HighScores(harness.JourneyTest):

    def test_menu_shows_the_table_as_the_file_holds_it_and_returns_to_high_scores(self):
        with self.game() as game:
            game.write_scores(TABLE_AT_START)
            gs.start_to_menu(game)
            game.write_scores(TABLE_LATER)
            shot = gs.visit_high_scores(game, keep="high-scores")
            self.assertEqual(gs.table_rows(shot), rows_of(TABLE_LATER))
            gs.move_cursor(game, "Up", gs.NEW_GAME)
            gs.move_cursor(game, "Up", gs.QUIT)
            self.assertEqual(game.press_to_exit("Return"), gs.QUIT_STATUS)
            self.assertEqual(game.messages(), [])

    def test_banked_score_is_entered_by_name_shown_and_saved(self):
        with self.game() as game:
            game.write_scores(TABLE_AT_START)
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv", LEVEL)
            gs.start_to_menu(game)

            points = POINTS_PER_ENEMY * len(LEVEL)
            with game.holding("space"):
                gs.new_game(game)
                ps.wait_tally(game, points, 0, 2, keep="tally", timeout=45)

            game.press("Return", "the level played again", gs.shows_ship_at(game, gs.SHIP_START_X))
            game.press("Escape", "the name entry", gs.shows_name_entry, keep="name-entry")
            game.type_text(TYPED_NAME)
            game.screenshot(keep="name-typed")
            game.tap("Return")

            # The score ties with DDD's 20 and goes below it; EEE and the blanks move down.
            name = TYPED_NAME[:NAME_LIMIT]
            expected = TABLE_AT_START[:4] + [(name, points)] + TABLE_AT_START[4:9]
            shot = game.wait_for("the table after the entry", gs.shows_table,
                                 keep="high-scores-after-entry")
            self.assertEqual(gs.table_rows(shot), rows_of(expected))
            self.assertEqual(game.path("highscores.sco").read_bytes(),
                             harness.scores_text(expected).encode())

            game.tap(gs.ANY_KEY)
            self.assertEqual(game.wait_exit(), 0)
            self.assertEqual(game.messages(), [])


if __name__ == "__main__":
    harness.main()
