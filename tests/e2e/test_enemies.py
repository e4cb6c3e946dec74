"""Journeys: enemies enter at their corners and fly their paths, a bullet destroys one and its
explosion shows where it died, and enemies drop shots that fall straight down."""
import time

import harness
import game_screens as gs
import play_screens as ps
import progress_screens

LEVEL_NAME = "level1.qlv"
LEVEL_FILE = "levels\\level1.qlv"

LEFT_KIND, RIGHT_KIND, FIRST_KIND, TARGET_KIND = 0, 3, 4, 2
# Level entries are (delay, sprite, pattern, extra). The first enemy spawns with the first
# frame of play, before the journey can look; it flies pattern 6 and drops at x 302. The two
# the journey watches come 200 and 280 ticks later (a delay of d waits 2d/3 ticks), once the
# ship has moved to x 0, out of the way of their drops and shots: pattern 9 dives from the
# left corner along x == y to (100, 100), climbs along x + y == 200 to (150, 50) and drops at
# x 150; pattern 11 dives from the right corner along x + y == 318 to (220, 98), climbs along
# x - y == 122 to (170, 48) and drops at x 170.
ENTRY_LEVEL = [(0, FIRST_KIND, 6, 0), (300, LEFT_KIND, 9, 0), (120, RIGHT_KIND, 11, 0)]
SAFE_X = 0
RIGHT_CORNER_X = 318
LEFT_TURN, RIGHT_TURN = (100, 100), (220, 98)
LEFT_CLIMB_SUM, RIGHT_CLIMB_DIFFERENCE = 200, 122
LEFT_DROP, RIGHT_DROP = (150, 50), (170, 48)


def left_dive(x, y):
    return x == y <= LEFT_TURN[0]


def left_climb_or_drop(x, y):
    return (x + y == LEFT_CLIMB_SUM and LEFT_TURN[0] < x <= LEFT_DROP[0]
            or x == LEFT_DROP[0] and y > LEFT_DROP[1])


def right_dive(x, y):
    return x + y == RIGHT_CORNER_X and x >= RIGHT_TURN[0]


def right_climb_or_drop(x, y):
    return (x - y == RIGHT_CLIMB_DIFFERENCE and RIGHT_DROP[0] <= x < RIGHT_TURN[0]
            or x == RIGHT_DROP[0] and y > RIGHT_DROP[1])


PATHS = {LEFT_KIND: ("left", left_dive, left_climb_or_drop),
         RIGHT_KIND: ("right", right_dive, right_climb_or_drop)}

# Four enemies of pattern 11, 80 ticks apart: each dives from the right corner, climbs back
# to (170, 48) and drops at x 170, into the right gun of a ship that stays at x 160 (bullets
# at x 174 are inside an enemy's box for x 159 to 173), which destroys it before it reaches
# the ship. Their shots fall at x 178 or further right, outside the ship. The hit on a
# level's last enemy goes straight to the tally, so only the first three explosions are drawn.
TARGETS = 4
TARGET_LEVEL = [(120, TARGET_KIND, 11, 0)] * TARGETS
TARGET_DROP_X = 170
TARGET_COLUMNS = range(TARGET_DROP_X, gs.SHIP_START_X + gs.GUN_OFFSETS[1])
POINTS_PER_ENEMY = 10
# An explosion is drawn where its enemy was last seen, give or take the few ticks between two
# screenshots: the enemy drops 2 pixels a tick, as far again as the time between them allows.
EXPLOSION_REACH = 24
DROP_PER_SECOND = 2 * 60
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
            with game.holding("Left"):
                game.wait_for("the ship at the left edge", gs.shows_ship_at(game, SAFE_X),
                              timeout=10)
            seen = {kind: [] for kind in PATHS}

            def look(view):
                for kind, x, y in view.enemies(tuple(PATHS)):
                    side, dive, later = PATHS[kind]
                    if not seen[kind]:
                        view.shot.save_png(game.artifacts / f"{side}-entry.png")
                        self.assertTrue(dive(x, y), f"the {side} enemy is first seen at "
                                        f"{(x, y)}, not on its dive from its corner")
                    self.assertTrue(dive(x, y) or later(x, y),
                                    f"the {side} enemy strayed from its path to {(x, y)}")
                    seen[kind].append((x, y))
                past = all(seen[kind] and PATHS[kind][2](*seen[kind][-1]) for kind in PATHS)
                if past:
                    view.shot.save_png(game.artifacts / "after-the-dives.png")
                return past
            watch(game, look, what="both enemies past their dives")

            self.assertEqual(game.press_to_exit("Escape"), 0)

    def test_bullets_destroy_enemies_which_explode_where_they_died(self):
        with self.game() as game:
            start_level(game, TARGET_LEVEL)
            seen = {}

            def look(view):
                """Only the right gun's columns are searched, so that screenshots follow each
                other closely enough to catch an explosion's first, unlit frames."""
                now = time.monotonic()
                enemy = view.in_columns((TARGET_KIND,), TARGET_COLUMNS)
                explosions = view.in_columns(ps.SPR_EXPLOSIONS, TARGET_COLUMNS)
                last = seen.pop("enemy", None)
                if enemy:
                    seen["enemy"] = (*enemy[0][1:], now)
                if not last:
                    return False
                ex, ey, then = last
                # One above the enemy last seen is a later enemy's: that one's own was missed.
                if explosions and explosions[0][2] >= ey - EXPLOSION_REACH:
                    seen["explosion"], seen["last"] = explosions[0], (ex, ey, now - then)
                elif not enemy:
                    # Gone between two looks: its explosion may already be fading.
                    warm = view.scene.warm_pixels(ex - EXPLOSION_REACH // 2,
                                                  ey - EXPLOSION_REACH // 2,
                                                  ps.SHIP_SIZE + EXPLOSION_REACH,
                                                  ps.SHIP_SIZE + EXPLOSION_REACH)
                    if warm >= WARM_PIXELS_MIN:
                        seen["explosion"], seen["last"] = ("fading", ex, ey), (ex, ey, now - then)
                if "explosion" in seen:
                    view.shot.save_png(game.artifacts / "explosion.png")
                return "explosion" in seen
            with game.holding("space"):
                watch(game, look, what="an enemy's explosion in the gun's fire")
                # Every enemy was destroyed and scored.
                progress_screens.wait_tally(game, POINTS_PER_ENEMY * TARGETS, 0, 2, keep="tally")

            frame, x, y = seen["explosion"]
            ex, ey, seconds = seen["last"]
            self.assertLessEqual(abs(x - ex) + abs(y - ey),
                                 EXPLOSION_REACH + DROP_PER_SECOND * seconds,
                                 f"explosion frame {frame} at {(x, y)}, the enemy seen at "
                                 f"{(ex, ey)} {seconds:.2f} s before")

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


if __name__ == "__main__":
    harness.main()
