"""Journey: a whole game as a player goes through it, from the intro to the saved score.

The intro is cut short, "New Game" starts level 1, whose enemies all fly into the fire of the
ship; its tally banks their points, the shop sells an upgrade, level 2's enemy dives into the
ship until no life is left, the score is entered by name and shown, and Enter on the game-over
picture leads back to the title menu, which waits for a choice; "Quit" there ends the game with
the new entry saved.
"""
import harness
import game_screens as gs
import progress_screens as ps

CLEARED = 52
POINTS = CLEARED * ps.POINTS_PER_ENEMY
NAME = "Sentinel"
TABLE = [("Ace", 500), ("Bob", 100), ("Cat", 10)] + [("Empty", 0)] * 7


class FullGame(harness.JourneyTest):

    def test_a_whole_game_from_the_intro_to_the_saved_score(self):
        with self.game() as game:
            game.write_scores(TABLE)
            ps.write_chain(game, [("level1.qlv", ps.gallery(CLEARED), "level2.qlv"),
                                  ("level2.qlv", ps.KILLER, "level2.qlv")])
            gs.start_to_menu(game)

            with game.holding("space"):
                game.press("Return", "the game started", ps.left_menu)
                ps.wait_tally(game, POINTS, 0, 2, keep="tally", timeout=90)

            ps.open_shop(game, POINTS, 2, keep="shop")
            key, price = ps.ITEM_MAX_BULLETS
            score = POINTS - price
            shot = ps.shop_key(game, key, ps.THANKS, keep="message-thanks")
            ps.expect_lines(ps.shop_lines(shot),
                            ps.expected_shop(score, 2, bullets=ps.START_BULLETS + 1),
                            "the shop after the purchase")
            game.press(ps.LEAVE_SHOP, "play in level 2", ps.shows_play(game), keep="level-2")

            ps.lose_lives(game, ps.START_LIVES, 2, keep_first="lives-screen")
            # 20 points go below Bob's 100 and above Cat's 10.
            expected = TABLE[:2] + [(NAME, score)] + TABLE[2:-1]
            ps.enter_name(game, NAME, expected, keep="high-scores")

            game.tap(gs.ANY_KEY)
            game.wait_for("the game-over picture", ps.shows_game_over(game), keep="game-over")
            ps.game_over_to_menu(game, keep="menu-after-game-over")
            gs.move_cursor(game, "Up", gs.QUIT, keep="menu-cursor-quit")
            self.assertEqual(game.press_to_exit("Return"), gs.QUIT_STATUS)
            self.assertEqual(game.messages(), [])
            self.assertEqual(game.path("highscores.sco").read_bytes(),
                             harness.scores_text(expected).encode())


if __name__ == "__main__":
    harness.main()
