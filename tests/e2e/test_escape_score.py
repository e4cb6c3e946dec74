"""Journey: Escape during play offers the banked score to the table; the level in play's
points are not counted. Keys held from play into the name entry type nothing into its box."""
import time

import harness
import game_screens as gs
import progress_screens as ps

# Level 1 banks 30 points; level 2 is a long gallery whose shot-down enemies add to the points
# of the level in play only. Escape comes once one of them has been seen blowing up.
FIRST_LEVEL = ps.gallery(3)
BANKED = len(FIRST_LEVEL) * ps.POINTS_PER_ENEMY
TABLE = [("AAA", 100), ("BBB", 50), ("CCC", 40), ("DDD", 30), ("EEE", 25)] + [("Empty", 0)] * 5
NAME = "Runner"
# 30 ties with DDD and goes below it; 40 or more would have gone above it.
PLACE = 4
# Past the key's repeat delay: a box open by then would take Space and Escape repeats and close.
HELD_SECONDS = 1.2


class EscapeScore(harness.JourneyTest):

    def test_escape_in_play_enters_the_banked_score_only_and_exits_0(self):
        with self.game() as game:
            game.write_scores(TABLE)
            ps.write_chain(game, [("level1.qlv", FIRST_LEVEL, "level2.qlv"),
                                  ("level2.qlv", ps.gallery(40), "level2.qlv")])
            gs.start_to_menu(game)
            with game.holding("space"):
                game.press("Return", "the game started", ps.left_menu)
                ps.wait_tally(game, BANKED, 0, 2)
                game.press("Return", "play in level 2", ps.shows_play(game))
                game.wait_for("an enemy of level 2 shot down",
                              lambda shot: ps.explosion_shown(game, shot), timeout=30,
                              keep="level-2-enemy-shot")
                # Still firing, so no enemy of level 2 can reach the ship before Escape, which
                # is held on into the name entry with Space.
                with game.holding("Escape"):
                    game.wait_for("the name entry", gs.shows_name_entry)
                    time.sleep(HELD_SECONDS)
            ps.enter_name(game, NAME, TABLE[:PLACE] + [(NAME, BANKED)] + TABLE[PLACE:-1],
                          keep="high-scores-after-escape")
            game.tap(gs.ANY_KEY)
            self.assertEqual(game.wait_exit(), 0, "the table's key ends the game with status 0")
            self.assertEqual(game.messages(), [])


if __name__ == "__main__":
    harness.main()
