// Loading the four datafiles and checking each against its catalogue.
#pragma once

#include "frame/entries.h"
#include "frame/object_checks.h"

#include <allegro.h>
#include <string>
#include <vector>

// What one datafile must hold: its file name, entry count and each entry's kind.
struct Catalogue {
    const char *file_name;           // relative to the working directory
    int count;                       // entries the game uses, from 0
    int kind;                        // DAT_BITMAP, DAT_SAMPLE or DAT_MIDI, the same for every entry
    PictureSize (*picture_size)(int entry); // what each picture must measure (pictures only)
};

extern const Catalogue SPRITES_CATALOGUE;
extern const Catalogue BACKGROUNDS_CATALOGUE;
extern const Catalogue SOUNDS_CATALOGUE;
extern const Catalogue MUSIC_CATALOGUE;

// Entries in a loaded datafile, up to its end marker.
int count_entries(const DATAFILE *data);

// Entries from the first that are 16-bit pictures: the ones a level may name as an enemy.
int count_pictures(const DATAFILE *data);

// Empty when the objects of a datafile, as read before loading, fit its catalogue and none is
// damaged; else what is wrong with the first that does not.
std::string check_objects(const std::vector<ObjectFacts> &objects, const Catalogue &catalogue);

// The same check on a loaded datafile.
std::string check_datafile(const DATAFILE *data, const Catalogue &catalogue);

// Checks a datafile and then loads it; a missing, damaged or unfit file is fatal, naming
// the file and the problem.
DATAFILE *load_game_datafile(const Catalogue &catalogue);
