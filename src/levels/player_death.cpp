// A hit on the ship: the explosion and lives screen of a lost life, or the game over.
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/keyboard.h"
#include "frame/state.h"
#include "frame/text.h"
#include "frontend/frontend.h"
#include "highscores/highscores.h"
#include "levels/levels.h"
#include "levels/progression.h"
#include "play/play.h"

namespace {

const int EXPLOSION_STEPS = 30;         // the 30 stages of an enemy's explosion, flash first
const int EXPLOSION_STEP_MS = 5;        // pause before each stage is drawn
const int NUMBERS_X = SCREEN_WIDTH / 2; // lives screen: both numbers start mid-screen
const int LIVES_ROW = 65;               // lives screen: the lives before this one is taken
const int LEVEL_ROW = 165;              // lives screen: the level being played
const int GAME_OVER_PAUSE_MS = 100;     // after the score screens, before the game-over picture

} // namespace

bool death_ends_game()
{
    return lives <= 0;
}

void reset_after_lost_life()
{
    player_hit = 0;
    lives--;
    shields_left = START_SHIELDS;
    max_bullets = START_MAX_BULLETS;
    fire_delay = START_FIRE_DELAY;
    shield_length = START_SHIELD_LENGTH;
    spawn_countdown = 0.0;
    // Slots above the first four keep their state; play ignores them until the shop adds slots.
    for (int slot = 0; slot < max_bullets; slot++)
        reset_bullet(slot);
}

static void show_picture(DATAFILE *backgrounds, int entry)
{
    clear_bitmap(screen);
    blit(static_cast<BITMAP *>(backgrounds[entry].dat), screen, 0, 0, 0, 0, SCREEN_WIDTH,
         SCREEN_HEIGHT);
}

// The ship blows up straight on the screen, over the last frame and without erasing;
// unlike an enemy's explosion the fading stages do not sink.
static void explode_ship(DATAFILE *sprites)
{
    int x = static_cast<int>(player_x);
    int y = static_cast<int>(player_y);
    for (int n = EXPLOSION_STEPS; n >= 1; n--) {
        rest(EXPLOSION_STEP_MS);
        draw_explosion_stage(screen, sprites, explosion_stage(n), x, y);
    }
}

static void lose_life(DATAFILE *backgrounds, DATAFILE *sprites, DATAFILE *sounds)
{
    clear_keybuf();
    explode_ship(sprites);
    play_sound(sounds, SND_EXPLOSION);

    // The numbers start at the middle of the screen; they are not centred.
    int white = makecol(255, 255, 255);
    show_picture(backgrounds, BG_LIVES);
    draw_text(screen, NUMBERS_X, LIVES_ROW, white, "%d", lives);
    draw_text(screen, NUMBERS_X, LEVEL_ROW, white, "%d", level_number);
    wait_for_key(KEY_ENTER);

    reset_after_lost_life();
    load_level(this_level_file);
}

// The title menu runs from here, inside the main loop: "New Game" returns through us and
// the same loop plays on.
static void game_over(DATAFILE *backgrounds, DATAFILE *music)
{
    clear_keybuf();
    offer_high_score(total_points);
    clear_keybuf();
    rest(GAME_OVER_PAUSE_MS);
    show_picture(backgrounds, BG_GAME_OVER);
    wait_for_key(KEY_ENTER);
    title_menu(backgrounds, music);
}

void player_death(DATAFILE *backgrounds, DATAFILE *sprites, DATAFILE *sounds, DATAFILE *music)
{
    level_points = 0; // the unfinished level's points are lost either way
    play_sound(sounds, SND_EXPLOSION);
    if (death_ends_game())
        game_over(backgrounds, music);
    else
        lose_life(backgrounds, sprites, sounds);
}
