// Shared by the benchmarks: the game's real datafiles, a frame-sized memcpy, and side-by-side timing.
#pragma once

#include <allegro.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <string>
#include <vector>

// The run folder the build stages the datafiles and levels into.
const char *run_dir();

// The real sprites, backgrounds and sounds, loaded once by main before any benchmark runs.
struct BenchData {
    DATAFILE *sprites;
    DATAFILE *backgrounds;
    DATAFILE *sounds;
};
const BenchData &bench_data();

// Loads the datafiles from the run folder; empty when they load and fit the game's catalogue,
// else what is wrong.
std::string load_bench_data();
void unload_bench_data();

BITMAP *picture(DATAFILE *data, int entry);

// A busy moment of play: the ship at its start with all 10 bullet slots in flight, all 200
// enemy shots falling and 200 enemies on screen on the twelve patterns in turn. Bullets,
// shots and enemies are spread over the screen on lattices that keep most of them apart.
const int BUSY_BULLETS = 10;
const int BUSY_ENEMIES = 200;
void set_up_busy_play();

// Puts enemy record i active on the screen, with its place, picture and pattern from i.
void place_enemy(int i);

// One copy of a 320x200 16-bit frame between two buffers: the floor of any full redraw.
void copy_one_frame();

// Times a subject and its references in the same iteration, one after the other, so that
// drift on a shared machine hits them alike. The subject's time becomes the iteration time
// (register the benchmark with UseManualTime). The counters give medians, which a moment of
// preemption does not move: the subject's as median_us, each reference's as <name>_us, and
// the subject against each reference as x_<name>.
class SideBySide {
public:
    explicit SideBySide(benchmark::State &state) : state_(state) {}

    template <class Work> void subject(Work &&work)
    {
        double seconds = time(work);
        subject_.push_back(seconds);
        state_.SetIterationTime(seconds);
    }

    template <class Work> void reference(const std::string &name, Work &&work)
    {
        references_[name].push_back(time(work));
    }

    // Puts the medians and ratios into the benchmark's counters.
    void report();

    // The subject's median time so far, in seconds.
    double subject_median();

private:
    template <class Work> static double time(Work &work)
    {
        auto start = std::chrono::steady_clock::now();
        work();
        auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double>(end - start).count();
    }

    benchmark::State &state_;
    std::vector<double> subject_;
    std::map<std::string, std::vector<double>> references_;
};
