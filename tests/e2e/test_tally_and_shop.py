"""Journey: a cleared level's tally, the shop with a purchase and a refusal, and play going on."""
import harness
import game_screens as gs
import progress_screens as ps

# 52 enemies shot down bank 520 points: enough for one 500-point item, with 20 left over.
CLEARED = 52
POINTS = CLEARED * ps.POINTS_PER_ENEMY
# After the shop an empty level ends at once, and its tally shows what the shop left; the
# third level's first enemy is shot down and the second comes only after a long while.
QUIET = [(0, 0, 10, 0), (3000, 1, 10, 0)]
# A table that 20 points do not enter, so that Escape at the end shows no score screen.
TABLE = [(f"P{i}", 1000 - 100 * i) for i in range(10)]


class TallyAndShop(harness.JourneyTest):

    def test_tally_then_a_purchase_and_a_refusal_in_the_shop_and_play_goes_on(self):
        with self.game() as game:
            game.write_scores(TABLE)
            ps.write_chain(game, [("level1.qlv", ps.gallery(CLEARED), "level2.qlv"),
                                  ("level2.qlv", ps.EMPTY, "level3.qlv"),
                                  ("level3.qlv", QUIET, "level3.qlv")])
            scores_before = game.path("highscores.sco").read_bytes()
            gs.start_to_menu(game)
            with game.holding("space"):
                game.press("Return", "the game started", ps.left_menu)
                ps.wait_tally(game, POINTS, 0, 2, keep="tally", timeout=90)

            ps.open_shop(game, POINTS, 2, keep="shop")
            # Escape does nothing in the shop: it stays, and the game goes on running.
            game.tap("Escape")
            ps.expect_lines(ps.shop_lines(game.screenshot()), ps.expected_shop(POINTS, 2),
                            "the shop after Escape")

            key, price = ps.ITEM_MAX_BULLETS
            shot = ps.shop_key(game, key, ps.THANKS, keep="message-thanks")
            left = POINTS - price
            ps.expect_lines(ps.shop_lines(shot),
                            ps.expected_shop(left, 2, bullets=ps.START_BULLETS + 1),
                            "the shop after buying Max Bullets")
            shot.save_png(game.artifacts / "shop-after-purchase.png")

            key, price = ps.ITEM_SHIELDS
            self.assertLess(left, price)
            shot = ps.shop_key(game, key, ps.TOO_DEAR, keep="message-refused")
            ps.expect_lines(ps.shop_lines(shot),
                            ps.expected_shop(left, 2, bullets=ps.START_BULLETS + 1),
                            "the shop after the refusal: nothing changed")

            # 6 leaves the shop; the empty second level ends at once and banks nothing.
            in_shop = ps.shows_shop(game)
            game.press(ps.LEAVE_SHOP, "the shop left", lambda shot: not in_shop(shot))
            ps.wait_tally(game, 0, left, 3, keep="tally-after-shop")

            with game.holding("space"):
                game.press("Return", "play in the third level", ps.shows_play(game),
                           keep="play-goes-on")
                # Still firing, so the level's first enemy cannot reach the ship meanwhile.
                self.assertEqual(game.press_to_exit("Escape"), 0)
            self.assertEqual(game.messages(), [])
            self.assertEqual(game.path("highscores.sco").read_bytes(), scores_before)


if __name__ == "__main__":
    harness.main()
