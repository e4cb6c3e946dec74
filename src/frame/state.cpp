// Definitions of the game state, with the values it holds before main runs.
#include "frame/state.h"

double player_x = 0.0;
double player_y = 0.0;
int lives = START_LIVES;
int level_number = 1;
int level_points = 0;
int total_points = 0;
int max_bullets = 0;
int fire_delay = 0;
int fire_cooldown = 0;
int shields_left = 0;
int shield_length = 0;
int shield_on = 0;
int shield_timer = 0;
int player_hit = 0;

int enemy_count = 0;
int next_enemy = 0;
double spawn_countdown = 0.0;
std::atomic<int> tick_count{0};
double far_scroll = 0.0;
double near_scroll = 0.0;
char this_level_file[LEVEL_NAME_SIZE] = "";
char next_level_file[LEVEL_NAME_SIZE] = "";

Shot bullets[BULLET_SLOTS] = {};
Shot enemy_shots[ENEMY_SHOT_SLOTS] = {};
Enemy enemies[ENEMY_RECORDS] = {};
int explosion_timer[EXPLOSION_TIMERS] = {};

int sprite_entries = 0;

void reset_starting_state()
{
    player_x = 150.0;
    player_y = 184.0;
    shields_left = START_SHIELDS;
    shield_on = 0;
    shield_timer = -1;
    shield_length = START_SHIELD_LENGTH;
    for (Shot &bullet : bullets)
        bullet.active = 0;
    for (int &timer : explosion_timer)
        timer = -1;
}
