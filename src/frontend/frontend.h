// Front end: the intro, the title menu and the credits.
#pragma once

#include <allegro.h>

void intro_sequence(DATAFILE *sounds, DATAFILE *music, DATAFILE *backgrounds);

// One of the intro's fades: the bitmap a picture is drawn lit onto at 0,0, over what it
// held, and the light step last drawn.
struct FadeFrame {
    BITMAP *bitmap;
    int step;
};
const int FADE_NOT_DRAWN = -1; // the step of a fade before its first drawing
// Brings the frame to `picture` drawn lit at `level`; levels of one light step draw alike.
void draw_fade_frame(FadeFrame &frame, BITMAP *picture, int level);
// A frame of the backdrop's fade-in onto `work`: the lit backdrop, then the riser over it.
// The fade's bitmap starts all mask colour.
void compose_rising_frame(BITMAP *work, FadeFrame &backdrop_fade, BITMAP *backdrop,
                          BITMAP *riser, int level, double riser_y);
void title_menu(DATAFILE *backgrounds, DATAFILE *music);
void show_credits(DATAFILE *backgrounds, DATAFILE *music);

// The menu's cursor rows: "New Game", "High Scores", "Credits", "Quit".
const int MENU_NEW_GAME = 100;
const int MENU_HIGH_SCORES = 120;
const int MENU_CREDITS = 140;
const int MENU_QUIT = 160;

int menu_cursor_up(int row);
int menu_cursor_down(int row);

// "New Game": the run's counters back to their start, then level 1 loaded.
void reset_run();
