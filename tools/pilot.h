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

enum class Profile { Casual, Strong };

// A player of one profile over one level attempt: it is told of every tick
// played and decides the keys of the next one.
class Player {
public:
    explicit Player(Profile profile) : profile(profile) {}

    // Its own choices (targets, aim) follow this seed from now on.
    void reseed(unsigned seed) { random.seed(seed); }

    // A new attempt at the level just loaded.
    void start_attempt(const Foresight *foresight);
    // Records what the player can see after tick t.
    void watch(long t);
    // The keys for tick t + 1.
    Keys decide(long t);
    // Buys upgrades between levels with the banked points (the strong player only).
    int go_shopping();

private:
    // What a casual player has seen: the enemies and shots of one tick.
    struct Sight {
        std::vector<int> on_screen;   // enemies on the screen, by number
        std::vector<Point> enemies;   // every enemy's position, by number
        std::vector<Point> shots;
    };

    Keys decide_casual(long t);
    Keys decide_strong(long t);
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    Profile profile;
    std::mt19937 random;
    const Foresight *foresight = nullptr;
    std::vector<Sight> seen; // a ring of the last ticks' sights
    int retarget_in = 0;     // casual: ticks until it picks a new target
    double aim_x = 160.0;    // where the ship heads for
};
