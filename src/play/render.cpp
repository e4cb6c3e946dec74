// Drawing the play screen into the back buffer, the near layer and the sprites from runs
// made once after loading, and the layers' scrolling.
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

// Pictures as runs of their opaque pixels, made once after loading: a masked draw tests
// every pixel of a picture, its runs cost only the opaque ones and put down the same pixels.
// The near layer is 99% transparent, a 16x16 sprite about a third. The shots and bullets
// stay masked draws (for a dozen pixels the runs cost more than they save), the shield and
// the fading explosion stages are drawn blended.
static RLE_SPRITE *near_runs = nullptr;
static BITMAP *near_runs_source = nullptr; // the picture they were made from
static RLE_SPRITE *sprite_runs[SPRITES_COUNT] = {};
static DATAFILE *sprite_runs_source = nullptr;

void prepare_play_pictures(DATAFILE *sprites, BITMAP *near)
{
    release_play_pictures();
    // Runs are drawn whole, so they stand in for the layer's copies only if it fits the screen.
    if (near->w <= SCREEN_WIDTH && near->h <= SCREEN_HEIGHT) {
        near_runs = get_rle_sprite(near);
        near_runs_source = near;
    }
    for (int entry = 0; entry < SPRITES_COUNT; entry++)
        sprite_runs[entry] = get_rle_sprite(picture(sprites, entry));
    sprite_runs_source = sprites;
}

void release_play_pictures()
{
    if (near_runs)
        destroy_rle_sprite(near_runs);
    near_runs = nullptr;
    near_runs_source = nullptr;
    for (RLE_SPRITE *&runs : sprite_runs) {
        if (runs)
            destroy_rle_sprite(runs);
        runs = nullptr;
    }
    sprite_runs_source = nullptr;
}

// Runs made (not out of memory) at the target's colour depth can stand in for their picture.
static bool usable(const RLE_SPRITE *runs, BITMAP *target)
{
    return runs && runs->color_depth == bitmap_color_depth(target);
}

// A sprites entry drawn masked at (x, y), from its runs when they were made from this datafile.
static void draw_picture(BITMAP *target, DATAFILE *sprites, int entry, int x, int y)
{
    if (sprites == sprite_runs_source && entry >= 0 && entry < SPRITES_COUNT &&
        usable(sprite_runs[entry], target))
        draw_rle_sprite(target, sprite_runs[entry], x, y);
    else
        draw_sprite(target, picture(sprites, entry), x, y);
}

void draw_frame(int x, int y, BITMAP *buffer, BITMAP *far, BITMAP *near, DATAFILE *sprites,
                DATAFILE *sounds)
{
    clear_bitmap(buffer);
    draw_background(buffer, far, near);
    draw_picture(buffer, sprites, SPR_SHIP, x, y);
    draw_shield(buffer, sprites, sounds);
    draw_bullets(buffer, picture(sprites, SPR_BULLET));
    draw_enemy_shots(buffer, picture(sprites, SPR_ENEMY_SHOT));
    draw_enemies(buffer, sprites);
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// One copy of the near layer: its rows from source_row on, placed from buffer row top. The
// runs are drawn whole with the rows above source_row off the top of the buffer.
static void draw_near_copy(BITMAP *buffer, BITMAP *near, int source_row, int top)
{
    if (near == near_runs_source && usable(near_runs, buffer))
        draw_rle_sprite(buffer, near_runs, 0, top - source_row);
    else
        masked_blit(near, buffer, 0, source_row, 0, top, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void draw_near_layer(BITMAP *buffer, BITMAP *near)
{
    draw_near_copy(buffer, near, 0, static_cast<int>(near_scroll));
    if (near_scroll != 0.0)
        draw_near_copy(buffer, near, static_cast<int>(LAYER_HEIGHT - near_scroll), 0);
}

// Each layer is drawn twice so that it wraps: its top at the offset, and its
// bottom part, from source row 200 - offset, at the top of the screen.
void draw_background(BITMAP *buffer, BITMAP *far, BITMAP *near)
{
    blit(far, buffer, 0, 0, 0, static_cast<int>(far_scroll), SCREEN_WIDTH, SCREEN_HEIGHT);
    if (far_scroll != 0.0)
        blit(far, buffer, 0, static_cast<int>(LAYER_HEIGHT - far_scroll), 0, 0, SCREEN_WIDTH,
             SCREEN_HEIGHT);
    draw_near_layer(buffer, near);
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
        draw_picture(target, sprites, stage.sprite, x, y);
    else
        draw_lit_sprite(target, picture(sprites, stage.sprite), x, y, stage.light);
}

void draw_enemies(BITMAP *buffer, DATAFILE *sprites)
{
    for (int i = 0; i < enemy_count; i++) {
        const Enemy &enemy = enemies[i];
        if (enemy.active == 1)
            draw_picture(buffer, sprites, enemy.sprite, static_cast<int>(enemy.x),
                         static_cast<int>(enemy.y));
        if (explosion_timer[i] > 0 && enemy.active == 0) {
            ExplosionStage stage = explosion_stage(explosion_timer[i]);
            draw_explosion_stage(buffer, sprites, stage, static_cast<int>(enemy.x),
                                 static_cast<int>(enemy.y + stage.sink));
        }
    }
}
