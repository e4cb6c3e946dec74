// The one way the game gives up: a message box, then exit status 1.
#pragma once

// Shows the formatted text with allegro_message and ends the process with 1.
[[noreturn]] void fatal_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
