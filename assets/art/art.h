// The picture generator's two halves: the sprites and the full-screen pictures.
#pragma once

#include <string>

// Writes sprite pictures NN_name.bmp into folder, NN being the entry number.
void make_sprites(const std::string &folder);

// Writes the background pictures NN_name.bmp into folder, NN being the entry number.
void make_backgrounds(const std::string &folder);
