// The level checker: reads the level chain with the game's rules and shows how each level plays.
#include "headless.h"
#include "level_chain.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "levels/levels.h"

#include <allegro.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static const int EXIT_FAULT = 1; // a file the game would refuse, a broken chain or campaign
static const int EXIT_USAGE = 2;
static const int FIRST_PATTERN = 1;
static const int LAST_PATTERN = 12;
static const int CAMPAIGN_MIN_LEVELS = 12;
static const int POINTS_PER_ENEMY = 10;
static const double TICKS_PER_SECOND = 60.0;
static const int SILENT_SAMPLE_BITS = 8;
static const int SILENT_SAMPLE_RATE = 11025;
static const char LEVELS_FOLDER[] = "levels";

struct Options {
    bool campaign = false;  // also hold the chain to the campaign's rules
    int sprite_count = -1;  // pictures an enemy may name; -1: count them in sprites.dat
    const char *folder = nullptr; // the folder the game runs in, holding levels/
};

[[noreturn]] static void usage()
{
    std::fprintf(stderr,
                 "usage: level_checker [--campaign] [--sprites N] GAME_FOLDER\n"
                 "  GAME_FOLDER  the folder the game runs in (or its levels/): levels/, and\n"
                 "               sprites.dat and sounds.dat unless --sprites is given\n"
                 "  --sprites N  check against N pictures instead of loading the datafiles\n"
                 "  --campaign   also require a campaign: every level restarts itself, at least\n"
                 "               %d levels, the last leads back to the first, every pattern\n"
                 "               and every enemy picture used\n",
                 CAMPAIGN_MIN_LEVELS);
    std::exit(EXIT_USAGE);
}

static Options parse_options(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--campaign") == 0) {
            options.campaign = true;
        } else if (std::strcmp(argv[i], "--sprites") == 0 && i + 1 < argc) {
            char *end = nullptr;
            long count = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || end == argv[i] || count < 1 || count > 1000)
                usage();
            options.sprite_count = static_cast<int>(count);
        } else if (argv[i][0] != '-' && !options.folder) {
            options.folder = argv[i];
        } else {
            usage();
        }
    }
    if (!options.folder)
        usage();
    return options;
}

// Stand-ins for sounds.dat when only the pictures are counted: the tick code
// plays samples, and with no sound driver any sample does nothing.
static DATAFILE *silent_sounds()
{
    static DATAFILE data[SOUNDS_COUNT + 1] = {};
    for (int i = 0; i < SOUNDS_COUNT; i++) {
        data[i].dat = create_sample(SILENT_SAMPLE_BITS, 0, SILENT_SAMPLE_RATE, 1);
        data[i].type = DAT_SAMPLE;
    }
    data[SOUNDS_COUNT].type = DAT_END;
    return data;
}

// The game's folder: the one given, or the one holding it if it is levels/ itself.
static std::string game_folder(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    size_t slash = folder.find_last_of('/');
    std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
    return last == LEVELS_FOLDER ? folder + "/.." : folder;
}

static std::string numbers(const std::set<int> &values)
{
    std::string text;
    for (int v : values)
        text += (text.empty() ? "" : " ") + std::to_string(v);
    return text.empty() ? "-" : text;
}

static std::string missing(const std::set<int> &used, int first, int last)
{
    std::set<int> absent;
    for (int v = first; v <= last; v++)
        if (!used.count(v))
            absent.insert(v);
    return absent.empty() ? "none" : numbers(absent);
}

static void print_chain(const Chain &chain, std::set<int> &patterns, std::set<int> &pictures)
{
    std::printf("%-3s %-19s %7s %6s %6s %6s  %-26s %-9s %10s %8s\n", "#", "file", "enemies",
                "groups", "most", "points", "patterns", "pictures", "last spawn", "all gone");
    int points = 0;
    for (size_t i = 0; i < chain.levels.size(); i++) {
        const LevelSummary &level = chain.levels[i];
        points += level.enemy_count * POINTS_PER_ENEMY;
        std::printf("%-3zu %-19s %7d %6d %6d %6d  %-26s %-9s %10ld %8ld  (%.1f s)\n", i + 1,
                    level.file.c_str(), level.enemy_count, level.entry_runs,
                    level.most_in_flight, points,
                    numbers(level.patterns).c_str(), numbers(level.pictures).c_str(),
                    level.last_spawn_tick, level.all_gone_tick,
                    level.all_gone_tick / TICKS_PER_SECOND);
        patterns.insert(level.patterns.begin(), level.patterns.end());
        pictures.insert(level.pictures.begin(), level.pictures.end());
    }
    std::printf("(groups: enemies entering together; most: enemies on the screen at once; "
                "points: running\n total if every enemy is destroyed; ticks of 1/60 s from the "
                "load, one tick per frame, nothing shot)\n");
}

