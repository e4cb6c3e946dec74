// The autopilot: plays the campaign headless with the game's own tick code and reports how hard each level is.
//
// usage: pilot [--casual N] [--strong N] [--check] [--svg FILE] GAME_FOLDER
//
// Each run is a campaign from a new game, seeded with its own number: the
// casual player never shops, so its first attempt at a level starts as a
// fresh game would; the strong player shops between levels. Lives are not
// counted down to a game over: every lost life is counted and the level retried.
#include "pilot.h"

#include "frame/datafiles.h"
#include "frame/loop.h"
#include "frame/state.h"
#include "frontend/frontend.h"
#include "levels/levels.h"
#include "levels/progression.h"
#include "play/play.h"

#include <allegro.h>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int EXIT_FAULT = 1; // a rule broken, a foresight wrong, a level that never ends
const int EXIT_USAGE = 2;
const int DEFAULT_CASUAL_RUNS = 200;
const int DEFAULT_STRONG_RUNS = 40;
const int MOST_RUNS = 100000;
const long TICKS_PER_SECOND = 60;
const long GIVE_UP_TICKS = 3600 * TICKS_PER_SECOND; // an hour on one attempt: a soft-lock
const int CAMPAIGN_MOST_LEVELS = 100;
const unsigned SEEDS_PER_LEVEL = 1000003; // apart, so no two levels of two runs share a seed

// What the curve must look like.
const double FIRST_LEVEL_LEAST = 95.0;   // casual first-try %, level 1
const double LAST_LEVEL_LEAST = 30.0;    // ...and the last level
const double LAST_LEVEL_MOST = 50.0;
const double EASIER_AT_MOST = 5.0;       // points a level may be easier than the one before
const double HARDER_AT_MOST = 15.0;      // ...or harder
const double EMPTY_AT_MOST = 25.0;       // strong player's empty screen, %

struct Options {
    int casual_runs = DEFAULT_CASUAL_RUNS;
    int strong_runs = DEFAULT_STRONG_RUNS;
    bool check = false;
    const char *svg = nullptr;
    const char *folder = nullptr;
    const char *data = nullptr; // where sprites.dat and sounds.dat are, if not in the folder
};

// One level's tally over all runs of one player.
struct LevelTally {
    int runs = 0;          // runs that reached it
    int first_tries = 0;   // ...and cleared it on the first attempt
    int lives_lost = 0;
    long clear_ticks = 0;  // ticks of the clearing attempts
    long ticks = 0;        // ticks of every attempt
    long empty_ticks = 0;  // ...with no enemy on the screen

    double first_try_percent() const { return runs ? 100.0 * first_tries / runs : 0.0; }
    double empty_percent() const { return ticks ? 100.0 * empty_ticks / ticks : 0.0; }
};

struct Game {
    DATAFILE *sprites;
    DATAFILE *sounds;
    BITMAP *buffer; // the shield is drawn here, which is where an expired one is lowered
    std::vector<std::string> chain; // the campaign's level files, from the first
};

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: pilot [--casual N] [--strong N] [--check] [--svg FILE] [--data DIR] GAME_FOLDER\n"
                 "  GAME_FOLDER  the folder the game runs in: sprites.dat, sounds.dat, levels/\n"
                 "  --data DIR   take sprites.dat and sounds.dat from DIR instead\n"
                 "  --casual N   campaigns the casual player plays, seeds 1 to N (default %d)\n"
                 "  --strong N   campaigns the strong player plays (default %d)\n"
                 "  --check      fail unless the curve keeps the campaign's rules\n"
                 "  --svg FILE   also draw the curve into FILE\n",
                 DEFAULT_CASUAL_RUNS, DEFAULT_STRONG_RUNS);
    std::exit(EXIT_USAGE);
}

int read_count(const char *text)
{
    char *end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > MOST_RUNS)
        usage();
    return static_cast<int>(value);
}

