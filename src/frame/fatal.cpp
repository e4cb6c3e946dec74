// The one way the game gives up: a message box, then exit status 1.
#include "frame/fatal.h"

#include "frame/text.h"

#include <allegro.h>
#include <cstdlib>

void fatal_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = format_text(format, args);
    va_end(args);
    allegro_message("%s", text.c_str());
    std::exit(1);
}
