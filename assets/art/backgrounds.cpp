// The full-screen pictures: scrolling layers, backdrop, the intro's rising story and the title.
#include "art.h"
#include "lettering.h"
#include "scenes.h"
#include "space.h"

static const int SCREEN_W_PX = 320;
static const int SCREEN_H_PX = 200;
static const int RISER_H = 950; // drawn from y 200 up to y -750

// Far layer: opaque deep space with a violet nebula; its rows wrap seamlessly.
static void far_layer(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{6, 6, 22}, {44, 24, 86}, {90, 120, 200}, 1.0, 11});
    Rng rng{42};
    sprinkle_stars(picture, rng, 420, 0.8);
    save_picture(picture, path);
}

// Near layer: sparse bright stars and a few rocks on transparency, in compact clusters.
static void near_layer(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, transparent());
    Rng rng{97};
    for (int i = 0; i < 14; i++) {
        int x = 4 + rng.below(SCREEN_W_PX - 8), y = rng.below(SCREEN_H_PX);
        int arm = 1 + rng.below(3);
        Rgb light = i % 3 ? Rgb{210, 225, 255} : Rgb{255, 235, 200};
        for (int d = -arm; d <= arm; d++) {
            put_wrapped(picture, x + d, y, colour(shade(light, -0.2 * std::abs(d))));
            put_wrapped(picture, x, y + d, colour(shade(light, -0.2 * std::abs(d))));
        }
        put_wrapped(picture, x, y, colour(255, 255, 255));
    }
    static const int rocks[][3] = {{40, 30, 5}, {250, 80, 7}, {140, 150, 4}, {290, 185, 3}};
    for (int i = 0; i < 4; i++)
        draw_rock(picture, rocks[i][0], rocks[i][1], rocks[i][2], 300 + i);
    save_picture(picture, path);
}

// The calm backdrop of the intro, tally and shop: a dark, even sky that keeps text readable.
static void backdrop(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{4, 4, 16}, {20, 16, 48}, {36, 40, 80}, 0.6, 23});
    Rng rng{5};
    sprinkle_stars(picture, rng, 160, 0.45);
    draw_planet(picture, 290, 215, 70, Rgb{8, 10, 30}, Rgb{60, 80, 150}, 3);
    save_picture(picture, path);
}

// The rising story: lines of text on transparency, ending with the game's name.
static void riser(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, RISER_H, transparent());
    static const char *const story[] = {
        "YEAR 2391.",          "",
        "THE OUTER COLONIES",  "WENT SILENT ONE",   "BY ONE.",        "",
        "FROM THE DARK",       "BEYOND NEPTUNE",    "CAME THE SWARM.", "",
        "ONE STATION STILL",   "STANDS WATCH AT",   "THE EDGE OF THE", "VOID.",
        "",                    "ONE PILOT.",        "ONE SHIP.",       "",
        "THE LAST LINE",       "OF DEFENCE IS YOU.",
    };
    Lettering body = plain_lettering(2, Rgb{200, 220, 255});
    body.bottom = Rgb{120, 150, 230};
    int y = 40;
    for (const char *line : story) {
        draw_lettering_centred(picture, line, SCREEN_W_PX / 2, y, body);
        y += 22;
    }
    draw_game_name(picture, SCREEN_W_PX / 2, RISER_H - 170);
    save_picture(picture, path);
}

// The title: the logo over a planet's horizon, the menu's area left dark and calm.
static void title(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{5, 5, 20}, {50, 22, 80}, {110, 90, 200}, 0.9, 31});
    Rng rng{8};
    sprinkle_stars(picture, rng, 260, 0.7);
    draw_planet(picture, 160, 560, 390, Rgb{10, 14, 40}, Rgb{70, 110, 200}, 9);
    rectfill(picture, 96, 96, 234, 172, colour(6, 6, 20));
    rect(picture, 96, 96, 234, 172, colour(60, 70, 130));
    draw_game_name(picture, SCREEN_W_PX / 2, 14);
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
