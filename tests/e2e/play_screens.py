"""What play looks like on a screenshot, and where the intro's rising picture stands.

Enemies, their shots, the explosions and the player's bullets are found against the sprites of
the datafile the game loaded, allowing a sprite to stick out past a side edge (an enemy enters
at x 318 with only two of its columns on screen). The intro's rising picture is placed against
the game's backgrounds datafile.
"""
import functools
import re

import allegro_ref
from screen import SPRITE_TOLERANCE

SPR_ENEMIES = range(0, 5)
SPR_ENEMY_SHOT = 5
SPR_BULLET = 6
SPR_EXPLOSIONS = (7, 8, 9, 10)
SPR_SHIP = 11
SPR_SHIELD = 12
SHIELD_OFFSET = 8          # the shield is drawn 8 pixels up and left of the ship's corner
SHIELD_SIZE = 32
SHIP_SIZE = 16

BG_CREDITS_FIRST = 0
BG_BACKDROP = 11
BG_INTRO_RISER = 12

# A sprite cut by a side edge counts as found when this many of its pixels show.
MIN_VISIBLE = 6
# How many columns from a sprite's left edge may hold the pixel a search starts from: a sprite
# entering at the right edge shows only its first columns.
ANCHOR_COLUMNS = 2
# A 16-bit picture shown on the 24-bit screen differs from the reference by a level at most:
# the pixel a sprite search starts from is looked up this close, the rest checked within the
# screen module's wider tolerance.
PICTURE_TOLERANCE = 2
ANCHOR_TOLERANCE = PICTURE_TOLERANCE
# Warm explosion colours: much red, some green, little blue.
WARM_RED_MIN = 180
WARM_GREEN_RANGE = (60, 230)
WARM_BLUE_MAX = 110
# The translucent shield adds about a third of its light blue to the dark space behind it.
SHIELD_BRIGHTENING = 25


@functools.lru_cache(maxsize=None)
def _colour_pattern(colour, tolerance):
    """A regular expression that finds, without consuming it, an RGB triple within `tolerance`
    of `colour` on each channel: the screen's bytes are searched in one pass of the C engine."""
    ranges = [b"[" + re.escape(bytes([max(0, c - tolerance)])) + b"-"
              + re.escape(bytes([min(255, c + tolerance)])) + b"]" for c in colour]
    return re.compile(b"(?=" + b"".join(ranges) + b")", re.DOTALL)


def _anchor(sprite):
    """The pixel a search starts from: the most colourful one of the sprite's first columns
    (which show even when the sprite sticks out past the right edge), a colour that the dark
    background is unlikely to share."""
    left = min(dx for dx, _ in sprite.pixels)
    candidates = [(spot, colour) for spot, colour in sorted(sprite.pixels.items())
                  if spot[0] < left + ANCHOR_COLUMNS]
    return max(candidates, key=lambda item: (max(item[1]) - min(item[1]), sum(item[1])))


