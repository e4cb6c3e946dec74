// The sprites: five enemies, the two kinds of shot, four explosion frames, the ship and its shield.
#include "art.h"
#include "pixel_map.h"

#include <cmath>

static const int TILE = 16;       // enemies, explosions and the ship fill a 16x16 box
static const int SHIELD_SIZE = 32;

static const Rgb OUTLINE = {18, 20, 38};

// A 16x16 sprite drawn from a mirrored pixel map.
static void save_mirrored(const std::string &path, const std::vector<const char *> &rows,
                          const std::vector<Ink> &inks)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    draw_mirrored_map(sprite, 0, 0, rows, inks);
    save_picture(sprite, path);
}

// A dart that dives nose first: light, fast, green.
static void scout(const std::string &path)
{
    save_mirrored(path,
                  {"DD.....D", "DGD...DL", "DGGD..DL", ".DGGD.DL", ".DGLGDDL", "..DGLGDL",
                   "..DGGLGL", "...DGGLW", "...DDGLR", "..DGDGGR", ".DGGDDGL", ".DGD.DGG",
                   "..D..DGG", ".....DDG", "......DG", ".......D"},
                  {{'D', OUTLINE}, {'G', {40, 170, 60}}, {'L', {150, 240, 110}},
                   {'W', {230, 255, 210}}, {'R', {255, 70, 50}}});
}

// A flying disc under a glass dome, ringed with lights.
static void saucer(const std::string &path)
{
    save_mirrored(path,
                  {"......DD", ".....DCW", "....DCCW", "...DCCCW", "...DCCCC", "..DDDDDD",
                   ".DLLLLLL", "DTLTTYTT", "DTTTTTTT", "DSSSSSSS", ".DSSYSSS", "..DDSSSS",
                   "....DDDD", ".....DSS", "......DY", ".......D"},
                  {{'D', OUTLINE}, {'C', {90, 220, 255}}, {'W', {220, 250, 255}},
                   {'L', {140, 230, 220}}, {'T', {30, 160, 160}}, {'S', {18, 96, 110}},
                   {'Y', {255, 240, 120}}});
}

// A violet bug with claws reaching down and burning eyes.
static void insectoid(const std::string &path)
{
    save_mirrored(path,
                  {".D....DD", "..D..DPP", "...DDPPL", "D..DPPLL", "PD.DPPPL", ".PDDPPPP",
                   "..DPPQPP", "DDDPQPPP", "PPDPPQPP", "...DPPPQ", "..DPDPPP", ".PD.DERP",
                   "P..DDRRP", "...D.DDQ", "..D..D.D", ".D....D."},
                  {{'D', OUTLINE}, {'P', {150, 80, 210}}, {'L', {215, 160, 255}},
                   {'Q', {90, 40, 140}}, {'E', {255, 230, 120}}, {'R', {255, 60, 60}}});
}

// A slow armoured gunship in crimson plates.
static void heavy(const std::string &path)
{
    save_mirrored(path,
                  {"DDDD..DD", "DRRD.DRR", "DRRDDRRR", "DGGGDRRL", "DGLGDRLL", "DGGGDRRR",
                   "DDDDDRRR", ".DRRRRRR", "DRRHHRRR", "DRDDDDRR", "DRDYYYDR", "DRDDDDRR",
                   ".DRRRRRR", "..DGGDRR", "..DGGDDD", "...DD..."},
                  {{'D', OUTLINE}, {'R', {190, 30, 40}}, {'H', {255, 120, 110}},
                   {'L', {240, 80, 80}}, {'G', {110, 110, 130}}, {'Y', {255, 200, 60}}});
}

// A four-bladed star that whirls around a glowing hub.
static void spinner(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    draw_quartered_map(sprite, 0, 0,
                       {"DD.....D", "DWD...DW", ".DWD..DW", "..DWD.DL", "...DWDDL", "....DLVV",
                        "DWWLLVPV", "DWLLLVVH"},
                       {{'D', OUTLINE}, {'W', {235, 240, 255}}, {'L', {150, 170, 210}},
                        {'V', {110, 60, 200}}, {'P', {200, 140, 255}}, {'H', {255, 255, 255}}});
    save_picture(sprite, path);
}

// The enemies' shot: a hot pink spark, a colour nothing else uses.
static void enemy_shot(const std::string &path)
{
    BITMAP *sprite = new_picture(3, 6, transparent());
    draw_map(sprite, 0, 0, {".P.", "PWP", "PWP", "PWP", "PPP", ".P."},
             {{'P', {255, 50, 150}}, {'W', {255, 220, 240}}});
    save_picture(sprite, path);
}