// The campaign's own rules, beyond what the game itself would refuse.
static std::string campaign_problem(const Chain &chain, const std::set<int> &patterns,
                                    const std::set<int> &pictures)
{
    for (const LevelSummary &level : chain.levels)
        if (level_path(level.restart_file.c_str()) != level_path(level.file.c_str()))
            return level.file + " restarts " + level.restart_file + " instead of itself";
    if (chain.levels.size() < static_cast<size_t>(CAMPAIGN_MIN_LEVELS))
        return "the chain has " + std::to_string(chain.levels.size()) + " levels, fewer than " +
               std::to_string(CAMPAIGN_MIN_LEVELS);
    if (level_path(chain.loops_back_to.c_str()) != level_path(FIRST_LEVEL_FILE))
        return "the last level leads back to " + chain.loops_back_to + ", not to the first";
    if (missing(patterns, FIRST_PATTERN, LAST_PATTERN) != "none")
        return "patterns never used: " + missing(patterns, FIRST_PATTERN, LAST_PATTERN);
    if (missing(pictures, SPR_ENEMY_FIRST, SPR_ENEMY_LAST) != "none")
        return "enemy pictures never used: " + missing(pictures, SPR_ENEMY_FIRST, SPR_ENEMY_LAST);
    return "";
}

// Follows the chain from the first level, prints each level and the campaign's rules.
static int report_chain(const Options &options, DATAFILE *sounds)
{
    std::printf("Level chain in %s from %s, pictures 0 to %d accepted\n\n", options.folder,
                FIRST_LEVEL_FILE, sprite_entries - 1);

    Chain chain = follow_chain(FIRST_LEVEL_FILE, sprite_entries, sounds);
    std::set<int> patterns, pictures;
    print_chain(chain, patterns, pictures);
    if (!chain.problem.empty()) {
        std::printf("\nFAILED: %s\n", chain.problem.c_str());
        return EXIT_FAULT;
    }
    std::printf("\n%zu levels; %s leads back to %s\n", chain.levels.size(),
                chain.levels.back().file.c_str(), chain.loops_back_to.c_str());
    std::printf("patterns used: %s (missing: %s)\n", numbers(patterns).c_str(),
                missing(patterns, FIRST_PATTERN, LAST_PATTERN).c_str());
    std::printf("enemy pictures used: %s (missing: %s)\n", numbers(pictures).c_str(),
                missing(pictures, SPR_ENEMY_FIRST, SPR_ENEMY_LAST).c_str());
    if (options.campaign) {
        std::string problem = campaign_problem(chain, patterns, pictures);
        if (!problem.empty()) {
            std::printf("\nFAILED as a campaign: %s\n", problem.c_str());
            return EXIT_FAULT;
        }
        std::printf("campaign rules: all met\n");
    }
    return 0;
}

int main(int argc, char **argv)
{
    Options options = parse_options(argc, argv);
    // Level names are relative to the game's folder, as when the game runs.
    bool counted = options.sprite_count > 0;
    GameResources game;
    if (!start_headless("level_checker", game_folder(options.folder).c_str(),
                        counted ? Datafiles::None : Datafiles::Play, game)) {
        if (!counted)
            std::fprintf(stderr, "level_checker: give --sprites N to check without the datafiles\n");
        return EXIT_FAULT;
    }
    if (counted)
        sprite_entries = options.sprite_count;
    DATAFILE *sounds = counted ? silent_sounds() : game.sounds;
    int status = report_chain(options, sounds);
    if (counted)
        for (int i = 0; i < SOUNDS_COUNT; i++)
            destroy_sample(static_cast<SAMPLE *>(sounds[i].dat));
    stop_headless(game);
    return status;
}
