// Small pictures drawn from rows of letters, one letter a pixel, with a palette of inks.
#include "pixel_map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static int ink_colour(char key, const std::vector<Ink> &inks)
{
    for (const Ink &ink : inks)
        if (ink.key == key)
            return colour(ink.colour);
    std::fprintf(stderr, "artgen: no ink for letter '%c'\n", key);
    std::exit(1);
}

// Plots one letter at (x, y) and, when asked, at its mirror positions within a w x h box.
static void plot(BITMAP *bitmap, int x0, int y0, int x, int y, int w, int h,
                 Symmetry symmetry, int scale, int c)
{
    bool mirror_x = symmetry != Symmetry::none, mirror_y = symmetry == Symmetry::quartered;
    auto block = [&](int px, int py) {
        rectfill(bitmap, x0 + px * scale, y0 + py * scale, x0 + px * scale + scale - 1,
                 y0 + py * scale + scale - 1, c);
    };
    block(x, y);
    if (mirror_x)
        block(w - 1 - x, y);
    if (mirror_y)
        block(x, h - 1 - y);
    if (mirror_x && mirror_y)
        block(w - 1 - x, h - 1 - y);
}

void draw_map(BITMAP *bitmap, int x0, int y0, const PixelMap &map, int scale)
{
    int part_w = map.rows.empty() ? 0 : (int)std::strlen(map.rows[0]);
    int w = map.symmetry == Symmetry::none ? part_w : 2 * part_w;
    int h = map.symmetry == Symmetry::quartered ? 2 * (int)map.rows.size() : (int)map.rows.size();
    for (int y = 0; y < (int)map.rows.size(); y++) {
        if ((int)std::strlen(map.rows[y]) != part_w) {
            std::fprintf(stderr, "artgen: pixel map row %d has the wrong length\n", y);
            std::exit(1);
        }
        for (int x = 0; x < part_w; x++)
            if (map.rows[y][x] != '.')
                plot(bitmap, x0, y0, x, y, w, h, map.symmetry, scale,
                     ink_colour(map.rows[y][x], map.inks));
    }
}
