// Following a chain of level files with the game's loader and playing each one out headless.
#include "level_chain.h"

#include "frame/loop.h"
#include "frame/state.h"
#include "levels/levels.h"

#include <algorithm>
#include <fstream>

static const long TICKS_PER_SECOND = 60;
static const long SECONDS_PER_HOUR = 3600;
static const long GIVE_UP_TICKS = SECONDS_PER_HOUR * TICKS_PER_SECOND; // a soft-lock

// Opens a level file the way the game does and reads it with the game's rules.
static std::string read_level_file(const std::string &name, int sprite_limit, LevelFile &level)
{
    std::string path = level_path(name.c_str());
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        return name + " (" + path + ") does not open: the game would stop with " +
               "\"Level not found!\"";
    std::string problem = read_level(in, sprite_limit, level);
    if (!problem.empty())
        return name + " would be refused by the game: " + problem;
    return "";
}

std::string check_level_file(const std::string &name, int sprite_limit)
{
    static LevelFile level;
    return read_level_file(name, sprite_limit, level);
}

static int count_enemies(int Enemy::*flag)
{
    int count = 0;
    for (int i = 0; i < enemy_count; i++)
        if (enemies[i].*flag == 1)
            count++;
    return count;
}

bool play_out_level(const std::string &name, DATAFILE *sounds, LevelSummary &summary)
{
    // The state a restart after a lost life leaves: shield down, no bullets
    // or explosions, nothing held back from the first spawn.
    reset_starting_state();
    spawn_countdown = 0.0;
    player_hit = 0;
    tick_count = 0;
    load_level(name.c_str());
    summary.last_spawn_tick = 0;
    summary.all_gone_tick = 0;
    summary.most_in_flight = 0;
    if (enemy_count == 0)
        return true;
    for (long t = 1; t <= GIVE_UP_TICKS; t++) {
        tick_count = 1;
        run_tick(sounds);
        player_hit = 0; // nobody dies here: the ship is only in the way
        int spawned_before = next_enemy;
        spawn_next_enemy();
        if (next_enemy != spawned_before && next_enemy == enemy_count)
            summary.last_spawn_tick = t;
        int in_flight = count_enemies(&Enemy::active);
        summary.most_in_flight = std::max(summary.most_in_flight, in_flight);
        if (count_enemies(&Enemy::done) == enemy_count) {
            summary.all_gone_tick = t;
            return true;
        }
    }
    return false;
}

// What the file says about itself: its names, its enemies' patterns and
// pictures, and how many groups enter together.
static LevelSummary summarise(const std::string &name, const LevelFile &level)
{
    LevelSummary summary;
    summary.file = name;
    summary.restart_file = level.this_file;
    summary.next_file = level.next_file;
    summary.enemy_count = level.enemy_count;
    for (int k = 0; k < level.enemy_count; k++) {
        const LevelEntry &entry = level.entries[k];
        summary.patterns.insert(entry.pattern);
        summary.pictures.insert(entry.sprite);
        if (k == 0 || entry.delay > 0)
            summary.entry_runs++;
    }
    return summary;
}

Chain follow_chain(const std::string &first_file, int sprite_limit, DATAFILE *sounds)
{
    Chain chain;
    std::set<std::string> seen; // by path, so that both ways of writing a name meet
    std::string name = first_file;
    std::string named_by;
    static LevelFile level;
    for (;;) {
        if (seen.count(level_path(name.c_str()))) {
            chain.loops_back_to = name;
            return chain;
        }
        std::string problem = read_level_file(name, sprite_limit, level);
        if (!problem.empty()) {
            if (!named_by.empty())
                problem += " (the next file of " + named_by + ")";
            chain.problem = problem;
            return chain;
        }
        LevelSummary summary = summarise(name, level);
        // A lost life reloads the restart file, so it must be fit to play too.
        if (level_path(summary.restart_file.c_str()) != level_path(name.c_str())) {
            problem = check_level_file(summary.restart_file, sprite_limit);
            if (!problem.empty()) {
                chain.problem = problem + " (the restart file of " + name + ")";
                return chain;
            }
        }
        if (!play_out_level(name, sounds, summary)) {
            chain.problem = name + " never ends: an enemy is still flying after an hour of play";
            return chain;
        }
        chain.levels.push_back(summary);
        seen.insert(level_path(name.c_str()));
        named_by = name;
        name = summary.next_file;
    }
}
