// Text on the game's screens, in Allegro's built-in font.
#pragma once

#include <allegro.h>
#include <cstdarg>
#include <string>

// Text from here on is drawn with a transparent background.
void set_text_transparent();

// Draws formatted text at (x, y) in the given colour with Allegro's font.
void draw_text(BITMAP *bitmap, int x, int y, int colour, const char *format, ...)
    __attribute__((format(printf, 5, 6)));

// printf-style formatting into a string of whatever length it needs.
std::string format_text(const char *format, va_list args);
