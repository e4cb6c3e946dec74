// The pixel designs of the ship and the five enemies, shared by the sprites and the scenes.
#pragma once

#include "pixel_map.h"

enum class Design { scout, saucer, insectoid, heavy, spinner, ship };

const int DESIGN_SIZE = 16; // every design fills a 16x16 box

// Draws a design with its top-left corner at (x, y), each pixel a scale x scale block.
void draw_design(BITMAP *bitmap, Design design, int x, int y, int scale = 1);
