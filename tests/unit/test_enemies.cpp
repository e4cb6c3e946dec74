// Enemy flight: entry corners, the twelve patterns, exits, spawn gaps and shots.
#include "fixtures.h"

#include "frame/entries.h"
#include "frame/loop.h"
#include "frame/state.h"
#include "play/play.h"

#include <algorithm>

namespace {

class Enemies : public PlayTest {
protected:
    // One enemy of the given pattern, spawned as record 0.
    Enemy &spawn_one(int pattern, int heading = 0)
    {
        enemy_count = 1;
        enemies[0] = Enemy{500.0, 0.0, 0, 0, 0, pattern, heading, 0, 0};
        spawn_enemy(0);
        return enemies[0];
    }
    // Ticks of movement until the enemy is parked by the exit check.
    int ticks_to_exit(int pattern, int limit = 5000)
    {
        Enemy &enemy = spawn_one(pattern);
        for (int t = 1; t <= limit; t++) {
            move_enemy(0);
            check_enemy_exit(0);
            if (enemy.done)
                return t;
        }
        return -1;
    }
};

TEST_F(Enemies, EnterFromTheirPatternsCorner)
{
    for (int pattern : {1, 2, 5, 6, 9, 10})
        EXPECT_EQ(spawn_one(pattern).x, 0.0) << pattern;
    for (int pattern : {3, 4, 7, 8, 11, 12})
        EXPECT_EQ(spawn_one(pattern).x, 318.0) << pattern;
    Enemy &enemy = spawn_one(1);
    EXPECT_EQ(enemy.active, 1);
    EXPECT_EQ(enemy.y, 0.0);
}

TEST_F(Enemies, EachPatternLeavesTheScreenOnTime)
{
    const int expected[13] = {0, 0, 342, 684, 342, 253, 127, 252, 127, 228, 114, 227, 114};
    for (int pattern = 2; pattern <= 12; pattern++)
        EXPECT_EQ(ticks_to_exit(pattern), expected[pattern]) << "pattern " << pattern;
    EXPECT_GT(ticks_to_exit(1), 1000);
    EXPECT_EQ(enemies[0].x, PARKED_X);
    EXPECT_EQ(enemies[0].active, 0);
}

TEST_F(Enemies, BouncingPatternsSwingBetweenTheirEdges)
{
    struct Range { int pattern; double low, high; int skip; };
    // Pattern 3 first sweeps from 318 down to 0; pattern 4 reaches -2 on its first sweep.
    for (Range range : {Range{2, 0, 305, 0}, Range{4, -2, 303, 70}, Range{3, 0, 303, 110}}) {
        Enemy &enemy = spawn_one(range.pattern, range.pattern == 2 ? 0 : 1);
        double low = 1e9, high = -1e9;
        for (int t = 0; t < 500; t++) {
            move_enemy(0);
            if (t >= range.skip) {
                low = std::min(low, enemy.x);
                high = std::max(high, enemy.x);
            }
        }
        EXPECT_EQ(low, range.low) << "pattern " << range.pattern;
        EXPECT_EQ(high, range.high) << "pattern " << range.pattern;
    }
}

TEST_F(Enemies, HeadingLeftByAnEarlierOccupantTurnsOnTheFirstTick)
{
    Enemy &right = spawn_one(3, 0);
    move_enemy(0);
    EXPECT_EQ(right.x, 318.0);
    EXPECT_EQ(right.heading, 1);
    EXPECT_DOUBLE_EQ(right.y, 0.3);

    Enemy &left = spawn_one(2, 1);
    move_enemy(0);
    EXPECT_EQ(left.x, 0.0);
    EXPECT_EQ(left.heading, 0);
    EXPECT_DOUBLE_EQ(left.y, 0.6);
}

TEST_F(Enemies, FastTopRunnersDropAtTheirColumns)
{
    Enemy &six = spawn_one(6);
    double drop_x = -1;
    for (int t = 0; t < 200 && drop_x < 0; t++) {
        double y_before = six.y;
        move_enemy(0);
        if (six.x >= 50 && six.x < 302) {
            EXPECT_EQ(six.y, 50.0);
        }
        if (six.y > y_before && y_before >= 50.0 && six.x == 302.0)
            drop_x = six.x;
    }
    EXPECT_EQ(drop_x, 302.0);

    Enemy &eight = spawn_one(8);
    for (int t = 0; t < 90; t++)
        move_enemy(0);
    EXPECT_EQ(eight.x, 18.0);
    double y = eight.y;
    move_enemy(0);
    EXPECT_EQ(eight.x, 18.0);
    EXPECT_EQ(eight.y, y + 4);
}

// Frames of one tick each, as a slow machine would run them: returns the
// tick in which each of n enemies with the given delay spawned.
std::vector<int> spawn_ticks(int delay, int n, DATAFILE *sounds)
{
    enemy_count = n;
    for (int i = 0; i < n; i++)
        enemies[i] = Enemy{500.0, 0.0, 0, delay, 0, 1, 0, 0, 0};
    enemies[n].delay = 0;
    next_enemy = 0;
    spawn_countdown = 0.0;
    std::vector<int> ticks;
    spawn_next_enemy();
    ticks.push_back(0);
    for (int t = 1; t < 400 && static_cast<int>(ticks.size()) < n; t++) {
        tick_count = 1;
        run_tick(sounds);
        int before = next_enemy;
        spawn_next_enemy();
        if (next_enemy > before)
            ticks.push_back(t);
    }
    return ticks;
}

TEST_F(Enemies, SpawnGapsFollowTheDelay)
{
    struct Gap { int delay, ticks; };
    for (Gap gap : {Gap{1, 2}, Gap{2, 3}, Gap{3, 2}, Gap{10, 8}, Gap{60, 40}}) {
        reset_play_state();
        std::vector<int> ticks = spawn_ticks(gap.delay, 3, sounds);
        ASSERT_EQ(ticks.size(), 3u) << "delay " << gap.delay;
        EXPECT_EQ(ticks[1] - ticks[0], gap.ticks) << "delay " << gap.delay;
        EXPECT_EQ(ticks[2] - ticks[1], gap.ticks) << "delay " << gap.delay;
    }
}

TEST_F(Enemies, DelayZeroSpawnsInTheVeryNextFrameWithoutATick)
{
    enemy_count = 3;
    for (int i = 0; i < 3; i++)
        enemies[i] = Enemy{500.0, 0.0, 0, 0, 0, 5, 0, 0, 0};
    for (int frame = 0; frame < 3; frame++)
        spawn_next_enemy();
    EXPECT_EQ(next_enemy, 3);
    EXPECT_EQ(enemies[2].active, 1);
}

// A frame runs every tick counted since the last one, then spawns once: an enemy due after
// 40 ticks (its own delay of 60, not the first one's) comes in the frame that catches up on
// them, with its moves already made. The far layer shows where the near one is transparent.
TEST_F(Enemies, AFrameCatchesUpOnEveryPendingTickThenSpawns)
{
    DATAFILE *backgrounds = make_picture_datafile(BACKGROUNDS_COUNT, SCREEN_WIDTH, SCREEN_HEIGHT);
    clear_to_color(static_cast<BITMAP *>(backgrounds[BG_NEAR_LAYER].dat), MASK_COLOR_16);
    GameResources game = {create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT), sprites, backgrounds,
                          sounds, nullptr};
    MemoryScreen memory_screen;
    enemy_count = 2;
    enemies[0] = Enemy{500.0, 0.0, 0, 90, 0, 5, 0, 0, 0};
    enemies[1] = Enemy{500.0, 0.0, 0, 60, 0, 5, 0, 0, 0};
    run_frame(game); // the first enemy, at once
    tick_count = 40;
    run_frame(game);
    EXPECT_EQ(tick_count, 0);
    EXPECT_EQ(next_enemy, 2);
    EXPECT_EQ(enemies[0].y, 40.0);
    EXPECT_EQ(getpixel(screen, 300, 100), picture_colour(BG_FAR_LAYER));
    destroy_bitmap(game.buffer);
    free_test_datafile(backgrounds);
}

