// The title menu: four items under a ">" cursor, and the reset of the run for "New Game".
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/keyboard.h"
#include "frame/state.h"
#include "frame/text.h"
#include "frontend/frontend.h"
#include "highscores/highscores.h"
#include "levels/levels.h"

#include <allegro.h>
#include <cstdlib>

// The cursor's rows from top to bottom; moving past either end wraps round.
static const int MENU_ROWS[] = {MENU_NEW_GAME, MENU_HIGH_SCORES, MENU_CREDITS, MENU_QUIT};
static const int MENU_ROW_COUNT = sizeof MENU_ROWS / sizeof MENU_ROWS[0];

// One line of the menu: its text, how far left of the screen's centre it starts, and its row.
struct MenuLine {
    const char *text;
    int left_of_centre;
    int row;
};

static const MenuLine MENU_LINES[] = {
    {"New Game", 40, MENU_NEW_GAME},
    {"High Scores", 50, MENU_HIGH_SCORES},
    {"Credits", 30, MENU_CREDITS},
    {"Quit", 20, MENU_QUIT},
};
static const int CURSOR_LEFT_OF_CENTRE = 60;

// What "New Game" puts back: the run's counters as a fresh game starts them.
static const int FIRST_LEVEL_NUMBER = 1;

static const int KEY_REST_MS = 100; // each key held adds this pause to the pass
static const int QUIT_STATUS = 1;

// Where a row sits in MENU_ROWS; a row that is none of them counts as the top one.
static int row_index(int row)
{
    for (int i = 0; i < MENU_ROW_COUNT; ++i)
        if (MENU_ROWS[i] == row)
            return i;
    return 0;
}

int menu_cursor_up(int row)
{
    return MENU_ROWS[(row_index(row) + MENU_ROW_COUNT - 1) % MENU_ROW_COUNT];
}

int menu_cursor_down(int row)
{
    return MENU_ROWS[(row_index(row) + 1) % MENU_ROW_COUNT];
}

void reset_run()
{
    total_points = 0;
    lives = START_LIVES;
    max_bullets = START_MAX_BULLETS;
    fire_delay = START_FIRE_DELAY;
    level_points = 0;
    player_hit = 0;
    level_number = FIRST_LEVEL_NUMBER;
    load_level(FIRST_LEVEL_FILE);
}

// The title picture, the four items and the cursor, composed on work and shown.
static void draw_menu(BITMAP *work, BITMAP *title, int cursor)
{
    blit(title, work, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    int white = makecol(255, 255, 255);
    for (const MenuLine &line : MENU_LINES)
        draw_text(work, SCREEN_W / 2 - line.left_of_centre, line.row, white, "%s", line.text);
    draw_text(work, SCREEN_W / 2 - CURSOR_LEFT_OF_CENTRE, cursor, white, ">");
    blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void title_menu(DATAFILE *backgrounds, DATAFILE *music)
{
    stop_midi();
    play_tune(music, MUS_TITLE);
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!work)
        fatal_error("Cannot create the menu's 320x200 bitmap: out of memory.\n\nOK TO QUIT!");
    BITMAP *title = static_cast<BITMAP *>(backgrounds[BG_TITLE].dat);
    int cursor = MENU_NEW_GAME;
    int done = 0;
    set_text_transparent();
    // The menu acts on Enter held as it starts, so an Enter still down from the screen before
    // (the intro cut short, the game-over picture left) would choose "New Game" at once: the
    // menu is shown and Enter let go first, so the player can choose.
    draw_menu(work, title, cursor);
    wait_for_key_release(KEY_ENTER);
    clear_keybuf();

    // Keys are read from the held-key state, so a key kept down acts on every pass;
    // Enter acts on the item under the cursor before an arrow moves it.
    while (!done) {
        if (key[KEY_ENTER]) {
            rest(KEY_REST_MS);
            // The typed keys are dropped on the way into and out of a screen, and the menu
            // comes back as it starts: once Enter is let go.
            switch (cursor) {
            case MENU_NEW_GAME:
                done = 1;
                break;
            case MENU_HIGH_SCORES:
                clear_keybuf();
                rest(KEY_REST_MS);
                show_high_scores();
                wait_for_key_release(KEY_ENTER);
                clear_keybuf();
                break;
            case MENU_CREDITS:
                clear_keybuf();
                rest(KEY_REST_MS);
                show_credits(backgrounds, music);
                wait_for_key_release(KEY_ENTER);
                clear_keybuf();
                break;
            case MENU_QUIT:
                exit(QUIT_STATUS);
            }
        }
        if (key[KEY_UP]) {
            rest(KEY_REST_MS);
            cursor = menu_cursor_up(cursor);
        }
        if (key[KEY_DOWN]) {
            rest(KEY_REST_MS);
            cursor = menu_cursor_down(cursor);
        }
        draw_menu(work, title, cursor);
        pause_between_polls();
    }

    destroy_bitmap(work);
    reset_run();
}
