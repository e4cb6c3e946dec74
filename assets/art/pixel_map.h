// Small pictures drawn from rows of letters, one letter a pixel, with a palette of inks.
#pragma once

#include "paint.h"

#include <vector>

struct Ink {
    char key;
    Rgb colour;
};

// '.' is transparent; an unknown letter stops the generator with a message.
void draw_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
              const std::vector<Ink> &inks);

// The rows give the left half; the right half is its mirror image.
void draw_mirrored_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
                       const std::vector<Ink> &inks);

// The rows give the top-left quarter; the other quarters are its mirror images.
void draw_quartered_map(BITMAP *bitmap, int x, int y, const std::vector<const char *> &rows,
                        const std::vector<Ink> &inks);
