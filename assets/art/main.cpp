// artgen: draws every picture of the game, headless, into 24-bit BMP files.
//   artgen SPRITES_FOLDER BACKGROUNDS_FOLDER
#include "art.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: artgen SPRITES_FOLDER BACKGROUNDS_FOLDER\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "artgen: cannot start Allegro: %s\n", allegro_error);
        return 1;
    }
    set_color_depth(24);
    make_sprites(argv[1]);
    make_backgrounds(argv[2]);
    return 0;
}
