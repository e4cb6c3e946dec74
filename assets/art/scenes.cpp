// The still pictures with words: credits, lives, game over and the opening card.
#include "scenes.h"
#include "designs.h"
#include "lettering.h"
#include "space.h"

#include <cmath>
#include <vector>

static const int SCREEN_W_PX = 320;
static const int SCREEN_H_PX = 200;
static const int CENTRE_X = SCREEN_W_PX / 2;
static const int NUMBER_X = 160;      // the game prints the lives and level numbers from here
static const int LIVES_ROW = 65;
static const int LEVEL_ROW = 165;
static const int GLYPH = 8;           // the game prints its numbers in the 8x8 font
static const int NUMBER_SLOT_W = 30;  // room for three digits and a margin

static const int ROLE_GAP = 6;        // extra space above each role after the first
static const int SLIDE_ICON_Y = 156;  // where a slide's small pictures sit under its text
static const char *const TEAM = "ORBITAL FORGE"; // our team, as on the opening card

static const Rgb NAVY = {10, 12, 40};
static const Rgb PANEL_EDGE = {90, 110, 200};
static const Rgb BODY_TOP = {235, 242, 255};
static const Rgb BODY_BOTTOM = {150, 175, 240};

static Lettering warm_lettering(int scale)
{
    return Lettering{scale,
                     {{0, {255, 250, 200}}, {0.45, {255, 200, 70}}, {1, {230, 90, 20}}},
                     scale >= 3 ? 2 : 1, NAVY, scale >= 3 ? 2 : 1, {0, 0, 0}};
}

static Lettering body_lettering(int scale)
{
    return simple_lettering(scale, BODY_TOP, BODY_BOTTOM);
}

void draw_game_name(BITMAP *bitmap, int centre_x, int y)
{
    draw_lettering_centred(bitmap, "VOID", centre_x, y, warm_lettering(4));
    draw_lettering_centred(bitmap, "SENTINEL", centre_x, y + 38,
                           chrome_lettering(4, {150, 190, 255}, {90, 120, 230}));
}

static BITMAP *starry_screen(uint32_t seed, Rgb cloud)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{5, 5, 18}, cloud, {90, 110, 190}, 0.8, seed});
    Rng rng{seed * 7 + 1};
    sprinkle_stars(picture, rng, 220, 0.7);
    return picture;
}

// The five enemies side by side, each scale times its size, centred on centre_x.
static void enemy_lineup(BITMAP *picture, int centre_x, int y, int scale)
{
    const Design enemies[] = {Design::scout, Design::saucer, Design::insectoid, Design::heavy,
                              Design::spinner};
    int step = (DESIGN_SIZE + 6) * scale;
    int x = centre_x - (5 * step - 6 * scale) / 2;
    for (Design enemy : enemies) {
        draw_design(picture, enemy, x, y, scale);
        x += step;
    }
}

// One credit slide: a heading, then pairs of a role and who did it.
struct Slide {
    const char *heading;
    std::vector<const char *> lines;
};

static BITMAP *credit_slide(const Slide &slide, uint32_t seed, Rgb cloud)
{
    BITMAP *picture = starry_screen(seed, cloud);
    draw_panel(picture, 20, 16, SCREEN_W_PX - 21, SCREEN_H_PX - 17, PANEL_EDGE);
    draw_lettering_centred(picture, slide.heading, CENTRE_X, 28, warm_lettering(3));
    draw_divider(picture, CENTRE_X, 56, 110, PANEL_EDGE);
    int y = 64;
    for (size_t i = 0; i < slide.lines.size(); i++) {
        // Roles in small gold letters, names and tools in larger light ones.
        bool role = slide.lines[i][0] == '>';
        const char *text = role ? slide.lines[i] + 1 : slide.lines[i];
        if (role) {
            if (i > 0)
                y += ROLE_GAP;
            draw_lettering_centred(picture, text, CENTRE_X, y, warm_lettering(1));
            y += 12;
        } else {
            draw_lettering_centred(picture, text, CENTRE_X, y, body_lettering(2));
            y += 22;
        }
    }
    return picture;
}

