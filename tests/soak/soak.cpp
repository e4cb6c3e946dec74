// Soak test: the game's own tick and frame code over the whole campaign with random held keys,
// headless, checking the game state after every tick.
//
// usage: soak [--ticks N] [--seed S] RUN_DIR
//
// RUN_DIR holds the datafiles and levels/. The tally and the lives screen are blocking polls
// that pass at once with Enter held, so Enter stays down; `screen` is a memory bitmap. The
// game over would open the name box, which needs a real keyboard, so a life is added
// whenever the last one is lost.
#include "invariants.h"
#include "headless.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "frontend/frontend.h"
#include "levels/levels.h"
#include "play/play.h"

#include <allegro.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>

namespace {

const long DEFAULT_TICKS = 120000;
const unsigned DEFAULT_SEED = 1;
const int CAMPAIGN_LEVELS = 12;
const long CAMPAIGN_TICKS = 60000;  // long enough for every level file, with room to spare
const int DEATHS_PER_ATTEMPT = 1;   // hits after this many in one level are ignored
const int HOLD_MIN_TICKS = 5;       // keys are held for a random stretch of ticks
const int HOLD_MAX_TICKS = 90;
const int PILED_TICKS_MAX = 4;      // a frame now and then runs several ticks, as after a pause
const int PILED_TICKS_ONE_IN = 50;
const int ITEMS_PER_SHOP_MAX = 3;
const int INTRO_TINT_OPACITY = 100; // the black tint the intro leaves for lit drawing
const int EXIT_BROKEN = 1;
const int EXIT_USAGE = 2;

struct Options {
    long ticks = DEFAULT_TICKS;
    unsigned seed = DEFAULT_SEED;
    const char *run_dir = nullptr;
};

struct Tally {
    long ticks = 0;
    long frames = 0;
    int deaths = 0;
    int hits_ignored = 0;
    int levels_cleared = 0;
    int purchases = 0;
    int most_enemies_active = 0;
    std::set<std::string> levels_played;
};

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: soak [--ticks N] [--seed S] RUN_DIR\n");
    std::exit(EXIT_USAGE);
}

Options parse_options(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i++) {
        char *end = nullptr;
        if (std::strcmp(argv[i], "--ticks") == 0 && i + 1 < argc) {
            options.ticks = std::strtol(argv[++i], &end, 10);
            if (*end || options.ticks < 1)
                usage();
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], &end, 10));
            if (*end)
                usage();
        } else if (argv[i][0] != '-' && !options.run_dir) {
            options.run_dir = argv[i];
        } else {
            usage();
        }
    }
    if (!options.run_dir)
        usage();
    return options;
}

// The keys of play, held or released at random for a random stretch; Enter always held.
class RandomPlayer {
public:
    explicit RandomPlayer(unsigned seed) : random(seed) {}

    void choose_keys()
    {
        if (--hold_left > 0)
            return;
        hold_left = between(HOLD_MIN_TICKS, HOLD_MAX_TICKS);
        int side = between(0, 3); // none, left, right, both
        key[KEY_LEFT] = side == 1 || side == 3;
        key[KEY_RIGHT] = side == 2 || side == 3;
        key[KEY_SPACE] = between(0, 9) < 7;
        key[KEY_LCONTROL] = between(0, 39) == 0;
        key[KEY_ENTER] = 1;
    }

    int ticks_this_frame()
    {
        return between(1, PILED_TICKS_ONE_IN) == 1 ? between(2, PILED_TICKS_MAX) : 1;
    }

    // A few random items from the shop's purchase rule, as a player in the shop would buy.
    int go_shopping()
    {
        int bought = 0;
        for (int n = between(0, ITEMS_PER_SHOP_MAX); n > 0; n--)
            bought += buy_item(between(ITEM_MAX_BULLETS, ITEM_LIFE)) == PURCHASE_DONE;
        return bought;
    }

private:
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    std::mt19937 random;
    int hold_left = 0;
};

[[noreturn]] void fail(const Tally &tally, const Options &options, const std::string &problem)
{
    std::printf("FAILED at tick %ld (seed %u, level %d, %s): %s\n", tally.ticks, options.seed,
                level_number, this_level_file, problem.c_str());
    std::exit(EXIT_BROKEN);
}

void count_active(Tally &tally)
{
    int active = 0;
    for (int i = 0; i < enemy_count; i++)
        active += enemies[i].active;
    tally.most_enemies_active = std::max(tally.most_enemies_active, active);
}

// One pass of the main loop, its ticks run one by one so the state is checked after each.
// A hit is let through to the frame only while the attempt's deaths are not used up, so
// every level is finished in the end; the last life is topped up to keep the game going.
void run_one_frame(const GameResources &game, RandomPlayer &player, const Options &options,
                   Tally &tally, int &deaths_this_attempt)
{
    if (lives == 0)
        lives = 1;
    tick_count = player.ticks_this_frame();
    while (tick_count > 0 && tally.ticks < options.ticks) {
        player.choose_keys();
        run_tick(game.sounds);
        tally.ticks++;
        std::string problem = broken_invariant();
        if (!problem.empty())
            fail(tally, options, problem);
        count_active(tally);
    }
    tick_count = 0;
    if (player_hit == 1 && (deaths_this_attempt >= DEATHS_PER_ATTEMPT || lives == 0)) {
        player_hit = 0;
        tally.hits_ignored++;
    }
    int level_before = level_number;
    if (player_hit == 1) {
        tally.deaths++;
        deaths_this_attempt++;
    }
    run_frame(game);
    tally.frames++;
    if (level_number != level_before) {
        tally.levels_cleared++;
        deaths_this_attempt = 0;
        tally.purchases += player.go_shopping();
    }
    tally.levels_played.insert(this_level_file);
    std::string problem = broken_invariant();
    if (!problem.empty())
        fail(tally, options, problem + " (after the frame)");
}

} // namespace

int main(int argc, char **argv)
{
    Options options = parse_options(argc, argv);
    GameResources game;
    if (!start_headless("soak", options.run_dir, Datafiles::All, game))
        return EXIT_USAGE;

    // The intro runs before any play and leaves its black tint for the fading explosions.
    set_trans_blender(0, 0, 0, INTRO_TINT_OPACITY);
    reset_starting_state();
    reset_run();
    RandomPlayer player(options.seed);
    Tally tally;
    int deaths_this_attempt = 0;
    while (tally.ticks < options.ticks)
        run_one_frame(game, player, options, tally, deaths_this_attempt);

    std::printf("%ld ticks in %ld frames (seed %u): %d levels cleared, reached level %d, "
                "%zu level files played, %d lives lost, %d hits ignored, %d items bought, "
                "at most %d enemies on the screen, %d points banked\n",
                tally.ticks, tally.frames, options.seed, tally.levels_cleared, level_number,
                tally.levels_played.size(), tally.deaths, tally.hits_ignored, tally.purchases,
                tally.most_enemies_active, total_points);

    stop_headless(game);

    if (options.ticks >= CAMPAIGN_TICKS &&
        static_cast<int>(tally.levels_played.size()) < CAMPAIGN_LEVELS) {
        std::printf("FAILED: the run played %zu of the %d levels\n", tally.levels_played.size(),
                    CAMPAIGN_LEVELS);
        return EXIT_BROKEN;
    }
    return 0;
}
