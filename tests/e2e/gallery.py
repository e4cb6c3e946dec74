"""The screenshot gallery: drives the real game under Xvfb and keeps one PNG of each moment.

Usage: gallery.py <run_dir> <out_dir>

Two runs of the game make the pictures. The first watches the intro untouched, keeps a frame
of its rising picture and the title menu, then opens the credits. The second plays a level
written for the occasion (waves of enemies that fly into the fire of a ship that holds Space),
raises the shield, clears the level to the tally and the shop, and then loses every life on a
level whose enemy dives into the ship, for the lives screen and the game-over picture.
"""
import subprocess
import sys
import time
from pathlib import Path

import harness
import game_screens as gs
import play_screens as ps
import progress_screens as progress

GAME_BINARY = "void-sentinel"
USAGE = "usage: gallery.py <run_dir> <out_dir>"
DOUBLED = ("play", "title")          # also written at twice the size, for the README
DOUBLE = "200%"

# The intro's rising picture is kept when its top edge stands near this row: the end of the
# story (one pilot, one ship, the last line of defence) with the ship rising below it.
RISER_TARGET = -390
RISER_SLACK = 80
# The shots of the intro are many; the rising picture's place is judged on every few first.
RISER_STRIDE = 4
CREDIT_SLIDE = 2                     # art and music, with the five enemies
FADE_SETTLE_SECONDS = 0.5            # a cross-fade's last frames come well within this

# A table no gallery game can enter, so that the game over goes straight to its picture. Each
# name is one word: the table file is read word by word.
UNBEATABLE = [(f"Sentinel{rank + 1}", 100000 * (10 - rank)) for rank in range(10)]

# The showcase level, in waves of four that enter 20 ticks apart (a delay of 30). Patterns 10
# and 12 dive from the corners and drop at x 150 and 170, into the fire of the two guns of a
# ship that stays at x 160; patterns 5 and 7 run along the top, through both guns' fire, and
# drop at the far sides. All five enemy pictures take turns.
SHOWCASE_PATTERNS = (10, 7, 12, 5)
SHOWCASE_GAP = 30
SHOWCASE_SIZE = 40
ENEMY_KINDS = 5
SHOWCASE = [(0 if i == 0 else SHOWCASE_GAP, i % ENEMY_KINDS,
             SHOWCASE_PATTERNS[i % len(SHOWCASE_PATTERNS)], 0) for i in range(SHOWCASE_SIZE)]

# What makes a good picture of play: explosions, enemy shots, enemies and bullets at once.
WANTED_ENEMIES = 5
PLAY_SECONDS = 60
SHIELD_SECONDS = 1.0                 # the shield lasts 100 ticks; look for a busy moment in it
SHIELD_KEY = "Control_L"
SCREEN_TIMEOUT = 90


class Gallery:
    """The output folder and the pictures written into it."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.written = []

    def keep(self, name, shot):
        path = self.folder / f"{name}.png"
        shot.save_png(path)
        self.written.append(path)
        print(f"wrote {path}")


# ---- the intro, the title and the credits -------------------------------------------------
def shots_until(game, check, timeout=SCREEN_TIMEOUT):
    """Every screenshot taken, as fast as they come, up to the first for which check is true."""
    shots = []
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if not game.running():
            raise harness.JourneyError("the game exited before the awaited screen")
        shots.append(game.screenshot())
        if check(shots[-1]):
            return shots
    raise harness.JourneyError(f"the awaited screen did not come within {timeout} s")


def rising_picture(game, shots):
    """The shot whose rising picture stands nearest the target row. The picture only rises,
    so the shots judged every few are enough to find the stretch to look at closely."""
    def distance(index):
        top = ps.riser_position(game, shots[index])
        return None if top is None else abs(top - RISER_TARGET)
    coarse = [(d, i) for i in range(0, len(shots), RISER_STRIDE)
              if (d := distance(i)) is not None]
    if not coarse:
        raise harness.JourneyError("no screenshot showed the intro's rising picture")
    _, centre = min(coarse)
    near = range(max(0, centre - RISER_STRIDE), min(len(shots), centre + RISER_STRIDE + 1))
    best_distance, best = min((d, i) for i in near if (d := distance(i)) is not None)
    if best_distance > RISER_SLACK:
        raise harness.JourneyError(f"the rising picture was seen {best_distance} rows from "
                                   f"its target row at best")
    return shots[best]


def front_end(display, gallery):
    with harness.Game(display, "gallery/front-end") as game:
        game.start()
        game.find_window()
        shots = shots_until(game, gs.menu_with_cursor(gs.NEW_GAME))
        gallery.keep("intro", rising_picture(game, shots[:-1]))
        gallery.keep("title", shots[-1])

        gs.move_cursor(game, "Down", gs.HIGH_SCORES)
        gs.move_cursor(game, "Down", gs.CREDITS)
        game.press("Return", "the first credit slide", slide(game, 0))
        for number in range(1, CREDIT_SLIDE + 1):
            game.press(gs.ANY_KEY, f"credit slide {number}", slide(game, number))
        time.sleep(FADE_SETTLE_SECONDS)
        shot = game.screenshot()
        gs.expect(slide(game, CREDIT_SLIDE)(shot), "the credit slide stays up")
        gallery.keep("credits", shot)


def slide(game, number):
    return lambda shot: progress.shows_picture(game, shot, ps.BG_CREDITS_FIRST + number)


# ---- play, the shield and the screens between lives ---------------------------------------
def liveliness(view):
    """How much a shot of play shows, compared as a tuple: an explosion, an enemy shot, enough
    enemies, then bullets. None when the ship is not seen: not play, or the ship hidden by
    an enemy's explosion."""
    if view.ship() is None:
        return None
    return (bool(view.explosions()), bool(view.enemy_shots()),
            min(len(view.enemies()), WANTED_ENEMIES), len(view.bullets()))