static void credits(const std::string &folder)
{
    BITMAP *first = starry_screen(101, Rgb{50, 20, 80});
    draw_game_name(first, CENTRE_X, 30);
    draw_divider(first, CENTRE_X, 118, 120, PANEL_EDGE);
    draw_lettering_centred(first, "THE CREW BEHIND THE GAME", CENTRE_X, 128, warm_lettering(1));
    draw_design(first, Design::ship, CENTRE_X - DESIGN_SIZE, 148, 2);
    save_picture(first, entry_file(folder, 0, "credits_name"));

    BITMAP *code = credit_slide({"PROGRAMMING", {">GAME CODE", TEAM, ">DESIGN AND LEVELS", TEAM}},
                                102, Rgb{30, 24, 90});
    draw_design(code, Design::ship, CENTRE_X - DESIGN_SIZE / 2, SLIDE_ICON_Y);
    save_picture(code, entry_file(folder, 1, "credits_code"));

    BITMAP *art = credit_slide({"ART & MUSIC", {">PIXEL ART", TEAM, ">MUSIC AND SOUND", TEAM}},
                               103, Rgb{60, 20, 70});
    enemy_lineup(art, CENTRE_X, SLIDE_ICON_Y, 1);
    save_picture(art, entry_file(folder, 2, "credits_art"));

    BITMAP *tools = credit_slide({"MADE WITH", {">GAME LIBRARY", "ALLEGRO 4", ">INSTRUMENTS",
                                                "FREEPATS", ">TUNES AND SOUNDS", "ABCMIDI & SOX"}},
                                 104, Rgb{20, 40, 80});
    save_picture(tools, entry_file(folder, 3, "credits_tools"));

    BITMAP *thanks = credit_slide({"THANKS TO", {"THE PEOPLE OF", "ALLEGRO, FREEPATS,",
                                                 "ABCMIDI, SOX", "AND DEBIAN"}},
                                  105, Rgb{40, 30, 80});
    draw_planet(thanks, CENTRE_X, SLIDE_ICON_Y + 6, 9, Rgb{30, 10, 30}, Rgb{255, 160, 70}, 5);
    save_picture(thanks, entry_file(folder, 4, "credits_thanks"));

    BITMAP *end = starry_screen(106, Rgb{50, 26, 90});
    draw_planet(end, CENTRE_X, 290, 150, Rgb{8, 12, 36}, Rgb{80, 120, 220}, 13);
    draw_lettering_centred(end, "THANKS FOR", CENTRE_X, 36, warm_lettering(3));
    draw_lettering_centred(end, "PLAYING!", CENTRE_X, 66, warm_lettering(3));
    draw_divider(end, CENTRE_X, 100, 110, PANEL_EDGE);
    draw_lettering_centred(end, "SEE YOU AT THE EDGE", CENTRE_X, 110, body_lettering(1));
    draw_design(end, Design::ship, CENTRE_X - DESIGN_SIZE, 128, 2);
    save_picture(end, entry_file(folder, 5, "credits_end"));
}

// A dark slot with a bevel, where the game prints a number at (NUMBER_X, row).
static void number_slot(BITMAP *picture, int row)
{
    draw_panel(picture, NUMBER_X - 4, row - 4, NUMBER_X + NUMBER_SLOT_W, row + GLYPH + 3,
               PANEL_EDGE);
}

// The lives screen: labels end just left of where the game prints its numbers.
static void lives(const std::string &path)
{
    BITMAP *picture = starry_screen(201, Rgb{20, 30, 70});
    draw_lettering_centred(picture, "SHIP LOST", CENTRE_X, 14, warm_lettering(3));
    Lettering label = body_lettering(2);
    int label_h = lettering_height(label);
    for (int row : {LIVES_ROW, LEVEL_ROW}) {
        number_slot(picture, row);
        draw_lettering_right(picture, row == LIVES_ROW ? "LIVES" : "LEVEL", NUMBER_X - 10,
                             row + GLYPH / 2 - label_h / 2, label);
    }
    draw_design(picture, Design::ship, CENTRE_X - DESIGN_SIZE * 3 / 2, 90, 3);
    draw_lettering_centred(picture, "PRESS ENTER", CENTRE_X, 186, warm_lettering(1));
    save_picture(picture, path);
}

static void game_over(const std::string &path)
{
    BITMAP *picture = starry_screen(301, Rgb{70, 16, 30});
    draw_planet(picture, CENTRE_X, 330, 200, Rgb{20, 6, 10}, Rgb{170, 60, 40}, 17);
    Lettering big = chrome_lettering(4, {255, 170, 150}, {200, 40, 30});
    big.outline_colour = Rgb{30, 4, 8};
    draw_lettering_centred(picture, "GAME", CENTRE_X, 30, big);
    draw_lettering_centred(picture, "OVER", CENTRE_X, 70, big);
    draw_lettering_centred(picture, "PRESS ENTER", CENTRE_X, 172, body_lettering(2));
    save_picture(picture, path);
}

// Half of a tilted ring around the card's planet: the back half or the front half.
static void planet_ring(BITMAP *picture, int cx, int cy, bool front)
{
    const double rx = 58, ry = 13, tilt = -0.18;
    for (double a = 0; a < 2 * M_PI; a += 0.004) {
        bool is_front = std::sin(a) > 0;
        if (is_front != front)
            continue;
        for (double band = 0.86; band <= 1.0; band += 0.035) {
            double x = std::cos(a) * rx * band, y = std::sin(a) * ry * band;
            int px = cx + (int)std::lround(x * std::cos(tilt) - y * std::sin(tilt));
            int py = cy + (int)std::lround(x * std::sin(tilt) + y * std::cos(tilt));
            double glow = 0.55 + 0.45 * std::cos(a + 0.8);
            putpixel(picture, px, py, colour(mix({120, 60, 20}, {255, 225, 160}, glow)));
        }
    }
}

// The team's card: a ringed planet and the team's name, on black for the fades.
static void intro_card(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, colour(0, 0, 0));
    Rng rng{808};
    sprinkle_stars(picture, rng, 70, 0.35);
    const int cy = 66;
    planet_ring(picture, CENTRE_X, cy, false);
    draw_planet(picture, CENTRE_X, cy, 30, Rgb{30, 10, 30}, Rgb{255, 160, 70}, 5);
    planet_ring(picture, CENTRE_X, cy, true);
    draw_lettering_centred(picture, "ORBITAL FORGE", CENTRE_X, 116,
                           chrome_lettering(3, {170, 200, 255}, {120, 140, 230}));
    draw_divider(picture, CENTRE_X, 148, 90, Rgb{255, 190, 100});
    draw_lettering_centred(picture, "PRESENTS", CENTRE_X, 158, warm_lettering(1));
    save_picture(picture, path);
}

void make_scenes(const std::string &folder)
{
    credits(folder);
    lives(entry_file(folder, 6, "lives"));
    game_over(entry_file(folder, 7, "game_over"));
    intro_card(entry_file(folder, 8, "intro_card"));
}
