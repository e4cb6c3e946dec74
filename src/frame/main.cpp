// Void Sentinel: start-up, loading, the run of the game and shutdown.
#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/loop.h"
#include "frame/patches.h"
#include "frame/signals.h"
#include "frame/state.h"
#include "frame/window_icon.h"
#include "play/play.h"

#include <allegro.h>
#include <xalleg.h>
#include <cerrno>
#include <cstdlib>
#include <string>

static const char GAME_TITLE[] = "Void Sentinel";
static const int TICKS_PER_SECOND = 60;
// The window's class, which desktops match with the menu entry's StartupWMClass.
static const char WINDOW_CLASS[] = "void-sentinel";

// Why Allegro could not start: its own words, or else which display it could not open.
static std::string start_problem()
{
    if (allegro_error[0])
        return allegro_error;
    const char *display = std::getenv("DISPLAY");
    if (!display || !display[0])
        return "DISPLAY is not set";
    return std::string("the X display ") + display + " could not be opened";
}

// Everything before the intro: Allegro, the timer, sound, the screen and the
// back buffer. Failures the game cannot play through are fatal.
static BITMAP *start_allegro(const char *program)
{
    note_ignored_stop_signals();
    end_message_boxes_with_the_game();
    // Allegro makes its window as it starts: its class and icon are set before.
    xwin_set_window_name(WINDOW_CLASS, WINDOW_CLASS);
    allegro_icon = const_cast<char **>(game_icon_xpm);
    if (allegro_init() != 0)
        fatal_error("Void Sentinel cannot start: %s\n(it needs an X display)\n",
                    start_problem().c_str());
    end_quietly_when_the_display_is_lost();
    restore_stop_signals();
    install_keyboard();
    install_timer();
    install_int_ex(tick, BPS_TO_TIMER(TICKS_PER_SECOND));
    int tunes = prepare_instrument_patches() ? MIDI_AUTODETECT : MIDI_NONE;
    if (install_sound(DIGI_AUTODETECT, tunes, program) != 0)
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
