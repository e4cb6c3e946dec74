"""A screenshot of the game's 320x200 screen, and what the journeys read from it.

Text is read cell by cell against the glyphs of Allegro's own 8x8 font, in one exact colour;
sprites are found against the pictures of the datafile the game loaded. Neither depends on
what the pictures behind them look like.
"""
import ctypes
import struct
import zlib

import allegro_ref

WHITE = (255, 255, 255)
# Allegro widens 5-6-5 pixels to 8 bits a channel; a screenshot may differ from the
# reference scaling by a few levels.
SPRITE_TOLERANCE = 8
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFFFFFFFFFF
RED_MASK_24 = 0xFF0000


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


class _XImage(ctypes.Structure):
    """The leading fields of Xlib's XImage, up to the red mask."""
    _fields_ = ([(name, ctypes.c_int) for name in ("width", "height", "xoffset", "format")]
                + [("data", ctypes.c_void_p)]
                + [(name, ctypes.c_int) for name in ("byte_order", "bitmap_unit",
                   "bitmap_bit_order", "bitmap_pad", "depth", "bytes_per_line",
                   "bits_per_pixel")] + [("red_mask", ctypes.c_ulong)])


class ScreenProbe:
    """Reads the display straight from the X server over one connection: about a millisecond a
    picture, where a screenshot program started afresh takes 150 ms, and far more on a busy
    machine (long enough to miss a whole explosion)."""

    def __init__(self, display_name):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGetImage.restype = ctypes.POINTER(_XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11 = x11
        self.display = x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = x11.XDefaultRootWindow(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def grab(self, left, top, width, height):
        """The rectangle as a Screen of 8-bit RGB pixels."""
        image = self.x11.XGetImage(self.display, self.root, left, top, width, height,
                                   ALL_PLANES, Z_PIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        try:
            head = image.contents
            if (head.bits_per_pixel, head.bytes_per_line, head.red_mask) != (32, width * 4,
                                                                             RED_MASK_24):
                raise RuntimeError("the display is not the expected 24-bit one")
            raw = ctypes.string_at(head.data, width * 4 * height)
        finally:
            self.x11.XDestroyImage(image)
        rgb = bytearray(width * height * 3)
        for channel, source in enumerate((2, 1, 0)):  # the server sends blue, green, red, unused
            rgb[channel::3] = raw[source::4]
        return Screen(width, height, bytes(rgb))
