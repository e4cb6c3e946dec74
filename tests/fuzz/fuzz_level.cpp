// Fuzz target for level files: any bytes are either refused with a reason or give a level the
// game can play, which reads back the same once written out and loads into the game state.
#include "fuzz_check.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "levels/levels.h"

#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

static const int FIRST_PATTERN = 1;
static const int LAST_PATTERN = 12;
static const int UNTOUCHED_DELAY = -777; // marks enemy records a load must leave alone

static std::string level_copy_path;

// A name the game's 256-byte buffers hold and the file format carries back unchanged.
static void check_name(const std::string &name)
{
    FUZZ_CHECK(!name.empty(), "an accepted level names an empty file");
    FUZZ_CHECK(name.size() < static_cast<size_t>(LEVEL_NAME_SIZE), "name past the buffer");
    for (char c : name)
        FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(c)), "name holds whitespace");
}

static void check_playable(const LevelFile &level)
{
    FUZZ_CHECK(level.enemy_count >= 0 && level.enemy_count <= MAX_LEVEL_ENEMIES, "enemy count");
    check_name(level.this_file);
    check_name(level.next_file);
    for (int k = 0; k < level.enemy_count; k++) {
        const LevelEntry &entry = level.entries[k];
        FUZZ_CHECK(entry.sprite >= 0 && entry.sprite < SPRITES_COUNT, "sprite outside sprites.dat");
        FUZZ_CHECK(entry.pattern >= FIRST_PATTERN && entry.pattern <= LAST_PATTERN, "pattern");
    }
}

// The level in the layout the campaign files use.
static std::string level_text(const LevelFile &level)
{
    std::ostringstream out;
    out << level.enemy_count << '\n' << level.this_file << '\n' << level.next_file << '\n';
    for (int k = 0; k < level.enemy_count; k++) {
        const LevelEntry &e = level.entries[k];
        out << e.delay << ' ' << e.sprite << ' ' << e.pattern << ' ' << e.extra << '\n';
    }
    return out.str();
}

static bool same_level(const LevelFile &a, const LevelFile &b)
{
    if (a.enemy_count != b.enemy_count || a.this_file != b.this_file || a.next_file != b.next_file)
        return false;
    for (int k = 0; k < a.enemy_count; k++) {
        const LevelEntry &x = a.entries[k], &y = b.entries[k];
        if (x.delay != y.delay || x.sprite != y.sprite || x.pattern != y.pattern || x.extra != y.extra)
            return false;
    }
    return true;
}

// The game's own load from a file holding these bytes: the state it leaves must match the read.
static void check_load(const std::string &bytes, const LevelFile &level)
{
    {
        std::ofstream out(level_copy_path, std::ios::binary | std::ios::trunc);
        out << bytes;
        FUZZ_CHECK(out.good(), "cannot write the level copy");
    }
    for (Enemy &enemy : enemies)
        enemy.delay = UNTOUCHED_DELAY;
    for (Shot &shot : enemy_shots)
        shot = Shot{PARKED_X, 1, PARKED_Y};
    next_enemy = 7;
    load_level(level_copy_path.c_str());

    FUZZ_CHECK(enemy_count == level.enemy_count && next_enemy == 0, "counts after the load");
    FUZZ_CHECK(this_level_file == level.this_file && next_level_file == level.next_file, "names");
    for (int k = 0; k < ENEMY_RECORDS; k++) {
        const Enemy &enemy = enemies[k];
        if (k >= enemy_count) {
            FUZZ_CHECK(enemy.delay == UNTOUCHED_DELAY, "a record past the count was changed");
            continue;
        }
        const LevelEntry &entry = level.entries[k];
        FUZZ_CHECK(enemy.delay == entry.delay && enemy.sprite == entry.sprite &&
                       enemy.pattern == entry.pattern && enemy.extra == entry.extra,
                   "entry fields");
        FUZZ_CHECK(enemy.active == 0 && enemy.done == 0 && enemy.x == 500.0 && enemy.y == 0.0,
                   "an enemy's start");
    }
    for (const Shot &shot : enemy_shots)
        FUZZ_CHECK(shot.active == 0 && shot.x == 0 && shot.y == 0.0, "enemy shots cleared");
    FUZZ_CHECK(player_x == 160.0 && player_y == 184.0, "ship placed");
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char pattern[] = "/tmp/vs-fuzz-level-XXXXXX";
    int fd = mkstemp(pattern);
    FUZZ_CHECK(fd >= 0, "cannot make a temporary file");
    close(fd);
    level_copy_path = pattern;
    std::atexit([] { unlink(level_copy_path.c_str()); });
    sprite_entries = SPRITES_COUNT;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes(reinterpret_cast<const char *>(data), size);
    std::istringstream in(bytes);
    static LevelFile level;
    std::string problem = read_level(in, SPRITES_COUNT, level);
    if (!problem.empty())
        return 0; // refused: the game shows the reason and exits, which the unit tests cover
    check_playable(level);

    static LevelFile again;
    std::istringstream text(level_text(level));
    FUZZ_CHECK(read_level(text, SPRITES_COUNT, again).empty(), "a written level is refused");
    FUZZ_CHECK(same_level(level, again), "a written level reads back differently");

    check_load(bytes, level);
    return 0;
}
