// Front end: the intro, the title menu and the credits.
#pragma once

#include <allegro.h>

void intro_sequence(DATAFILE *sounds, DATAFILE *music, DATAFILE *backgrounds);
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
