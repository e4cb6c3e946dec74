// Void Sentinel: start-up, loading, the run of the game and shutdown.
#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/loop.h"
#include "frame/signals.h"
#include "frame/state.h"
#include "play/play.h"

#include <allegro.h>
#include <xalleg.h>
#include <cerrno>
#include <cstdlib>

static const char GAME_TITLE[] = "Void Sentinel";
static const int TICKS_PER_SECOND = 60;
// The window's class, which desktops match with the menu entry's StartupWMClass.
static const char WINDOW_CLASS[] = "void-sentinel";

// The game's icon as XPM rows, drawn at build from its SVG; Allegro's own variable takes it.
extern const char *const game_icon_xpm[];
extern "C" void *allegro_icon;

// Everything before the intro: Allegro, the timer, sound, the screen and the
// back buffer. Failures the game cannot play through are fatal.
static BITMAP *start_allegro(const char *program)
{
    // Allegro makes its window as it starts: its class and icon are set before.
    xwin_set_window_name(WINDOW_CLASS, WINDOW_CLASS);
    allegro_icon = const_cast<char **>(game_icon_xpm);
    if (allegro_init() != 0)
        fatal_error("Void Sentinel cannot start: %s\n(it needs an X display)\n", allegro_error);
    restore_stop_signals();
    install_keyboard();
    install_timer();
    install_int_ex(tick, BPS_TO_TIMER(TICKS_PER_SECOND));
    if (install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, program) != 0)
        allegro_message("Error initialising sound system\n%s\nPress Ok to continue without sound",
                        allegro_error);
    set_color_depth(16);
    if (set_gfx_mode(GFX_SAFE, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0) != 0)
        fatal_error("Cannot open the 320x200 16-bit screen: %s\n\nOK TO QUIT!", allegro_error);
    set_window_title(GAME_TITLE);
    BITMAP *buffer = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!buffer)
        fatal_error("Cannot create the 320x200 back buffer: out of memory.\n\nOK TO QUIT!");
    return buffer;
}

int main(int, char **argv)
{
    GameResources game;
    game.buffer = start_allegro(argv[0]);
    game.sprites = load_game_datafile(SPRITES_CATALOGUE);
    sprite_entries = count_pictures(game.sprites);
    game.backgrounds = load_game_datafile(BACKGROUNDS_CATALOGUE);
    game.sounds = load_game_datafile(SOUNDS_CATALOGUE);
    game.music = load_game_datafile(MUSIC_CATALOGUE);
    prepare_play_pictures(game.sprites,
                          static_cast<BITMAP *>(game.backgrounds[BG_NEAR_LAYER].dat));

    run_game(game);

    release_play_pictures();
    destroy_bitmap(game.buffer);
    unload_datafile(game.sprites);
    unload_datafile(game.backgrounds);
    unload_datafile(game.sounds);
    unload_datafile(game.music);
    return 0;
}
END_OF_MAIN()
