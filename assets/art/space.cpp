// Painting space: nebulae, stars, planets and rocks, all wrapping top to bottom when asked.
#include "space.h"

#include <cmath>

static const int NEBULA_CELL = 40; // pixels per noise cell: divides 320 and 200

void put_wrapped(BITMAP *bitmap, int x, int y, int c)
{
    if (x < 0 || x >= bitmap->w)
        return;
    y = ((y % bitmap->h) + bitmap->h) % bitmap->h;
    putpixel(bitmap, x, y, c);
}

static Rgb get_wrapped(BITMAP *bitmap, int x, int y)
{
    y = ((y % bitmap->h) + bitmap->h) % bitmap->h;
    return pixel(bitmap, x, y);
}

void paint_sky(BITMAP *bitmap, const Sky &sky)
{
    int period_x = bitmap->w / NEBULA_CELL, period_y = bitmap->h / NEBULA_CELL;
    for (int y = 0; y < bitmap->h; y++)
        for (int x = 0; x < bitmap->w; x++) {
            double fx = x / double(NEBULA_CELL), fy = y / double(NEBULA_CELL);
            double body = fractal_noise(fx, fy, period_x, period_y, 5, sky.seed);
            double lanes = fractal_noise(fx * 2, fy * 2, period_x * 2, period_y * 2, 4,
                                         sky.seed + 77);
            double cloud = std::max(0.0, body - 0.42) * 2.4 * sky.amount;
            double glow = std::max(0.0, lanes - 0.55) * 3.0 * cloud;
            Rgb c = mix(sky.deep, sky.cloud, cloud);
            c = mix(c, sky.glow, glow);
            putpixel(bitmap, x, y, colour(c));
        }
}

void sprinkle_stars(BITMAP *bitmap, Rng &rng, int count, double brightness)
{
    static const Rgb tints[] = {{255, 255, 255}, {200, 220, 255}, {255, 240, 210}, {180, 200, 255}};
    for (int i = 0; i < count; i++) {
        int x = rng.below(bitmap->w), y = rng.below(bitmap->h);
        double level = rng.unit();
        level = level * level * brightness;
        Rgb tint = tints[rng.below(4)];
        Rgb was = get_wrapped(bitmap, x, y);
        put_wrapped(bitmap, x, y, colour(mix(was, tint, 0.25 + level * 0.75)));
    }
}

void draw_flare(BITMAP *bitmap, int x, int y, Rgb light, int arm)
{
    for (int d = -arm; d <= arm; d++) {
        double fade = 1.0 - std::abs(d) / double(arm + 1);
        Rgb a = get_wrapped(bitmap, x + d, y), b = get_wrapped(bitmap, x, y + d);
        if (x + d >= 0 && x + d < bitmap->w)
            put_wrapped(bitmap, x + d, y, colour(mix(a, light, fade)));
        put_wrapped(bitmap, x, y + d, colour(mix(b, light, fade)));
    }
    put_wrapped(bitmap, x, y, colour(255, 255, 255));
}

void draw_planet(BITMAP *bitmap, int cx, int cy, int radius, Rgb dark, Rgb lit, uint32_t seed)
{
    const double lx = -0.6, ly = -0.55, lz = 0.58; // light from the upper left, towards us
    for (int y = cy - radius - 2; y <= cy + radius + 2; y++)
        for (int x = cx - radius - 2; x <= cx + radius + 2; x++) {
            double nx = (x - cx) / double(radius), ny = (y - cy) / double(radius);
            double d2 = nx * nx + ny * ny;
            if (d2 > 1.0) {
                double d = std::sqrt(d2);
                if (d < 1.0 + 2.0 / radius && x >= 0 && y >= 0 && x < bitmap->w &&
                    y < bitmap->h) {
                    double haze = (1.0 + 2.0 / radius - d) * radius / 2.0;
                    add_light(bitmap, x, y, shade(lit, 0.3), haze * 0.35);
                }
                continue;
            }
            double nz = std::sqrt(1.0 - d2);
            double light = std::max(0.0, nx * lx + ny * ly + nz * lz);
            double bands = fractal_noise(nx * 3 + 10, ny * 9 + nx * 1.5 + 10, 64, 64, 3, seed);
            Rgb c = mix(dark, lit, light * (0.55 + bands * 0.6));
            double rim = std::pow(1.0 - nz, 3) * light;
            c = mix(c, Rgb{200, 230, 255}, rim * 0.7);
            if (x >= 0 && y >= 0 && x < bitmap->w && y < bitmap->h)
                putpixel(bitmap, x, y, colour(c));
        }
}

void draw_rock(BITMAP *bitmap, int cx, int cy, int radius, uint32_t seed)
{
    for (int y = -radius - 2; y <= radius + 2; y++)
        for (int x = -radius - 2; x <= radius + 2; x++) {
            double angle = std::atan2((double)y, (double)x);
            double lump = tile_noise((angle + M_PI) * 1.3, 0.5, 9, 9, seed);
            double edge = radius * (0.75 + 0.45 * lump);
            double d = std::sqrt(double(x * x + y * y));
            if (d > edge)
                continue;
            double light = 0.5 - (x + y) / (2.8 * edge) + (edge - d) / (3 * edge);
            double grain = tile_noise(x * 0.8 + 50, y * 0.8 + 50, 64, 64, seed + 5);
            Rgb c = mix(Rgb{34, 28, 40}, Rgb{150, 130, 120}, light * 0.8 + grain * 0.3);
            if (d > edge - 1)
                c = shade(c, -0.35);
            put_wrapped(bitmap, cx + x, cy + y, colour(c));
        }
}
