// The parts of start-up that run without a display: loading the four datafiles, and one
// frame of the intro's fades, of which the intro always draws 765 however soon a key is hit.
#include "bench_support.h"

#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"

#include <string>

static const int FADE_FRAMES = 3 * 255; // card in, card out, last frame out to black
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

// One frame of the opening card's fade: cleared, drawn lit under the black tint, copied to
// the screen (here a memory bitmap; the copy to a real window comes on top).
static void BM_IntroFadeFrame(benchmark::State &state)
{
    BITMAP *card = picture(bench_data().backgrounds, BG_INTRO_CARD);
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    set_trans_blender(0, 0, 0, BLACK_TINT_OPACITY);
    int level = DARKEST_LIGHT;
    SideBySide timing(state);
    for (auto _ : state) {
        timing.subject([&] {
            clear_bitmap(work);
            draw_lit_sprite(work, card, 0, 0, level);
            blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
        });
        timing.reference("memcpy", copy_one_frame);
        level = level > 1 ? level - 1 : DARKEST_LIGHT;
    }
    timing.report();
    // What the fades that no key can shorten cost in drawing alone.
    state.counters["all_fades_ms"] = timing.subject_median() * FADE_FRAMES * MILLISECONDS;
    destroy_bitmap(work);
}
BENCHMARK(BM_IntroFadeFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);
