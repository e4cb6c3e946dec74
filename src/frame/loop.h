// The fixed-rate main loop (60 Hz ticks, then once-per-frame work) and the run around it.
#pragma once

#include <allegro.h>

// The datafiles and back buffer that main owns and the loop passes down.
struct GameResources {
    BITMAP *buffer;
    DATAFILE *sprites;
    DATAFILE *backgrounds;
    DATAFILE *sounds;
    DATAFILE *music;
};

// The timer callback: counts one tick, nothing else.
void tick();

// One fixed update of the game (the seventeen tick steps).
void run_tick(DATAFILE *sounds);

// The frame's spawn step: when the countdown stands at exactly zero, spawns
// the next enemy and loads the countdown with the delay of the one after it.
void spawn_next_enemy();

// One pass of the main loop: pending ticks, spawn, level check, death, drawing.
void run_frame(const GameResources &game);

// Runs frames until Escape is held as a frame begins.
void main_loop(const GameResources &game);

// Everything main runs between loading the datafiles and unloading them: the intro, the
// starting state and the score table, the title menu, the in-game tune, the main loop, and
// the banked score offered to the table at the end.
void run_game(const GameResources &game);
