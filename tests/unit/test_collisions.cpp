// Hit tests: box edges, the shield, scoring and the order within a tick.
#include "fixtures.h"
#include "player_script.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "play/play.h"

#include <algorithm>

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
    const int last = START_MAX_BULLETS - 1; // the last slot in use hits like any other
    for (const Case &c : cases) {
        reset_play_state();
        sound_log.clear();
        place_enemy(0, 100.0, 50.0);
        bullets[last] = Shot{c.bx, 1, c.by};
        check_bullet_hits(sounds);
        EXPECT_EQ(enemies[0].done, c.hit ? 1 : 0) << c.bx << "," << c.by;
        EXPECT_EQ(level_points, c.hit ? 10 : 0);
        EXPECT_EQ(sound_log, std::vector<std::string>(c.hit ? 1 : 0, "sample 0"));
        if (c.hit) {
            EXPECT_EQ(bullets[last].active, 0);
            EXPECT_EQ(bullets[last].x, PARKED_X);
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
    EXPECT_EQ(sound_log, (std::vector<std::string>{"sample 0", "sample 0"}));
}

TEST_F(Hits, EnemyTouchingTheShipHitsItOrDiesOnTheShield)
{
    place_enemy(0, 150.0, 175.0);
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 1);
    EXPECT_EQ(enemies[0].active, 1) << "without the shield the enemy flies on";
    EXPECT_EQ(level_points, 0);
    EXPECT_TRUE(sound_log.empty()) << "the death handling plays the ship's explosion";

    player_hit = 0;
    shield_on = 1;
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(enemies[0].done, 1);
    EXPECT_EQ(level_points, 10);
    EXPECT_EQ(explosion_timer[0], 30);
    EXPECT_EQ(sound_log, std::vector<std::string>{"sample 0"});

    // Corners 15 apart do not touch.
    reset_play_state();
    place_enemy(0, 145.0, 175.0);
    check_enemy_contact(0, sounds);
    EXPECT_EQ(player_hit, 0);

    // The enemy update tests every enemy below y 150, the highest that can touch at 170.
    reset_play_state();
    place_enemy(0, 160.0, 170.0);
    enemies[0].pattern = 0; // stays where it is
    move_enemies(sounds);
    EXPECT_EQ(player_hit, 1);
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

// The literal tick steps 15 and 16: one pass per slot active when reached.
void literal_hit_steps(DATAFILE *sounds)
{
    for (int i = 0; i < max_bullets; i++)
        if (bullets[i].active == 1)
            check_bullet_hits(sounds);
    for (int i = 0; i < ENEMY_SHOT_SLOTS; i++)
        if (enemy_shots[i].active == 1)
            check_shot_hits(sounds);
}

struct HitState {
    Shot bullets[BULLET_SLOTS];
    Shot shots[ENEMY_SHOT_SLOTS];
    Enemy enemies[ENEMY_RECORDS];
    int timers[EXPLOSION_TIMERS];
    int points, hit;
};

HitState capture()
{
    HitState state;
    std::copy(bullets, bullets + BULLET_SLOTS, state.bullets);
    std::copy(enemy_shots, enemy_shots + ENEMY_SHOT_SLOTS, state.shots);
    std::copy(enemies, enemies + ENEMY_RECORDS, state.enemies);
    std::copy(explosion_timer, explosion_timer + EXPLOSION_TIMERS, state.timers);
    state.points = level_points;
    state.hit = player_hit;
    return state;
}

void restore(const HitState &state)
{
    std::copy(state.bullets, state.bullets + BULLET_SLOTS, bullets);
    std::copy(state.shots, state.shots + ENEMY_SHOT_SLOTS, enemy_shots);
    std::copy(state.enemies, state.enemies + ENEMY_RECORDS, enemies);
    std::copy(state.timers, state.timers + EXPLOSION_TIMERS, explosion_timer);
    level_points = state.points;
    player_hit = state.hit;
}

bool same(const HitState &a, const HitState &b)
{
    auto shot_eq = [](const Shot &x, const Shot &y) {
        return x.x == y.x && x.active == y.active && x.y == y.y;
    };
    for (int i = 0; i < BULLET_SLOTS; i++)
        if (!shot_eq(a.bullets[i], b.bullets[i]))
            return false;
    for (int i = 0; i < ENEMY_SHOT_SLOTS; i++)
        if (!shot_eq(a.shots[i], b.shots[i]))
            return false;
    for (int i = 0; i < ENEMY_RECORDS; i++)
        if (a.enemies[i].active != b.enemies[i].active || a.enemies[i].done != b.enemies[i].done)
            return false;
    return std::equal(a.timers, a.timers + EXPLOSION_TIMERS, b.timers) &&
           a.points == b.points && a.hit == b.hit;
}

TEST_F(Hits, OnePassPerTickConsumesWhatThePerSlotPassesWould)
{
    srand(2024);
    for (int round = 0; round < 300; round++) {
        reset_play_state();
        max_bullets = 4 + rand() % 7;
        shield_on = rand() % 4 == 0;
        enemy_count = rand() % 40;
        for (int i = 0; i < enemy_count; i++)
            enemies[i] = Enemy{double(rand() % 300), double(rand() % 190), rand() % 3 != 0,
                               0, 0, 5, 0, 0, 0};
        for (int j = 0; j < max_bullets; j++)
            if (rand() % 2)
                bullets[j] = Shot{rand() % 320, 1, double(rand() % 200)};
        for (int k = 0; k < ENEMY_SHOT_SLOTS; k++)
            if (rand() % 3 == 0)
                enemy_shots[k] = Shot{150 + rand() % 40, rand() % 4 != 0,
                                      double(170 + rand() % 40)};
        HitState start = capture();
        literal_hit_steps(sounds);
        HitState literal = capture();
        restore(start);
        run_bullet_hit_tests(sounds);
        run_shot_hit_tests(sounds);
        ASSERT_TRUE(same(capture(), literal)) << "round " << round;
    }
}

} // namespace
