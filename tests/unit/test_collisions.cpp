// Hit tests: box edges, the shield, scoring and the order within a tick.
#include "fixtures.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "play/play.h"

namespace {

class Hits : public PlayTest {
protected:
    void place_enemy(int index, double x, double y, int active = 1)
    {
        enemy_count = std::max(enemy_count, index + 1);
        enemies[index] = Enemy{x, y, active, 0, 0, 5, 0, 0, 0};
    }
};

TEST_F(Hits, BulletHitsOnlyStrictlyInsideTheBox)
{
    struct Case { int bx; double by; bool hit; };
    const Case cases[] = {
        {100, 58.0, false}, {116, 58.0, false}, {101, 58.0, true}, {115, 58.0, true},
        {108, 50.0, false}, {108, 66.0, false}, {108, 51.0, true}, {108, 65.0, true},
    };
    for (const Case &c : cases) {
        reset_play_state();
        place_enemy(0, 100.0, 50.0);
        bullets[0] = Shot{c.bx, 1, c.by};
        check_bullet_hits(sounds);
        EXPECT_EQ(enemies[0].done, c.hit ? 1 : 0) << c.bx << "," << c.by;
        EXPECT_EQ(level_points, c.hit ? 10 : 0);
        if (c.hit) {
            EXPECT_EQ(bullets[0].active, 0);
            EXPECT_EQ(bullets[0].x, PARKED_X);
            EXPECT_EQ(explosion_timer[0], 30);
            EXPECT_EQ(enemies[0].x, 100.0) << "a destroyed enemy stays where it was hit";
        }
    }
}

TEST_F(Hits, TwoBulletsInOneEnemyUseTheLowestSlotOnly)
{
    place_enemy(0, 100.0, 50.0);
    bullets[1] = Shot{105, 1, 55.0};
    bullets[2] = Shot{106, 1, 56.0};
    check_bullet_hits(sounds);
    EXPECT_EQ(bullets[1].active, 0);
    EXPECT_EQ(bullets[2].active, 1);
    EXPECT_EQ(level_points, 10);
}

TEST_F(Hits, ShotsHitTheShipOnlyStrictlyInsideAndWithoutShield)
{
    // Ship at (160, 184): a shot hits for 160 < x < 176 and 184 < y < 200.
    enemy_shots[0] = Shot{160, 1, 190.0};
    enemy_shots[1] = Shot{176, 1, 190.0};
    check_shot_hits(sounds);
    EXPECT_EQ(player_hit, 0);

    shield_on = 1;
    enemy_shots[2] = Shot{168, 1, 190.0};
    check_shot_hits(sounds);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(enemy_shots[2].active, 1) << "a shielded ship lets the shot fly on";

    shield_on = 0;
    check_shot_hits(sounds);
    EXPECT_EQ(player_hit, 1);
    EXPECT_EQ(enemy_shots[2].active, 0);
    EXPECT_EQ(enemy_shots[2].x, PARKED_X);
}

TEST_F(Hits, TwoShotsInTheShipAreBothConsumedInOneTick)
{
    enemy_shots[3] = Shot{165, 1, 186.0};
    enemy_shots[9] = Shot{170, 1, 188.0};
    tick_count = 1;
    run_tick(sounds);
    EXPECT_EQ(player_hit, 1);
    EXPECT_EQ(enemy_shots[3].active, 0);
    EXPECT_EQ(enemy_shots[9].active, 0);
}

TEST_F(Hits, EnemyTouchingTheShipHitsItOrDiesOnTheShield)
{
    place_enemy(0, 150.0, 175.0);
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 1);
    EXPECT_EQ(enemies[0].active, 1) << "without the shield the enemy flies on";
    EXPECT_EQ(level_points, 0);

    player_hit = 0;
    shield_on = 1;
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(enemies[0].done, 1);
    EXPECT_EQ(level_points, 10);
    EXPECT_EQ(explosion_timer[0], 30);

    // Corners 15 apart do not touch.
    reset_play_state();
    place_enemy(0, 145.0, 175.0);
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 0);
}

TEST_F(Hits, ContactComesBeforeABulletHitInTheSameTick)
{
    // A pattern 5 enemy in its third leg falls 2 a tick; it touches the ship
    // in its move and the bullet pass then destroys it.
    place_enemy(0, 160.0, 172.0);
    enemies[0].pattern = 9;
    enemies[0].x = 160.0;
    bullets[0] = Shot{168, 1, 183.0};
    tick_count = 1;
    run_tick(sounds);
    EXPECT_EQ(player_hit, 1);
    EXPECT_EQ(enemies[0].done, 1);
    EXPECT_EQ(level_points, 10);
    EXPECT_EQ(explosion_timer[0], 29) << "the tick of the hit already counts the explosion down";
}

TEST_F(Hits, AShotOutlivesItsEnemy)
{
    place_enemy(0, 160.0, 100.0);
    enemy_shots[0] = Shot{168, 1, 180.0};
    bullets[0] = Shot{165, 1, 108.0};
    tick_count = 1;
    run_tick(sounds);
    EXPECT_EQ(enemies[0].done, 1);
    for (int t = 0; t < 3 && !player_hit; t++) {
        tick_count = 1;
        run_tick(sounds);
    }
    EXPECT_EQ(player_hit, 1);
}

TEST_F(Hits, NoBulletPassWithoutAnActiveBullet)
{
    // A parked slot never hits, and an inactive slot at an enemy's spot is
    // not tested when no bullet flies.
    place_enemy(0, 100.0, 50.0);
    enemies[0].pattern = 13; // keeps still
    bullets[0] = Shot{108, 0, 58.0 - 3.0};
    tick_count = 1;
    run_tick(sounds);
    EXPECT_EQ(enemies[0].done, 0);
}

} // namespace
