"""Journey: the game starts, a key ends the intro, the title menu's cursor wraps, "Quit" exits 1.
An Enter held from the intro into the menu chooses nothing."""
import harness
import game_screens as gs


class StartAndQuit(harness.JourneyTest):

    def test_intro_gives_way_to_the_menu_whose_cursor_wraps_and_quit_exits_1(self):
        with self.game() as game:
            scores_before = game.path("highscores.sco").read_bytes()
            shot = gs.start_to_menu(game)
            self.assertEqual(gs.cursor_row(shot), gs.NEW_GAME)
            self.assertEqual(game.messages(), [], "with a sound device no box is shown")

            gs.move_cursor(game, "Up", gs.QUIT, keep="menu-cursor-quit")
            gs.move_cursor(game, "Down", gs.NEW_GAME, keep="menu-cursor-new-game")
            gs.move_cursor(game, "Down", gs.HIGH_SCORES, keep="menu-cursor-high-scores")
            gs.move_cursor(game, "Down", gs.CREDITS, keep="menu-cursor-credits")
            gs.move_cursor(game, "Down", gs.QUIT)
            gs.move_cursor(game, "Up", gs.CREDITS)
            gs.move_cursor(game, "Down", gs.QUIT)

            self.assertEqual(game.press_to_exit("Return"), gs.QUIT_STATUS)
            self.assertEqual(game.messages(), [])
            self.assertTrue(game.audio_heard(), "the intro's sound and tunes were played")
            self.assertEqual(game.path("highscores.sco").read_bytes(), scores_before)

    def test_enter_held_from_the_intro_waits_to_be_let_go_in_the_menu(self):
        with self.game() as game:
            game.start()
            game.find_window()
            # Enter, pressed again and again, ends the intro and is still down as the menu starts.
            try:
                game.wait_for("the title menu", gs.menu_with_cursor(gs.NEW_GAME), timeout=60,
                              between=lambda: game.key_down("Return"))
            finally:
                game.key_up("Return")
            # The menu takes keys once Enter is let go: the held Enter chose nothing.
            gs.move_cursor(game, "Down", gs.HIGH_SCORES, keep="menu-after-enter-held")
            game.press("Return", "the high score table", gs.shows_table)


if __name__ == "__main__":
    harness.main()
