// The play screen: wrapped layers, scroll cycles, the explosion stages and the frame's order.
#include "fixtures.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

namespace {

class Drawing : public PlayTest {
protected:
    void SetUp() override
    {
        PlayTest::SetUp();
        buffer = create_bitmap(320, 200);
        far = create_bitmap(320, 200);
        near = create_bitmap(320, 200);
        expected = create_bitmap(320, 200);
        clear_bitmap(buffer);
        clear_bitmap(expected);
        // Each far row has its own raw colour (row + 1); the near layer is all mask.
        for (int row = 0; row < 200; row++)
            hline(far, 0, row, 319, row + 1);
        clear_to_color(near, bitmap_mask_color(near));
    }
    void TearDown() override
    {
        destroy_bitmap(buffer);
        destroy_bitmap(far);
        destroy_bitmap(near);
        destroy_bitmap(expected);
        PlayTest::TearDown();
    }
    int far_row_at(int buffer_row) { return getpixel(buffer, 5, buffer_row) - 1; }
    static const int UNTOUCHED = 0xFFFF; // a colour no stand-in layer pixel has
    BITMAP *buffer = nullptr, *far = nullptr, *near = nullptr, *expected = nullptr;
};

// A layer at offset 0 is drawn once unshifted; further on it wraps, the second copy from source
// row 200 - offset: at 100.5 from row 99, whose last row lands on row 100.
TEST_F(Drawing, LayerWrapsAtWholeAndFractionalOffsets)
{
    const struct {
        double scroll;
        std::vector<std::pair<int, int>> rows; // screen row, layer row drawn there
    } cases[] = {
        {0.0, {{0, 0}, {99, 99}, {199, 199}}},
        {100.0, {{100, 0}, {199, 99}, {0, 100}, {99, 199}}},
        {100.5, {{0, 99}, {99, 198}, {100, 199}, {101, 1}, {199, 99}}},
    };
    for (const auto &c : cases) {
        far_scroll = c.scroll;
        draw_background(buffer, far, near);
        for (auto [row, source] : c.rows)
            EXPECT_EQ(far_row_at(row), source) << "offset " << c.scroll << ", row " << row;
    }
}

TEST_F(Drawing, NearLayerIsMaskedOverTheFarLayer)
{
    putpixel(near, 7, 10, 0x1234);
    near_scroll = 0.0;
    draw_background(buffer, far, near);
    EXPECT_EQ(getpixel(buffer, 7, 10), 0x1234);
    EXPECT_EQ(far_row_at(11), 11) << "mask pixels let the far layer show";
}

// The near layer drawn from its runs puts down what its two masked copies put down, at
// every whole offset from 0.0 to 200.0 and at each offset of a scroll cycle.
TEST_F(Drawing, NearLayerRunsDrawWhatTheMaskedCopiesDraw)
{
    for (int i = 0; i < 320 * 200; i++) // dots and runs of all lengths, edge rows included
        if ((i * 7) % 11 < i / 320 % 4 || i < 320 || i >= 199 * 320)
            putpixel(near, i % 320, i / 320, i);
    auto check = [&](double offset) {
        near_scroll = offset;
        clear_to_color(buffer, UNTOUCHED);
        draw_near_layer(buffer, near);
        clear_to_color(expected, UNTOUCHED);
        masked_blit(near, expected, 0, 0, 0, static_cast<int>(offset), 320, 200);
        if (offset != 0.0)
            masked_blit(near, expected, 0, static_cast<int>(200.0 - offset), 0, 0, 320, 200);
        EXPECT_TRUE(same_pixels(buffer, expected)) << "offset " << offset;
    };
    prepare_play_pictures(sprites, near);
    for (int whole = 0; whole <= 200; whole++)
        check(whole);
    near_scroll = 0.0;
    for (int tick = 0; tick < 1002; tick++) {
        scroll_backgrounds();
        check(near_scroll);
    }
    release_play_pictures();
}

// Enemies and their plain explosion stages drawn from the sprites' runs put down what the
// masked sprites put down, whole or cut off at any edge of the screen.
TEST_F(Drawing, SpriteRunsDrawWhatTheMaskedSpritesDraw)
{
    for (int entry = 0; entry < SPRITES_COUNT; entry++) // a transparent corner and diagonal
        for (int i = 0; i < 16; i++)
            putpixel(static_cast<BITMAP *>(sprites[entry].dat), i, i < 4 ? 15 : (i + entry) % 16,
                     MASK_COLOR_16);
    enemy_count = 0;
    for (int x : {-16, -15, -1, 0, 1, 150, 303, 304, 305, 319, 320})
        for (int y : {-16, -15, -1, 0, 1, 90, 183, 184, 185, 199, 200}) {
            int i = enemy_count++;
            enemies[i] = Enemy{double(x), double(y), i % 2, 0, i % 5, 1, 0, 0, 0};
            explosion_timer[i] = 16 + i % 15; // the plain stages
        }
    draw_enemies(expected, sprites);
    prepare_play_pictures(sprites, near);
    draw_enemies(buffer, sprites);
    release_play_pictures();
    EXPECT_TRUE(same_pixels(buffer, expected));
}

TEST_F(Drawing, ScrollOffsetsCycleIn2002And1002Ticks)
{
    int far_cycle = 0, near_cycle = 0;
    for (int t = 1; t <= 2100 && !(far_cycle && near_cycle); t++) {
        scroll_backgrounds();
        if (!far_cycle && far_scroll == 0.0)
            far_cycle = t;
        if (!near_cycle && near_scroll == 0.0)
            near_cycle = t;
    }
    EXPECT_EQ(far_cycle, 2002);
    EXPECT_EQ(near_cycle, 1002);
}

TEST_F(Drawing, ExplosionStagesFollowTheTimer)
{
    struct Row { int from, to, sprite, light, sink; };
    const Row table[] = {
        {26, 30, SPR_EXPLOSION_1, -1, 0}, {20, 25, SPR_EXPLOSION_2, -1, 0},
        {19, 19, SPR_EXPLOSION_3, -1, 0}, {16, 18, SPR_EXPLOSION_4, -1, 0},
        {11, 15, SPR_EXPLOSION_4, 75, 1}, {7, 10, SPR_EXPLOSION_3, 50, 2},
        {5, 6, SPR_EXPLOSION_4, 25, 3},   {1, 4, SPR_EXPLOSION_3, 10, 4},
    };
    for (const Row &row : table)
        for (int t = row.from; t <= row.to; t++) {
            ExplosionStage stage = explosion_stage(t);
            EXPECT_EQ(stage.sprite, row.sprite) << t;
            EXPECT_EQ(stage.light, row.light) << t;
            EXPECT_EQ(stage.sink, row.sink) << t;
        }
}

TEST_F(Drawing, ExplosionIsDrawnOnlyForInactiveEnemiesAndSinks)
{
    enemy_count = 1;
    enemies[0] = Enemy{40.0, 50.7, 0, 0, 0, 1, 0, 0, 1};
    explosion_timer[0] = 27;
    clear_bitmap(buffer);
    draw_enemies(buffer, sprites);
    EXPECT_EQ(getpixel(buffer, 40, 50), picture_colour(SPR_EXPLOSION_1));

    // A lit stage: tinted towards the blender colour, one row lower per stage.
    set_trans_blender(0, 0, 0, 100);
    explosion_timer[0] = 2; // y + 4
    clear_bitmap(buffer);
    draw_enemies(buffer, sprites);
    EXPECT_EQ(getpixel(buffer, 40, 53), 0) << "nothing above the sunk picture";
    int dark = getpixel(buffer, 40, 54);
    EXPECT_NE(dark, 0);
    set_trans_blender(255, 255, 255, 100);
    clear_bitmap(buffer);
    draw_enemies(buffer, sprites);
    int light = getpixel(buffer, 40, 54);
    EXPECT_GT(getr16(light), getr16(dark)) << "the tint is the last blender set";

    enemies[0].active = 1; // an active enemy shows itself, never its explosion
    clear_bitmap(buffer);
    draw_enemies(buffer, sprites);
    EXPECT_EQ(getpixel(buffer, 40, 60), picture_colour(enemies[0].sprite));

    enemies[0].active = 0;
    explosion_timer[0] = 0;
    clear_bitmap(buffer);
    draw_enemies(buffer, sprites);
    EXPECT_EQ(getpixel(buffer, 40, 54), 0) << "a finished explosion leaves nothing";
}

} // namespace

