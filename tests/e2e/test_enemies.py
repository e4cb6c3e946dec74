"""Journeys: enemies enter at their corners and fly their paths, a bullet destroys one and its
explosion shows where it died, and enemies drop shots that fall straight down."""
import time

import harness
import game_screens as gs
import play_screens as ps

LEVEL_NAME = "level1.qlv"
LEVEL_FILE = "levels\\level1.qlv"

LEFT_KIND, RIGHT_KIND, FIRST_KIND, TARGET_KIND = 0, 3, 4, 2
# Level entries are (delay, sprite, pattern, extra). The first enemy spawns with the first
# frame of play, before the journey can look; it flies pattern 8 and drops at x 18, far from
# the ship. The two the journey watches follow 80 ticks apart (a delay of 120 waits 80 ticks):
# pattern 5 dives from the left corner along x == y to (50, 50), runs right along y 50 and
# drops at x 300; pattern 7 dives from the right corner along x + y == 318 to (270, 48), runs
# left along y 48 and drops at x 20.
ENTRY_LEVEL = [(0, FIRST_KIND, 8, 0), (120, LEFT_KIND, 5, 0), (120, RIGHT_KIND, 7, 0)]
LEFT_CORNER_X, RIGHT_CORNER_X = 0, 318
LEFT_DIVE_END, RIGHT_DIVE_END = 50, 48     # the y at which each dive ends
LEFT_DROP_X, RIGHT_DROP_X = 300, 20


def left_dive(x, y):
    return x == y <= LEFT_DIVE_END


def left_beyond(x, y):
    return y == LEFT_DIVE_END and x > LEFT_DIVE_END or x == LEFT_DROP_X and y > LEFT_DIVE_END


def right_dive(x, y):
    return x + y == RIGHT_CORNER_X and y <= RIGHT_DIVE_END


def right_beyond(x, y):
    return (y == RIGHT_DIVE_END and x < RIGHT_CORNER_X - RIGHT_DIVE_END
            or x == RIGHT_DROP_X and y > RIGHT_DIVE_END)


PATHS = {LEFT_KIND: ("left", left_dive, left_beyond),
         RIGHT_KIND: ("right", right_dive, right_beyond)}

# An enemy of pattern 11: it dives from the right corner, climbs back to (170, 48) and drops
# at x 170, into the right gun of a ship that stays at x 160 (bullets at x 174 are inside its
# box for x 159 to 173). Its shots fall at x 178 or further right, outside the ship. A second
# enemy follows 400 ticks later: the level goes on, so the frames after the hit are drawn (the
# hit on a level's last enemy goes straight to the tally). It flies pattern 6 and drops at
# x 302, away from the ship; by then the journey has let go of the fire key.
TARGET_LEVEL = [(0, TARGET_KIND, 11, 0), (600, 1, 6, 0)]
TARGET_DROP_X = 170
TARGET_COLUMNS = range(TARGET_DROP_X, gs.SHIP_START_X + gs.GUN_OFFSETS[1])
APPROACH_X = 200           # on its climb towards the gun's columns
POINTS_PER_ENEMY = 10
# An explosion is drawn where its enemy was last seen, give or take the few ticks between
# two screenshots (the enemy drops 2 pixels a tick).
EXPLOSION_REACH = 24
WARM_PIXELS_MIN = 12       # of an explosion's fading frames, when its bright ones were missed

# Ten enemies that sweep from side to side as they sink slowly (patterns 1 and 3), 10 ticks
# apart: at one chance in 500 per enemy and tick, a shot falls about every 50 ticks. They take
# over nine seconds to sink to the ship's row.
SHOOTER_LEVEL = [(15, kind, pattern, 0) for kind, pattern in [(0, 1), (1, 3)] * 5]

WATCH_SECONDS = 20


