"""Journey: the credits show their six slides, one key after each, and give the title menu back
with its cursor still on "Credits"."""
import operator
import time

import allegro_ref
import harness
import game_screens as gs

SLIDE_COUNT = 6            # backgrounds entries 0 to 5, in that order
FIRST_SLIDE = 0
QUIT_STATUS = 1
# Mean absolute difference per colour channel between a screenshot and a slide's picture.
# A slide fully shown differs by about 1.4 (16-bit colours widened to 24 bits); the frame
# before a cross-fade's end still holds 1/32 of the white-turned slide before it and differs
# by well over 4. Different slides differ by 14 or more.
SETTLED_DIFFERENCE = 4.0
SLIDE_TIMEOUT = 10.0       # a fade takes a fraction of a second; this allows a busy machine
# Long enough for a fade that went on without waiting for a key to be over and gone.
STILL_SECONDS = 1.0
MENU_TIMEOUT = 10.0


def slide_pixels(game, number):
    """The slide's picture as bytes laid out like a screenshot's: red, green, blue per pixel."""
    picture = allegro_ref.datafile_sprites(game.path("backgrounds.dat"))[FIRST_SLIDE + number]
    gs.expect(picture is not None and len(picture.pixels) == picture.width * picture.height,
              f"credit slide {number} is a bitmap without transparent pixels")
    return bytes(channel for y in range(picture.height) for x in range(picture.width)
                 for channel in picture.pixels[(x, y)])


def mean_difference(pixels, other):
    return sum(map(abs, map(operator.sub, pixels, other))) / len(other)


class Credits(harness.JourneyTest):

    def test_six_slides_each_awaiting_a_key_then_the_menu_on_credits_and_quit(self):
        with self.game() as game:
            slides = [slide_pixels(game, number) for number in range(SLIDE_COUNT)]
            for first in range(SLIDE_COUNT):
                for second in range(first + 1, SLIDE_COUNT):
                    self.assertGreater(mean_difference(slides[first], slides[second]),
                                       2 * SETTLED_DIFFERENCE,
                                       f"slides {first} and {second} can be told apart")

            def shows_slide(number):
                return lambda shot: (not gs.shows_menu(shot) and
                                     mean_difference(shot.rgb, slides[number])
                                     < SETTLED_DIFFERENCE)

            def holds_slide(number):
                """The slide stays up: the show waits for a key before going on."""
                time.sleep(STILL_SECONDS)
                shot = game.screenshot()
                gs.expect(shows_slide(number)(shot),
                          f"credit slide {number} is still up {STILL_SECONDS} s after it "
                          f"settled, awaiting a key (difference "
                          f"{mean_difference(shot.rgb, slides[number]):.1f}, menu shown: "
                          f"{gs.shows_menu(shot)})")

            gs.start_to_menu(game)
            gs.move_cursor(game, "Down", gs.HIGH_SCORES)
            gs.move_cursor(game, "Down", gs.CREDITS)

            # The menu polls Enter and can miss a tap; a second one is only sent when the
            # menu is still there long after the first, so it never reaches the slideshow.
            game.press("Return", "the first credit slide faded in", shows_slide(0),
                       timeout=SLIDE_TIMEOUT, keep="credits-slide-0")
            holds_slide(0)
            # Each slide takes exactly one typed key, so each key is tapped once only.
            for number in range(1, SLIDE_COUNT):
                game.tap(gs.ANY_KEY)
                game.wait_for(f"credit slide {number} after its cross-fade", shows_slide(number),
                              timeout=SLIDE_TIMEOUT, keep=f"credits-slide-{number}")
                holds_slide(number)

            # The sixth key ends the show: the last slide fades to white and the menu returns.
            game.tap(gs.ANY_KEY)
            game.wait_for("the title menu with its cursor still on Credits",
                          gs.menu_with_cursor(gs.CREDITS), timeout=MENU_TIMEOUT,
                          keep="menu-after-credits")

            gs.move_cursor(game, "Down", gs.QUIT)
            self.assertEqual(game.press_to_exit("Return"), QUIT_STATUS)
            self.assertEqual(game.messages(), [])


if __name__ == "__main__":
    harness.main()
