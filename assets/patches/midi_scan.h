// Reads a standard MIDI file and lists the instruments and drum notes its notes sound with.
#pragma once

#include <set>
#include <string>

struct TuneNeeds {
    std::set<int> programs;   // General MIDI programs, 0-based, that play at least one note
    std::set<int> drum_notes; // notes played on the drum channel
};

// Adds what the tune at path plays to needs; false with a message in error if it cannot.
bool scan_midi(const std::string &path, TuneNeeds &needs, std::string &error);
