// The high score screens: the table, and the name box for a new entry.
#include "highscores/highscores.h"

#include "frame/fatal.h"
#include "frame/keyboard.h"
#include "frame/state.h"
#include "frame/text.h"

#include <allegro.h>

// Places on the screen, as offsets from its centre (integer halves of its size).
static const int HEADING_LEFT = 50;       // "High Scores", at the top
static const int ROWS_ABOVE_CENTRE = 40;  // first row of the table
static const int ROW_HEIGHT = 10;
static const int NAME_LEFT = 70;          // the name column; scores stand to its right
static const int SCORE_GAP = 100;
static const int CONGRATULATION_LEFT = 120;
static const int PROMPT_LEFT = 100;
static const int PROMPT_Y = 50;
static const int BOX_LEFT = 60;
static const int BOX_Y = 100;

// The name box: its size, its raw 16-bit colours, and where it sits until positioned.
static const int BOX_START_X = 50;
static const int BOX_START_Y = 0;
static const int BOX_WIDTH = 100;
static const int BOX_HEIGHT = 25;
static const int BOX_TEXT_COLOUR = 4684;
static const int BOX_COLOUR = 5498;

// The text the box edits in place; empty between entries so each starts with a clear box.
static char name_entry[NAME_ENTRY_SIZE] = "";

// The edit box, closed by Enter, then the record that ends the dialog.
static DIALOG name_dialog[2] = {
    {d_edit_proc, BOX_START_X, BOX_START_Y, BOX_WIDTH, BOX_HEIGHT, BOX_TEXT_COLOUR, BOX_COLOUR, 0, D_EXIT,
     NAME_ENTRY_CHARACTERS, 0, name_entry, nullptr, nullptr},
    {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
};

static int white()
{
    return makecol(255, 255, 255);
}

// A full-screen picture of the screen's own, cleared to colour 0.
static BITMAP *create_page()
{
    BITMAP *page = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!page)
        fatal_error("Not enough memory for the high score screen.\n\nOK TO QUIT!");
    clear_bitmap(page);
    return page;
}

static void show_page(BITMAP *page)
{
    blit(page, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void draw_high_score_table(BITMAP *bitmap, int screen_w, int screen_h)
{
    draw_text(bitmap, screen_w / 2 - HEADING_LEFT, 0, white(), "High Scores");
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i) {
        int y = screen_h / 2 - ROWS_ABOVE_CENTRE + ROW_HEIGHT * i;
        draw_text(bitmap, screen_w / 2 - NAME_LEFT, y, white(), "%s", high_names[i].c_str());
        draw_text(bitmap, screen_w / 2 - NAME_LEFT + SCORE_GAP, y, white(), "%d", high_scores[i]);
    }
}

// Shows the table as the file holds it and waits for a key pressed once every key is let go:
// the Enter held to close the name box or to choose the table repeats, and must not leave it.
void show_high_scores()
{
    load_high_scores();
    BITMAP *page = create_page();
    draw_high_score_table(page, SCREEN_W, SCREEN_H);
    show_page(page);
    wait_for_all_keys_released();
    readkey();
    destroy_bitmap(page);
}

// Asks for the player's name in the edit box, then records it with the score. The box opens
// only once every key is let go: a key held from play would repeat into it and close it.
void enter_high_score(int score)
{
    BITMAP *page = create_page();
    draw_text(page, SCREEN_W / 2 - CONGRATULATION_LEFT, 0, white(), "You've got a High Score!!");
    draw_text(page, SCREEN_W / 2 - PROMPT_LEFT, PROMPT_Y, white(), "Enter your name here:");
    show_page(page);

    wait_for_all_keys_released();
    position_dialog(name_dialog, SCREEN_W / 2 - BOX_LEFT, BOX_Y);
    do_dialog(name_dialog, 0);
    std::string name = name_entry;
    name_entry[0] = '\0';

    // Repaint the two lines of text over the box.
    show_page(page);
    record_high_score(name, score);
    destroy_bitmap(page);
}

// The end of a game: a score that ranks is entered by name, then the table is shown.
void offer_high_score(int score)
{
    if (high_score_rank(score) >= 0) {
        enter_high_score(score);
        show_high_scores();
    }
}
