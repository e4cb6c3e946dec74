// Play: the ship, its bullets and shield, the enemies, hit tests and drawing.
#pragma once

#include <allegro.h>

// ---- The ship, its bullets and its shield ----------------------------------
void fire_bullet(int slot, int x, DATAFILE *sounds);
void move_bullets();
void recycle_bullets();
void reset_bullet(int slot);
void activate_shield(DATAFILE *sounds);
void deactivate_shield(DATAFILE *sounds);

// Tick steps 1 to 4: move, fire and raise the shield from the held keys.
void handle_player_keys(DATAFILE *sounds);

// ---- Enemies and their shots -----------------------------------------------
void spawn_enemy(int index);
void move_enemies(DATAFILE *sounds);
void move_enemy(int index); // one pattern step of an active enemy
void check_enemy_exit(int index);
void enemy_fire(int index);
void move_enemy_shots();
void recycle_enemy_shots();
void reset_enemy_shot(int slot);
int random_between(int lo, int n);

// ---- Hit tests and explosions ----------------------------------------------
void check_bullet_hits(DATAFILE *sounds);
// Consumes the first enemy shot from first_slot on that is inside the
// unshielded ship; returns its slot, or -1 when there is none.
int check_shot_hits(DATAFILE *sounds, int first_slot = 0);
void check_enemy_contact(int index, DATAFILE *sounds);
void run_bullet_hit_tests(DATAFILE *sounds); // tick step 15
void run_shot_hit_tests(DATAFILE *sounds);   // tick step 16
void count_down_explosions();                // tick step 17

// ---- Drawing ---------------------------------------------------------------
void draw_frame(int x, int y, BITMAP *buffer, BITMAP *far, BITMAP *near, DATAFILE *sprites,
                DATAFILE *sounds);
void draw_background(BITMAP *buffer, BITMAP *far, BITMAP *near);
void draw_near_layer(BITMAP *buffer, BITMAP *near); // its one or two wrapped copies
// The near layer's and the sprites' opaque runs, made once after loading and released at
// shutdown; without them the same pictures are drawn masked, to the same pixels.
void prepare_play_pictures(DATAFILE *sprites, BITMAP *near);
void release_play_pictures();
void draw_shield(BITMAP *buffer, DATAFILE *sprites, DATAFILE *sounds);
void draw_bullets(BITMAP *buffer, BITMAP *bullet);
void draw_enemy_shots(BITMAP *buffer, BITMAP *shot);
void draw_enemies(BITMAP *buffer, DATAFILE *sprites);
void scroll_backgrounds();

// The explosion frame for timer value t (1 to 30): picture, light level, y offset.
struct ExplosionStage {
    int sprite;   // sprites entry
    int light;    // light level for draw_lit_sprite, or -1 for a plain draw_sprite
    int sink;     // pixels added to y
};
ExplosionStage explosion_stage(int t);

// Draws one explosion stage's picture at (x, y), plain or lit.
void draw_explosion_stage(BITMAP *target, DATAFILE *sprites, const ExplosionStage &stage, int x,
                          int y);
