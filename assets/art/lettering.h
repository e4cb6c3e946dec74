// Text for the pictures: Allegro's 8x8 font, set proportionally, enlarged with edge
// smoothing, shaded top to bottom, outlined and shadowed.
#pragma once

#include "paint.h"

#include <string>
#include <vector>

// One colour stop of the letters' shading: at 0 the top of a line, at 1 its bottom.
struct Shade {
    double at;
    Rgb colour;
};

struct Lettering {
    int scale;                 // size in multiples of the 8x8 font; even factors are smoothed
    std::vector<Shade> shades; // stops in rising order
    int outline;               // 0: none, else the outline's thickness in pixels
    Rgb outline_colour;
    int shadow;                // 0: none, else the drop shadow's offset down and right
    Rgb shadow_colour;
};

// One colour shading into another, a one-pixel black outline and shadow.
Lettering simple_lettering(int scale, Rgb top, Rgb bottom);

// Polished chrome: white sky, a dark horizon line and a light floor.
Lettering chrome_lettering(int scale, Rgb sky, Rgb ground);

int lettering_width(const std::string &text, const Lettering &style);
int lettering_height(const Lettering &style);

// Draws text with its top-left corner at (x, y).
void draw_lettering(BITMAP *bitmap, const std::string &text, int x, int y, const Lettering &style);

// Draws text centred on centre_x.
void draw_lettering_centred(BITMAP *bitmap, const std::string &text, int centre_x, int y,
                            const Lettering &style);

// Draws text ending just left of right_x.
void draw_lettering_right(BITMAP *bitmap, const std::string &text, int right_x, int y,
                          const Lettering &style);
