// Text on the game's screens, in Allegro's built-in font.
//
// The screens use Allegro's older text calls (text_mode, textprintf); their
// deprecation warnings are silenced here and nowhere else.
#include "frame/text.h"

#include <cstdio>

std::string format_text(const char *format, va_list args)
{
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    std::string text(length > 0 ? length : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

void set_text_transparent()
{
    text_mode(-1);
}

void draw_text(BITMAP *bitmap, int x, int y, int colour, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = format_text(format, args);
    va_end(args);
    textprintf(bitmap, font, x, y, colour, "%s", text.c_str());
}

#pragma GCC diagnostic pop
