// The intro: the opening card fading in and out, then the riser climbing over the backdrop.
#include "frame/audio.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/state.h"
#include "frontend/frontend.h"

#include <allegro.h>

static const int OPENING_PAUSE_MS = 1000; // before the card, and while it is fully shown
static const int DARKEST_LIGHT = 255;     // a lit picture drawn wholly in the tint colour
static const int BLACK_TINT_OPACITY = 100; // the opacity set along with the black tint
static const double RISER_START_Y = 200.0; // the riser starts just below the screen
static const double RISER_FADE_STEP = 0.15; // climb per frame while the backdrop fades in
static const double RISER_SLIDE_STEP = 0.07; // climb per frame afterwards
static const double RISER_END_Y = -750.0;    // the slide stops once the riser's top passes this

static BITMAP *picture(DATAFILE *backgrounds, int entry)
{
    return static_cast<BITMAP *>(backgrounds[entry].dat);
}

static void show(BITMAP *work)
{
    blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// One frame of the opening card at the given light level, on a cleared bitmap.
static void show_card(BITMAP *work, BITMAP *card, int level)
{
    clear_bitmap(work);
    draw_lit_sprite(work, card, 0, 0, level);
    show(work);
}

// The riser's drawn row: its position truncated toward zero.
static int riser_row(double riser_y)
{
    return static_cast<int>(riser_y);
}

void intro_sequence(DATAFILE *sounds, DATAFILE *music, DATAFILE *backgrounds)
{
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!work)
        fatal_error("Cannot create the intro's 320x200 bitmap: out of memory.\n\nOK TO QUIT!");
    BITMAP *card = picture(backgrounds, BG_INTRO_CARD);
    BITMAP *backdrop = picture(backgrounds, BG_BACKDROP);
    BITMAP *riser = picture(backgrounds, BG_INTRO_RISER);

    rest(OPENING_PAUSE_MS);
    clear_bitmap(work);
    // Black tint: level 0 leaves a picture as it is, 255 turns it black. It stays
    // in force after the intro for every later lit drawing.
    set_trans_blender(0, 0, 0, BLACK_TINT_OPACITY);
    clear_keybuf();

    play_sound(sounds, SND_INTRO);
    for (int level = DARKEST_LIGHT; level >= 1; --level)
        show_card(work, card, level);
    rest(OPENING_PAUSE_MS);
    for (int level = 0; level < DARKEST_LIGHT; ++level)
        show_card(work, card, level);

    // Keys pressed during the card are dropped: only the second half can be cut short.
    clear_bitmap(screen);
    double riser_y = RISER_START_Y;
    play_tune(music, MUS_INTRO);
    clear_keybuf();

    // The backdrop fades in while the riser starts to climb; a key drops the
    // frame being composed and moves straight on to the slide.
    for (int level = DARKEST_LIGHT; level >= 1; --level) {
        draw_lit_sprite(work, backdrop, 0, 0, level);
        draw_sprite(work, riser, 0, riser_row(riser_y));
        if (keypressed())
            break;
        riser_y -= RISER_FADE_STEP;
        show(work);
    }

    // The key that ended the fade is still pending, so a cut-short slide shows one frame.
    while (riser_y > RISER_END_Y) {
        clear_bitmap(work);
        draw_sprite(work, backdrop, 0, 0);
        draw_sprite(work, riser, 0, riser_row(riser_y));
        show(work);
        if (keypressed())
            break;
        riser_y -= RISER_SLIDE_STEP;
    }

    // The last composed frame darkens to black straight onto the screen.
    for (int level = 0; level < DARKEST_LIGHT; ++level)
        draw_lit_sprite(screen, work, 0, 0, level);

    destroy_bitmap(work);
}
