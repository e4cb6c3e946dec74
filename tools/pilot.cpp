// The autopilot: plays the campaign headless with the game's own tick code and reports how hard each level is.
//
// usage: pilot [--runs N] [--players NAME,...] [--jobs N] [--check] [--svg FILE] [--data DIR] GAME_FOLDER
//
// Each run is a campaign from a new game, seeded with its own number, played
// by each player of the family in turn: a player who never shops meets every
// level's first attempt as a fresh game would. Lives are not counted down to
// a game over: every lost life is counted and the level retried.
#include "headless.h"
#include "pilot.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "frontend/frontend.h"
#include "levels/levels.h"
#include "levels/progression.h"
#include "play/play.h"

#include <algorithm>
#include <allegro.h>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const int EXIT_FAULT = 1; // a rule broken, a foresight wrong, a level that never ends
const int EXIT_USAGE = 2;
const int DEFAULT_RUNS = 400;
const int MOST_RUNS = 100000;
const long TICKS_PER_SECOND = 60;
const long GIVE_UP_TICKS = 3600 * TICKS_PER_SECOND; // an hour on one attempt: a soft-lock
const int CAMPAIGN_MOST_LEVELS = 100;
const unsigned SEEDS_PER_LEVEL = 1000003; // apart, so no two levels of two runs share a seed
const size_t STRONG = 1;                  // its place in the family

// What the curve must look like: the family's median first-try rate...
const double FIRST_LEVEL_LEAST = 95.0;    // ...on level 1
const double LAST_LEVEL_LEAST = 40.0;     // ...and on the last level
const double LAST_LEVEL_MOST = 50.0;
const double EASIER_AT_MOST = 3.0;        // points a level may be easier than the one before
const double HARDER_AT_MOST = 12.0;       // ...or harder
const double ANYONE_EASIER_AT_MOST = 8.0; // the same for every single player
const double EMPTY_AT_MOST = 10.0;        // strong player's empty screen, %
// A smaller sample than the full one is read with this much more room per rule,
// about one standard error of a step between two levels at that sample.
const int FULL_SAMPLE = DEFAULT_RUNS;