def watch(game, look, seconds=WATCH_SECONDS, what="the awaited sight"):
    """Screenshots as fast as they can be read, each handed to look(view) until it returns
    true; fails when the game exits or the time runs out."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not game.running():
            raise harness.JourneyError(f"the game exited while waiting for {what}")
        if look(ps.PlayView(game, game.screenshot())):
            return
    raise harness.JourneyError(f"{what} not seen within {seconds} s")


def start_level(game, level):
    game.write_level(LEVEL_NAME, LEVEL_FILE, LEVEL_FILE, level)
    gs.start_to_menu(game)
    gs.new_game(game)


class Enemies(harness.JourneyTest):

    def test_enemies_enter_at_their_corners_and_fly_their_paths(self):
        with self.game() as game:
            start_level(game, ENTRY_LEVEL)
            seen = {kind: [] for kind in PATHS}

            def look(view):
                for kind, x, y in view.enemies(tuple(PATHS)):
                    side, dive, beyond = PATHS[kind]
                    if not seen[kind]:
                        view.shot.save_png(game.artifacts / f"{side}-entry.png")
                        self.assertTrue(dive(x, y), f"the {side} enemy is first seen at "
                                        f"{(x, y)}, not on its dive from its corner")
                    self.assertTrue(dive(x, y) or beyond(x, y),
                                    f"the {side} enemy strayed from its path to {(x, y)}")
                    seen[kind].append((x, y))
                past = all(seen[kind] and PATHS[kind][2](*seen[kind][-1]) for kind in PATHS)
                if past:
                    view.shot.save_png(game.artifacts / "beyond-the-dives.png")
                return past
            watch(game, look, what="both enemies past their dives")

            self.assertEqual(game.press_to_exit("Escape"), 0)

    def test_a_bullet_destroys_an_enemy_which_explodes_where_it_died(self):
        with self.game() as game:
            start_level(game, TARGET_LEVEL)
            seen = {}

            def approaching(view):
                found = view.enemies((TARGET_KIND,))
                return bool(found) and found[0][1] <= APPROACH_X

            def look(view):
                """Only the right gun's columns are searched, so that screenshots follow each
                other closely enough to catch the explosion's first, unlit frames."""
                enemy = view.in_columns((TARGET_KIND,), TARGET_COLUMNS)
                if enemy:
                    seen["enemy"] = enemy[0][1:]
                    return False
                explosions = view.in_columns(ps.SPR_EXPLOSIONS, TARGET_COLUMNS)
                if explosions:
                    seen["explosion"] = explosions[0]
                elif "enemy" not in seen:
                    return False       # still on its way to the gun's columns
                else:
                    ex, ey = seen["enemy"]
                    warm = view.scene.warm_pixels(ex - EXPLOSION_REACH // 2,
                                                  ey - EXPLOSION_REACH // 2,
                                                  ps.SHIP_SIZE + EXPLOSION_REACH,
                                                  ps.SHIP_SIZE + EXPLOSION_REACH)
                    self.assertGreaterEqual(warm, WARM_PIXELS_MIN, f"the enemy last seen at "
                                            f"{seen['enemy']} vanished without an explosion")
                    seen["explosion"] = ("fading", ex, ey)
                view.shot.save_png(game.artifacts / "explosion.png")
                return True
            with game.holding("space"):
                watch(game, approaching, what="the enemy on its way to the gun")
                watch(game, look, what="the enemy and then its explosion")
                after = ps.PlayView(game, game.screenshot())
            tally = game.wait_for("the tally", gs.shows_tally, keep="tally")

            frame, x, y = seen["explosion"]
            if "enemy" in seen:
                ex, ey = seen["enemy"]
                self.assertLessEqual(abs(x - ex) + abs(y - ey), EXPLOSION_REACH,
                                     f"explosion frame {frame} at {(x, y)}, the enemy last seen "
                                     f"at {(ex, ey)}")
            self.assertEqual(after.enemies((TARGET_KIND,)), [], "the enemy is gone")
            self.assertEqual(gs.tally_lines(tally)[0], f"Points          :  {POINTS_PER_ENEMY}",
                             "the destroyed enemy scored")

    def test_enemy_shots_fall_straight_down(self):
        with self.game() as game:
            start_level(game, SHOOTER_LEVEL)
            first = {}

            def look(view):
                shots = view.enemy_shots()
                if first:
                    x, y = first["at"]
                    if any(sx == x and sy > y for sx, sy in shots):
                        view.shot.save_png(game.artifacts / "enemy-shot-lower.png")
                        return True
                    if not any(sx == x for sx, _ in shots):
                        first.clear()      # gone before a second look: watch for another
                if not first and shots:
                    first["at"] = shots[0]
                    view.shot.save_png(game.artifacts / "enemy-shot.png")
                return False
            watch(game, look, what="an enemy shot seen twice as it falls")
            self.assertEqual(game.press_to_exit("Escape"), 0)


if __name__ == "__main__":
    harness.main()
