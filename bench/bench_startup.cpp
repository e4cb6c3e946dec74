// The parts of start-up that run without a display: loading the four datafiles, and the
// intro's fades, of which it always draws three (765 frames) however soon a key is hit.
#include "bench_support.h"

#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "frontend/frontend.h"

#include <string>

static const int FADES = 3;             // card in, card out, last frame out to black
static const int FADE_FRAMES = 255;
static const double MICROSECONDS = 1e6;
static const int DARKEST_LIGHT = 255;
static const int BLACK_TINT_OPACITY = 100;
static const double MILLISECONDS = 1e3;

// The four datafiles loaded and released, as start-up loads them before the intro.
static void BM_LoadDatafiles(benchmark::State &state)
{
    const Catalogue *catalogues[] = {&SPRITES_CATALOGUE, &BACKGROUNDS_CATALOGUE,
                                     &SOUNDS_CATALOGUE, &MUSIC_CATALOGUE};
    for (auto _ : state) {
        for (const Catalogue *catalogue : catalogues) {
            std::string path = std::string(run_dir()) + "/" + catalogue->file_name;
            DATAFILE *loaded = load_datafile(path.c_str());
            if (!loaded) {
                state.SkipWithError(("cannot load " + path).c_str());
                return;
            }
            unload_datafile(loaded);
        }
    }
}
BENCHMARK(BM_LoadDatafiles)->UseRealTime()->Unit(benchmark::kMillisecond);

// The opening card's fade-in as the intro draws it, lit only at each new light step and
// copied to the screen every frame (here a memory bitmap; the copy to a real window comes on
// top), against the same 255 frames each cleared and drawn lit. Every fade of the intro
// costs the same: a full-screen picture drawn lit over 255 frames.
static void BM_IntroFade(benchmark::State &state)
{
    BITMAP *card = picture(bench_data().backgrounds, BG_INTRO_CARD);
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    set_trans_blender(0, 0, 0, BLACK_TINT_OPACITY);
    SideBySide timing(state);
    for (auto _ : state) {
        timing.subject([&] {
            clear_bitmap(work);
            FadeFrame fade = {work, FADE_NOT_DRAWN};
            for (int level = DARKEST_LIGHT; level >= 1; --level) {
                draw_fade_frame(fade, card, level);
                blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
            }
        });
        timing.reference("lit_every_frame", [&] {
            for (int level = DARKEST_LIGHT; level >= 1; --level) {
                clear_bitmap(work);
                draw_lit_sprite(work, card, 0, 0, level);
                blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
            }
        });
    }
    timing.report();
    state.counters["frame_us"] = timing.subject_median() / FADE_FRAMES * MICROSECONDS;
    // What the three fades that no key can shorten cost in drawing alone.
    state.counters["all_fades_ms"] = timing.subject_median() * FADES * MILLISECONDS;
    destroy_bitmap(work);
}
BENCHMARK(BM_IntroFade)->UseManualTime()->Unit(benchmark::kMicrosecond);