class Scene:
    """One screenshot, searched for sprites and colours."""

    def __init__(self, shot):
        self.shot = shot

    def places(self, colour, tolerance=ANCHOR_TOLERANCE):
        """The (x, y) of every pixel within `tolerance` of the colour."""
        width = self.shot.width
        offsets = (match.start() for match in _colour_pattern(colour, tolerance).finditer(
            self.shot.rgb))
        return [(offset // 3 % width, offset // 3 // width) for offset in offsets
                if offset % 3 == 0]

    def matches(self, sprite, x, y, tolerance=SPRITE_TOLERANCE, min_visible=MIN_VISIBLE):
        """True when every on-screen pixel of the sprite drawn at (x, y) shows its colour and
        enough of them are on screen (all of them when the sprite is small). Only the side
        edges may cut a sprite: enemies enter and swing there, while a sprite found cut by
        the bottom edge would rest on a row or two of pixels."""
        shot = self.shot
        if y < 0 or y + sprite.height > shot.height:
            return False
        visible = 0
        for (dx, dy), colour in sprite.pixels.items():
            px, py = x + dx, y + dy
            if not 0 <= px < shot.width:
                continue
            shown = shot.pixel(px, py)
            if any(abs(a - b) > tolerance for a, b in zip(shown, colour)):
                return False
            visible += 1
        return visible >= min(min_visible, len(sprite.pixels))

    def find(self, sprite, tolerance=SPRITE_TOLERANCE, min_visible=MIN_VISIBLE):
        """Every (x, y) at which the sprite is drawn, sorted."""
        (adx, ady), colour = _anchor(sprite)
        found = {(px - adx, py - ady) for px, py in self.places(colour)}
        return sorted(spot for spot in found if self.matches(sprite, *spot, tolerance,
                                                             min_visible))

    def find_each(self, sprites, indices):
        """[(index, x, y)] for every sprite of `indices` found, in index order."""
        return [(index, x, y) for index in indices for x, y in self.find(sprites[index])]

    def warm_pixels(self, left, top, width, height):
        """How many pixels of the rectangle (clipped to the screen) have an explosion's warm
        colour."""
        shot = self.shot
        count = 0
        for y in range(max(0, top), min(shot.height, top + height)):
            for x in range(max(0, left), min(shot.width, left + width)):
                r, g, b = shot.pixel(x, y)
                if r >= WARM_RED_MIN and WARM_GREEN_RANGE[0] <= g <= WARM_GREEN_RANGE[1] \
                        and b <= WARM_BLUE_MAX:
                    count += 1
        return count


class PlayView:
    """What a screenshot of play shows: enemies, enemy shots, bullets, explosions."""

    def __init__(self, game, shot):
        self.sprites = allegro_ref.datafile_sprites(game.path("sprites.dat"))
        self.scene = Scene(shot)
        self.shot = shot

    def enemies(self, kinds=SPR_ENEMIES):
        """[(sprite, x, y)] of the enemies on screen."""
        return self.scene.find_each(self.sprites, kinds)

    def enemy_shots(self):
        return self.scene.find(self.sprites[SPR_ENEMY_SHOT])

    def bullets(self):
        return self.scene.find(self.sprites[SPR_BULLET])

    def explosions(self):
        """[(frame, x, y)] of the explosion frames drawn unlit (the first 14 ticks of one)."""
        return self.scene.find_each(self.sprites, SPR_EXPLOSIONS)

    def in_columns(self, indices, xs):
        """[(index, x, y)] for every sprite of `indices` drawn whole with its left edge in one
        of the columns xs: a narrow search, quick enough to catch an explosion's first frames."""
        return [(index, x, y) for index in indices for x in xs
                for y in self.shot.find_sprite_in_column(self.sprites[index], x)]

    def ship(self):
        found = self.scene.find(self.sprites[SPR_SHIP])
        return found[0] if len(found) == 1 else None

    def shield_brightening(self, ship_x, ship_y):
        """How much brighter, on average, the shield's ring around the ship is than the same
        shape of space beside it: near 0 without a shield, well above with one."""
        shield = self.sprites[SPR_SHIELD]
        left, top = ship_x - SHIELD_OFFSET, ship_y - SHIELD_OFFSET
        ring = [(dx, dy) for dx, dy in shield.pixels
                if not (SHIELD_OFFSET <= dx < SHIELD_OFFSET + SHIP_SIZE
                        and SHIELD_OFFSET <= dy < SHIELD_OFFSET + SHIP_SIZE)]
        beside = left + SHIELD_SIZE if left < self.shot.width // 2 else left - SHIELD_SIZE
        return _mean_light(self.shot, left, top, ring) - _mean_light(self.shot, beside, top, ring)


def _mean_light(shot, left, top, spots):
    values = [sum(shot.pixel(left + dx, top + dy)) / 3 for dx, dy in spots
              if 0 <= left + dx < shot.width and 0 <= top + dy < shot.height]
    return sum(values) / len(values) if values else 0.0


# ---- the intro's rising picture ----------------------------------------------------------
def backgrounds(game):
    return allegro_ref.datafile_sprites(game.path("backgrounds.dat"))


RISER_TOP = 200            # the rising picture starts with its top edge at the screen's bottom
RISER_END = -750           # and rises until its top edge is 750 pixels above the screen
PROFILE_STEP = 2           # every second column is enough to see the picture's rows
RISER_MIN_ROWS = 20        # a position is only judged when this many of the picture's rows show


def _row_profile(shot, picture, step=PROFILE_STEP):
    """For each screen row, how many of its sampled pixels differ from the backdrop."""
    profile = []
    for y in range(shot.height):
        differing = 0
        for x in range(0, shot.width, step):
            expected = picture.pixels[(x, y)]
            if any(abs(a - b) > PICTURE_TOLERANCE for a, b in zip(shot.pixel(x, y), expected)):
                differing += 1
        profile.append(differing)
    return profile


@functools.lru_cache(maxsize=None)
def _riser_profile(path):
    riser = allegro_ref.datafile_sprites(path)[BG_INTRO_RISER]
    counts = [0] * riser.height
    for (x, y) in riser.pixels:
        if x % PROFILE_STEP == 0:
            counts[y] += 1
    return counts


def riser_position(game, shot):
    """Where the intro's rising picture stands (the screen row of its top edge) when the screen
    shows it over the intro's backdrop, else None. The rows of text in the picture leave a
    profile of rows that differ from the backdrop; the position is where the profiles agree."""
    backdrop = backgrounds(game)[BG_BACKDROP]
    screen_rows = _row_profile(shot, backdrop)
    if sum(screen_rows) == 0:
        return None
    riser_rows = _riser_profile(game.path("backgrounds.dat"))
    best, best_error = None, None
    for top in range(RISER_END, RISER_TOP):
        error = shown_rows = 0
        for y, differing in enumerate(screen_rows):
            row = y - top
            expected = riser_rows[row] if 0 <= row < len(riser_rows) else 0
            shown_rows += expected > 0
            error += abs(differing - expected)
        if shown_rows >= RISER_MIN_ROWS and (best_error is None or error < best_error):
            best, best_error = top, error
    # A true match leaves only the odd pixel that the picture shares with the backdrop.
    if best is None or best_error > sum(screen_rows) // 4:
        return None
    return best
