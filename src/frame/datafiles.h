// Loading the four datafiles and checking each against its catalogue.
#pragma once

#include <allegro.h>
#include <string>

// What one datafile must hold: its file name, entry count and each entry's kind.
struct Catalogue {
    const char *file_name; // relative to the working directory
    int count;             // entries the game uses, from 0
    int kind;              // DAT_BITMAP, DAT_SAMPLE or DAT_MIDI, the same for every entry
    int full_screen_first; // bitmaps first..last must be 320x200 (-1: none)
    int full_screen_last;
};

extern const Catalogue SPRITES_CATALOGUE;
extern const Catalogue BACKGROUNDS_CATALOGUE;
extern const Catalogue SOUNDS_CATALOGUE;
extern const Catalogue MUSIC_CATALOGUE;

// Entries in a loaded datafile, up to its end marker.
int count_entries(const DATAFILE *data);

// Empty when the loaded datafile fits its catalogue, else what is wrong with it.
std::string check_datafile(const DATAFILE *data, const Catalogue &catalogue);

// Loads a datafile and checks it; a missing or unfit file is fatal, naming
// the file and the problem.
DATAFILE *load_game_datafile(const Catalogue &catalogue);
