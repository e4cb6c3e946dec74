// The sprites: five enemies, the two kinds of shot, four explosion frames, the ship and its shield.
#include "art.h"
#include "designs.h"

#include <algorithm>
#include <cmath>

static const int TILE = 16;       // enemies, explosions and the ship fill a 16x16 box
static const int SHIELD_SIZE = 32;
static const double SHIMMER_STEP = 2.1; // how far the honeycomb drifts between the frames

// A 16x16 sprite of one of the shared designs.
static void save_design(const std::string &path, Design design)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    draw_design(sprite, design, 0, 0);
    save_picture(sprite, path);
}

// The enemies' shot: a hot pink spark, a colour nothing else uses.
static void enemy_shot(const std::string &path)
{
    BITMAP *sprite = new_picture(3, 6, transparent());
    draw_map(sprite, 0, 0,
             {Symmetry::none,
              {".P.", "PWP", "PWP", "PWP", "DPD", ".D."},
              {{'P', {255, 50, 150}}, {'W', {255, 220, 240}}, {'D', {170, 20, 90}}}});
    save_picture(sprite, path);
}

// The player's bullet: white-hot tip, yellow to orange trail.
static void bullet(const std::string &path)
{
    BITMAP *sprite = new_picture(2, 6, transparent());
    draw_map(sprite, 0, 0,
             {Symmetry::none,
              {"WW", "WW", "YY", "YY", "OO", "RR"},
              {{'W', {255, 255, 230}}, {'Y', {255, 230, 80}}, {'O', {255, 150, 30}},
               {'R', {220, 80, 20}}}});
    save_picture(sprite, path);
}

// Colour of fire by heat, 0 (cold rim) to 1 (white core).
static Rgb fire(double heat)
{
    if (heat > 0.75)
        return mix(Rgb{255, 230, 120}, Rgb{255, 255, 240}, (heat - 0.75) * 4);
    if (heat > 0.45)
        return mix(Rgb{255, 130, 20}, Rgb{255, 230, 120}, (heat - 0.45) / 0.3);
    return mix(Rgb{140, 30, 10}, Rgb{255, 130, 20}, heat / 0.45);
}

// A round burst whose edge is roughened by noise: heat falls from the centre outwards.
static void burst(BITMAP *sprite, double radius, double roughness, uint32_t seed, bool smoke)
{
    const double centre = (TILE - 1) / 2.0;
    for (int y = 0; y < TILE; y++)
        for (int x = 0; x < TILE; x++) {
            double dx = x - centre, dy = y - centre;
            double d = std::sqrt(dx * dx + dy * dy);
            double n = fractal_noise(x * 0.3, y * 0.3, 64, 64, 2, seed);
            double edge = radius + roughness * (n - 0.5) * 2;
            if (d > edge)
                continue;
            double heat = 1 - d / edge;
            if (!smoke) {
                putpixel(sprite, x, y, colour(fire(heat * 0.8 + n * 0.35)));
                continue;
            }
            Rgb grey = mix(Rgb{60, 52, 58}, Rgb{150, 135, 130}, n * 1.3 - 0.1);
            putpixel(sprite, x, y, colour(n > 0.68 && heat > 0.3 ? fire(0.5) : grey));
        }
}

static void flash(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    burst(sprite, 4.5, 0.8, 7, false);
    // Eight spikes of light.
    for (int i = 0; i < 8; i++) {
        double angle = i * M_PI / 4 + 0.2;
        for (double r = 3; r < 7.6; r += 0.5)
            putpixel(sprite, (int)std::lround(7.5 + std::cos(angle) * r),
                     (int)std::lround(7.5 + std::sin(angle) * r),
                     colour(fire(1 - (r - 3) / 6)));
    }
    circlefill(sprite, 7, 7, 2, colour(255, 255, 250));
    save_picture(sprite, path);
}

static void fireball(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    burst(sprite, 7.2, 1.5, 21, false);
    save_picture(sprite, path);
}

