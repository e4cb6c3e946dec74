// What must hold in the game state after every tick of play, whatever the keys did.
#include "invariants.h"

#include "frame/state.h"

#include <cmath>

namespace {

const double SHIP_RIGHT_EDGE = 304.0;
const double SHIP_Y = 184.0;
const int MAX_BULLETS_LIMIT = 10;
const int SHIELDS_LIMIT = 10;
const int SHIELD_LENGTH_LIMIT = 300;
const int SHIELD_LENGTH_STEP = 20;
const int POINTS_PER_ENEMY = 10;
const int EXPLOSION_TICKS = 30;
const double COUNTDOWN_STEP = 1.5;  // the countdown may overshoot zero by less than a step
const double LAYER_HEIGHT = 200.0;
const double SCROLL_SLACK = 0.5;    // the layers wrap one step past their height
const double BULLET_GONE_Y = -5.0;  // a bullet at or above this is freed in the same tick
const double ENEMY_EXIT_Y = 205.0;  // an enemy below this is done in the same tick
const double SHOT_GONE_Y = 206.0;   // an enemy shot below this is freed in the same tick
const double FLIGHT_MARGIN = 16.0;  // how far past the screen's sides an enemy or shot may be
const int FIRST_PATTERN = 1;
const int LAST_PATTERN = 12;

bool within(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

bool flag(int value)
{
    return value == 0 || value == 1;
}

std::string at(const char *what, int index)
{
    return std::string(what) + " " + std::to_string(index);
}

std::string player_problem()
{
    if (!within(player_x, 0.0, SHIP_RIGHT_EDGE) || player_y != SHIP_Y)
        return "the ship is off its row";
    if (lives < 0 || level_number < 1 || total_points < 0)
        return "lives, level number or banked points below their start";
    if (level_points < 0 || level_points % POINTS_PER_ENEMY != 0)
        return "level points not a multiple of an enemy's worth";
    if (max_bullets < START_MAX_BULLETS || max_bullets > MAX_BULLETS_LIMIT)
        return "max_bullets outside 4 to 10";
    if (fire_delay < 0 || fire_delay > START_FIRE_DELAY || fire_cooldown < 0 ||
        fire_cooldown > START_FIRE_DELAY)
        return "fire delay or cooldown outside 0 to 15";
    if (shields_left < 0 || shields_left > SHIELDS_LIMIT)
        return "shields_left outside 0 to 10";
    if (shield_length < START_SHIELD_LENGTH || shield_length > SHIELD_LENGTH_LIMIT ||
        (shield_length - START_SHIELD_LENGTH) % SHIELD_LENGTH_STEP != 0)
        return "shield_length off its steps from 100 to 300";
    if (!flag(shield_on) || !flag(player_hit))
        return "shield_on or player_hit not 0 or 1";
    if (shield_on == 0 ? shield_timer != -1 : shield_timer < 0 || shield_timer > shield_length)
        return "shield_timer does not match the shield";
    return "";
}

std::string clock_problem()
{
    if (enemy_count < 0 || enemy_count > MAX_LEVEL_ENEMIES)
        return "enemy_count outside 0 to 200";
    if (next_enemy < 0 || next_enemy > enemy_count)
        return "next_enemy outside 0 to enemy_count";
    if (!std::isfinite(spawn_countdown) || spawn_countdown <= -COUNTDOWN_STEP)
        return "spawn_countdown not finite or past zero by a whole step";
    if (!within(far_scroll, 0.0, LAYER_HEIGHT + SCROLL_SLACK) ||
        !within(near_scroll, 0.0, LAYER_HEIGHT + SCROLL_SLACK))
        return "a scroll offset outside its layer";
    if (tick_count < 0)
        return "more ticks run than counted";
    return "";
}

std::string shots_problem()
{
    for (int i = 0; i < BULLET_SLOTS; i++) {
        const Shot &bullet = bullets[i];
        if (!flag(bullet.active) || !std::isfinite(bullet.y))
            return at("bullet", i) + " has a bad flag or position";
        // A lost life parks only the first four slots: one above them may stay in flight,
        // frozen until the shop adds its slot again, but it is still on the screen.
        if (bullet.active && (!within(bullet.y, BULLET_GONE_Y, SHIP_Y) || bullet.x < 0 ||
                              bullet.x >= SCREEN_WIDTH))
            return at("bullet", i) + " flies off the screen";
    }
    for (int i = 0; i < ENEMY_SHOT_SLOTS; i++) {
        const Shot &shot = enemy_shots[i];
        if (!flag(shot.active) || !std::isfinite(shot.y))
            return at("enemy shot", i) + " has a bad flag or position";
        if (shot.active && (i >= enemy_count || !within(shot.y, 0.0, SHOT_GONE_Y) ||
                            shot.x < -FLIGHT_MARGIN || shot.x > SCREEN_WIDTH + FLIGHT_MARGIN))
            return at("enemy shot", i) + " flies for no enemy of the level or off the screen";
    }
    for (int i = 0; i < EXPLOSION_TIMERS; i++)
        if (explosion_timer[i] < -1 || explosion_timer[i] > EXPLOSION_TICKS)
            return at("explosion timer", i) + " outside -1 to 30";
    return "";
}

std::string enemies_problem()
{
    int spawned = 0;
    for (int i = 0; i < ENEMY_RECORDS; i++) {
        const Enemy &enemy = enemies[i];
        if (i >= enemy_count) {
            if (enemy.active != 0)
                return at("enemy", i) + " is active outside its level's count";
            continue;
        }
        if (!flag(enemy.active) || !flag(enemy.done) || (enemy.active && enemy.done))
            return at("enemy", i) + " has bad active and done flags";
        if (!std::isfinite(enemy.x) || !std::isfinite(enemy.y) || !flag(enemy.heading))
            return at("enemy", i) + " has no finite position or a bad heading";
        if (enemy.pattern < FIRST_PATTERN || enemy.pattern > LAST_PATTERN || enemy.sprite < 0 ||
            enemy.sprite >= sprite_entries)
            return at("enemy", i) + " has a pattern or picture the game does not have";
        if (i >= next_enemy && (enemy.active || enemy.done))
            return at("enemy", i) + " is active or done before its spawn";
        if (enemy.active && (!within(enemy.y, 0.0, ENEMY_EXIT_Y) ||
                             !within(enemy.x, -FLIGHT_MARGIN, SCREEN_WIDTH + FLIGHT_MARGIN)))
            return at("enemy", i) + " is active off the screen";
        spawned += enemy.active + enemy.done;
    }
    if (spawned > next_enemy)
        return "more enemies active or done than spawned";
    return "";
}

} // namespace

std::string broken_invariant()
{
    for (std::string (*check)() : {player_problem, clock_problem, shots_problem, enemies_problem}) {
        std::string problem = check();
        if (!problem.empty())
            return problem;
    }
    return "";
}