// The player's bullet: white-hot tip, yellow to orange trail.
static void bullet(const std::string &path)
{
    BITMAP *sprite = new_picture(2, 6, transparent());
    draw_map(sprite, 0, 0, {"WW", "WW", "YY", "YY", "OO", "RR"},
             {{'W', {255, 255, 230}}, {'Y', {255, 230, 80}}, {'O', {255, 150, 30}},
              {'R', {220, 80, 20}}});
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

static void smoke(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    burst(sprite, 6.8, 2.2, 35, true);
    save_picture(sprite, path);
}

// Torn plates and sparks flung outwards.
static void debris(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    Rng rng{1234567};
    for (int i = 0; i < 9; i++) {
        double angle = i * 2 * M_PI / 9 + rng.range(-0.3, 0.3);
        double r = rng.range(3.5, 6.8);
        int x = (int)std::lround(7.5 + std::cos(angle) * r);
        int y = (int)std::lround(7.5 + std::sin(angle) * r);
        if (i % 3 == 0) {
            putpixel(sprite, x, y, colour(255, 220, 100));
            continue;
        }
        rectfill(sprite, x, y, x + 1, y + (i % 2), colour(120, 118, 135));
        putpixel(sprite, x, y, colour(255, 140, 40));
    }
    circlefill(sprite, 7, 8, 1, colour(90, 70, 70));
    save_picture(sprite, path);
}

// The player's ship: white hull, blue canopy, a gun pod on each wing tip (columns 1 and 14).
static void ship(const std::string &path)
{
    BITMAP *sprite = new_picture(TILE, TILE, transparent());
    draw_mirrored_map(sprite, 0, 0,
                      {".D.....D", ".L.....W", ".L....DW", ".L....WB", "DLD..DWB", "DWD..DWB",
                       "DWD.DLWW", "DWDDLWWR", "DWLLWWWR", "DWWWWLLW", "DLWWLGGW", "DGLLGDGL",
                       "DGGD.DGL", ".DD..DOY", ".OY...OY", ".Y.....O"},
                      {{'D', {30, 34, 60}}, {'L', {190, 200, 222}}, {'W', {245, 248, 255}},
                       {'G', {110, 120, 150}}, {'B', {40, 100, 230}}, {'R', {230, 60, 40}},
                       {'O', {255, 140, 20}}, {'Y', {255, 230, 90}}});
    putpixel(sprite, 7, 3, colour(150, 225, 255));
    save_picture(sprite, path);
}

// A bubble of force: bright rim, faint body, a ripple pattern that moves between the frames.
static void shield(const std::string &path, double phase)
{
    BITMAP *sprite = new_picture(SHIELD_SIZE, SHIELD_SIZE, transparent());
    const double centre = (SHIELD_SIZE - 1) / 2.0, radius = 15.5;
    for (int y = 0; y < SHIELD_SIZE; y++)
        for (int x = 0; x < SHIELD_SIZE; x++) {
            double dx = x - centre, dy = y - centre;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d > radius)
                continue;
            double rim = std::pow(d / radius, 4);
            double ripple = 0.5 + 0.5 * std::sin(d * 1.3 - phase + std::atan2(dy, dx) * 3);
            Rgb c = mix(Rgb{30, 70, 170}, Rgb{200, 240, 255}, rim * 0.8 + ripple * 0.25);
            putpixel(sprite, x, y, colour(c));
        }
    save_picture(sprite, path);
}

void make_sprites(const std::string &folder)
{
    scout(entry_file(folder, 0, "scout"));
    saucer(entry_file(folder, 1, "saucer"));
    insectoid(entry_file(folder, 2, "insectoid"));
    heavy(entry_file(folder, 3, "heavy"));
    spinner(entry_file(folder, 4, "spinner"));
    enemy_shot(entry_file(folder, 5, "enemy_shot"));
    bullet(entry_file(folder, 6, "bullet"));
    flash(entry_file(folder, 7, "explosion_flash"));
    fireball(entry_file(folder, 8, "explosion_fireball"));
    smoke(entry_file(folder, 9, "explosion_smoke"));
    debris(entry_file(folder, 10, "explosion_debris"));
    ship(entry_file(folder, 11, "ship"));
    shield(entry_file(folder, 12, "shield_even"), 0);
    shield(entry_file(folder, 13, "shield_odd"), M_PI);
}
