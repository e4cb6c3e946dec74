// Small pictures drawn from rows of letters, one letter a pixel, with a palette of inks.
#pragma once

#include "paint.h"

#include <vector>

struct Ink {
    char key;
    Rgb colour;
};

// How a pixel map is laid out: whole, or one half or quarter mirrored into the rest.
enum class Symmetry { none, mirrored, quartered };

struct PixelMap {
    Symmetry symmetry;
    std::vector<const char *> rows;
    std::vector<Ink> inks;
};

// Draws the map with its top-left corner at (x, y), each letter a scale x scale block.
// '.' is left untouched; an unknown letter stops the generator with a message.
void draw_map(BITMAP *bitmap, int x, int y, const PixelMap &map, int scale = 1);
