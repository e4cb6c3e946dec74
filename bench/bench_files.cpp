// The file readers and writers: every level of the campaign, and the high score table.
#include "bench_support.h"

#include "frame/state.h"
#include "highscores/highscores.h"
#include "levels/levels.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

static const size_t MOST_LEVELS = 1000; // a chain longer than this never closes

// The campaign as the game plays it: the first level, then each level's next file, until a
// file comes round again. Fills `problem` instead when a file is missing or would be refused,
// since loading such a file would end the process.
static std::vector<std::string> campaign(std::string &problem)
{
    std::vector<std::string> names;
    std::string name = FIRST_LEVEL_FILE;
    while (names.size() < MOST_LEVELS) {
        for (const std::string &seen : names)
            if (seen == name)
                return names;
        std::ifstream in(level_path(name.c_str()), std::ios::in | std::ios::binary);
        static LevelFile level;
        problem = in ? read_level(in, sprite_entries, level) : "it cannot be opened";
        if (!problem.empty()) {
            problem = "level file " + name + ": " + problem;
            return names;
        }
        names.push_back(name);
        name = level.next_file;
    }
    problem = "the campaign's chain of level files never comes back to a level";
    return names;
}

// Loads every level of the campaign once per iteration, in the game's working directory.
static void BM_LoadCampaign(benchmark::State &state)
{
    std::string problem;
    std::vector<std::string> levels = campaign(problem);
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    for (auto _ : state)
        for (const std::string &name : levels)
            load_level(name.c_str());
    double count = static_cast<double>(levels.size());
    state.counters["levels"] = count;
    // Seconds per level: the iteration's time over the levels it loads.
    state.counters["per_level"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate |
                                      benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadCampaign)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A fresh temporary folder as the working directory for the table file, with a full table
// saved in it; the run folder is the working directory again afterwards.
class ScoreFolder {
public:
    ScoreFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vs-bench-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!mkdtemp(name.data()) || chdir(name.data()) != 0)
            return;
        folder_ = name.data();
        for (int i = 0; i < HIGH_SCORE_ENTRIES; i++)
            insert_high_score(HIGH_SCORE_ENTRIES - 1, "Pilot" + std::to_string(i), 1000 * (i + 1));
        save_high_scores();
    }
    ~ScoreFolder()
    {
        if (chdir(run_dir()) != 0)
            return;
        if (!folder_.empty()) {
            std::error_code ignored;
            fs::remove_all(folder_, ignored);
        }
    }
    bool ready() const { return !folder_.empty(); }

private:
    std::string folder_;
};

// Runs `work` once per iteration with a fresh score folder as the working directory.
template <class Work> static void in_score_folder(benchmark::State &state, Work work)
{
    ScoreFolder folder;
    if (!folder.ready()) {
        state.SkipWithError("cannot make a temporary folder for the score file");
        return;
    }
    for (auto _ : state)
        work();
}

static void BM_LoadHighScores(benchmark::State &state)
{
    in_score_folder(state, load_high_scores);
}
BENCHMARK(BM_LoadHighScores)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A save writes a temporary file, forces it to the disk and renames it over the table, so
// the disk's flush dominates.
static void BM_SaveHighScores(benchmark::State &state)
{
    in_score_folder(state, save_high_scores);
}
BENCHMARK(BM_SaveHighScores)->UseRealTime()->Unit(benchmark::kMicrosecond);
