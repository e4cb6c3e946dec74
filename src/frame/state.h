// The game state: every program-lifetime global of play, grouped by owner.
#pragma once

#include <atomic>

// ---- Records -------------------------------------------------------------

// A player bullet or an enemy shot. A free slot is parked at (500, 500).
struct Shot {
    int x;      // left edge of the shot's picture, fixed when fired
    int active; // 1 while in flight, 0 when the slot is free
    double y;   // top edge, moves every tick while active
};

// One enemy of the level file, in spawn order.
struct Enemy {
    double x;    // left edge of the enemy's picture
    double y;    // top edge
    int active;  // 1 from spawn until destroyed or gone off the bottom
    int delay;   // spawn countdown loaded when this enemy is next to spawn
    int sprite;  // sprites entry drawn for this enemy
    int pattern; // movement pattern, 1 to 12
    int heading; // 0 moving right, 1 moving left (patterns 1 to 4)
    int extra;   // fourth number of the level entry; stored, never read
    int done;    // 1 once destroyed or gone; the level ends when all are
};

// ---- Capacities and places -----------------------------------------------

const int BULLET_SLOTS = 100;     // capacity of bullets
const int ENEMY_SHOT_SLOTS = 200; // capacity of enemy_shots; enemy i owns slot i
const int ENEMY_RECORDS = 255;    // capacity of enemies
const int EXPLOSION_TIMERS = 250; // capacity of explosion_timer; enemy i owns entry i
const int MAX_LEVEL_ENEMIES = 200; // the smallest of the three: enemies a level may hold
const int LEVEL_NAME_SIZE = 256;   // a level file name and its terminating zero

const int PARKED_X = 500;      // where a free shot slot waits, off-screen
const double PARKED_Y = 500.0;

// What a new game and every new life start with.
const int START_LIVES = 5;
const int START_MAX_BULLETS = 4;
const int START_FIRE_DELAY = 15;
const int START_SHIELDS = 3;
const int START_SHIELD_LENGTH = 100;

const int SCREEN_WIDTH = 320;  // the game's screen and every full-screen picture
const int SCREEN_HEIGHT = 200;

// ---- The player and the run ----------------------------------------------

extern double player_x;    // ship's left edge, 0.0 to 304.0 in steps of 2
extern double player_y;    // ship's top edge, always 184.0
extern int lives;          // further lives; a hit at 0 ends the game
extern int level_number;   // level being played, from 1
extern int level_points;   // points of the level in play, banked on completion
extern int total_points;   // banked points: shop money and the final score
extern int max_bullets;    // bullet slots in use, 4 to 10
extern int fire_delay;     // ticks between shots, 15 down to 0
extern int fire_cooldown;  // ticks until the next shot is allowed
extern int shields_left;   // shield charges left
extern int shield_length;  // ticks one shield charge lasts, 100 to 300
extern int shield_on;      // 1 while the shield is up
extern int shield_timer;   // ticks of shield left; -1 while down
extern int player_hit;     // 1 once the ship is hit in the current frame

// ---- The level and the clock ---------------------------------------------

extern int enemy_count;            // enemies in the current level file
extern int next_enemy;             // index of the next enemy to spawn
extern double spawn_countdown;     // ticks before the next spawn, 1.5 off per tick
extern std::atomic<int> tick_count; // timer ticks not yet run by the main loop
extern double far_scroll;          // far layer's downward offset, 0.0 to about 200.0
extern double near_scroll;         // near layer's downward offset, 0.0 to about 200.0
extern char this_level_file[LEVEL_NAME_SIZE]; // level reloaded after a lost life
extern char next_level_file[LEVEL_NAME_SIZE]; // level loaded after this one is cleared

// ---- Arrays ----------------------------------------------------------------

extern Shot bullets[BULLET_SLOTS];            // the player's bullets; first max_bullets used
extern Shot enemy_shots[ENEMY_SHOT_SLOTS];    // one shot in flight per enemy
extern Enemy enemies[ENEMY_RECORDS];          // the level's enemies; first enemy_count used
extern int explosion_timer[EXPLOSION_TIMERS]; // -1 never, 30..1 running, 0 over

// ---- Resources -------------------------------------------------------------

extern int sprite_entries; // 16-bit pictures from entry 0 of sprites.dat: all a level may name

// Start-up's values for the ship, shield and bullets (after the intro).
void reset_starting_state();
