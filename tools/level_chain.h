// The level checker's view of a campaign: the chain of level files and what each one plays like.
#pragma once

#include <allegro.h>
#include <set>
#include <string>
#include <vector>

// One level of the chain, as read and as played out with nobody shooting.
struct LevelSummary {
    std::string file;          // name as the chain gives it, backslashes and all
    std::string restart_file;  // the file a lost life reloads
    std::string next_file;     // the file loaded when the level is cleared
    int enemy_count = 0;
    std::set<int> patterns;    // flight patterns used
    std::set<int> pictures;    // sprites entries drawn
    int entry_runs = 0;        // groups of enemies that enter together (delay 0 between them)
    long last_spawn_tick = 0;  // tick of the frame that spawns the last enemy
    long all_gone_tick = 0;    // tick after which every enemy has left the screen
    int most_in_flight = 0;    // the most enemies on the screen at once
};

// The chain followed from the first level until a file repeats.
struct Chain {
    std::vector<LevelSummary> levels;
    std::string loops_back_to; // the file the last level leads back to; empty if the chain broke
    std::string problem;       // why the chain broke, or a file the game would refuse
};

// Checks one level file with the game's loader rules: empty when the game
// would play it, else what is wrong, naming the file.
std::string check_level_file(const std::string &name, int sprite_limit);

// Loads a checked level into the game state and runs the game's own tick
// code, one tick per frame, no keys held and hits on the ship ignored,
// until every enemy is done. Fills the two ticks of the summary; returns
// false if the level never ends within an hour of play.
bool play_out_level(const std::string &name, DATAFILE *sounds, LevelSummary &summary);

// Follows the chain from first_file through each next file, checking every
// level and restart file it names and playing each level out.
Chain follow_chain(const std::string &first_file, int sprite_limit, DATAFILE *sounds);
