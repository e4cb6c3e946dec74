// Drawing helpers of the picture generator: colours, seeded randomness, tiling noise, saving.
#pragma once

#include <allegro.h>
#include <cstdint>
#include <string>

struct Rgb {
    int r, g, b;
};

// The colour Allegro treats as transparent once the picture is a 16-bit sprite.
int transparent();

// A 24-bit colour for the generator's pictures, nudged off the transparent colour.
int colour(Rgb c);
int colour(int r, int g, int b);

// The colour of a pixel of a 24-bit picture.
Rgb pixel(BITMAP *bitmap, int x, int y);

// a + (b - a) * t, per channel; t is clamped to 0..1.
Rgb mix(Rgb a, Rgb b, double t);

// a brightened by amount (0..1 towards white) or darkened by a negative amount.
Rgb shade(Rgb a, double amount);

// Adds light onto a pixel, the way glowing things add up on a dark sky.
void add_light(BITMAP *bitmap, int x, int y, Rgb light, double strength);

// A small deterministic random number generator, so every build draws the same pictures.
struct Rng {
    uint32_t state;
    uint32_t next();
    int below(int n);          // 0 .. n-1
    double unit();             // 0 .. 1
    double range(double lo, double hi);
};

// Smooth value noise, 0..1, repeating every period_x by period_y cells.
double tile_noise(double x, double y, int period_x, int period_y, uint32_t seed);

// Several octaves of tile_noise; the periods are those of the first octave.
double fractal_noise(double x, double y, int period_x, int period_y, int octaves, uint32_t seed);

// A 24-bit picture filled with one colour.
BITMAP *new_picture(int w, int h, int fill);

// Writes a picture as a 24-bit BMP, or stops the generator with a message.
void save_picture(BITMAP *bitmap, const std::string &path);

// folder/NN_name.bmp: the number prefix keeps the datafile's entries in catalogue order.
std::string entry_file(const std::string &folder, int entry, const char *name);

// A framed panel: the picture inside darkened, a light bevel around it.
void draw_panel(BITMAP *bitmap, int x1, int y1, int x2, int y2, Rgb edge);

// A thin rule that fades out towards both ends, with a small diamond in its middle.
void draw_divider(BITMAP *bitmap, int centre_x, int y, int half_width, Rgb light);
