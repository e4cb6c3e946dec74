// The ship's controls, firing rhythm, bullet flight and shield timing.
#include "fixtures.h"
#include "player_script.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "play/play.h"

#include <string>
#include <vector>

namespace {

class Ship : public PlayTest {};

// Runs one tick as the main loop would, with nothing else pending.
void one_tick(DATAFILE *sounds)
{
    tick_count = 1;
    run_tick(sounds);
}

TEST_F(Ship, HeldFireShootsEveryFireDelayFromAlternateGuns)
{
    key[KEY_SPACE] = 1;
    std::vector<int> fire_ticks, fire_x;
    for (int t = 0; t < 70; t++) {
        one_tick(sounds);
        for (int s = 0; s < max_bullets; s++)
            if (bullets[s].active && bullets[s].y == 181.0) {
                fire_ticks.push_back(t);
                fire_x.push_back(bullets[s].x);
            }
    }
    // Four slots 15 ticks apart, then slot 0 comes free 63 ticks after the first shot.
    ASSERT_EQ(fire_ticks.size(), 5u);
    EXPECT_EQ(fire_ticks, (std::vector<int>{0, 15, 30, 45, 63}));
    EXPECT_EQ(fire_x, (std::vector<int>{161, 174, 161, 174, 161}));
    EXPECT_EQ(sound_log, std::vector<std::string>(5, "sample 4"));
    EXPECT_EQ(last_sample_volume, 255); // full volume, centred
    EXPECT_EQ(last_sample_pan, 128);
}

TEST_F(Ship, StartUpPutsTheShipShieldAndBulletsInPlace)
{
    shields_left = 9;
    shield_on = 1;
    shield_timer = 40;
    shield_length = 260;
    bullets[3].active = 1;
    explosion_timer[249] = 12;
    reset_starting_state();
    EXPECT_EQ(player_x, 150.0);
    EXPECT_EQ(player_y, 184.0);
    EXPECT_EQ(shields_left, 3);
    EXPECT_EQ(shield_on, 0);
    EXPECT_EQ(shield_timer, -1);
    EXPECT_EQ(shield_length, 100);
    EXPECT_EQ(bullets[3].active, 0);
    EXPECT_EQ(explosion_timer[249], -1);
}

TEST_F(Ship, FireDelayZeroOrOneFiresEveryTickWhileSlotsAreFree)
{
    for (int delay : {0, 1}) {
        reset_play_state();
        fire_delay = delay;
        key[KEY_SPACE] = 1;
        for (int t = 0; t < 4; t++)
            one_tick(sounds);
        for (int s = 0; s < 4; s++)
            EXPECT_EQ(bullets[s].active, 1) << "delay " << delay << " slot " << s;
    }
}

TEST_F(Ship, BulletFliesSixtyThreeTicksThroughEveryHittablePosition)
{
    key[KEY_SPACE] = 1;
    one_tick(sounds);
    key[KEY_SPACE] = 0;
    std::vector<double> positions{bullets[0].y};
    int ticks = 1;
    while (bullets[0].active) {
        one_tick(sounds);
        ticks++;
        if (bullets[0].active)
            positions.push_back(bullets[0].y);
    }
    EXPECT_EQ(ticks, 63);
    EXPECT_EQ(positions.front(), 181.0);
    EXPECT_EQ(positions.back(), -2.0);
    EXPECT_EQ(positions.size(), 62u);
    EXPECT_EQ(bullets[0].x, PARKED_X);
    EXPECT_EQ(bullets[0].y, PARKED_Y);
}

TEST_F(Ship, BothArrowsHeldMoveOnlyAtTheEdges)
{
    key[KEY_LEFT] = key[KEY_RIGHT] = 1;
    player_x = 100.0;
    one_tick(sounds);
    EXPECT_EQ(player_x, 100.0);
    player_x = 0.0;
    one_tick(sounds);
    EXPECT_EQ(player_x, 2.0);
    // At the right edge the left step runs first and the right step then
    // brings the ship back: it stays at 304.
    player_x = 304.0;
    one_tick(sounds);
    EXPECT_EQ(player_x, 304.0);
}

TEST_F(Ship, ShipStopsExactlyAtBothEdges)
{
    key[KEY_LEFT] = 1;
    for (int t = 0; t < 200; t++)
        one_tick(sounds);
    EXPECT_EQ(player_x, 0.0);
    key[KEY_LEFT] = 0;
    key[KEY_RIGHT] = 1;
    for (int t = 0; t < 200; t++)
        one_tick(sounds);
    EXPECT_EQ(player_x, 304.0);
}

TEST_F(Ship, ShieldRaisesOnceAndNotWithoutCharges)
{
    key[KEY_LCONTROL] = 1;
    one_tick(sounds);
    EXPECT_EQ(shield_on, 1);
    EXPECT_EQ(shields_left, 2);
    EXPECT_EQ(shield_timer, 99); // raised at 100, counted down in the same tick
    one_tick(sounds);
    EXPECT_EQ(shields_left, 2) << "holding the key while the shield is up does nothing";
    EXPECT_EQ(sound_log, std::vector<std::string>{"sample 3"});

    reset_play_state();
    shields_left = 0;
    key[KEY_LCONTROL] = 1;
    sound_log.clear();
    one_tick(sounds);
    EXPECT_EQ(shield_on, 0);
    EXPECT_EQ(shield_timer, -1);
    EXPECT_TRUE(sound_log.empty());
}

TEST_F(Ship, ShieldProtectsUntilTheFrameThatLowersIt)
{
    BITMAP *buffer = create_bitmap(320, 200);
    BITMAP *layer = create_bitmap(320, 200);
    clear_bitmap(layer);
    activate_shield(sounds);
    for (int t = 0; t < 100; t++)
        one_tick(sounds);
    EXPECT_EQ(shield_timer, 0);
    EXPECT_EQ(shield_on, 1);

    // Ticks between the timer reaching 0 and the next frame are still shielded.
    enemy_shots[7] = Shot{int(player_x) + 8, 1, player_y + 4};
    one_tick(sounds);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(enemy_shots[7].active, 1) << "a shot passes through the shield and flies on";

    // The frame lowers it, with its sound.
    sound_log.clear();
    {
        MemoryScreen memory_screen;
        draw_frame(int(player_x), int(player_y), buffer, layer, layer, sprites, sounds);
    }
    EXPECT_EQ(shield_on, 0);
    EXPECT_EQ(shield_timer, -1);
    EXPECT_EQ(sound_log, std::vector<std::string>{"sample 2"});
    enemy_shots[8] = Shot{int(player_x) + 8, 1, player_y + 4};
    one_tick(sounds);
    EXPECT_EQ(player_hit, 1);

    // Holding the key raises it again in the first tick after that frame.
    key[KEY_LCONTROL] = 1;
    one_tick(sounds);
    EXPECT_EQ(shield_on, 1);
    destroy_bitmap(buffer);
    destroy_bitmap(layer);
}

TEST_F(Ship, ShieldPictureAlternatesWithTheTimersParity)
{
    BITMAP *buffer = create_bitmap(320, 200);
    clear_to_color(static_cast<BITMAP *>(sprites[12].dat), makecol(255, 0, 0));
    clear_to_color(static_cast<BITMAP *>(sprites[13].dat), makecol(0, 0, 255));
    shield_on = 1;
    int x = int(player_x) - 8, y = int(player_y) - 8;
    int drawn[2];
    for (int timer : {10, 11}) {
        clear_bitmap(buffer);
        shield_timer = timer;
        draw_shield(buffer, sprites, sounds);
        BITMAP *expected = create_bitmap(16, 16);
        clear_bitmap(expected);
        draw_trans_sprite(expected,
                          static_cast<BITMAP *>(sprites[timer % 2 ? 13 : 12].dat), 0, 0);
        drawn[timer % 2] = getpixel(buffer, x + 3, y + 3);
        EXPECT_EQ(drawn[timer % 2], getpixel(expected, 3, 3)) << timer;
        destroy_bitmap(expected);
    }
    EXPECT_NE(drawn[0], drawn[1]);
    destroy_bitmap(buffer);
}

} // namespace
