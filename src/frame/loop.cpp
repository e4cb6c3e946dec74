// The fixed-rate main loop (60 Hz ticks, then once-per-frame work) and the run around it.
#include "frame/loop.h"

#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "frontend/frontend.h"
#include "highscores/highscores.h"
#include "levels/levels.h"
#include "play/play.h"

static const int SETTLE_MS = 100; // the pause around the final score screens

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

// The banked score is offered to the table when play ends with Escape, with a pause and the
// typed keys dropped on either side.
static void offer_final_score()
{
    clear_keybuf();
    rest(SETTLE_MS);
    offer_high_score(total_points);
    clear_keybuf();
    rest(SETTLE_MS);
}

// The in-game tune starts once, here: after a game over the title tune plays on into the next.
void run_game(const GameResources &game)
{
    intro_sequence(game.sounds, game.music, game.backgrounds);
    reset_starting_state();
    load_high_scores();
    warn_if_high_scores_unsaveable();
    title_menu(game.backgrounds, game.music);
    play_tune(game.music, MUS_GAME);
    main_loop(game);
    offer_final_score();
}
