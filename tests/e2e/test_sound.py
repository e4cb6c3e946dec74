"""Journeys: what the game plays, heard through the capture of its ALSA output.

The intro's opening sound and then its tune, the title tune under the menu, and a shot sound
every quarter second while Space is held, and an explosion for each enemy shot down. Samples
are played centred, alike in both channels to within a decibel; the tunes' voices are panned
apart, which tells them from a sample. Without a sound device one message box gives Allegro's
reason and the game plays on in silence.
"""
import statistics
import sys

import audio
import harness
import game_screens as gs
import progress_screens as ps

SOUNDS_DAT = "sounds.dat"
SND_EXPLOSION = 0
SND_INTRO = 1
SND_SHOT = 4

AUDIBLE_DB = -40.0             # any of our tunes or sounds is far louder than this
CENTRED_DB = 1.0               # a centred sample's two channels differ by less than this
INTRO_FIRST_PAUSE = 1.0        # the intro rests a second before the opening sound
OPENING_PAUSE = 1.0            # and a second with the opening picture before its tune
# The capture keeps real time only as well as Allegro's mixing thread is woken: a busy
# machine can drop a tenth of a second or so from it now and then.
PACING_SLACK = 0.25
SILENCE_BLOCK = 0.05
MENU_LISTEN = 2.5              # seconds of the title tune to hear
TUNE_START_MARGIN = 0.3        # the menu's tune reaches the capture a little after its screen

# One enemy that dives in from the left and never comes right of x 166, and a second one so
# late that the level cannot end during the journey. From the right edge the guns fire at
# x 305 and 318: no bullet can hit anything, so no explosion sounds among the shots.
LEVEL = [(0, 0, 9, 0), (3000, 1, 9, 0)]
GUN_COLUMNS = {gs.SHIP_MAX_X + offset for offset in gs.GUN_OFFSETS}
FIRE_HOLD = 1.6                # four shots, then more as the first bullets leave the screen
FIRE_DELAY_SECONDS = 15 / 60   # a shot every 15 ticks while a bullet slot is free
GAP_TOLERANCE = 0.03           # the mixer starts a sample on a 10 ms fragment boundary
# Held fire leaves no silence this long (the longest wait for a free bullet slot is 0.3 s).
QUIET = 2 * FIRE_DELAY_SECONDS

# Two enemies of pattern 11, 80 ticks apart: each dives from the right corner, climbs back and
# drops at x 170 into the right gun of the ship left at its start, which shoots it down.
TARGETS_LEVEL = [(120, 2, 11, 0)] * 2


# The software MIDI synth finds patches.dat but no digital driver lends it voices: this is
# Allegro's own reason for it, between the game's two lines (Allegro adds the final newline).
ALLEGRO_REASON = "Insufficient digital voices available"
SOUND_BOX = ("Error initialising sound system\n" + ALLEGRO_REASON
             + "\nPress Ok to continue without sound\n")


def without_tunes(game):
    """Takes the instrument patches from the game's folder: it then plays no tune, and the
    capture holds its samples alone. A tune's panned voices under a sample, above all under the
    quiet shot, move the sample's measured balance by a decibel and more."""
    game.path("patches.dat").unlink()


def play_at_right_edge(game):
    """Starts the game on the quiet level and moves the ship to the right edge."""
    game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv", LEVEL)
    gs.start_to_menu(game)
    gs.new_game(game)
    with game.holding("Right"):
        game.wait_for("the ship at the right edge", gs.shows_ship_at(game, gs.SHIP_MAX_X),
                      timeout=10)


def both_guns_firing(game):
    return lambda shot: {x for x, _ in gs.bullets_above(game, shot, gs.SHIP_MAX_X)} == GUN_COLUMNS


def report(name, levels):
    print(f"{name}: RMS overall {levels['overall']} dB, left {levels['left']} dB, "
          f"right {levels['right']} dB", file=sys.stderr)


