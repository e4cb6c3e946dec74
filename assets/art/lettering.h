// Text for the pictures: Allegro's 8x8 font, enlarged with edge smoothing, shaded and outlined.
#pragma once

#include "paint.h"

#include <string>

struct Lettering {
    int scale;          // size in multiples of the 8x8 font; even factors are edge-smoothed
    Rgb top, bottom;    // the letters shade from top to bottom
    int outline;        // 0: none, else the outline's thickness in pixels
    Rgb outline_colour;
    int shadow;         // 0: none, else the drop shadow's offset down and right
    Rgb shadow_colour;
};

// A plain style: one colour, a dark outline and a shadow.
Lettering plain_lettering(int scale, Rgb colour);

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
