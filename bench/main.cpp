// Runs the benchmarks with Allegro started without a display, in the game's run folder.
#include "bench_support.h"

#include "frame/state.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

// Whether a benchmark stopped with an error: Google Benchmark 1.8 (Debian 13) tells it in
// `skipped`, older versions (Debian 12) in `error_occurred`.
template <typename Run>
static auto stopped_with_error(const Run &run, int) -> decltype(bool(run.error_occurred))
{
    return run.error_occurred;
}
template <typename Run>
static bool stopped_with_error(const Run &run, long)
{
    return run.skipped == decltype(run.skipped)::SkippedWithError;
}

// Prints as usual and notes whether any benchmark stopped with an error, so that a run
// that measured nothing cannot pass for one that worked.
class ErrorNotingReporter : public benchmark::ConsoleReporter {
public:
    // Colour on a terminal only, and counters beside each line, as the default reporter does.
    ErrorNotingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (stopped_with_error(run, 0))
                failed = true;
        ConsoleReporter::ReportRuns(runs);
    }
    bool failed = false;
};

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "void-sentinel-bench: Allegro cannot start without a display\n");
        return 1;
    }
    // Pictures keep their 16 bits on load only once the colour depth is set.
    set_color_depth(16);
    install_sound(DIGI_NONE, MIDI_NONE, nullptr);
    if (chdir(run_dir()) != 0) {
        std::fprintf(stderr, "void-sentinel-bench: no run folder at %s (build the game first)\n",
                     run_dir());
        return 1;
    }
    std::string problem = load_bench_data();
    if (!problem.empty()) {
        std::fprintf(stderr, "void-sentinel-bench: %s\n", problem.c_str());
        return 1;
    }
    // The frame's last step copies the back buffer to the screen: here a memory bitmap.
    screen = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);

    ErrorNotingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    destroy_bitmap(screen);
    screen = nullptr;
    unload_bench_data();
    return reporter.failed ? 1 : 0;
}
