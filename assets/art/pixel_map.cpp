// Small pictures drawn from rows of letters, one letter a pixel, with a palette of inks.
#include "pixel_map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static int ink_colour(char key, const std::vector<Ink> &inks)
{
    if (key == '.')
        return transparent();
    for (const Ink &ink : inks)
        if (ink.key == key)
            return colour(ink.colour);
    std::fprintf(stderr, "artgen: no ink for letter '%c'\n", key);
    std::exit(1);
}

// Plots one letter at (x, y) and, when asked, at its mirror positions within a w x h box.
static void plot(BITMAP *bitmap, int x0, int y0, int x, int y, int w, int h, bool mirror_x,
                 bool mirror_y, int c)
{
    putpixel(bitmap, x0 + x, y0 + y, c);
    if (mirror_x)
        putpixel(bitmap, x0 + w - 1 - x, y0 + y, c);
    if (mirror_y)
        putpixel(bitmap, x0 + x, y0 + h - 1 - y, c);
    if (mirror_x && mirror_y)
        putpixel(bitmap, x0 + w - 1 - x, y0 + h - 1 - y, c);
}

static void draw_any(BITMAP *bitmap, int x0, int y0, const std::vector<const char *> &rows,
                     const std::vector<Ink> &inks, bool mirror_x, bool mirror_y)
{
    int half_w = rows.empty() ? 0 : (int)std::strlen(rows[0]);
    int w = mirror_x ? 2 * half_w : half_w;
    int h = mirror_y ? 2 * (int)rows.size() : (int)rows.size();
    for (int y = 0; y < (int)rows.size(); y++) {
        if ((int)std::strlen(rows[y]) != half_w) {
            std::fprintf(stderr, "artgen: pixel map row %d has the wrong length\n", y);
            std::exit(1);
        }
        for (int x = 0; x < half_w; x++)
            plot(bitmap, x0, y0, x, y, w, h, mirror_x, mirror_y, ink_colour(rows[y][x], inks));
    }
}

void draw_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
              const std::vector<Ink> &inks)
{
    draw_any(bitmap, x, y, rows, inks, false, false);
}

void draw_mirrored_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
                       const std::vector<Ink> &inks)
{
    draw_any(bitmap, x, y, rows, inks, true, false);
}

void draw_quartered_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
                        const std::vector<Ink> &inks)
{
    draw_any(bitmap, x, y, rows, inks, true, true);
}
