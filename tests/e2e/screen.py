"""A screenshot of the game's 320x200 screen, and what the journeys read from it.

Text is read cell by cell against the glyphs of Allegro's own 8x8 font, in one exact colour;
sprites are found against the pictures of the datafile the game loaded. Neither depends on
what the pictures behind them look like.
"""
import struct
import zlib

import allegro_ref

WHITE = (255, 255, 255)
# Allegro widens 5-6-5 pixels to 8 bits a channel; a screenshot may differ from the
# reference scaling by a few levels.
SPRITE_TOLERANCE = 8


def parse_ppm(data):
    """(width, height, rgb bytes) of a binary PPM with 8-bit samples."""
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1  # the single whitespace byte after the maximum value
    magic, width, height, maximum = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maximum != 255:
        raise ValueError(f"not an 8-bit binary PPM: {magic!r} max {maximum}")
    pixels = data[position:position + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError("PPM data is short")
    return width, height, pixels


def png_bytes(width, height, rgb):
    """A PNG file of 8-bit RGB pixels, written with the standard library alone."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    stride = width * 3
    raw = b"".join(b"\x00" + rgb[y * stride:(y + 1) * stride] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


class Screen:
    """One screenshot: pixel probes, text in a given colour, sprites from a datafile."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @classmethod
    def from_ppm(cls, data):
        return cls(*parse_ppm(data))

    def save_png(self, path):
        with open(path, "wb") as out:
            out.write(png_bytes(self.width, self.height, self.rgb))

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def count(self, colour, left=0, top=0, width=None, height=None):
        """How many pixels of exactly this colour lie in the rectangle."""
        width = self.width - left if width is None else width
        height = self.height - top if height is None else height
        return sum(1 for y in range(top, top + height) for x in range(left, left + width)
                   if self.pixel(x, y) == colour)

    def mostly(self, colour, fraction=0.99):
        """True when nearly the whole screen is this one colour (a cleared screen)."""
        return self.count(colour) >= fraction * self.width * self.height

    def cell_mask(self, x, y, colour):
        return frozenset((dx, dy) for dy in range(allegro_ref.GLYPH_SIZE)
                         for dx in range(allegro_ref.GLYPH_SIZE)
                         if 0 <= x + dx < self.width and 0 <= y + dy < self.height
                         and self.pixel(x + dx, y + dy) == colour)

    def char_at(self, x, y, colour=WHITE):
        """The character drawn in this colour in the 8x8 cell at (x, y): the glyph with the
        most pixels all of which are set; ' ' for an empty cell, '?' when no glyph fits."""
        mask = self.cell_mask(x, y, colour)
        if not mask:
            return " "
        best, best_size = "?", 0
        for char, glyph in allegro_ref.font_glyphs().items():
            if glyph and glyph <= mask and len(glyph) > best_size:
                best, best_size = char, len(glyph)
        return best

    def text_at(self, x, y, length, colour=WHITE):
        """The `length` characters of a row of text starting at (x, y)."""
        return "".join(self.char_at(x + i * allegro_ref.GLYPH_SIZE, y, colour)
                       for i in range(length))

    def shows_text(self, x, y, text, colour=WHITE):
        """True when exactly this text is drawn at (x, y) in this colour."""
        return self.text_at(x, y, len(text), colour) == text

    def sprite_at(self, sprite, x, y, tolerance=SPRITE_TOLERANCE):
        """True when every opaque pixel of the sprite is on screen at (x, y) in its colour."""
        for (dx, dy), colour in sprite.pixels.items():
            px, py = x + dx, y + dy
            if not (0 <= px < self.width and 0 <= py < self.height):
                return False
            shown = self.pixel(px, py)
            if any(abs(a - b) > tolerance for a, b in zip(shown, colour)):
                return False
        return True

    def find_sprite_in_row(self, sprite, y, xs=None):
        """Every x (from xs, default the whole row) at which the sprite is drawn with its
        top edge at y."""
        xs = range(self.width - sprite.width + 1) if xs is None else xs
        return [x for x in xs if self.sprite_at(sprite, x, y)]

    def find_sprite_in_column(self, sprite, x, ys=None):
        """Every y (from ys, default the whole column) at which the sprite is drawn with its
        left edge at x."""
        ys = range(self.height - sprite.height + 1) if ys is None else ys
        return [y for y in ys if self.sprite_at(sprite, x, y)]