Options parse_options(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--casual") == 0 && i + 1 < argc)
            options.casual_runs = read_count(argv[++i]);
        else if (std::strcmp(argv[i], "--strong") == 0 && i + 1 < argc)
            options.strong_runs = read_count(argv[++i]);
        else if (std::strcmp(argv[i], "--check") == 0)
            options.check = true;
        else if (std::strcmp(argv[i], "--svg") == 0 && i + 1 < argc)
            options.svg = argv[++i];
        else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc)
            options.data = argv[++i];
        else if (argv[i][0] != '-' && !options.folder)
            options.folder = argv[i];
        else
            usage();
    }
    if (!options.folder)
        usage();
    return options;
}

[[noreturn]] void give_up(const std::string &problem)
{
    std::printf("FAILED: %s\n", problem.c_str());
    std::exit(EXIT_FAULT);
}

// A new game: the state start-up and "New Game" leave, the first level loaded.
void start_new_game()
{
    reset_starting_state();
    reset_run();
    spawn_countdown = 0.0;
    fire_cooldown = 0;
    tick_count = 0;
}

// The campaign's level files, from the first until the chain comes back round.
std::vector<std::string> follow_campaign()
{
    std::vector<std::string> chain;
    start_new_game();
    while (chain.size() < static_cast<size_t>(CAMPAIGN_MOST_LEVELS)) {
        chain.push_back(this_level_file);
        std::string next = next_level_file;
        if (level_path(next.c_str()) == level_path(chain.front().c_str()))
            return chain;
        load_level(next.c_str());
    }
    give_up("the level chain does not lead back to the first level");
}

int count_on_screen()
{
    int active = 0;
    for (int i = 0; i < enemy_count; i++)
        active += enemies[i].active;
    return active;
}

void hold(const Keys &keys)
{
    key[KEY_LEFT] = keys.left;
    key[KEY_RIGHT] = keys.right;
    key[KEY_SPACE] = keys.fire;
    key[KEY_LCONTROL] = keys.shield;
}

// One tick and the frames that follow it before the next: the game runs many
// frames a tick, so enemies with no delay between them all spawn now.
void play_tick(const Game &game)
{
    tick_count = 1;
    run_tick(game.sounds);
    for (int before = -1; before != next_enemy;) {
        before = next_enemy;
        spawn_next_enemy();
    }
    draw_shield(game.buffer, game.sprites, game.sounds);
}

enum class Outcome { Cleared, Hit };

// One attempt at the loaded level, until it is cleared or the ship is hit.
Outcome play_attempt(const Game &game, Player &player, LevelTally &tally, long &ticks)
{
    Foresight foresight = foresee_level();
    std::vector<bool> shot_down(enemy_count, false);
    player.start_attempt(&foresight);
    for (long t = 1; t <= GIVE_UP_TICKS; t++) {
        hold(player.decide(t - 1));
        play_tick(game);
        std::string wrong = compare_with_game(foresight, t, shot_down);
        if (!wrong.empty())
            give_up(std::string(this_level_file) + ": " + wrong);
        player.watch(t);
        tally.ticks++;
        tally.empty_ticks += count_on_screen() == 0;
        ticks = t;
        // A hit in the frame that clears the level still fails the attempt.
        if (player_hit == 1)
            return Outcome::Hit;
        if (level_is_over())
            return Outcome::Cleared;
    }
    give_up(std::string(this_level_file) + " never ends: an enemy still flies after an hour");
}

