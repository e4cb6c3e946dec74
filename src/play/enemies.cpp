// Enemies: spawning at the corners, the twelve flight patterns, and their shots.
#include "frame/state.h"
#include "play/play.h"

#include <cstdlib>

static const double LEFT_ENTRY_X = 0.0;
static const double RIGHT_ENTRY_X = 318.0;
static const double EXIT_Y = 205.0;         // an enemy below this has left the screen
static const double CONTACT_GATE_Y = 150.0; // only enemies this low can touch the ship
static const int FIRE_CHANCE = 500;         // one draw in this many fires
static const int FIRE_NUMBER = 25;          // ...namely this one
static const int SHOT_OFFSET_X = 8;         // shots leave from the enemy's middle
static const double SHOT_OFFSET_Y = 16.0;   // ...and bottom
static const double SHOT_SPEED = 2.0;
static const double SHOT_GONE_Y = 206.0;

// Patterns 1 to 4 swing between the side edges while sinking slowly.
struct BouncePattern {
    double step;
    double sink;
};
static const BouncePattern BOUNCE_PATTERNS[4] = {{3, 0.2}, {5, 0.6}, {3, 0.3}, {5, 0.6}};
static const double BOUNCE_RIGHT_TURN = 303.0;
static const double BOUNCE_LEFT_TURN = 1.0;

// Patterns 5 to 12 fly three legs, the leg chosen by x: a diagonal dive, a
// second leg that ends at the second threshold, then straight down.
struct LegPattern {
    int direction;   // +1 entering left and flying right, -1 the mirror image
    double first_end;  // x where the dive ends
    double second_end; // x where the drop begins
    double second_dx;  // sideways speed of the second leg, per unit of speed
    double second_dy;  // vertical speed of the second leg, per unit of speed
    double speed;      // 1 for odd patterns, 2 for their twice-as-fast twins
};
static const LegPattern LEG_PATTERNS[8] = {
    {+1, 50, 300, 2, 0, 1},  {+1, 50, 300, 2, 0, 2},   // 5, 6: along the top, down the right
    {-1, 270, 20, 2, 0, 1},  {-1, 270, 20, 2, 0, 2},   // 7, 8: along the top, down the left
    {+1, 100, 150, 1, -1, 1}, {+1, 100, 150, 1, -1, 2}, // 9, 10: dive, climb, drop at 150
    {-1, 220, 170, 1, -1, 1}, {-1, 220, 170, 1, -1, 2}, // 11, 12: mirror, drop at 170
};

static bool enters_left(int pattern)
{
    return pattern == 1 || pattern == 2 || pattern == 5 || pattern == 6 || pattern == 9 ||
           pattern == 10;
}

static bool enters_right(int pattern)
{
    return pattern == 3 || pattern == 4 || pattern == 7 || pattern == 8 || pattern == 11 ||
           pattern == 12;
}

int random_between(int lo, int n)
{
    return lo + std::rand() % n;
}

void spawn_enemy(int index)
{
    Enemy &enemy = enemies[index];
    enemy.active = 1;
    if (enters_left(enemy.pattern))
        enemy.x = LEFT_ENTRY_X;
    else if (enters_right(enemy.pattern))
        enemy.x = RIGHT_ENTRY_X;
    enemy.y = 0.0;
}

static void bounce(Enemy &enemy, const BouncePattern &pattern)
{
    if (enemy.heading == 0) {
        if (enemy.x < BOUNCE_RIGHT_TURN)
            enemy.x += pattern.step;
        else
            enemy.heading = 1;
    } else if (enemy.heading == 1) {
        if (enemy.x > BOUNCE_LEFT_TURN)
            enemy.x -= pattern.step;
        else
            enemy.heading = 0;
    }
    enemy.y += pattern.sink;
}

static void fly_legs(Enemy &enemy, const LegPattern &pattern)
{
    // Distances along the flight direction make the mirrored patterns one rule.
    bool before_first = pattern.direction > 0 ? enemy.x < pattern.first_end
                                              : enemy.x > pattern.first_end;
    bool before_second = pattern.direction > 0 ? enemy.x < pattern.second_end
                                               : enemy.x > pattern.second_end;
    double s = pattern.speed;
    if (before_first) {
        enemy.x += pattern.direction * s;
        enemy.y += s;
    } else if (before_second) {
        enemy.x += pattern.direction * pattern.second_dx * s;
        enemy.y += pattern.second_dy * s;
    } else {
        enemy.y += 2 * s;
    }
}

void move_enemy(int index)
{
    Enemy &enemy = enemies[index];
    if (enemy.pattern >= 1 && enemy.pattern <= 4)
        bounce(enemy, BOUNCE_PATTERNS[enemy.pattern - 1]);
    else if (enemy.pattern >= 5 && enemy.pattern <= 12)
        fly_legs(enemy, LEG_PATTERNS[enemy.pattern - 5]);
}

void move_enemies(DATAFILE *sounds)
{
    for (int i = 0; i < enemy_count; i++) {
        if (enemies[i].active == 1)
            move_enemy(i);
        check_enemy_exit(i);
        if (enemies[i].y > CONTACT_GATE_Y)
            check_enemy_contact(i, sounds);
        enemy_fire(i);
    }
}

void check_enemy_exit(int index)
{
    Enemy &enemy = enemies[index];
    if (enemy.y > EXIT_Y) {
        enemy.active = 0;
        enemy.done = 1;
        enemy.x = PARKED_X;
        enemy.y = PARKED_Y;
    }
}

// The draw happens for every enemy of the level every tick, spawned or not,
// so the random sequence each enemy sees depends on the level's size.
void enemy_fire(int index)
{
    int r = random_between(0, FIRE_CHANCE);
    Shot &shot = enemy_shots[index];
    const Enemy &enemy = enemies[index];
    if (r == FIRE_NUMBER && shot.active == 0 && enemy.active == 1) {
        shot.active = 1;
        shot.x = static_cast<int>(enemy.x + SHOT_OFFSET_X);
        shot.y = enemy.y + SHOT_OFFSET_Y;
    }
}

void move_enemy_shots()
{
    for (Shot &shot : enemy_shots)
        if (shot.active == 1)
            shot.y += SHOT_SPEED;
}

void recycle_enemy_shots()
{
    for (int slot = 0; slot < ENEMY_SHOT_SLOTS; slot++)
        if (enemy_shots[slot].y > SHOT_GONE_Y)
            reset_enemy_shot(slot);
}

void reset_enemy_shot(int slot)
{
    enemy_shots[slot].active = 0;
    enemy_shots[slot].x = PARKED_X;
    enemy_shots[slot].y = PARKED_Y;
}
