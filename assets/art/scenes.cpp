// The still pictures with words: credits, lives, game over and the opening card.
#include "scenes.h"
#include "lettering.h"
#include "space.h"

#include <vector>

static const int SCREEN_W_PX = 320;
static const int SCREEN_H_PX = 200;
static const int NUMBER_X = 160;      // the game prints the lives and level numbers from here
static const int LIVES_ROW = 65;
static const int LEVEL_ROW = 165;
static const int GLYPH = 8;

static const Rgb NAVY = {10, 12, 40};

void draw_game_name(BITMAP *bitmap, int centre_x, int y)
{
    Lettering warm{4, {255, 245, 180}, {255, 120, 20}, 2, NAVY, 2, {0, 0, 0}};
    Lettering chrome{4, {240, 250, 255}, {80, 110, 220}, 2, NAVY, 2, {0, 0, 0}};
    draw_lettering_centred(bitmap, "VOID", centre_x, y, warm);
    draw_lettering_centred(bitmap, "SENTINEL", centre_x, y + 38, chrome);
}

static BITMAP *starry_screen(uint32_t seed, Rgb cloud)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, 0);
    paint_sky(picture, Sky{{5, 5, 18}, cloud, {90, 110, 190}, 0.8, seed});
    Rng rng{seed * 7 + 1};
    sprinkle_stars(picture, rng, 220, 0.7);
    return picture;
}

// One credit slide: a heading and lines beneath it.
struct Slide {
    const char *heading;
    std::vector<const char *> lines;
};

static void credit_slide(const std::string &path, const Slide &slide, uint32_t seed)
{
    BITMAP *picture = starry_screen(seed, Rgb{40, 20, 70});
    Lettering heading{3, {255, 240, 170}, {255, 140, 30}, 1, NAVY, 2, {0, 0, 0}};
    Lettering body = plain_lettering(2, Rgb{210, 225, 255});
    int y = 40;
    draw_lettering_centred(picture, slide.heading, SCREEN_W_PX / 2, y, heading);
    y += 44;
    for (const char *line : slide.lines) {
        draw_lettering_centred(picture, line, SCREEN_W_PX / 2, y, body);
        y += 22;
    }
    save_picture(picture, path);
}

static void credits(const std::string &folder)
{
    BITMAP *first = starry_screen(101, Rgb{50, 20, 80});
    draw_game_name(first, SCREEN_W_PX / 2, 50);
    draw_lettering_centred(first, "THE CREDITS", SCREEN_W_PX / 2, 150,
                           plain_lettering(2, Rgb{210, 225, 255}));
    save_picture(first, entry_file(folder, 0, "credits_name"));
    credit_slide(entry_file(folder, 1, "credits_code"),
                 {"PROGRAMMING", {"GAME DESIGN", "AND CODE BY", "THE VOID", "SENTINEL TEAM"}},
                 102);
    credit_slide(entry_file(folder, 2, "credits_art"),
                 {"ART & SOUND", {"PIXEL ART,", "SOUND EFFECTS", "AND MUSIC BY", "THE TEAM"}},
                 103);
    credit_slide(entry_file(folder, 3, "credits_tools"),
                 {"MADE WITH", {"ALLEGRO 4", "FREEPATS SOUNDS", "ABCMIDI", "SOX"}}, 104);
    credit_slide(entry_file(folder, 4, "credits_thanks"),
                 {"THANKS TO", {"THE ALLEGRO AND", "FREEPATS PEOPLE", "AND EVERY PLAYER"}},
                 105);
    credit_slide(entry_file(folder, 5, "credits_end"),
                 {"THANK YOU", {"FOR PLAYING!", "", "SEE YOU AT", "THE EDGE."}}, 106);
}

// The lives screen: labels end just left of where the game prints its numbers.
static void lives(const std::string &path)
{
    BITMAP *picture = starry_screen(201, Rgb{20, 30, 70});
    Lettering label{2, {255, 245, 200}, {255, 150, 40}, 1, NAVY, 1, {0, 0, 0}};
    int label_h = lettering_height(label);
    draw_lettering_right(picture, "LIVES", NUMBER_X - 6, LIVES_ROW + GLYPH / 2 - label_h / 2,
                         label);
    draw_lettering_right(picture, "LEVEL", NUMBER_X - 6, LEVEL_ROW + GLYPH / 2 - label_h / 2,
                         label);
    draw_lettering_centred(picture, "PRESS ENTER", SCREEN_W_PX / 2, 110,
                           plain_lettering(2, Rgb{160, 190, 255}));
    save_picture(picture, path);
}

static void game_over(const std::string &path)
{
    BITMAP *picture = starry_screen(301, Rgb{70, 16, 30});
    draw_planet(picture, 160, 330, 200, Rgb{20, 6, 10}, Rgb{170, 60, 40}, 17);
    Lettering big{4, {255, 230, 200}, {220, 40, 30}, 2, {20, 4, 8}, 2, {0, 0, 0}};
    draw_lettering_centred(picture, "GAME", SCREEN_W_PX / 2, 36, big);
    draw_lettering_centred(picture, "OVER", SCREEN_W_PX / 2, 74, big);
    draw_lettering_centred(picture, "PRESS ENTER", SCREEN_W_PX / 2, 170,
                           plain_lettering(2, Rgb{230, 220, 220}));
    save_picture(picture, path);
}

// The team's card: a ringed emblem and the team's name.
static void intro_card(const std::string &path)
{
    BITMAP *picture = new_picture(SCREEN_W_PX, SCREEN_H_PX, colour(0, 0, 0));
    draw_planet(picture, SCREEN_W_PX / 2, 70, 34, Rgb{20, 10, 40}, Rgb{255, 170, 60}, 5);
    ellipse(picture, SCREEN_W_PX / 2, 72, 56, 12, colour(255, 220, 150));
    Lettering name{3, {255, 255, 255}, {150, 180, 255}, 1, NAVY, 0, {0, 0, 0}};
    draw_lettering_centred(picture, "ORBITAL FORGE", SCREEN_W_PX / 2, 124, name);
    draw_lettering_centred(picture, "PRESENTS", SCREEN_W_PX / 2, 160,
                           plain_lettering(1, Rgb{180, 180, 200}));
    save_picture(picture, path);
}

void make_scenes(const std::string &folder)
{
    credits(folder);
    lives(entry_file(folder, 6, "lives"));
    game_over(entry_file(folder, 7, "game_over"));
    intro_card(entry_file(folder, 8, "intro_card"));
}
