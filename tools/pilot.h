// The autopilot's shared pieces: enemy flights foreseen from the level file, and the two players.
#pragma once

#include <random>
#include <string>
#include <vector>

// ---- Flights and what a level holds ----------------------------------------

struct Point {
    double x, y;
};

// Where an enemy is in each tick of its flight: [0] as it spawns, [k] after
// its k-th move; the last point is the last one before it leaves the screen.
using Flight = std::vector<Point>;

// One enemy of the loaded level as foreseen when the level starts.
struct ForeseenEnemy {
    long spawn_tick;      // the tick after which it spawns (ticks counted from the load, from 1)
    const Flight *flight; // its flight, or nullptr for one that never moves
};

// The loaded level as it will fly if nobody shoots: every enemy's spawn tick and flight.
struct Foresight {
    std::vector<ForeseenEnemy> enemies;
    long last_tick = 0; // the last tick with an enemy on the screen

    // Where enemy i is after tick t, or false when it is not on the screen then.
    bool position(int i, long t, Point &at) const;
};

// Foresees the level now in the game state, just loaded, before its first tick.
Foresight foresee_level();

// Compares the game's enemies after tick t with the foresight: empty when
// every enemy is where it was foreseen (or was shot down), else the first
// difference. shot_down[i] is set when enemy i is found destroyed.
std::string compare_with_game(const Foresight &foresight, long t, std::vector<bool> &shot_down);

// What a level's flights say before anyone plays it.
struct LevelShape {
    int enemies = 0;
    int reachable = 0;      // most enemies the starting guns could shoot down
    int undodgeable = 0;    // pairs no ship position escapes once both are low
    int stacked = 0;        // pairs flying one over the other, looking like one enemy
    bool lone_first_pair = false; // exactly one undodgeable pair, with nothing else low meanwhile
};
LevelShape shape_of_level(const Foresight &foresight);

// ---- The players -----------------------------------------------------------

// The keys a player holds for the next tick.
struct Keys {
    bool left = false, right = false, fire = false, shield = false;
};

enum class Shopping { Never, Shields, Everything };

// What sets one player of the family apart; every player runs the same decision loop.
struct Traits {
    const char *name;
    const char *summary;         // a line for its table
    double reaction_ms;          // mean reaction time; each decision draws its own
    int decide_min, decide_max;  // ticks from one decision on the keys to the next
    int retarget_min, retarget_max; // ticks from one choice of target to the next
    int aim_error;               // pixels either side of where it means to stand
    double shot_notice_y;        // enemy shots are noticed only below this line
    bool knows_paths;            // forecasts enemies along their paths; else in straight lines
    double speed_error;          // its judgement of an enemy's speed is off by about this share
    int plan_ticks;              // how far ahead it keeps a way out open
    double margin;               // pixels it keeps from danger
    double target_lowest_y;      // targets only enemies above this line...
    double chase_range;          // ...and within this distance of the ship
    bool leads;                  // aims where a bullet will meet an enemy, not where it is
    bool spares_bullets;         // fires only bullets that will hit
    double panic;                // chance that a decision under threat runs anywhere
    bool shields;                // raises the shield when no way out is left
    Shopping shopping;
};

// The family of players, casual first and strong second.
const std::vector<Traits> &player_family();

// A player over the campaign: it is told of every tick played and decides
// the keys of the next one.
class Player {
public:
    explicit Player(const Traits &traits) : traits(traits) {}

    // Its own choices (reaction times, targets, aim) follow this seed from now on.
    void reseed(unsigned seed) { random.seed(seed); }

    // A new attempt at the level just loaded.
    void start_attempt(const Foresight *foresight);
    // Records what the player can see after tick t.
    void watch(long t);
    // The keys for tick t + 1.
    Keys decide(long t);
    // Buys upgrades between levels with the banked points, as its traits say.
    int go_shopping();

private:
    // What it saw after one tick: every enemy and the shots in flight.
    struct Sight {
        long tick = -1;
        std::vector<Point> enemies;  // by number
        std::vector<char> on_screen; // by number
        std::vector<int> present;    // the numbers of those on the screen
        std::vector<Point> shots;
    };

    bool forecast(int i, long when, Point &at, double doubt = 0.0) const;
    void choose_target(long t);
    void choose_way(long t, int next_decision);
    bool fire_hits(long t, int place) const;
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    const Traits &traits;
    std::mt19937 random;
    const Foresight *foresight = nullptr;
    std::vector<Sight> seen;     // a ring of the last ticks' sights
    long looked = -1;            // the tick of the sight the current decision is made on
    std::vector<double> speed;   // how fast it believes each enemy flies, against the truth
    std::vector<long> falls;     // when its own bullets will bring each enemy down, or -1
    long decide_at = 0;          // the tick of its next decision
    int retarget_in = 0;
    double aim_x = 160.0;        // where it means to stand
    int heading_for = 0;         // the ship place it is moving to
    bool raise_shield = false;
};
