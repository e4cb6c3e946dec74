// Hit tests: bullets against enemies, shots and enemies against the ship.
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

static const double HIT_BOX = 16.0;     // enemies and the ship are hit inside 16x16
static const double CONTACT_REACH = 15.0; // corners closer than this on both axes touch
static const int POINTS_PER_ENEMY = 10;
static const int EXPLOSION_TICKS = 30;

// Strictly inside the box whose top-left corner is (left, top): edges miss.
static bool inside_box(double px, double py, double left, double top, double size)
{
    return left < px && px < left + size && top < py && py < top + size;
}

// An enemy destroyed stays where it was hit, so its explosion shows there.
static void destroy_enemy(int index, DATAFILE *sounds)
{
    enemies[index].active = 0;
    enemies[index].done = 1;
    play_sound(sounds, SND_EXPLOSION);
    level_points += POINTS_PER_ENEMY;
    explosion_timer[index] = EXPLOSION_TICKS;
}

void check_bullet_hits(DATAFILE *sounds)
{
    for (int i = 0; i < enemy_count; i++) {
        const Enemy &enemy = enemies[i];
        for (int j = 0; j < max_bullets; j++) {
            if (inside_box(bullets[j].x, bullets[j].y, enemy.x, enemy.y, HIT_BOX) &&
                enemy.active == 1) {
                reset_bullet(j);
                destroy_enemy(i, sounds);
            }
        }
    }
}

void check_shot_hits(DATAFILE *sounds)
{
    for (int slot = 0; slot < ENEMY_SHOT_SLOTS; slot++) {
        Shot &shot = enemy_shots[slot];
        if (inside_box(shot.x, shot.y, player_x, player_y, HIT_BOX) && shot.active == 1 &&
            shield_on == 0) {
            player_hit = 1;
            reset_enemy_shot(slot);
            play_sound(sounds, SND_EXPLOSION);
            return;
        }
    }
}

void check_enemy_contact(int index, DATAFILE *sounds)
{
    const Enemy &enemy = enemies[index];
    bool touching = player_x - CONTACT_REACH < enemy.x && enemy.x < player_x + CONTACT_REACH &&
                    player_y - CONTACT_REACH < enemy.y && enemy.y < player_y + CONTACT_REACH;
    if (!touching || enemy.active != 1)
        return;
    if (shield_on == 0)
        player_hit = 1;
    else if (shield_on == 1)
        destroy_enemy(index, sounds);
}

void count_down_explosions()
{
    for (int &timer : explosion_timer)
        if (timer > 0)
            timer--;
}