TEST_F(Enemies, ShotsFallFromTheEnemysMiddleAndAreRecycled)
{
    Enemy &enemy = spawn_one(5);
    enemy.x = 40.6;
    enemy.y = 30.0;
    int fired_at = -1;
    for (int t = 0; t < 20000 && fired_at < 0; t++) {
        enemy_fire(0);
        if (enemy_shots[0].active)
            fired_at = t;
    }
    ASSERT_GE(fired_at, 0);
    EXPECT_EQ(enemy_shots[0].x, 48);
    EXPECT_EQ(enemy_shots[0].y, 46.0);
    move_enemy_shots();
    EXPECT_EQ(enemy_shots[0].y, 48.0);
    enemy_shots[0].y = 207.0;
    recycle_enemy_shots();
    EXPECT_EQ(enemy_shots[0].active, 0);
    EXPECT_EQ(enemy_shots[0].x, PARKED_X);
}

// An enemy in play fires when its draw of 0 to 499 is 25, and only while its shot slot is free.
TEST_F(Enemies, FiresOnOneDrawInFiveHundredWithItsShotSlotFree)
{
    Enemy &enemy = spawn_one(5);
    int fired = 0;
    for (unsigned seed = 0; seed < 5000; seed++) {
        srand(seed);
        bool fires = rand() % 500 == 25;
        srand(seed);
        reset_enemy_shot(0);
        enemy_fire(0);
        ASSERT_EQ(enemy_shots[0].active == 1, fires) << "seed " << seed;
        if (!fires)
            continue;
        fired++;
        enemy_shots[0] = Shot{48, 1, 120.0}; // still falling: the same draw fires nothing
        srand(seed);
        enemy_fire(0);
        EXPECT_EQ(enemy_shots[0].y, 120.0) << "seed " << seed;
    }
    EXPECT_GT(fired, 0);
    EXPECT_EQ(enemy.active, 1);
}

TEST_F(Enemies, EveryRecordDrawsEveryTickButOnlyActiveOnesFire)
{
    enemy_count = 3;
    for (int i = 0; i < 3; i++)
        enemies[i] = Enemy{40.0, 30.0, 0, 0, 0, 5, 0, 0, 0};
    srand(7);
    for (int i = 0; i < 3; i++)
        rand();
    int fourth = rand();
    srand(7);
    move_enemies(sounds);
    EXPECT_EQ(rand(), fourth) << "one draw per record, spawned or not";

    for (int t = 0; t < 5000; t++)
        move_enemies(sounds);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(enemy_shots[i].active, 0) << "an enemy not in play never fires";
}

} // namespace
