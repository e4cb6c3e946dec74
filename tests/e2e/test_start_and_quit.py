"""Journey: the game starts, a key ends the intro, the title menu's cursor wraps, "Quit" exits 1."""
import harness
import game_screens as gs

SOUND_BOX_START = "Error initialising sound system\n"
SOUND_BOX_END = "\nPress Ok to continue without sound\n"


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

    def test_without_a_sound_device_one_box_is_shown_and_the_menu_still_works(self):
        with self.game(sound=False) as game:
            gs.start_to_menu(game, keep="title-menu-silent")
            messages = game.messages()
            self.assertEqual(len(messages), 1, messages)
            self.assertTrue(messages[0].startswith(SOUND_BOX_START), messages[0])
            self.assertTrue(messages[0].endswith(SOUND_BOX_END), messages[0])
            self.assertGreater(len(messages[0]), len(SOUND_BOX_START + SOUND_BOX_END),
                               "Allegro's reason stands between the two lines")

            gs.move_cursor(game, "Up", gs.QUIT)
            self.assertEqual(game.press_to_exit("Return"), gs.QUIT_STATUS)
            self.assertEqual(len(game.messages()), 1)


if __name__ == "__main__":
    harness.main()
