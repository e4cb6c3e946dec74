// Checks the built datafiles: entry counts, kinds and sizes, and what the pictures must get right.
#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const int TILE = 16;
const int SHIELD_SIZE = 32;
const int LEFT_GUN_COLUMN = 1;
const int RIGHT_GUN_COLUMN = 14;
const int GUN_BARREL_ROWS = 8;
const int RISER_LOWEST_Y = -750; // the intro slides the riser up to here
const int RISER_MAX_H = 1000;
const double SEAM_FACTOR = 2.0;  // a seam may step at most this many times the usual row step
const double SEAM_FLOOR = 1.0;   // plus this many colour levels

// A built datafile, loaded for one test; one that does not load fails the test that wanted it.
struct Loaded {
    DATAFILE *data = nullptr;
    explicit Loaded(const char *name)
        : data(load_datafile((std::string(RUN_DIR) + "/" + name).c_str()))
    {
        if (!data)
            throw std::runtime_error(std::string(name) + " does not load");
    }
    ~Loaded() { unload_datafile(data); }
    BITMAP *bitmap(int entry) const { return static_cast<BITMAP *>(data[entry].dat); }
    SAMPLE *sample(int entry) const { return static_cast<SAMPLE *>(data[entry].dat); }
};

bool is_transparent(BITMAP *b, int x, int y)
{
    return getpixel(b, x, y) == bitmap_mask_color(b);
}

// Mean colour difference between two rows, per channel in 0..255 levels;
// transparency counts as black.
double row_difference(BITMAP *b, int row_a, int row_b)
{
    long total = 0;
    for (int x = 0; x < b->w; x++) {
        int a = is_transparent(b, x, row_a) ? 0 : getpixel(b, x, row_a);
        int c = is_transparent(b, x, row_b) ? 0 : getpixel(b, x, row_b);
        total += std::abs(getr16(a) - getr16(c)) + std::abs(getg16(a) - getg16(c)) +
                 std::abs(getb16(a) - getb16(c));
    }
    return total / (3.0 * b->w);
}

// How far the step from the last row back to the first exceeds what the picture allows.
struct Seam {
    double step;      // last row to first row
    double tolerance; // SEAM_FACTOR times the mean step between neighbouring rows, plus SEAM_FLOOR
};

Seam measure_seam(BITMAP *b)
{
    double sum = 0;
    for (int y = 0; y + 1 < b->h; y++)
        sum += row_difference(b, y, y + 1);
    return Seam{row_difference(b, b->h - 1, 0), SEAM_FACTOR * sum / (b->h - 1) + SEAM_FLOOR};
}

