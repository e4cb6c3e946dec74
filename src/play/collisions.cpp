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

int check_shot_hits(DATAFILE *sounds, int first_slot)
{
    for (int slot = first_slot; slot < ENEMY_SHOT_SLOTS; slot++) {
        Shot &shot = enemy_shots[slot];
        if (shot.active == 1 && shield_on == 0 &&
            inside_box(shot.x, shot.y, player_x, player_y, HIT_BOX)) {
            player_hit = 1;
            reset_enemy_shot(slot);
            play_sound(sounds, SND_EXPLOSION);
            return slot;
        }
    }
    return -1;
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

// Tick step 15: the bullet pass runs once for each bullet slot that is
// active when reached. The first run settles every hit of the tick (a hit
// bullet is parked, a hit enemy inactive), so the later runs find nothing:
// one run whenever any bullet flies gives the same outcome.
void run_bullet_hit_tests(DATAFILE *sounds)
{
    for (int i = 0; i < max_bullets; i++)
        if (bullets[i].active == 1) {
            check_bullet_hits(sounds);
            return;
        }
}

// Tick step 16: a run of the shot pass for each shot slot active when the
// scan reaches it, each run consuming the lowest shot inside the ship. By
// the time the scan passes a slot every shot inside the ship at or below it
// has been consumed, so resuming each run after the last shot it consumed
// consumes the same shots, in the same order, with the same sounds.
void run_shot_hit_tests(DATAFILE *sounds)
{
    int slot = 0;
    while ((slot = check_shot_hits(sounds, slot)) >= 0)
        slot++;
}

void count_down_explosions()
{
    for (int &timer : explosion_timer)
        if (timer > 0)
            timer--;
}