// One campaign of one player, every level until cleared; tallies each level.
void play_campaign(const Game &game, Player &player, unsigned seed, std::vector<LevelTally> &tallies)
{
    start_new_game();
    for (size_t level = 0; level < tallies.size(); level++) {
        // Each level gets its own random numbers, so that a change to one
        // level leaves what the players meet in the others as it was.
        unsigned level_seed = seed + static_cast<unsigned>(level) * SEEDS_PER_LEVEL;
        std::srand(level_seed);
        player.reseed(level_seed);
        LevelTally &tally = tallies[level];
        tally.runs++;
        bool first = true;
        long ticks = 0;
        while (play_attempt(game, player, tally, ticks) == Outcome::Hit) {
            tally.lives_lost++;
            first = false;
            // The lost life's resets and the restart; the lives never run out here.
            level_points = 0;
            if (lives <= 0)
                lives = 1;
            reset_after_lost_life();
            load_level(this_level_file);
        }
        tally.first_tries += first;
        tally.clear_ticks += ticks;
        // The tally banks the points, the bullets are freed, the next level loads.
        total_points += level_points;
        level_points = 0;
        for (int slot = 0; slot < max_bullets; slot++)
            reset_bullet(slot);
        load_level(next_level_file);
        level_number++;
        player.go_shopping();
    }
}

std::vector<LevelTally> play_campaigns(const Game &game, Profile profile, int runs)
{
    std::vector<LevelTally> tallies(game.chain.size());
    for (int seed = 1; seed <= runs; seed++) {
        Player player(profile);
        play_campaign(game, player, static_cast<unsigned>(seed), tallies);
    }
    return tallies;
}

// What each level's flights say, read with nobody playing.
std::vector<LevelShape> shape_campaign(const Game &game)
{
    std::vector<LevelShape> shapes;
    for (const std::string &name : game.chain) {
        start_new_game();
        load_level(name.c_str());
        shapes.push_back(shape_of_level(foresee_level()));
    }
    return shapes;
}

void print_table(const char *title, int runs, const std::vector<LevelTally> &tallies,
                 const std::vector<LevelShape> &shapes)
{
    std::printf("%s, %d campaigns (seeds 1 to %d)\n", title, runs, runs);
    std::printf("%5s %7s %9s %10s %8s %6s %9s %11s %7s\n", "level", "enemies", "first try",
                "lives lost", "clear s", "empty", "reachable", "undodgeable", "stacked");
    for (size_t i = 0; i < tallies.size(); i++) {
        const LevelTally &tally = tallies[i];
        const LevelShape &shape = shapes[i];
        double per_run = tally.runs ? 1.0 / tally.runs : 0.0;
        std::printf("%5zu %7d %8.0f%% %10.2f %8.1f %5.0f%% %9d %11d %7d\n", i + 1, shape.enemies,
                    tally.first_try_percent(), tally.lives_lost * per_run,
                    tally.clear_ticks * per_run / TICKS_PER_SECOND, tally.empty_percent(),
                    shape.reachable, shape.undodgeable, shape.stacked);
    }
    std::printf("\n");
}

// The campaign's rules for the curve; every broken one is printed.
int count_broken_rules(const std::vector<LevelTally> &casual, const std::vector<LevelTally> &strong,
                       const std::vector<LevelShape> &shapes)
{
    std::vector<std::string> broken;
    auto rule = [&](bool kept, std::string text) {
        if (!kept)
            broken.push_back(text);
    };
    char text[160];
    if (!casual.empty() && casual.front().runs > 0) {
        double first = casual.front().first_try_percent();
        double last = casual.back().first_try_percent();
        std::snprintf(text, sizeof text, "casual: level 1 is cleared first try in %.0f%%, not %.0f%% or more",
                      first, FIRST_LEVEL_LEAST);
        rule(first >= FIRST_LEVEL_LEAST, text);
        std::snprintf(text, sizeof text, "casual: the last level is cleared first try in %.0f%%, not %.0f%% to %.0f%%",
                      last, LAST_LEVEL_LEAST, LAST_LEVEL_MOST);
        rule(last >= LAST_LEVEL_LEAST && last <= LAST_LEVEL_MOST, text);
        for (size_t i = 1; i < casual.size(); i++) {
            double step = casual[i].first_try_percent() - casual[i - 1].first_try_percent();
            std::snprintf(text, sizeof text, "casual: level %zu is %.0f points %s than level %zu", i + 1,
                          std::fabs(step), step > 0 ? "easier" : "harder", i);
            rule(step <= EASIER_AT_MOST && -step <= HARDER_AT_MOST, text);
        }
    }
    for (size_t i = 0; i < strong.size(); i++) {
        std::snprintf(text, sizeof text, "strong: level %zu has %.0f%% empty screen, more than %.0f%%",
                      i + 1, strong[i].empty_percent(), EMPTY_AT_MOST);
        rule(strong[i].empty_percent() <= EMPTY_AT_MOST, text);
        std::snprintf(text, sizeof text, "strong: level %zu cost %d lives", i + 1, strong[i].lives_lost);
        rule(strong[i].lives_lost == 0, text);
    }
    bool first_pair_seen = false;
    for (size_t i = 0; i < shapes.size(); i++) {
        std::snprintf(text, sizeof text, "level %zu has %d pairs flying stacked", i + 1, shapes[i].stacked);
        rule(shapes[i].stacked == 0, text);
        if (shapes[i].undodgeable > 0 && !first_pair_seen) {
            first_pair_seen = true;
            std::snprintf(text, sizeof text,
                          "level %zu brings the first pairs that cannot be dodged, %d of them, not "
                          "one pair alone in a quiet moment", i + 1, shapes[i].undodgeable);
            rule(shapes[i].lone_first_pair, text);
        }
    }
    for (const std::string &line : broken)
        std::printf("RULE BROKEN: %s\n", line.c_str());
    return static_cast<int>(broken.size());
}

