// Drawing helpers of the picture generator: colours, seeded randomness, tiling noise, saving.
#include "paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// Red and blue at least this high with green at most this low become transparent at 16 bits.
static const int MASK_NEAR_RED_BLUE = 248;
static const int MASK_NEAR_GREEN = 7;

static int clamp_channel(int v)
{
    return std::max(0, std::min(255, v));
}

int transparent()
{
    return makecol24(255, 0, 255);
}

int colour(Rgb c)
{
    int r = clamp_channel(c.r), g = clamp_channel(c.g), b = clamp_channel(c.b);
    if (r >= MASK_NEAR_RED_BLUE && b >= MASK_NEAR_RED_BLUE && g <= MASK_NEAR_GREEN)
        g = MASK_NEAR_GREEN + 1;
    return makecol24(r, g, b);
}

int colour(int r, int g, int b)
{
    return colour(Rgb{r, g, b});
}

Rgb pixel(BITMAP *bitmap, int x, int y)
{
    int c = getpixel(bitmap, x, y);
    return Rgb{getr24(c), getg24(c), getb24(c)};
}

Rgb mix(Rgb a, Rgb b, double t)
{
    t = std::max(0.0, std::min(1.0, t));
    return Rgb{(int)std::lround(a.r + (b.r - a.r) * t), (int)std::lround(a.g + (b.g - a.g) * t),
               (int)std::lround(a.b + (b.b - a.b) * t)};
}

Rgb shade(Rgb a, double amount)
{
    if (amount >= 0)
        return mix(a, Rgb{255, 255, 255}, amount);
    return mix(a, Rgb{0, 0, 0}, -amount);
}

void add_light(BITMAP *bitmap, int x, int y, Rgb light, double strength)
{
    if (x < 0 || y < 0 || x >= bitmap->w || y >= bitmap->h || strength <= 0)
        return;
    Rgb was = pixel(bitmap, x, y);
    putpixel(bitmap, x, y,
             colour((int)(was.r + light.r * strength), (int)(was.g + light.g * strength),
                    (int)(was.b + light.b * strength)));
}

uint32_t Rng::next()
{
    // xorshift32: tiny, fast and the same on every machine.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

int Rng::below(int n)
{
    return n <= 0 ? 0 : (int)(next() % (uint32_t)n);
}

double Rng::unit()
{
    return (next() & 0xFFFFFF) / double(0xFFFFFF);
}

double Rng::range(double lo, double hi)
{
    return lo + (hi - lo) * unit();
}

// A pseudo-random value 0..1 for one lattice point.
static double lattice(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u ^ (uint32_t)x * 0x85EBCA77u ^ (uint32_t)y * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFF) / 65535.0;
}

static int wrap(int v, int period)
{
    return ((v % period) + period) % period;
}

double tile_noise(double x, double y, int period_x, int period_y, uint32_t seed)
{
    int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
    double fx = x - x0, fy = y - y0;
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    int ax = wrap(x0, period_x), bx = wrap(x0 + 1, period_x);
    int ay = wrap(y0, period_y), by = wrap(y0 + 1, period_y);
    double top = lattice(ax, ay, seed) + (lattice(bx, ay, seed) - lattice(ax, ay, seed)) * sx;
    double bottom = lattice(ax, by, seed) + (lattice(bx, by, seed) - lattice(ax, by, seed)) * sx;
    return top + (bottom - top) * sy;
}

double fractal_noise(double x, double y, int period_x, int period_y, int octaves, uint32_t seed)
{
    double sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; i++) {
        sum += tile_noise(x, y, period_x, period_y, seed + i * 101) * weight;
        total += weight;
        weight *= 0.5;
        x *= 2;
        y *= 2;
        period_x *= 2;
        period_y *= 2;
    }
    return sum / total;
}

BITMAP *new_picture(int w, int h, int fill)
{
    BITMAP *bitmap = create_bitmap_ex(24, w, h);
    if (!bitmap) {
        std::fprintf(stderr, "artgen: out of memory for a %dx%d picture\n", w, h);
        std::exit(1);
    }
    clear_to_color(bitmap, fill);
    return bitmap;
}

void save_picture(BITMAP *bitmap, const std::string &path)
{
    if (save_bmp(path.c_str(), bitmap, nullptr) != 0) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    destroy_bitmap(bitmap);
}

std::string entry_file(const std::string &folder, int entry, const char *name)
{
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d_", entry);
    return folder + "/" + prefix + name + ".bmp";
}

void draw_panel(BITMAP *bitmap, int x1, int y1, int x2, int y2, Rgb edge)
{
    const double darken = 0.6;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++)
            putpixel(bitmap, x, y, colour(shade(pixel(bitmap, x, y), -darken)));
    rect(bitmap, x1 - 1, y1 - 1, x2 + 1, y2 + 1, colour(shade(edge, -0.6)));
    rect(bitmap, x1, y1, x2, y2, colour(edge));
    hline(bitmap, x1 + 1, y1, x2 - 1, colour(shade(edge, 0.5)));
    // Brighter corners, like polished rivets.
    int corners[4][2] = {{x1, y1}, {x2, y1}, {x1, y2}, {x2, y2}};
    for (auto &corner : corners)
        putpixel(bitmap, corner[0], corner[1], colour(shade(edge, 0.7)));
}

void draw_divider(BITMAP *bitmap, int centre_x, int y, int half_width, Rgb light)
{
    for (int d = -half_width; d <= half_width; d++) {
        double strength = 1.0 - std::abs(d) / double(half_width + 1);
        // Over transparency the rule fades into the night blue of the pictures behind it.
        bool clear = getpixel(bitmap, centre_x + d, y) == transparent();
        Rgb was = clear ? Rgb{8, 8, 24} : pixel(bitmap, centre_x + d, y);
        putpixel(bitmap, centre_x + d, y, colour(mix(was, light, strength)));
    }
    for (int d = -2; d <= 2; d++) {
        int reach = 2 - std::abs(d);
        hline(bitmap, centre_x - reach, y + d, centre_x + reach, colour(shade(light, 0.4)));
    }
}