def lively(rating):
    explosion, enemy_shot, enemies, bullets = rating
    return explosion and enemy_shot and enemies >= WANTED_ENEMIES and bullets > 0


def shield_rating(view):
    """The shield around the ship where it stays, then enemies and bullets; None without it.
    (The translucent shield tints the ship, so the ship is not looked for.)"""
    if view.shield_brightening(gs.SHIP_START_X, gs.SHIP_Y) < ps.SHIELD_BRIGHTENING:
        return None
    return (min(len(view.enemies()), WANTED_ENEMIES), len(view.bullets()))


def watch_play(game, seconds, rate, good_enough=lambda rating: False):
    """The best-rated screenshot of play within `seconds`, or the first that is good enough;
    shots rated None are not candidates. A lost life on the way is passed with Enter (the
    level starts again)."""
    lives_screen = progress.shows_lives(game)
    best, best_rating = None, None
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        shot = game.screenshot()
        if lives_screen(shot):
            progress.leave_lives(game)
            continue
        rating = rate(ps.PlayView(game, shot))
        if rating is None:
            continue
        if best_rating is None or rating > best_rating:
            best, best_rating = shot, rating
        if good_enough(rating):
            break
    if best is None:
        raise harness.JourneyError("no screenshot of the awaited moment of play was taken")
    return best, best_rating


def shield_shot(game):
    """Left Ctrl raises the shield; the busiest shot within its first second is kept."""
    game.press(SHIELD_KEY, "the shield",
               lambda shot: shield_rating(ps.PlayView(game, shot)) is not None)
    return watch_play(game, SHIELD_SECONDS, shield_rating)[0]


def through_lost_lives(game, check, what):
    """Waits for a screen, passing any lives screen on the way with Enter."""
    lives_screen = progress.shows_lives(game)
    deadline = time.monotonic() + SCREEN_TIMEOUT
    while time.monotonic() < deadline:
        shot = game.screenshot()
        if check(shot):
            return shot
        if lives_screen(shot):
            progress.leave_lives(game)
        if not game.running():
            break
    raise harness.JourneyError(f"{what} did not come")


def play_through(display, gallery):
    with harness.Game(display, "gallery/play") as game:
        game.write_scores(UNBEATABLE)
        progress.write_chain(game, [("level1.qlv", SHOWCASE, "level2.qlv"),
                                    ("level2.qlv", progress.KILLER, "level2.qlv")])
        gs.start_to_menu(game)
        with game.holding("space"):
            game.press("Return", "the game started", progress.left_menu)
            shot, rating = watch_play(game, PLAY_SECONDS, liveliness, lively)
            print(f"play: explosion, enemy shot, enemies, bullets = {rating}")
            gallery.keep("play", shot)
            gallery.keep("shield", shield_shot(game))
            gallery.keep("tally", through_lost_lives(game, progress.shows_tally(game),
                                                     "the tally"))
        gallery.keep("shop", game.press("b", "the shop", progress.shows_shop(game)))
        game.press(progress.LEAVE_SHOP, "play in level 2", progress.shows_play(game))

        lives_screen, game_over = progress.shows_lives(game), progress.shows_game_over(game)
        gallery.keep("lives", game.wait_for("the lives screen", lives_screen,
                                            timeout=SCREEN_TIMEOUT))
        shot = through_lost_lives(game, game_over, "the game-over picture")
        gallery.keep("game-over", shot)


def double(gallery):
    """Copies of some pictures at twice the size, each pixel a 2x2 block."""
    for name in DOUBLED:
        source = gallery.folder / f"{name}.png"
        target = gallery.folder / f"{name}-2x.png"
        subprocess.run(["convert", str(source), "-filter", "point", "-resize", DOUBLE,
                                str(target)], check=True)
        print(f"wrote {target}")


def main(argv):
    if len(argv) != 3:
        print(USAGE, file=sys.stderr)
        return 2
    run_dir, out_dir = Path(argv[1]).resolve(), Path(argv[2])
    if not (run_dir / GAME_BINARY).is_file():
        print(f"gallery: no {GAME_BINARY} in {run_dir}; build the game first\n{USAGE}",
              file=sys.stderr)
        return 2
    harness.RUN_DIR = run_dir
    harness.ARTIFACTS = run_dir.parent / "gallery-artifacts"
    gallery = Gallery(out_dir)
    try:
        with harness.Display(log_dir=harness.ARTIFACTS) as display:
            front_end(display, gallery)
            play_through(display, gallery)
        double(gallery)
    except harness.JourneyError as failure:
        print(f"gallery: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