// A line chart of the first-try rates and the strong player's empty screen.
void write_svg(const char *file, const std::vector<LevelTally> &casual,
               const std::vector<LevelTally> &strong)
{
    const int width = 560, height = 300, left = 50, right = 20, top = 30, bottom = 40;
    size_t levels = std::max(casual.size(), strong.size());
    auto x_of = [&](size_t i) {
        return left + (levels > 1 ? (width - left - right) * static_cast<double>(i) / (levels - 1) : 0.0);
    };
    auto y_of = [&](double percent) { return top + (height - top - bottom) * (100.0 - percent) / 100.0; };
    std::ofstream out(file);
    if (!out)
        give_up(std::string("cannot write ") + file);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"11\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << left << "\" y=\"18\" font-size=\"13\">First-try clear rate per level"
        << " (and the strong player's empty screen)</text>\n";
    for (int percent = 0; percent <= 100; percent += 25) {
        double y = y_of(percent);
        out << "<line x1=\"" << left << "\" y1=\"" << y << "\" x2=\"" << width - right << "\" y2=\""
            << y << "\" stroke=\"#ddd\"/>\n<text x=\"" << left - 8 << "\" y=\"" << y + 4
            << "\" text-anchor=\"end\">" << percent << "%</text>\n";
    }
    for (size_t i = 0; i < levels; i++)
        out << "<text x=\"" << x_of(i) << "\" y=\"" << height - bottom + 16
            << "\" text-anchor=\"middle\">" << i + 1 << "</text>\n";
    out << "<text x=\"" << (left + width - right) / 2 << "\" y=\"" << height - 6
        << "\" text-anchor=\"middle\">level</text>\n";
    struct Series {
        const std::vector<LevelTally> *tallies;
        bool empty;
        const char *colour, *dash, *label;
    };
    const Series series[] = {{&casual, false, "#c0392b", "", "casual first try"},
                             {&strong, false, "#2471a3", "", "strong first try"},
                             {&strong, true, "#2471a3", "4 3", "strong empty screen"}};
    int legend = 0;
    for (const Series &s : series) {
        if (s.tallies->empty())
            continue;
        out << "<polyline fill=\"none\" stroke=\"" << s.colour << "\" stroke-width=\"2\""
            << " stroke-dasharray=\"" << s.dash << "\" points=\"";
        for (size_t i = 0; i < s.tallies->size(); i++) {
            const LevelTally &tally = (*s.tallies)[i];
            out << x_of(i) << "," << y_of(s.empty ? tally.empty_percent() : tally.first_try_percent()) << " ";
        }
        double y = top + 8 + 14 * legend++;
        out << "\"/>\n<line x1=\"" << width - right - 150 << "\" y1=\"" << y << "\" x2=\""
            << width - right - 130 << "\" y2=\"" << y << "\" stroke=\"" << s.colour
            << "\" stroke-width=\"2\" stroke-dasharray=\"" << s.dash << "\"/>\n<text x=\""
            << width - right - 125 << "\" y=\"" << y + 4 << "\">" << s.label << "</text>\n";
    }
    out << "</svg>\n";
}

} // namespace

