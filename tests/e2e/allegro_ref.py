"""Reference pictures drawn by Allegro itself: the 8x8 font's glyphs and the sprites of a datafile.

The journeys recognise text and sprites on screenshots by comparing them with what the same
library draws, so nothing here hard-codes a glyph or a picture. Allegro runs in this Python
process through ctypes, without a display (SYSTEM_NONE), only on memory bitmaps.
"""
import ctypes
import functools

GLYPH_SIZE = 8
FIRST_CHAR = 32
LAST_CHAR = 126
COLOUR_DEPTH = 16
DAT_END = -1
DAT_BITMAP = (ord("B") << 24) | (ord("M") << 16) | (ord("P") << 8) | ord(" ")
SYSTEM_NONE = (ord("N") << 24) | (ord("O") << 16) | (ord("N") << 8) | ord("E")


class _Datafile(ctypes.Structure):
    _fields_ = [("dat", ctypes.c_void_p), ("type", ctypes.c_int),
                ("size", ctypes.c_long), ("prop", ctypes.c_void_p)]


class _BitmapHead(ctypes.Structure):
    _fields_ = [("w", ctypes.c_int), ("h", ctypes.c_int)]


@functools.lru_cache(maxsize=None)
def _allegro():
    lib = ctypes.CDLL("liballeg.so.4.4")
    lib.install_allegro.argtypes = [ctypes.c_int, ctypes.POINTER(ctypes.c_int), ctypes.c_void_p]
    lib.create_bitmap.restype = ctypes.c_void_p
    lib.create_bitmap.argtypes = [ctypes.c_int, ctypes.c_int]
    lib.destroy_bitmap.argtypes = [ctypes.c_void_p]
    lib.clear_to_color.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.textout_ex.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p,
                               ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    lib.getpixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    lib.load_datafile.restype = ctypes.c_void_p
    lib.load_datafile.argtypes = [ctypes.c_char_p]
    lib.unload_datafile.argtypes = [ctypes.c_void_p]
    error = ctypes.c_int(0)
    if lib.install_allegro(SYSTEM_NONE, ctypes.byref(error), None) != 0:
        raise RuntimeError("Allegro could not start without a display")
    lib.set_color_depth(COLOUR_DEPTH)
    return lib


@functools.lru_cache(maxsize=None)
def font_glyphs():
    """{character: frozenset of (dx, dy) pixels set} for the printable ASCII characters."""
    lib = _allegro()
    chars = bytes(range(FIRST_CHAR, LAST_CHAR + 1))
    bitmap = lib.create_bitmap(GLYPH_SIZE * len(chars), GLYPH_SIZE)
    lib.clear_to_color(bitmap, 0)
    font = ctypes.c_void_p.in_dll(lib, "font")
    lib.textout_ex(bitmap, font, chars, 0, 0, 0xFFFF, -1)
    glyphs = {}
    for index, code in enumerate(chars):
        left = index * GLYPH_SIZE
        glyphs[chr(code)] = frozenset(
            (dx, dy) for dy in range(GLYPH_SIZE) for dx in range(GLYPH_SIZE)
            if lib.getpixel(bitmap, left + dx, dy) != 0)
    lib.destroy_bitmap(bitmap)
    return glyphs


@functools.lru_cache(maxsize=None)
def _shifts_16():
    """Where red, green and blue sit in a 16-bit pixel here: without a graphics driver Allegro
    keeps its default channel order, which need not be the screen's."""
    lib = _allegro()
    return {name: ctypes.c_int.in_dll(lib, f"_rgb_{name}_shift_16").value for name in "rgb"}


def rgb_of_16bit(value):
    """The 8-bit red, green and blue of a 16-bit pixel, scaled as Allegro scales them."""
    shift = _shifts_16()
    red, green, blue = ((value >> shift["r"]) & 31, (value >> shift["g"]) & 63,
                        (value >> shift["b"]) & 31)
    return (red * 255 + 15) // 31, (green * 255 + 31) // 63, (blue * 255 + 15) // 31


MASK_16 = 0xF81F  # magenta, the transparent colour of sprites at 16 bits, in either order


class Sprite:
    """One bitmap entry: its size and its opaque pixels as {(dx, dy): (r, g, b)}."""

    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels


@functools.lru_cache(maxsize=None)
def datafile_sprites(path):
    """Every bitmap entry of a datafile, in entry order (None for entries of other kinds)."""
    lib = _allegro()
    handle = lib.load_datafile(str(path).encode())
    if not handle:
        raise RuntimeError(f"Allegro could not load {path}")
    entries = ctypes.cast(handle, ctypes.POINTER(_Datafile))
    sprites = []
    index = 0
    while entries[index].type != DAT_END:
        entry = entries[index]
        if entry.type != DAT_BITMAP:
            sprites.append(None)
        else:
            head = ctypes.cast(entry.dat, ctypes.POINTER(_BitmapHead))[0]
            pixels = {}
            for y in range(head.h):
                for x in range(head.w):
                    value = lib.getpixel(entry.dat, x, y) & 0xFFFF
                    if value != MASK_16:
                        pixels[(x, y)] = rgb_of_16bit(value)
            sprites.append(Sprite(head.w, head.h, pixels))
        index += 1
    lib.unload_datafile(handle)
    return sprites
