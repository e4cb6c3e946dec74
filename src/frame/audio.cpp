// Starting the game's samples and tunes, the one way each is played.
#include "frame/audio.h"

void play_sound(DATAFILE *sounds, int entry)
{
    play_sample(static_cast<SAMPLE *>(sounds[entry].dat), 1000, 500, 1000, 0);
}

void play_tune(DATAFILE *music, int entry)
{
    play_midi(static_cast<MIDI *>(music[entry].dat), -1);
}
