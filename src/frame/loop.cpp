// The fixed-rate main loop: 60 Hz ticks, then once-per-frame work.
#include "frame/loop.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "levels/levels.h"
#include "play/play.h"

void tick()
{
    tick_count++;
}

// Tick step 6: the countdown steps down by 1.5 and settles on exactly 0.0,
// which is the only value the spawn step accepts.
static void count_down_spawn()
{
    if (spawn_countdown > 0.0)
        spawn_countdown -= 1.5;
    else
        spawn_countdown = 0.0;
}

void run_tick(DATAFILE *sounds)
{
    handle_player_keys(sounds); // steps 1 to 4
    if (fire_cooldown > 0)
        fire_cooldown--;
    count_down_spawn();
    if (shield_timer > 0)
        shield_timer--;
    tick_count--;
    move_enemies(sounds);
    move_enemy_shots();
    move_bullets();
    recycle_bullets();
    recycle_enemy_shots();
    scroll_backgrounds();
    run_bullet_hit_tests(sounds);
    run_shot_hit_tests(sounds);
    count_down_explosions();
}

void spawn_next_enemy()
{
    if (spawn_countdown == 0.0 && next_enemy < enemy_count) {
        spawn_enemy(next_enemy);
        next_enemy++;
        spawn_countdown = static_cast<double>(enemies[next_enemy].delay);
    }
}

void run_frame(const GameResources &game)
{
    while (tick_count > 0)
        run_tick(game.sounds);
    spawn_next_enemy();
    check_level_complete(game.backgrounds);
    if (player_hit == 1)
        player_death(game.backgrounds, game.sprites, game.sounds, game.music);
    draw_frame(static_cast<int>(player_x), static_cast<int>(player_y), game.buffer,
               static_cast<BITMAP *>(game.backgrounds[BG_FAR_LAYER].dat),
               static_cast<BITMAP *>(game.backgrounds[BG_NEAR_LAYER].dat), game.sprites,
               game.sounds);
}

void main_loop(const GameResources &game)
{
    while (!key[KEY_ESC])
        run_frame(game);
}
