// The instrument patches the MIDI synth plays the tunes with: found where the synth looks for
// them, checked before sound starts, and handed to the synth as the checked copy.
#pragma once

#include "frame/object_checks.h"

#include <string>
#include <vector>

// Empty when a walked patch set is safe for Allegro's synth, else what is wrong: the synth walks
// the file object by object to its end and trusts its index and every sample it loads.
std::string check_patch_set(const std::vector<ObjectFacts> &objects, bool ends_there);

// Before install_sound: checks patches.dat where the synth would find it. True when tunes may
// play: the set is whole, and the synth reads the checked copy, or there is none, as before. A
// damaged set gets a message box and the game plays on without music.
bool prepare_instrument_patches();
