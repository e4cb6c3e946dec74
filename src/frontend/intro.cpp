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
static const int LEVELS_PER_LIGHT_STEP = 8;  // Allegro's 16-bit lit drawing, see light_step

static BITMAP *picture(DATAFILE *backgrounds, int entry)
{
    return static_cast<BITMAP *>(backgrounds[entry].dat);
}

static void show(BITMAP *work)
{
    blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// The riser's drawn row: its position truncated toward zero.
static int riser_row(double riser_y)
{
    return static_cast<int>(riser_y);
}

// Allegro's 16-bit lit drawing mixes in the tint by (level + 1) / 8 thirty-seconds, so the
// 256 levels draw only 33 different pictures: levels 0 to 6, 7 to 14, ... 247 to 254, 255.
static int light_step(int level)
{
    return (level + 1) / LEVELS_PER_LIGHT_STEP;
}

// A fade draws its lit picture only when the level enters a new light step; the frames in
// between show the same pixels again, for the cost of a copy instead of a lit drawing.
void draw_fade_frame(FadeFrame &frame, BITMAP *picture, int level)
{
    int step = light_step(level);
    if (step == frame.step)
        return;
    draw_lit_sprite(frame.bitmap, picture, 0, 0, level);
    frame.step = step;
}

// The lit backdrop is kept masked (a lit colour never turns into the mask colour), so that
// where the backdrop is transparent the frame keeps what it had, as a lit draw onto it would.
void compose_rising_frame(BITMAP *work, FadeFrame &backdrop_fade, BITMAP *backdrop,
                          BITMAP *riser, int level, double riser_y)
{
    draw_fade_frame(backdrop_fade, backdrop, level);
    draw_sprite(work, backdrop_fade.bitmap, 0, 0);
    draw_sprite(work, riser, 0, riser_row(riser_y));
}

void intro_sequence(DATAFILE *sounds, DATAFILE *music, DATAFILE *backgrounds)
{
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    BITMAP *lit = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT); // the second half's fades
    if (!work || !lit)
        fatal_error("Cannot create the intro's 320x200 bitmaps: out of memory.\n\nOK TO QUIT!");
    BITMAP *card = picture(backgrounds, BG_INTRO_CARD);
    BITMAP *backdrop = picture(backgrounds, BG_BACKDROP);
    BITMAP *riser = picture(backgrounds, BG_INTRO_RISER);

    rest(OPENING_PAUSE_MS);
    clear_bitmap(work);
    // Black tint: level 0 leaves a picture as it is, 255 turns it black. It stays
    // in force after the intro for every later lit drawing.
    set_trans_blender(0, 0, 0, BLACK_TINT_OPACITY);
    clear_keybuf();

    // The card is drawn lit on the cleared bitmap, which nothing else draws on meanwhile.
    FadeFrame card_fade = {work, FADE_NOT_DRAWN};
    play_sound(sounds, SND_INTRO);
    for (int level = DARKEST_LIGHT; level >= 1; --level) {
        draw_fade_frame(card_fade, card, level);
        show(work);
    }
    rest(OPENING_PAUSE_MS);
    for (int level = 0; level < DARKEST_LIGHT; ++level) {
        draw_fade_frame(card_fade, card, level);
        show(work);
    }

    // Keys pressed during the card are dropped: only the second half can be cut short.
    clear_bitmap(screen);
    double riser_y = RISER_START_Y;
    play_tune(music, MUS_INTRO);
    clear_keybuf();

    // The backdrop fades in while the riser starts to climb; a key drops the
    // frame being composed and moves straight on to the slide.
    clear_to_color(lit, bitmap_mask_color(lit));
    FadeFrame backdrop_fade = {lit, FADE_NOT_DRAWN};
    for (int level = DARKEST_LIGHT; level >= 1; --level) {
        compose_rising_frame(work, backdrop_fade, backdrop, riser, level, riser_y);
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

    // The last composed frame darkens to black, drawn lit over what the screen shows.
    blit(screen, lit, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    FadeFrame last_fade = {lit, FADE_NOT_DRAWN};
    for (int level = 0; level < DARKEST_LIGHT; ++level) {
        draw_fade_frame(last_fade, work, level);
        show(lit);
    }

    destroy_bitmap(lit);
    destroy_bitmap(work);
}
