// Starting the game's samples and tunes, the one way each is played.
#pragma once

#include <allegro.h>

// Plays sample `entry` of the sounds datafile once, at full volume, centred, at its own pitch.
void play_sound(DATAFILE *sounds, int entry);

// Starts tune `entry` of the music datafile, looping; it replaces the tune playing.
void play_tune(DATAFILE *music, int entry);