// Billowing smoke: overlapping puffs lit from the upper left, a few embers still glowing.
static void smoke(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    static const double puffs[][3] = {{7.5, 8.5, 5.2}, {4.5, 5.5, 3.6}, {11, 5, 3.4},
                                      {4, 11.5, 3.2}, {11.5, 11.5, 3.4}, {8, 3.5, 3.0}};
    for (int y = 0; y < TILE; y++)
        for (int x = 0; x < TILE; x++) {
            double best = -1;
            for (const auto &puff : puffs) {
                double dx = x - puff[0], dy = y - puff[1];
                double inside = 1 - std::sqrt(dx * dx + dy * dy) / puff[2];
                if (inside <= 0)
                    continue;
                double light = 0.55 - (dx + dy) / (2.5 * puff[2]) + inside * 0.3;
                best = std::max(best, light);
            }
            if (best < 0)
                continue;
            double grain = tile_noise(x * 0.7, y * 0.7, 64, 64, 35);
            Rgb c = mix(Rgb{46, 40, 50}, Rgb{165, 152, 150}, best * 0.85 + grain * 0.25);
            if (grain > 0.8 && best < 0.5)
                c = fire(0.45);
            putpixel(sprite, x, y, colour(c));
        }
    save_picture(sprite, path);
}

// Torn hull plates and sparks flung outwards around a last lick of flame.
static void debris(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    static const int plates[][4] = {{1, 2, 3, 2}, {11, 1, 3, 2}, {13, 9, 2, 3},
                                    {2, 11, 2, 2}, {8, 13, 3, 2}, {6, 5, 2, 2}};
    for (const auto &p : plates) {
        rectfill(sprite, p[0], p[1], p[0] + p[2] - 1, p[1] + p[3] - 1, colour(96, 100, 124));
        hline(sprite, p[0], p[1], p[0] + p[2] - 1, colour(190, 196, 215));
        putpixel(sprite, p[0] + p[2] - 1, p[1] + p[3] - 1, colour(255, 150, 40));
    }
    static const int sparks[][2] = {{5, 0}, {15, 5}, {0, 7}, {10, 15}, {15, 14}, {4, 15}, {9, 2}};
    for (const auto &spark : sparks)
        putpixel(sprite, spark[0], spark[1], colour(255, 230, 120));
    circlefill(sprite, 8, 9, 2, colour(fire(0.35)));
    putpixel(sprite, 8, 9, colour(fire(0.7)));
    save_picture(sprite, path);
}

// A bubble of force: a bright rim and a honeycomb that drifts between the two frames.
static void shield(const std::string &path, double phase)
{
    BITMAP *sprite = new_picture(SHIELD_SIZE, SHIELD_SIZE, transparent());
    const double centre = (SHIELD_SIZE - 1) / 2.0, radius = 15.6, cell = 1.3;
    for (int y = 0; y < SHIELD_SIZE; y++)
        for (int x = 0; x < SHIELD_SIZE; x++) {
            double dx = x - centre, dy = y - centre;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d > radius)
                continue;
            // Three waves 60 degrees apart: where their sum is low, they trace a honeycomb.
            double comb = std::cos(cell * dx + phase) +
                          std::cos(cell * (-0.5 * dx + 0.866 * dy) + phase) +
                          std::cos(cell * (-0.5 * dx - 0.866 * dy) + phase);
            double lines = std::max(0.0, (0.2 - comb) / 1.7);
            double rim = std::pow(d / radius, 6);
            Rgb c = mix(Rgb{60, 120, 240}, Rgb{190, 235, 255}, lines * (0.5 + d / radius * 0.5));
            c = mix(c, Rgb{235, 250, 255}, rim);
            putpixel(sprite, x, y, colour(c));
        }
    save_picture(sprite, path);
}

void make_sprites(const std::string &folder)
{
    save_design(entry_file(folder, 0, "scout"), Design::scout);
    save_design(entry_file(folder, 1, "saucer"), Design::saucer);
    save_design(entry_file(folder, 2, "insectoid"), Design::insectoid);
    save_design(entry_file(folder, 3, "heavy"), Design::heavy);
    save_design(entry_file(folder, 4, "spinner"), Design::spinner);
    enemy_shot(entry_file(folder, 5, "enemy_shot"));
    bullet(entry_file(folder, 6, "bullet"));
    flash(entry_file(folder, 7, "explosion_flash"));
    fireball(entry_file(folder, 8, "explosion_fireball"));
    smoke(entry_file(folder, 9, "explosion_smoke"));
    debris(entry_file(folder, 10, "explosion_debris"));
    save_design(entry_file(folder, 11, "ship"), Design::ship);
    shield(entry_file(folder, 12, "shield_even"), 0);
    shield(entry_file(folder, 13, "shield_odd"), SHIMMER_STEP);
}