// Each step of the frame draws over the ones before it: layers, ship, shield (white at 75),
// bullets, enemy shots, enemies. Stand-ins at one spot are taken away from the top down.
TEST_F(Drawing, FrameDrawsItsLayersInOrderAndShowsTheBuffer)
{
    MemoryScreen memory_screen;
    player_x = player_y = 100.0; // the shield is drawn around the ship's place in the state
    shield_on = 1;
    shield_timer = 6;
    bullets[0] = Shot{101, 1, 101.0};
    bullets[START_MAX_BULLETS] = Shot{200, 1, 50.0}; // a slot not in use is never drawn
    enemy_shots[0] = Shot{102, 1, 102.0};
    enemy_count = 1;
    enemies[0] = Enemy{103.0, 103.0, 1, 0, 3, 5, 0, 0, 0};

    BITMAP *blend = create_bitmap(16, 16);
    clear_to_color(blend, picture_colour(SPR_SHIP));
    set_trans_blender(0, 0, 0, 255); // whatever the game set last, the shield sets its own
    set_trans_blender(255, 255, 255, 75);
    draw_trans_sprite(blend, static_cast<BITMAP *>(sprites[SPR_SHIELD_EVEN].dat), 0, 0);
    const int shielded_ship = getpixel(blend, 0, 0);
    destroy_bitmap(blend);

    const int expected[] = {picture_colour(3), picture_colour(SPR_ENEMY_SHOT),
                            picture_colour(SPR_BULLET), shielded_ship, picture_colour(SPR_SHIP)};
    for (int colour : expected) {
        set_trans_blender(0, 0, 0, 100);
        draw_frame(100, 100, buffer, far, near, sprites, sounds);
        EXPECT_EQ(getpixel(screen, 104, 104), colour);
        EXPECT_EQ(far_row_at(150), 150) << "the far layer under the rest";
        if (enemies[0].active)
            enemies[0].active = 0;
        else if (enemy_shots[0].active)
            enemy_shots[0].active = 0;
        else if (bullets[0].active)
            bullets[0].active = 0;
        else
            shield_on = 0;
    }
    EXPECT_EQ(getpixel(screen, 115, 115), picture_colour(SPR_SHIP)) << "the ship at its place";
    EXPECT_EQ(getpixel(screen, 204, 55), 55 + 1) << "no bullet from a slot not in use";
}
