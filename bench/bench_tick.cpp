// One tick of play in a busy moment against a plain loop over the same arrays doing the
// same work once: the moves, one rand() per record, one pass of each hit test.
#include "bench_support.h"

#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/loop.h"
#include "frame/state.h"
#include "play/play.h"

#include <algorithm>
#include <cstdlib>

static const unsigned RANDOM_SEED = 1;

// Everything a tick may change, so that every iteration starts from the same moment.
struct PlaySnapshot {
    Shot bullets[BULLET_SLOTS];
    Shot shots[ENEMY_SHOT_SLOTS];
    Enemy enemies[ENEMY_RECORDS];
    int timers[EXPLOSION_TIMERS];
    double player_x, spawn_countdown, far_scroll, near_scroll;
    int fire_cooldown, shield_on, shield_timer, shields_left, level_points, player_hit;
};

static void save(PlaySnapshot &s)
{
    std::copy(std::begin(bullets), std::end(bullets), s.bullets);
    std::copy(std::begin(enemy_shots), std::end(enemy_shots), s.shots);
    std::copy(std::begin(enemies), std::end(enemies), s.enemies);
    std::copy(std::begin(explosion_timer), std::end(explosion_timer), s.timers);
    s.player_x = player_x;
    s.spawn_countdown = spawn_countdown;
    s.far_scroll = far_scroll;
    s.near_scroll = near_scroll;
    s.fire_cooldown = fire_cooldown;
    s.shield_on = shield_on;
    s.shield_timer = shield_timer;
    s.shields_left = shields_left;
    s.level_points = level_points;
    s.player_hit = player_hit;
}

static void restore(const PlaySnapshot &s)
{
    std::copy(std::begin(s.bullets), std::end(s.bullets), bullets);
    std::copy(std::begin(s.shots), std::end(s.shots), enemy_shots);
    std::copy(std::begin(s.enemies), std::end(s.enemies), enemies);
    std::copy(std::begin(s.timers), std::end(s.timers), explosion_timer);
    player_x = s.player_x;
    spawn_countdown = s.spawn_countdown;
    far_scroll = s.far_scroll;
    near_scroll = s.near_scroll;
    fire_cooldown = s.fire_cooldown;
    shield_on = s.shield_on;
    shield_timer = s.shield_timer;
    shields_left = s.shields_left;
    level_points = s.level_points;
    player_hit = s.player_hit;
    tick_count = 1;
    std::srand(RANDOM_SEED);
}

// ---- The reference tick ------------------------------------------------------------------
// The least a tick has to do with these arrays: each enemy moved by a velocity looked up from
// its pattern, its exit, contact and one rand() for its fire; each shot and bullet moved and
// recycled; one pass of bullets against enemies and one of shots against the ship.
static const double EXIT_Y = 205.0, CONTACT_GATE_Y = 150.0, SHOT_GONE_Y = 206.0;
static const double BULLET_GONE_Y = -5.0, SHOT_SPEED = 2.0, BULLET_SPEED = 3.0;
static const double BOX = 16.0, REACH = 15.0, SPAWN_STEP = 1.5;
static const int FIRE_CHANCE = 500, FIRE_NUMBER = 25, POINTS = 10, EXPLOSION_TICKS = 30;
// Each pattern's typical velocity: its sideways step and its sink per tick (index 0 unused).
static const double PATTERN_DX[13] = {0, 3, 5, -3, -5, 1, 2, -1, -2, 1, 2, -1, -2};
static const double PATTERN_DY[13] = {0, 0.2, 0.6, 0.3, 0.6, 1, 2, 1, 2, 1, 2, 1, 2};

static bool within(double px, double py, double left, double top, double low, double high)
{
    return left + low < px && px < left + high && top + low < py && py < top + high;
}

static void reference_enemies()
{
    for (int i = 0; i < enemy_count; i++) {
        Enemy &e = enemies[i];
        if (e.active == 1) {
            e.x += PATTERN_DX[e.pattern];
            e.y += PATTERN_DY[e.pattern];
        }
        if (e.y > EXIT_Y)
            e = Enemy{PARKED_X, PARKED_Y, 0, e.delay, e.sprite, e.pattern, e.heading, e.extra, 1};
        if (e.y > CONTACT_GATE_Y && e.active == 1 &&
            within(e.x, e.y, player_x, player_y, -REACH, REACH))
            player_hit = 1;
        if (std::rand() % FIRE_CHANCE == FIRE_NUMBER && enemy_shots[i].active == 0 && e.active == 1)
            enemy_shots[i] = Shot{static_cast<int>(e.x + BOX / 2), 1, e.y + BOX};
    }
}

static void reference_hit_tests(DATAFILE *sounds)
{
    for (int i = 0; i < enemy_count; i++)
        for (int j = 0; j < max_bullets; j++)
            if (enemies[i].active == 1 &&
                within(bullets[j].x, bullets[j].y, enemies[i].x, enemies[i].y, 0, BOX)) {
                enemies[i].active = 0;
                enemies[i].done = 1;
                bullets[j] = Shot{PARKED_X, 0, PARKED_Y};
                play_sound(sounds, SND_EXPLOSION);
                level_points += POINTS;
                explosion_timer[i] = EXPLOSION_TICKS;
            }
    for (Shot &shot : enemy_shots)
        if (shot.active == 1 && shield_on == 0 &&
            within(shot.x, shot.y, player_x, player_y, 0, BOX)) {
            player_hit = 1;
            shot = Shot{PARKED_X, 0, PARKED_Y};
            play_sound(sounds, SND_EXPLOSION);
        }
}

static void reference_tick(DATAFILE *sounds)
{
    fire_cooldown -= fire_cooldown > 0 ? 1 : 0;
    spawn_countdown = spawn_countdown > 0.0 ? spawn_countdown - SPAWN_STEP : 0.0;
    shield_timer -= shield_timer > 0 ? 1 : 0;
    tick_count--;
    reference_enemies();
    for (Shot &shot : enemy_shots) {
        shot.y += shot.active == 1 ? SHOT_SPEED : 0.0;
        if (shot.y > SHOT_GONE_Y)
            shot = Shot{PARKED_X, 0, PARKED_Y};
    }
    for (int j = 0; j < max_bullets; j++) {
        bullets[j].y -= bullets[j].active == 1 ? BULLET_SPEED : 0.0;
        if (bullets[j].y <= BULLET_GONE_Y)
            bullets[j] = Shot{PARKED_X, 0, PARKED_Y};
    }
    scroll_backgrounds();
    reference_hit_tests(sounds);
    for (int &timer : explosion_timer)
        timer -= timer > 0 ? 1 : 0;
}

// ---- The benchmark -------------------------------------------------------------------------

static void BM_TickBusy(benchmark::State &state)
{
    DATAFILE *sounds = bench_data().sounds;
    set_up_busy_play();
    static PlaySnapshot start;
    save(start);
    SideBySide timing(state);
    for (auto _ : state) {
        // Each run starts from the same moment; the copies back are outside the timings.
        restore(start);
        timing.subject([&] { run_tick(sounds); });
        restore(start);
        timing.reference("reference_tick", [&] { reference_tick(sounds); });
    }
    timing.report();
}
BENCHMARK(BM_TickBusy)->UseManualTime()->Unit(benchmark::kMicrosecond);
