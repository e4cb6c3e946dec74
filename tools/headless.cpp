// The game started with no display and no sound driver, for the programs that play it headless.
#include "headless.h"

#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool start_headless(const char *program, const char *folder, Datafiles which, GameResources &game)
{
    game = GameResources{};
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "%s: the game library does not start\n", program);
        return false;
    }
    set_color_depth(16); // before loading, or pictures come in at 8 bits
    install_sound(DIGI_NONE, MIDI_NONE, nullptr);
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "%s: cannot enter %s: %s\n", program, folder, std::strerror(errno));
        return false;
    }
    if (which == Datafiles::None)
        return true;
    const Catalogue *const catalogues[] = {&SPRITES_CATALOGUE, &SOUNDS_CATALOGUE,
                                           &BACKGROUNDS_CATALOGUE, &MUSIC_CATALOGUE};
    DATAFILE **const slots[] = {&game.sprites, &game.sounds, &game.backgrounds, &game.music};
    int wanted = which == Datafiles::All ? 4 : 2;
    for (int i = 0; i < wanted; i++)
        if (!exists(catalogues[i]->file_name)) {
            std::fprintf(stderr, "%s: %s has no %s; build the game first\n", program, folder,
                         catalogues[i]->file_name);
            return false;
        }
    for (int i = 0; i < wanted; i++)
        *slots[i] = load_game_datafile(*catalogues[i]);
    sprite_entries = count_pictures(game.sprites);
    game.buffer = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (which == Datafiles::All) {
        prepare_play_pictures(game.sprites,
                              static_cast<BITMAP *>(game.backgrounds[BG_NEAR_LAYER].dat));
        screen = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    }
    return true;
}

void stop_headless(GameResources &game)
{
    if (game.backgrounds) {
        destroy_bitmap(screen);
        screen = nullptr;
        release_play_pictures();
    }
    if (game.buffer)
        destroy_bitmap(game.buffer);
    for (DATAFILE *data : {game.sprites, game.sounds, game.backgrounds, game.music})
        if (data)
            unload_datafile(data);
    game = GameResources{};
}
