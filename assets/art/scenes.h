// The still pictures with words: credits, lives, game over and the opening card.
#pragma once

#include "paint.h"

#include <string>

// Writes backgrounds 0 to 8 into folder.
void make_scenes(const std::string &folder);

// The game's name as a two-line logo, its top centred at (centre_x, y); about 72 pixels high.
void draw_game_name(BITMAP *bitmap, int centre_x, int y);
