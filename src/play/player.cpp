// The player's ship: controls, bullets and the shield.
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

static const double SHIP_STEP = 2.0;        // pixels the ship moves per tick
static const double SHIP_LEFT_EDGE = 0.0;
static const double SHIP_RIGHT_EDGE = 304.0; // 320 less the ship's 16
static const int LEFT_GUN = 1;               // gun columns of the ship's picture
static const int RIGHT_GUN = 14;
static const double SHIP_Y = 184.0;
static const double BULLET_SPEED = 3.0;      // pixels up per tick
static const double BULLET_GONE_Y = -5.0;    // a bullet this high is freed

// The ship only ever moves by 2 from an even start, so the edges are met exactly.
void handle_player_keys(DATAFILE *sounds)
{
    if (key[KEY_LEFT] && player_x != SHIP_LEFT_EDGE)
        player_x -= SHIP_STEP;
    if (key[KEY_RIGHT] && player_x != SHIP_RIGHT_EDGE)
        player_x += SHIP_STEP;
    if (key[KEY_SPACE]) {
        for (int slot = 0; slot < max_bullets; slot++) {
            if (bullets[slot].active == 0) {
                if (fire_cooldown == 0) {
                    fire_bullet(slot, static_cast<int>(player_x), sounds);
                    fire_cooldown = fire_delay;
                }
                break;
            }
        }
    }
    if (key[KEY_LCONTROL] && shield_on == 0 && shields_left > 0)
        activate_shield(sounds);
}

// Even slots leave from the left gun, odd slots from the right.
void fire_bullet(int slot, int x, DATAFILE *sounds)
{
    bullets[slot].active = 1;
    bullets[slot].x = x + (slot % 2 == 0 ? LEFT_GUN : RIGHT_GUN);
    bullets[slot].y = SHIP_Y;
    play_sound(sounds, SND_SHOT);
}

void move_bullets()
{
    for (int slot = 0; slot < max_bullets; slot++)
        if (bullets[slot].active == 1)
            bullets[slot].y -= BULLET_SPEED;
}

void recycle_bullets()
{
    for (int slot = 0; slot < max_bullets; slot++)
        if (bullets[slot].y <= BULLET_GONE_Y)
            reset_bullet(slot);
}

void reset_bullet(int slot)
{
    bullets[slot].active = 0;
    bullets[slot].x = PARKED_X;
    bullets[slot].y = PARKED_Y;
}

void activate_shield(DATAFILE *sounds)
{
    shield_on = 1;
    shield_timer = shield_length;
    shields_left--;
    play_sound(sounds, SND_SHIELD_UP);
}

void deactivate_shield(DATAFILE *sounds)
{
    shield_on = 0;
    shield_timer = -1;
    play_sound(sounds, SND_SHIELD_DOWN);
}
