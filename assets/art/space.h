// Painting space: nebulae, stars, planets and rocks, all wrapping top to bottom when asked.
#pragma once

#include "paint.h"

// The colours of a patch of sky.
struct Sky {
    Rgb deep;       // empty space
    Rgb cloud;      // the nebula's body
    Rgb glow;       // the nebula's bright lanes
    double amount;  // 0: no nebula, 1: a thick one
    uint32_t seed;
};

// Fills the picture with sky and nebula; the pattern repeats exactly from bottom to top.
void paint_sky(BITMAP *bitmap, const Sky &sky);

// Scatters count small stars, dim to bright, wrapping at the bottom edge.
void sprinkle_stars(BITMAP *bitmap, Rng &rng, int count, double brightness);

// A bright star with a cross of light, arm pixels long, wrapping at the bottom edge.
void draw_flare(BITMAP *bitmap, int x, int y, Rgb light, int arm);

// A planet lit from the upper left, with banded surface and a thin atmosphere.
void draw_planet(BITMAP *bitmap, int cx, int cy, int radius, Rgb dark, Rgb lit, uint32_t seed);

// A lumpy rock lit from the upper left, wrapping at the bottom edge.
void draw_rock(BITMAP *bitmap, int cx, int cy, int radius, uint32_t seed);

// Sets one pixel, wrapping y to stay within the picture.
void put_wrapped(BITMAP *bitmap, int x, int y, int c);
