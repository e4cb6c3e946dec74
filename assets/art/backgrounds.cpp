// The full-screen pictures: scrolling layers, backdrop, the intro's rising story and the title.
#include "art.h"
#include "designs.h"
#include "lettering.h"
#include "scenes.h"
#include "space.h"

#include <cmath>

static const int SCREEN_W_PX = 320;
static const int SCREEN_H_PX = 200;
static const int CENTRE_X = SCREEN_W_PX / 2;
// The riser is drawn from y 200 up to y -750, where its bottom meets the screen's.
static const int RISER_H = 950;

// The title menu's text lies within these bounds; the panel frames them.
static const int MENU_LEFT = 92, MENU_TOP = 92, MENU_RIGHT = 237, MENU_BOTTOM = 175;

// Far layer: opaque deep space, a violet and teal nebula, dim galaxies; rows wrap seamlessly.
static void far_layer(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{5, 5, 20}, {44, 20, 84}, {70, 115, 195}, 0.85, 11});
    Rng rng{42};
    sprinkle_stars(picture, rng, 480, 0.75);
    // A few distant galaxies: faint tilted smudges with a brighter core.
    static const int galaxies[][2] = {{70, 40}, {250, 130}, {170, 185}};
    for (const auto &g : galaxies)
        for (int dy = -3; dy <= 3; dy++)
            for (int dx = -7; dx <= 7; dx++) {
                double u = (dx + dy * 0.8) / 7.0, v = (dy - dx * 0.25) / 2.2;
                double glow = 1 - (u * u + v * v);
                if (glow > 0)
                    put_wrapped(picture, g[0] + dx, g[1] + dy,
                                colour(mix(pixel(picture, g[0] + dx, (g[1] + dy + SCREEN_H_PX) %
                                                                         SCREEN_H_PX),
                                           {200, 190, 255}, glow * 0.45)));
            }
    save_picture(picture, path);
}

// Near layer: sparse bright stars and drifting rocks on transparency, in compact clusters.
static void near_layer(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, transparent());
    Rng rng{97};
    for (int i = 0; i < 16; i++) {
        int x = 4 + rng.below(SCREEN_W_PX - 8), y = rng.below(SCREEN_H_PX);
        int arm = 1 + rng.below(3);
        Rgb light = i % 3 ? Rgb{210, 225, 255} : Rgb{255, 235, 200};
        for (int d = -arm; d <= arm; d++) {
            put_wrapped(picture, x + d, y, colour(shade(light, -0.22 * std::abs(d))));
            put_wrapped(picture, x, y + d, colour(shade(light, -0.22 * std::abs(d))));
        }
        put_wrapped(picture, x, y, colour(255, 255, 255));
    }
    // The largest rock crosses the bottom edge and carries on at the top.
    static const int rocks[][3] = {{40, 30, 5}, {250, 80, 7}, {140, 150, 4}, {292, 196, 6},
                                   {96, 104, 3}, {204, 20, 2}};
    for (int i = 0; i < 6; i++)
        draw_rock(picture, rocks[i][0], rocks[i][1], rocks[i][2], 300 + i);
    // Wisps of dust: small dim clumps, kept compact so the masked copy stays cheap.
    for (int i = 0; i < 10; i++) {
        int x = 8 + rng.below(SCREEN_W_PX - 16), y = rng.below(SCREEN_H_PX);
        for (int grain = 0; grain < 7; grain++) {
            int gx = x + rng.below(5) - 2, gy = y + rng.below(3) - 1;
            put_wrapped(picture, gx, gy, colour(mix({70, 60, 120}, {150, 140, 200}, rng.unit())));
        }
    }
    save_picture(picture, path);
}

// The calm backdrop of the intro, tally and shop: nearly black where the text goes,
// a planet's edge and a little nebula in the bottom right corner.
static void backdrop(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{3, 3, 12}, {28, 18, 56}, {50, 60, 110}, 0.55, 23});
    for (int y = 0; y < SCREEN_H_PX; y++)
        for (int x = 0; x < SCREEN_W_PX; x++) {
            // Darker towards the top left, where the tally and the shop print their lines.
            double calm = std::min(1.0, std::hypot(SCREEN_W_PX - x, SCREEN_H_PX - y) / 300.0);
            putpixel(picture, x, y, colour(mix(pixel(picture, x, y), {2, 2, 10}, calm * 0.8)));
        }
    Rng rng{5};
    sprinkle_stars(picture, rng, 140, 0.4);
    draw_planet(picture, 300, 230, 80, Rgb{6, 8, 26}, Rgb{60, 90, 170}, 3);
    save_picture(picture, path);
}

// The rising story: lines of text on transparency, the ship, and last the game's name.
static void riser(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, RISER_H, transparent());
    static const char *const story[] = {
        "YEAR 2391.", "", "THE OUTER COLONIES", "FELL SILENT,", "ONE BY ONE.", "-",
        "OUT OF THE DARK", "BEYOND NEPTUNE", "CAME THE SWARM.", "-",
        "ONE STATION STILL", "STANDS WATCH AT", "THE EDGE OF THE VOID.", "-",
        "ONE PILOT.", "ONE SHIP.", "", "THE LAST LINE", "OF DEFENCE", "IS YOU.",
    };
    Lettering body = simple_lettering(2, {220, 232, 255}, {130, 160, 235});
    int y = 60;
    for (const char *line : story) {
        if (line[0] == '-')
            draw_divider(picture, CENTRE_X, y + 8, 60, {120, 140, 220});
        else
            draw_lettering_centred(picture, line, CENTRE_X, y, body);
        y += 24;
    }
    draw_design(picture, Design::ship, CENTRE_X - 24, y + 30, 3);
    draw_game_name(picture, CENTRE_X, RISER_H - 168);
    draw_divider(picture, CENTRE_X, RISER_H - 84, 120, {255, 190, 100});
    save_picture(picture, path);
}

// The title: the logo over a planet's horizon, the menu framed in a calm panel,
// the ship climbing away from the planet on the right.
static void title(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{5, 5, 20}, {54, 22, 86}, {110, 90, 200}, 0.9, 31});
    Rng rng{8};
    sprinkle_stars(picture, rng, 260, 0.7);
    draw_planet(picture, 60, 330, 190, Rgb{10, 14, 40}, Rgb{70, 110, 200}, 9);
    // The ship's engine trail: a cone of warm light narrowing as it fades downwards.
    const int ship_x = 258, ship_y = 136, trail_top = ship_y + 2 * DESIGN_SIZE - 2;
    for (int i = 0; i < 24; i++) {
        int half = 3 - i / 8;
        for (int dx = -half; dx <= half; dx++)
            add_light(picture, ship_x + DESIGN_SIZE + dx - 1, trail_top + i, {255, 140, 40},
                      (1.0 - i / 24.0) * (1.0 - std::abs(dx) / 4.0));
    }
    draw_design(picture, Design::ship, ship_x, ship_y, 2);
    draw_panel(picture, MENU_LEFT, MENU_TOP, MENU_RIGHT, MENU_BOTTOM, {90, 110, 200});
    draw_game_name(picture, CENTRE_X, 12);
    save_picture(picture, path);
}

void make_backgrounds(const std::string &folder)
{
    make_scenes(folder);
    far_layer(entry_file(folder, 9, "far_layer"));
    near_layer(entry_file(folder, 10, "near_layer"));
    backdrop(entry_file(folder, 11, "backdrop"));
    riser(entry_file(folder, 12, "intro_riser"));
    title(entry_file(folder, 13, "title"));
}
