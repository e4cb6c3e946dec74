// Checks of one datafile object's bytes against its kind, before Allegro reads them. Allegro's
// loader trusts every size and length an object states, and its MIDI player trusts every
// track, so a damaged object is read or played past its end.
#pragma once

#include <cstddef>
#include <string>

// What one object of a datafile is, as its bytes say.
struct ObjectFacts {
    int type = 0;       // DAT_BITMAP, DAT_SAMPLE, DAT_MIDI or any other object type
    int depth = 0;      // a picture's colour depth, width and height
    int width = 0;
    int height = 0;
    std::string damage; // why Allegro cannot load or use it safely; empty when it can
    std::string name;   // its name property, if any
    bool stored_as_listed = true; // its stored bytes take the size its listing gives
};

// Reads the facts of an object of `type` from its stored bytes. A picture must have a depth
// Allegro reads and exactly the pixels its width and height need; a sound a known sample size
// and exactly the data its length needs; a tune a positive beat division and tracks that fill
// the object, each valid MIDI ending with its end mark, and some time to play. Fonts and packed
// sprites, which Allegro also reads trustingly, are refused; an instrument patch must hold every
// sample it describes; any other kind loads as plain bytes.
ObjectFacts read_object_facts(int type, const unsigned char *bytes, size_t size);

// Why the index of an instrument patch set (its default.cfg) would send Allegro's MIDI synth
// past its tables, or an empty string: plain text, with a drum block it can place.
std::string patch_index_damage(const std::string &text);
