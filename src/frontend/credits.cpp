// The credits: six slides to their own tune, cross-faded through white, one key after each.
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/state.h"
#include "frontend/frontend.h"

#include <allegro.h>

static const int FULL_LEVEL = 255;         // light level of pure tint, opacity of a fully laid picture
static const int FADE_STEP = 2;            // light or opacity change per frame: 128-frame fades
static const int BLACK_TINT_OPACITY = 100; // the opacity set along with the black tint
static const int LAST_SLIDE = BG_CREDITS_FIRST + BG_CREDITS_COUNT - 1;

static BITMAP *picture(DATAFILE *backgrounds, int entry)
{
    return static_cast<BITMAP *>(backgrounds[entry].dat);
}

// Shows the composed frame and gives other programs a moment.
static void show(BITMAP *work)
{
    blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    rest(0);
}

// Waits for one key (a key typed during the fade answers at once), then drops the rest.
static void await_key()
{
    readkey();
    clear_keybuf();
}

// Slide `from` turns white while slide `from` + 1 is laid over it ever more opaquely.
static void cross_fade(BITMAP *work, BITMAP *from, BITMAP *to)
{
    for (int opacity = 0; opacity < FULL_LEVEL; opacity += FADE_STEP) {
        set_trans_blender(255, 255, 255, opacity);
        draw_lit_sprite(work, from, 0, 0, opacity);
        draw_trans_sprite(work, to, 0, 0);
        show(work);
    }
}

void show_credits(DATAFILE *backgrounds, DATAFILE *music)
{
    stop_midi();
    play_tune(music, MUS_CREDITS);
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!work)
        fatal_error("Cannot create the credits' 320x200 bitmap: out of memory.\n\nOK TO QUIT!");
    clear_bitmap(work);
    clear_bitmap(screen);

    // The first slide always rises out of black, whatever tint play or an
    // earlier visit to the credits left behind.
    set_trans_blender(0, 0, 0, BLACK_TINT_OPACITY);
    BITMAP *first = picture(backgrounds, BG_CREDITS_FIRST);
    for (int level = FULL_LEVEL; level >= 1; level -= FADE_STEP) {
        draw_lit_sprite(work, first, 0, 0, level);
        show(work);
    }
    await_key();

    for (int slide = BG_CREDITS_FIRST; slide < LAST_SLIDE; ++slide) {
        cross_fade(work, picture(backgrounds, slide), picture(backgrounds, slide + 1));
        await_key();
    }

    // The white tint of the last cross-fade is still set: the last slide fades to
    // white, and the tint stays white for later lit drawing.
    BITMAP *last = picture(backgrounds, LAST_SLIDE);
    for (int level = 0; level < FULL_LEVEL; level += FADE_STEP) {
        draw_lit_sprite(work, last, 0, 0, level);
        show(work);
    }

    stop_midi();
    play_tune(music, MUS_TITLE);
    destroy_bitmap(work);
}
