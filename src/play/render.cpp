// Drawing the play screen into the back buffer, and the layers' scrolling.
#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

static const double LAYER_HEIGHT = 200.0;  // both layers wrap after one screen
static const double FAR_SPEED = 0.1;       // pixels per tick
static const double NEAR_SPEED = 0.2;
static const int SHIELD_OFFSET = 8;        // the shield sits 8 up and left of the ship
static const int SHIELD_OPACITY = 75;

static BITMAP *picture(DATAFILE *data, int entry)
{
    return static_cast<BITMAP *>(data[entry].dat);
}

void draw_frame(int x, int y, BITMAP *buffer, BITMAP *far, BITMAP *near, DATAFILE *sprites,
                DATAFILE *sounds)
{
    clear_bitmap(buffer);
    draw_background(buffer, far, near);
    draw_sprite(buffer, picture(sprites, SPR_SHIP), x, y);
    draw_shield(buffer, sprites, sounds);
    draw_bullets(buffer, picture(sprites, SPR_BULLET));
    draw_enemy_shots(buffer, picture(sprites, SPR_ENEMY_SHOT));
    draw_enemies(buffer, sprites);
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// Each layer is drawn twice so that it wraps: its top at the offset, and its
// bottom part, from source row 200 - offset, at the top of the screen.
void draw_background(BITMAP *buffer, BITMAP *far, BITMAP *near)
{
    blit(far, buffer, 0, 0, 0, static_cast<int>(far_scroll), SCREEN_WIDTH, SCREEN_HEIGHT);
    if (far_scroll != 0.0)
        blit(far, buffer, 0, static_cast<int>(LAYER_HEIGHT - far_scroll), 0, 0, SCREEN_WIDTH,
             SCREEN_HEIGHT);
    masked_blit(near, buffer, 0, 0, 0, static_cast<int>(near_scroll), SCREEN_WIDTH,
                SCREEN_HEIGHT);
    if (near_scroll != 0.0)
        masked_blit(near, buffer, 0, static_cast<int>(LAYER_HEIGHT - near_scroll), 0, 0,
                    SCREEN_WIDTH, SCREEN_HEIGHT);
}

void scroll_backgrounds()
{
    if (far_scroll < LAYER_HEIGHT)
        far_scroll += FAR_SPEED;
    else
        far_scroll = 0.0;
    if (near_scroll < LAYER_HEIGHT)
        near_scroll += NEAR_SPEED;
    else
        near_scroll = 0.0;
}

// The shield shimmers between its two pictures with the timer's parity, and
// this is where a shield whose timer has run out is finally lowered.
void draw_shield(BITMAP *buffer, DATAFILE *sprites, DATAFILE *sounds)
{
    if (shield_on != 1 || shield_timer < 0)
        return;
    set_trans_blender(255, 255, 255, SHIELD_OPACITY);
    int entry = shield_timer % 2 == 0 ? SPR_SHIELD_EVEN : SPR_SHIELD_ODD;
    draw_trans_sprite(buffer, picture(sprites, entry), static_cast<int>(player_x - SHIELD_OFFSET),
                      static_cast<int>(player_y - SHIELD_OFFSET));
    if (shield_timer == 0) {
        shield_on = 0;
        shield_timer = -1;
        deactivate_shield(sounds);
    }
}

void draw_bullets(BITMAP *buffer, BITMAP *bullet)
{
    for (int slot = 0; slot < max_bullets; slot++)
        if (bullets[slot].active == 1)
            draw_sprite(buffer, bullet, bullets[slot].x, static_cast<int>(bullets[slot].y));
}

void draw_enemy_shots(BITMAP *buffer, BITMAP *shot)
{
    for (const Shot &s : enemy_shots)
        if (s.active == 1)
            draw_sprite(buffer, shot, s.x, static_cast<int>(s.y));
}

// The stages of an explosion by ticks left: four plain frames, then the last
// two pictures drawn lit, fading and sinking a pixel more per stage.
ExplosionStage explosion_stage(int t)
{
    if (t >= 26)
        return {SPR_EXPLOSION_1, -1, 0};
    if (t >= 20)
        return {SPR_EXPLOSION_2, -1, 0};
    if (t == 19)
        return {SPR_EXPLOSION_3, -1, 0};
    if (t >= 16)
        return {SPR_EXPLOSION_4, -1, 0};
    if (t >= 11)
        return {SPR_EXPLOSION_4, 75, 1};
    if (t >= 7)
        return {SPR_EXPLOSION_3, 50, 2};
    if (t >= 5)
        return {SPR_EXPLOSION_4, 25, 3};
    return {SPR_EXPLOSION_3, 10, 4};
}

// Lit stages use whatever blender was set last anywhere in the game.
void draw_explosion_stage(BITMAP *target, DATAFILE *sprites, const ExplosionStage &stage, int x,
                          int y)
{
    if (stage.light < 0)
        draw_sprite(target, picture(sprites, stage.sprite), x, y);
    else
        draw_lit_sprite(target, picture(sprites, stage.sprite), x, y, stage.light);
}

void draw_enemies(BITMAP *buffer, DATAFILE *sprites)
{
    for (int i = 0; i < enemy_count; i++) {
        const Enemy &enemy = enemies[i];
        if (enemy.active == 1)
            draw_sprite(buffer, picture(sprites, enemy.sprite), static_cast<int>(enemy.x),
                        static_cast<int>(enemy.y));
        if (explosion_timer[i] > 0 && enemy.active == 0) {
            ExplosionStage stage = explosion_stage(explosion_timer[i]);
            draw_explosion_stage(buffer, sprites, stage, static_cast<int>(enemy.x),
                                 static_cast<int>(enemy.y + stage.sink));
        }
    }
}
