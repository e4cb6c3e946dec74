// What must hold in the game state after every tick of play, whatever the keys did.
#pragma once

#include <string>

// Empty when every index, position and counter of play is in its range, else the first
// thing found out of it.
std::string broken_invariant();
