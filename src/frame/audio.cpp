// Starting the game's samples and tunes, the one way each is played.
#include "frame/audio.h"

// Allegro's ranges: volume and pan 0 to 255 (pan 128 is the middle), frequency 1000 as recorded.
static const int FULL_VOLUME = 255;
static const int CENTRE_PAN = 128;
static const int OWN_PITCH = 1000;
static const int ONCE = 0;

void play_sound(DATAFILE *sounds, int entry)
{
    play_sample(static_cast<SAMPLE *>(sounds[entry].dat), FULL_VOLUME, CENTRE_PAN, OWN_PITCH, ONCE);
}

void play_tune(DATAFILE *music, int entry)
{
    play_midi(static_cast<MIDI *>(music[entry].dat), -1);
}