struct Options {
    int runs = DEFAULT_RUNS;
    int jobs = 2;                // players played at once, each in a process of its own
    std::vector<size_t> players; // places in the family; all when none is named
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

// One player's tallies, level by level.
struct Played {
    const Traits *traits;
    std::vector<LevelTally> levels;
};

// The family's first-try rates on one level.
struct Summary {
    double median, low_quartile, high_quartile, lowest, highest;
};

struct Game {
    GameResources resources;
    std::vector<std::string> chain; // the campaign's level files, from the first
};

[[noreturn]] void usage()
{
    std::string names;
    for (const Traits &traits : player_family())
        names += std::string(names.empty() ? "" : ", ") + traits.name;
    std::fprintf(stderr,
                 "usage: pilot [--runs N] [--players NAME,...] [--jobs N] [--check] [--svg FILE] [--data DIR] GAME_FOLDER\n"
                 "  GAME_FOLDER  the folder the game runs in: sprites.dat, sounds.dat, levels/\n"
                 "  --data DIR   take sprites.dat and sounds.dat from DIR instead\n"
                 "  --runs N     campaigns each player plays, seeds 1 to N (default %d)\n"
                 "  --players    the players, by name (default all: %s)\n"
                 "  --jobs N     players played at once (default 2)\n"
                 "  --check      fail unless the curve keeps the campaign's rules\n"
                 "  --svg FILE   also draw the curve into FILE\n",
                 DEFAULT_RUNS, names.c_str());
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

std::vector<size_t> read_players(const std::string &list)
{
    std::vector<size_t> players;
    size_t from = 0;
    while (from <= list.size()) {
        size_t comma = std::min(list.find(',', from), list.size());
        std::string name = list.substr(from, comma - from);
        const std::vector<Traits> &family = player_family();
        size_t found = 0;
        while (found < family.size() && name != family[found].name)
            found++;
        if (found == family.size())
            usage();
        players.push_back(found);
        from = comma + 1;
    }
    return players;
}

Options parse_options(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            options.runs = read_count(argv[++i]);
        else if (std::strcmp(argv[i], "--jobs") == 0 && i + 1 < argc)
            options.jobs = std::max(1, read_count(argv[++i]));
        else if (std::strcmp(argv[i], "--players") == 0 && i + 1 < argc)
            options.players = read_players(argv[++i]);
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
    if (options.players.empty())
        for (size_t i = 0; i < player_family().size(); i++)
            options.players.push_back(i);
    return options;
}

[[noreturn]] void give_up(const std::string &problem)
{
    std::printf("FAILED: %s\n", problem.c_str());
    std::exit(EXIT_FAULT);
}

// A new game: the state start-up and "New Game" leave, the first level loaded. The enemy
// records are cleared as at start-up: a record's heading outlives its level, and a campaign
// must not inherit the last one's.
void start_new_game()
{
    reset_starting_state();
    for (Enemy &enemy : enemies)
        enemy = Enemy{};
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
    run_tick(game.resources.sounds);
    for (int before = -1; before != next_enemy;) {
        before = next_enemy;
        spawn_next_enemy();
    }
    draw_shield(game.resources.buffer, game.resources.sprites, game.resources.sounds);
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

Played play_campaigns(const Game &game, const Traits &traits, int runs)
{
    Played played{&traits, std::vector<LevelTally>(game.chain.size())};
    for (int seed = 1; seed <= runs; seed++) {
        Player player(traits);
        play_campaign(game, player, static_cast<unsigned>(seed), played.levels);
    }
    return played;
}

// Every player's campaigns, each player in a process of its own, `jobs` at a time:
// a new player starts as soon as any one finishes, so that a slow player does
// not hold up the others. A player whose process fails ends the pilot with its failure.
void play_family(const Game &game, const Options &options, std::vector<Played> &family)
{
    struct Child {
        pid_t pid;
        int pipe;
    };
    std::vector<Child> children(family.size());
    // A player's tallies fit in the pipe, so its process ends without waiting for them to be read.
    auto collect_any = [&]() {
        int status = 0;
        pid_t pid = waitpid(-1, &status, 0);
        size_t i = 0;
        while (i < children.size() && children[i].pid != pid)
            i++;
        if (i == children.size())
            give_up(std::string("lost track of a player: ") + std::strerror(errno));
        std::vector<LevelTally> &levels = family[i].levels;
        levels.assign(game.chain.size(), LevelTally{});
        size_t size = levels.size() * sizeof(LevelTally), got = 0;
        for (ssize_t n = 1; got < size && n > 0; got += n)
            n = read(children[i].pipe, reinterpret_cast<char *>(levels.data()) + got, size - got);
        close(children[i].pipe);
        if (got != size || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::exit(EXIT_FAULT); // the child has said why
    };
    std::fflush(stdout);
    size_t running = 0;
    for (size_t i = 0; i < family.size(); i++, running++) {
        if (running >= static_cast<size_t>(options.jobs)) {
            collect_any();
            running--;
        }
        int ends[2];
        if (pipe(ends) != 0 || (children[i].pid = fork()) < 0)
            give_up(std::string("cannot start a player: ") + std::strerror(errno));
        if (children[i].pid == 0) {
            close(ends[0]);
            Played played = play_campaigns(game, *family[i].traits, options.runs);
            size_t size = played.levels.size() * sizeof(LevelTally);
            bool sent = write(ends[1], played.levels.data(), size) == static_cast<ssize_t>(size);
            std::fflush(stdout);
            _exit(sent ? 0 : EXIT_FAULT);
        }
        close(ends[1]);
        children[i].pipe = ends[0];
    }
    for (; running > 0; running--)
        collect_any();
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

// The share of values at or below which the given fraction of them lie, between neighbours.
double quantile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    double at = fraction * (values.size() - 1);
    size_t below = static_cast<size_t>(at);
    size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - below);
}

std::vector<Summary> summarise(const std::vector<Played> &family)
{
    std::vector<Summary> summary;
    for (size_t level = 0; !family.empty() && level < family.front().levels.size(); level++) {
        std::vector<double> rates;
        for (const Played &played : family)
            rates.push_back(played.levels[level].first_try_percent());
        summary.push_back({quantile(rates, 0.5), quantile(rates, 0.25), quantile(rates, 0.75),
                           quantile(rates, 0.0), quantile(rates, 1.0)});
    }
    return summary;
}

void print_player(const Played &played, int runs)
{
    std::printf("%s: %s; %d campaigns (seeds 1 to %d)\n", played.traits->name,
                played.traits->summary, runs, runs);
    std::printf("%5s %9s %10s %8s %6s\n", "level", "first try", "lives lost", "clear s", "empty");
    for (size_t i = 0; i < played.levels.size(); i++) {
        const LevelTally &tally = played.levels[i];
        double per_run = tally.runs ? 1.0 / tally.runs : 0.0;
        std::printf("%5zu %8.0f%% %10.2f %8.1f %5.0f%%\n", i + 1, tally.first_try_percent(),
                    tally.lives_lost * per_run, tally.clear_ticks * per_run / TICKS_PER_SECOND,
                    tally.empty_percent());
    }
    std::printf("\n");
}

// Every player's first tries side by side, the family's median and spread, and the levels' shapes.
void print_summary(const std::vector<Played> &family, const std::vector<Summary> &summary,
                   const std::vector<LevelShape> &shapes)
{
    std::printf("First try, %% of campaigns\n%-13s", "level");
    for (size_t i = 0; i < shapes.size(); i++)
        std::printf(" %4zu", i + 1);
    std::printf("\n");
    for (const Played &played : family) {
        std::printf("%-13s", played.traits->name);
        for (const LevelTally &tally : played.levels)
            std::printf(" %4.0f", tally.first_try_percent());
        std::printf("\n");
    }
    auto row = [&](const char *title, double Summary::*field) {
        std::printf("%-13s", title);
        for (const Summary &level : summary)
            std::printf(" %4.0f", level.*field);
        std::printf("\n");
    };
    row("median", &Summary::median);
    row("quartile 1", &Summary::low_quartile);
    row("quartile 3", &Summary::high_quartile);
    row("lowest", &Summary::lowest);
    auto shape_row = [&](const char *title, int LevelShape::*field) {
        std::printf("%-13s", title);
        for (const LevelShape &shape : shapes)
            std::printf(" %4d", shape.*field);
        std::printf("\n");
    };
    shape_row("enemies", &LevelShape::enemies);
    shape_row("reachable", &LevelShape::reachable);
    shape_row("undodgeable", &LevelShape::undodgeable);
    shape_row("stacked", &LevelShape::stacked);
    std::printf("\n");
}

// The campaign's rules for the curve; every broken one is printed. The median's
// rules hold for the whole family only. A sample smaller than the full one gets
// `room` more points on every rule of first tries.
int count_broken_rules(const std::vector<Played> &family, const std::vector<Summary> &summary,
                       const std::vector<LevelShape> &shapes, double room)
{
    std::vector<std::string> broken;
    auto rule = [&](bool kept, std::string text) {
        if (!kept)
            broken.push_back(text);
    };
    char text[200];
    bool whole_family = family.size() == player_family().size();
    if (whole_family && family.front().levels.front().runs > 0) {
        double first = summary.front().median, last = summary.back().median;
        std::snprintf(text, sizeof text, "median: level 1 is cleared first try in %.1f%%, not %.0f%% or more",
                      first, FIRST_LEVEL_LEAST);
        rule(first >= FIRST_LEVEL_LEAST - room, text);
        std::snprintf(text, sizeof text, "median: the last level is cleared first try in %.1f%%, not %.0f%% to %.0f%%",
                      last, LAST_LEVEL_LEAST, LAST_LEVEL_MOST);
        rule(last >= LAST_LEVEL_LEAST - room && last <= LAST_LEVEL_MOST + room, text);
        for (size_t i = 1; i < summary.size(); i++) {
            double step = summary[i].median - summary[i - 1].median;
            std::snprintf(text, sizeof text, "median: level %zu is %.1f points %s than level %zu", i + 1,
                          std::fabs(step), step > 0 ? "easier" : "harder", i);
            rule(step <= EASIER_AT_MOST + room && -step <= HARDER_AT_MOST + room, text);
        }
    }
    // One player's step between two levels is too rough to read from a small sample.
    if (!family.empty() && family.front().levels.front().runs > 0 && room == 0.0) {
        for (const Played &played : family)
            for (size_t i = 1; i < played.levels.size(); i++) {
                double step = played.levels[i].first_try_percent() - played.levels[i - 1].first_try_percent();
                std::snprintf(text, sizeof text, "%s: level %zu is %.1f points easier than level %zu",
                              played.traits->name, i + 1, step, i);
                rule(step <= ANYONE_EASIER_AT_MOST + room, text);
            }
    }
    for (const Played &played : family) {
        if (played.traits != &player_family()[STRONG])
            continue;
        for (size_t i = 0; i < played.levels.size(); i++) {
            std::snprintf(text, sizeof text, "strong: level %zu has %.0f%% empty screen, more than %.0f%%",
                          i + 1, played.levels[i].empty_percent(), EMPTY_AT_MOST);
            rule(played.levels[i].empty_percent() <= EMPTY_AT_MOST, text);
            std::snprintf(text, sizeof text, "strong: level %zu cost %d lives", i + 1, played.levels[i].lives_lost);
            rule(played.levels[i].lives_lost == 0, text);
        }
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

// A line chart of the family's median first-try rate with the middle half of
// the players as a band, and the strong player's empty screen.
void write_svg(const char *file, const std::vector<Summary> &summary, const Played *strong)
{
    const int width = 560, height = 300, left = 50, right = 20, top = 30, bottom = 40;
    size_t levels = summary.size();
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
        << " across the family of players</text>\n";
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
    out << "<polygon fill=\"#c0392b\" fill-opacity=\"0.2\" stroke=\"none\" points=\"";
    for (size_t i = 0; i < levels; i++)
        out << x_of(i) << "," << y_of(summary[i].high_quartile) << " ";
    for (size_t i = levels; i-- > 0;)
        out << x_of(i) << "," << y_of(summary[i].low_quartile) << " ";
    out << "\"/>\n";
    struct Series {
        std::vector<double> values;
        const char *colour, *dash, *label;
        bool band;
    };
    std::vector<Series> series;
    std::vector<double> median;
    for (const Summary &level : summary)
        median.push_back(level.median);
    series.push_back({median, "#c0392b", "", "median first try", false});
    series.push_back({{}, "#c0392b", "", "middle half of the players", true});
    if (strong) {
        std::vector<double> empty;
        for (const LevelTally &tally : strong->levels)
            empty.push_back(tally.empty_percent());
        series.push_back({empty, "#2471a3", "4 3", "strong player's empty screen", false});
    }
    int legend = 0;
    for (const Series &s : series) {
        double y = top + 8 + 14 * legend++;
        if (!s.band) {
            out << "<polyline fill=\"none\" stroke=\"" << s.colour << "\" stroke-width=\"2\""
                << " stroke-dasharray=\"" << s.dash << "\" points=\"";
            for (size_t i = 0; i < s.values.size(); i++)
                out << x_of(i) << "," << y_of(s.values[i]) << " ";
            out << "\"/>\n<line x1=\"" << width - right - 170 << "\" y1=\"" << y << "\" x2=\""
                << width - right - 150 << "\" y2=\"" << y << "\" stroke=\"" << s.colour
                << "\" stroke-width=\"2\" stroke-dasharray=\"" << s.dash << "\"/>\n";
        } else {
            out << "<rect x=\"" << width - right - 170 << "\" y=\"" << y - 4
                << "\" width=\"20\" height=\"8\" fill=\"" << s.colour << "\" fill-opacity=\"0.2\"/>\n";
        }
        out << "<text x=\"" << width - right - 145 << "\" y=\"" << y + 4 << "\">" << s.label << "</text>\n";
    }
    out << "</svg>\n";
}

} // namespace

int main(int argc, char **argv)
{
    Options options = parse_options(argc, argv);
    // The plot's file is named from where the pilot was started.
    std::string svg_path;
    char here[PATH_MAX];
    if (options.svg)
        svg_path = options.svg[0] == '/' || !getcwd(here, sizeof here)
                       ? std::string(options.svg) : std::string(here) + "/" + options.svg;

    // The datafiles first, then the folder whose level names are relative to it.
    char folder[PATH_MAX];
    if (!realpath(options.folder, folder)) {
        std::fprintf(stderr, "pilot: cannot enter %s: %s\n", options.folder, std::strerror(errno));
        return EXIT_USAGE;
    }
    Game game;
    if (!start_headless("pilot", options.data ? options.data : folder, Datafiles::Play, game.resources))
        return EXIT_USAGE;
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "pilot: cannot enter %s: %s\n", folder, std::strerror(errno));
        return EXIT_USAGE;
    }
    game.chain = follow_campaign();

    std::vector<LevelShape> shapes = shape_campaign(game);
    std::vector<Played> family;
    const Played *strong = nullptr;
    for (size_t player : options.players)
        family.push_back({&player_family()[player], {}});
    play_family(game, options, family);
    for (const Played &played : family)
        if (played.traits == &player_family()[STRONG])
            strong = &played;
    std::vector<Summary> summary = summarise(family);
    std::printf("Campaign of %zu levels from %s; every enemy flew where it was foreseen.\n\n",
                game.chain.size(), game.chain.front().c_str());
    if (options.runs > 0) {
        for (const Played &played : family)
            print_player(played, options.runs);
        print_summary(family, summary, shapes);
    }
    std::printf("first try: runs that cleared the level without losing a life; lives lost: per run;\n"
                "clear s: the clearing attempt; empty: share of play with no enemy on the screen;\n"
                "quartiles: a quarter of the players clear fewer first tries, or more; reachable:\n"
                "most enemies the starting guns could shoot; undodgeable: pairs no ship position\n"
                "escapes once both are low; stacked: pairs flying one over the other.\n");
    if (options.svg && options.runs > 0)
        write_svg(svg_path.c_str(), summary, strong);

    int status = 0;
    if (options.check) {
        double room = options.runs >= FULL_SAMPLE || options.runs == 0
                          ? 0.0 : 100.0 * std::sqrt(0.5 / options.runs);
        int broken = count_broken_rules(options.runs ? family : std::vector<Played>(), summary,
                                        shapes, room);
        std::printf(broken ? "\nthe curve breaks %d rules\n" : "\nthe curve keeps every rule\n", broken);
        status = broken ? EXIT_FAULT : 0;
    }
    stop_headless(game.resources);
    return status;
}