class Sound(harness.JourneyTest):

    def test_intro_plays_its_opening_sound_then_its_tune_and_the_menu_its_own(self):
        with self.game() as game:
            game.start()
            game.find_window()
            menu_at = []

            def menu_shown(shot):
                menu_at.append(audio.now(game))
                return gs.shows_menu(shot)
            # No key is pressed: the whole intro plays.
            game.wait_for("the title menu after the whole intro", menu_shown, timeout=60,
                          keep="title-menu")
            menu_start = menu_at[-1]
            menu_end = menu_start + TUNE_START_MARGIN + MENU_LISTEN
            audio.wait_for(game, "the title tune", lambda capture: capture.seconds >= menu_end)
            game.wait_for("the menu still", gs.shows_menu, timeout=5)
            self.assertEqual(game.messages(), [], "with a sound device no box is shown")
            game.kill()

            with audio.kept_on_failure(game):
                capture = audio.Capture(game.audio_file)
                self.check_intro(capture, menu_start, game.path(SOUNDS_DAT))
                self.check_menu(capture, menu_start + TUNE_START_MARGIN, menu_end)

    def check_intro(self, capture, menu_start, sounds_dat):
        """A second of silence, the opening sound alone (centred) for the picture's second,
        then the intro tune until the menu."""
        opening = capture.first_sound(audio.LEFT)
        self.assertIsNotNone(opening, "the opening sound was heard")
        self.assertEqual(capture.first_sound(audio.RIGHT), opening,
                         "the opening sound starts in both channels at once")
        self.assertGreaterEqual(opening, INTRO_FIRST_PAUSE - PACING_SLACK,
                                "the intro waits a second before its opening sound")
        tune = capture.first_uneven(opening)
        self.assertIsNotNone(tune, "the intro tune was heard")
        self.assertGreaterEqual(tune - opening, OPENING_PAUSE - PACING_SLACK,
                                "the tune waits for the opening picture's second")
        self.assertLess(tune, menu_start, "the tune started in the intro, not the menu")
        self.assertEqual(capture.silent_blocks(audio.LEFT, opening, tune, SILENCE_BLOCK), [],
                         "one long opening sound, not a short effect, until the tune")

        opening_levels = capture.levels(opening, tune)
        report("intro opening sound", opening_levels)
        self.assertGreater(opening_levels["right"], AUDIBLE_DB)
        self.assertAlmostEqual(opening_levels["left"], opening_levels["right"], delta=CENTRED_DB,
                               msg="the opening sound is centred")
        intro = audio.datafile_sample(sounds_dat, SND_INTRO)
        self.assertAlmostEqual(capture.balance(intro, opening), 0.0, delta=CENTRED_DB,
                               msg="the opening sound is centred")

        tune_levels = capture.levels(tune, menu_start)
        report("intro tune, with the end of the opening sound", tune_levels)
        self.assertGreater(tune_levels["left"], AUDIBLE_DB)
        opening_end = opening + intro.seconds
        if menu_start - opening_end > SILENCE_BLOCK:
            report("intro tune alone", capture.levels(opening_end, menu_start))

    def check_menu(self, capture, start, end):
        """The title tune sounds all the while the menu shows."""
        report("title menu tune", capture.levels(start, end))
        middle = (start + end) / 2
        for first, last in ((start, middle), (middle, end)):
            self.assertGreater(capture.levels(first, last)["left"], AUDIBLE_DB,
                               f"the title tune plays on while the menu shows ({first:.2f} s)")

    def test_holding_fire_sounds_a_shot_every_quarter_second(self):
        with self.game() as game:
            without_tunes(game)
            play_at_right_edge(game)
            fire_start = audio.now(game)
            with game.holding("space"):
                first = audio.wait_for(game, "a shot",
                                       lambda capture: capture.first_sound(audio.RIGHT, fire_start))
                audio.wait_for(game, "held fire",
                               lambda capture: capture.seconds >= first + FIRE_HOLD)
            # Firing stops once Space is let go: the capture falls silent.
            listen_end = audio.wait_for(game, "silence once Space was let go",
                                        audio.quiet_end(QUIET))
            self.assertEqual(game.press_to_exit("Escape"), 0)
            self.assertEqual(game.messages(), [], "with a sound device no box is shown")

            with audio.kept_on_failure(game):
                capture = audio.Capture(game.audio_file)
                shot = audio.datafile_sample(game.path(SOUNDS_DAT), SND_SHOT)
                shots = capture.onsets(shot, fire_start, listen_end)
                heard = f"shots heard at {[round(t, 3) for t in shots]}"
                self.assertGreaterEqual(len(shots), 5, f"firing goes on as bullets leave; {heard}")
                self.assertAlmostEqual(statistics.median(audio.gaps(shots[:4])), FIRE_DELAY_SECONDS,
                                       delta=GAP_TOLERANCE,
                                       msg=f"a shot every quarter second; {heard}")

                for onset in shots:
                    self.assertAlmostEqual(capture.balance(shot, onset), 0.0, delta=CENTRED_DB,
                                           msg=f"the shot at {onset:.3f} s is centred")

    def test_explosions_sound_centred(self):
        with self.game() as game:
            without_tunes(game)
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv",
                             TARGETS_LEVEL)
            gs.start_to_menu(game)
            gs.new_game(game)
            fire_start = audio.now(game)
            with game.holding("space"):
                game.wait_for("the tally once both are shot down", ps.shows_tally(game))
            listen_end = audio.wait_for(game, "the last explosion's end", audio.quiet_end(QUIET))
            game.kill()

            with audio.kept_on_failure(game):
                capture = audio.Capture(game.audio_file)
                explosion = audio.datafile_sample(game.path(SOUNDS_DAT), SND_EXPLOSION)
                blasts = capture.onsets(explosion, fire_start, listen_end)
                self.assertEqual(len(blasts), len(TARGETS_LEVEL),
                                 f"one explosion per enemy, heard at {blasts}")
                for onset in blasts:
                    balance = capture.balance(explosion, onset)
                    print(f"explosion at {onset:.3f} s: left over right {balance:.2f} dB",
                          file=sys.stderr)
                    self.assertAlmostEqual(balance, 0.0, delta=CENTRED_DB,
                                           msg=f"the explosion at {onset:.3f} s is centred")

    def test_without_a_device_one_box_gives_allegros_reason_and_play_goes_on_silently(self):
        with self.game(sound=False) as game:
            self.assertTrue(game.path("patches.dat").exists(), "the patches sit beside the game")
            play_at_right_edge(game)
            self.assertEqual(game.messages(), [SOUND_BOX])
            with game.holding("space"):
                game.wait_for("silent shots from both guns", both_guns_firing(game), timeout=10,
                              keep="firing-silently")
            self.assertEqual(game.press_to_exit("Escape"), 0, "play ends as usual with Escape")
            self.assertEqual(game.messages(), [SOUND_BOX], "the box is shown once only")


if __name__ == "__main__":
    harness.main()