int main(int argc, char **argv)
{
    Options options = parse_options(argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return EXIT_USAGE;
    set_color_depth(16);
    install_sound(DIGI_NONE, MIDI_NONE, nullptr);
    // The plot's file is named from where the pilot was started.
    std::string svg_path;
    char here[PATH_MAX];
    if (options.svg)
        svg_path = options.svg[0] == '/' || !getcwd(here, sizeof here)
                       ? std::string(options.svg) : std::string(here) + "/" + options.svg;

    // The datafiles first, then the folder whose level names are relative to it.
    const char *data = options.data ? options.data : options.folder;
    char folder[PATH_MAX];
    if (!realpath(options.folder, folder) || chdir(data) != 0) {
        std::fprintf(stderr, "pilot: cannot enter %s: %s\n", data, std::strerror(errno));
        return EXIT_USAGE;
    }
    for (const char *file_name : {SPRITES_CATALOGUE.file_name, SOUNDS_CATALOGUE.file_name})
        if (!exists(file_name)) {
            std::fprintf(stderr, "pilot: %s has no %s; build the game first\n", data, file_name);
            return EXIT_USAGE;
        }
    Game game;
    game.sprites = load_game_datafile(SPRITES_CATALOGUE);
    sprite_entries = count_pictures(game.sprites);
    game.sounds = load_game_datafile(SOUNDS_CATALOGUE);
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "pilot: cannot enter %s: %s\n", folder, std::strerror(errno));
        return EXIT_USAGE;
    }
    game.buffer = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    game.chain = follow_campaign();

    std::vector<LevelShape> shapes = shape_campaign(game);
    std::vector<LevelTally> casual = play_campaigns(game, Profile::Casual, options.casual_runs);
    std::vector<LevelTally> strong = play_campaigns(game, Profile::Strong, options.strong_runs);
    std::printf("Campaign of %zu levels from %s; every enemy flew where it was foreseen.\n\n",
                game.chain.size(), game.chain.front().c_str());
    if (options.casual_runs > 0)
        print_table("Casual player (sees enemies 10 ticks late, shots below y 120 5 ticks late, "
                    "aims within 6 px, no shield, no shop)", options.casual_runs, casual, shapes);
    if (options.strong_runs > 0)
        print_table("Strong player (foresees every flight, shields only when cornered, shops)",
                    options.strong_runs, strong, shapes);
    std::printf("first try: runs that cleared the level without losing a life; lives lost: per run;\n"
                "clear s: the clearing attempt; empty: share of play with no enemy on the screen;\n"
                "reachable: most enemies the starting guns could shoot; undodgeable: pairs no ship\n"
                "position escapes once both are low; stacked: pairs flying one over the other.\n");
    if (options.svg)
        write_svg(svg_path.c_str(), options.casual_runs ? casual : std::vector<LevelTally>(),
                  options.strong_runs ? strong : std::vector<LevelTally>());

    int status = 0;
    if (options.check) {
        int broken = count_broken_rules(options.casual_runs ? casual : std::vector<LevelTally>(),
                                        options.strong_runs ? strong : std::vector<LevelTally>(), shapes);
        std::printf(broken ? "\nthe curve breaks %d rules\n" : "\nthe curve keeps every rule\n", broken);
        status = broken ? EXIT_FAULT : 0;
    }
    destroy_bitmap(game.buffer);
    unload_datafile(game.sprites);
    unload_datafile(game.sounds);
    return status;
}
