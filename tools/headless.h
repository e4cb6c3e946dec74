// The game started with no display and no sound driver, for the programs that play it headless.
#pragma once

#include "frame/loop.h"

// Which datafiles a headless program needs.
enum class Datafiles {
    None, // the level files only
    Play, // sprites.dat and sounds.dat: what the tick code draws from and plays
    All,  // all four, the play pictures prepared and `screen` a memory bitmap, as frames draw
};

// Starts Allegro with no display and no sound, pictures in the game's 16-bit colour, and
// loads the datafiles from `folder`, counting the pictures a level may name; then the
// working folder is `folder`. A folder that cannot be entered or lacks a datafile is
// reported on stderr, naming `program`, and gives false.
bool start_headless(const char *program, const char *folder, Datafiles which, GameResources &game);

// Releases what start_headless made.
void stop_headless(GameResources &game);
