// The window's icon: its XPM rows, written at build from the game's SVG, and the variable
// Allegro's X11 port reads the icon from as it opens the window.
#pragma once

extern const char *const game_icon_xpm[];
extern "C" void *allegro_icon;