// The opaque pixels' bounding box touches all four edges of the picture.
bool fills_box(BITMAP *b)
{
    int left = b->w, right = -1, top = b->h, bottom = -1;
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            if (!is_transparent(b, x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return left == 0 && top == 0 && right == b->w - 1 && bottom == b->h - 1;
}

int transparent_count(BITMAP *b)
{
    int count = 0;
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            count += is_transparent(b, x, y);
    return count;
}

} // namespace

TEST(Assets, EveryDatafileFitsItsCatalogue)
{
    const Catalogue *catalogues[] = {&SPRITES_CATALOGUE, &BACKGROUNDS_CATALOGUE, &SOUNDS_CATALOGUE,
                                     &MUSIC_CATALOGUE};
    for (const Catalogue *catalogue : catalogues) {
        Loaded file(catalogue->file_name);
        EXPECT_EQ(check_datafile(file.data, *catalogue), "") << catalogue->file_name;
        EXPECT_EQ(count_entries(file.data), catalogue->count) << catalogue->file_name;
    }
}

TEST(Assets, SpriteSizesMatchTheHitBoxes)
{
    Loaded sprites("sprites.dat");
    for (int entry = SPR_ENEMY_FIRST; entry <= SPR_ENEMY_LAST; entry++) {
        BITMAP *enemy = sprites.bitmap(entry);
        ASSERT_EQ(enemy->w, TILE) << "enemy " << entry;
        ASSERT_EQ(enemy->h, TILE) << "enemy " << entry;
        EXPECT_TRUE(fills_box(enemy)) << "enemy " << entry << " leaves its hit box edges empty";
    }
    for (int entry = SPR_EXPLOSION_1; entry <= SPR_SHIP; entry++) {
        EXPECT_EQ(sprites.bitmap(entry)->w, TILE) << entry;
        EXPECT_EQ(sprites.bitmap(entry)->h, TILE) << entry;
    }
    for (int entry : {SPR_SHIELD_EVEN, SPR_SHIELD_ODD}) {
        EXPECT_EQ(sprites.bitmap(entry)->w, SHIELD_SIZE) << entry;
        EXPECT_EQ(sprites.bitmap(entry)->h, SHIELD_SIZE) << entry;
    }
    // The shots are small marks, well inside a ship's width.
    for (int entry : {SPR_ENEMY_SHOT, SPR_BULLET}) {
        EXPECT_LE(sprites.bitmap(entry)->w, 4) << entry;
        EXPECT_LE(sprites.bitmap(entry)->h, 8) << entry;
        BITMAP *shot = sprites.bitmap(entry);
        EXPECT_LT(transparent_count(shot), shot->w * shot->h) << entry;
    }
}

TEST(Assets, ShipGunsSitAtTheColumnsBulletsLeaveFrom)
{
    Loaded sprites("sprites.dat");
    BITMAP *ship = sprites.bitmap(SPR_SHIP);
    for (int y = 0; y < GUN_BARREL_ROWS; y++) {
        EXPECT_FALSE(is_transparent(ship, LEFT_GUN_COLUMN, y)) << "row " << y;
        EXPECT_FALSE(is_transparent(ship, RIGHT_GUN_COLUMN, y)) << "row " << y;
    }
}

TEST(Assets, ShieldFramesDifferSoTheyShimmer)
{
    Loaded sprites("sprites.dat");
    BITMAP *even = sprites.bitmap(SPR_SHIELD_EVEN), *odd = sprites.bitmap(SPR_SHIELD_ODD);
    int differing = 0;
    for (int y = 0; y < SHIELD_SIZE; y++)
        for (int x = 0; x < SHIELD_SIZE; x++)
            differing += getpixel(even, x, y) != getpixel(odd, x, y);
    EXPECT_GT(differing, SHIELD_SIZE * SHIELD_SIZE / 10);
}

TEST(Assets, BackgroundsTheirSizesTransparencyJoinsAndNames)
{
    Loaded backgrounds("backgrounds.dat");
    BITMAP *title = backgrounds.bitmap(BG_TITLE);
    EXPECT_EQ(title->w, SCREEN_WIDTH);
    EXPECT_EQ(title->h, SCREEN_HEIGHT);

    // The riser must still cover the screen's bottom row when it stops at its highest point.
    BITMAP *riser = backgrounds.bitmap(BG_INTRO_RISER);
    EXPECT_EQ(riser->w, SCREEN_WIDTH);
    EXPECT_GE(riser->h, SCREEN_HEIGHT - RISER_LOWEST_Y);
    EXPECT_LE(riser->h, RISER_MAX_H);
    int riser_clear = transparent_count(riser);
    EXPECT_GT(riser_clear, riser->w * riser->h / 2) << "the riser must let the backdrop show";
    EXPECT_LT(riser_clear, riser->w * riser->h) << "the riser must show something";

    EXPECT_EQ(transparent_count(backgrounds.bitmap(BG_FAR_LAYER)), 0);
    BITMAP *near = backgrounds.bitmap(BG_NEAR_LAYER);
    int near_clear = transparent_count(near);
    EXPECT_GT(near_clear, near->w * near->h * 9 / 10) << "the near layer must be sparse";
    EXPECT_LT(near_clear, near->w * near->h);
    for (int entry : {BG_FAR_LAYER, BG_NEAR_LAYER}) {
        Seam seam = measure_seam(backgrounds.bitmap(entry));
        EXPECT_LE(seam.step, seam.tolerance) << "the scrolling layer " << entry << " shows a seam";
    }
    const std::pair<int, std::string> screens[] = { // each screen's picture, as the build named it
        {BG_LIVES, "LIVES"}, {BG_GAME_OVER, "GAME_OVER"}, {BG_INTRO_CARD, "INTRO_CARD"},
        {BG_FAR_LAYER, "FAR_LAYER"}, {BG_NEAR_LAYER, "NEAR_LAYER"}, {BG_BACKDROP, "BACKDROP"},
        {BG_INTRO_RISER, "INTRO_RISER"}, {BG_TITLE, "TITLE"}};
    for (const auto &[entry, name] : screens) // packed as NN_NAME_BMP, NN its place in the file
        EXPECT_EQ(std::string(get_datafile_property(&backgrounds.data[entry], DAT_NAME)).substr(3),
                  name + "_BMP");
}

TEST(Assets, SeamMeasureCatchesARealSeam)
{
    Loaded backgrounds("backgrounds.dat");
    // The far layer's top half alone does not wrap: its middle row meets its first row.
    BITMAP *far = backgrounds.bitmap(BG_FAR_LAYER);
    BITMAP *half = create_bitmap(far->w, far->h / 2);
    blit(far, half, 0, 0, 0, 0, far->w, far->h / 2);
    Seam cut = measure_seam(half);
    EXPECT_GT(cut.step, cut.tolerance);
    destroy_bitmap(half);

    // A rock cut off at the near layer's bottom edge, with nothing at the top.
    BITMAP *near = backgrounds.bitmap(BG_NEAR_LAYER);
    BITMAP *broken = create_bitmap(near->w, near->h);
    blit(near, broken, 0, 0, 0, 0, near->w, near->h);
    rectfill(broken, 150, 0, 170, 6, bitmap_mask_color(broken));
    circlefill(broken, 160, near->h - 1, 6, makecol(140, 120, 110));
    Seam rock = measure_seam(broken);
    EXPECT_GT(rock.step, rock.tolerance);
    destroy_bitmap(broken);
}

TEST(Assets, SoundsAreShortSixteenBitSamples)
{
    Loaded sounds("sounds.dat");
    for (int entry = 0; entry < SOUNDS_COUNT; entry++) {
        EXPECT_EQ(sounds.sample(entry)->bits, 16) << entry;
        EXPECT_GT(sounds.sample(entry)->len, 0u) << entry;
    }
    auto seconds = [&](int entry) {
        return sounds.sample(entry)->len / double(sounds.sample(entry)->freq);
    };
    EXPECT_LT(seconds(SND_EXPLOSION), 1.0);
    EXPECT_LT(seconds(SND_SHOT), 0.25) << "a shot must end before the next, a quarter second on";
}

TEST(Assets, InstrumentPatchesAreStaged)
{
    Loaded patches("patches.dat");
    EXPECT_NE(find_datafile_object(patches.data, "default_cfg"), nullptr);
}
