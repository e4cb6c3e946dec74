// Level files: reading one with the game's rules and putting it into play.
#include "frame/fatal.h"
#include "frame/files.h"
#include "frame/state.h"
#include "levels/levels.h"

#include <cctype>
#include <climits>
#include <cstring>

const char FIRST_LEVEL_FILE[] = "levels\\level1.qlv";

static const int FIRST_PATTERN = 1;
static const int LAST_PATTERN = 12;
static const double SHIP_START_X = 160.0;
static const double SHIP_Y = 184.0;
static const double UNSPAWNED_X = 500.0; // parked off to the right until spawned
static const int DECIMAL_BASE = 10;

std::string level_path(const char *file_name)
{
    std::string path = file_name;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// Reads one whitespace-separated word, refusing one too long for the game's
// name buffers; the read stops there, so a huge token is never held whole.
static std::string read_name(std::istream &in, const char *what, std::string &name)
{
    in >> std::ws;
    name.clear();
    int c;
    while ((c = in.peek()) != std::char_traits<char>::eof() && !std::isspace(c)) {
        if (c == '\0') // the name buffers end at the first NUL: the name would change
            return std::string("the ") + what + " name holds a NUL byte";
        if (name.size() == static_cast<size_t>(LEVEL_NAME_SIZE - 1))
            return std::string("the ") + what + " name is longer than 255 characters";
        name.push_back(static_cast<char>(in.get()));
    }
    if (name.empty())
        return std::string("the ") + what + " name is missing";
    return "";
}

// Reads a whole field as an optionally signed decimal that fits an int: a field such as "1.5"
// or "12x" is refused whole rather than read in part, so the reason names the field that failed.
// The digits are read one by one and never stored, so a huge field costs no memory.
static bool read_integer(std::istream &in, int &value)
{
    const int end = std::char_traits<char>::eof();
    in >> std::ws;
    int c = in.peek();
    bool negative = c == '-';
    if (c == '+' || c == '-') {
        in.get();
        c = in.peek();
    }
    const long long most = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    bool digits = false;
    for (; c != end && std::isdigit(c); c = in.peek()) {
        magnitude = magnitude * DECIMAL_BASE + (c - '0');
        if (magnitude > most)
            return false;
        digits = true;
        in.get();
    }
    if (!digits || (c != end && !std::isspace(c)))
        return false;
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

static std::string read_number(std::istream &in, int entry, const char *what, int &value)
{
    if (read_integer(in, value))
        return "";
    in.clear();
    std::string where = entry < 0 ? std::string("the enemy count")
                                  : "enemy entry " + std::to_string(entry + 1) + ": the " + what;
    return where + " is missing or not a whole number";
}

// Refuses anything the game could not play: counts past its arrays, names
// past its buffers, numbers that do not read, pictures it does not have, and
// patterns no enemy flies (such an enemy never leaves, so the level never ends).
std::string read_level(std::istream &in, int sprite_limit, LevelFile &level)
{
    skip_byte_order_mark(in);
    std::string problem = read_number(in, -1, "", level.enemy_count);
    if (!problem.empty())
        return problem;
    if (level.enemy_count < 0 || level.enemy_count > MAX_LEVEL_ENEMIES)
        return "the enemy count " + std::to_string(level.enemy_count) + " is outside 0 to 200";
    problem = read_name(in, "restart file", level.this_file);
    if (problem.empty())
        problem = read_name(in, "next file", level.next_file);
    for (int k = 0; k < level.enemy_count && problem.empty(); k++) {
        LevelEntry &entry = level.entries[k];
        for (auto [field, what] : {std::pair<int *, const char *>{&entry.delay, "delay"},
                                   {&entry.sprite, "sprite"},
                                   {&entry.pattern, "pattern"},
                                   {&entry.extra, "fourth number"}}) {
            problem = read_number(in, k, what, *field);
            if (!problem.empty())
                return problem;
        }
        std::string where = "enemy entry " + std::to_string(k + 1) + ": ";
        if (entry.sprite < 0 || entry.sprite >= sprite_limit)
            return where + "sprite " + std::to_string(entry.sprite) +
                   " is not a picture of sprites.dat (0 to " + std::to_string(sprite_limit - 1) +
                   ")";
        if (entry.pattern < FIRST_PATTERN || entry.pattern > LAST_PATTERN)
            return where + "pattern " + std::to_string(entry.pattern) + " is outside 1 to 12";
    }
    return problem;
}

// The name is used only to open the file, so it may be one of the two name
// buffers that the load overwrites. A folder, FIFO or device of that name is no level.
void load_level(const char *file_name)
{
    std::string path = level_path(file_name);
    std::unique_ptr<std::streambuf> file = open_regular_file(path.c_str());
    if (!file)
        fatal_error("Level not found!\n\nOK TO QUIT!");
    std::istream in(file.get());

    static LevelFile level;
    std::string problem = read_level(in, sprite_entries, level);
    if (!problem.empty())
        fatal_error("Level file %s cannot be played:\n%s.\n\nOK TO QUIT!", path.c_str(),
                    problem.c_str());

    next_enemy = 0;
    enemy_count = level.enemy_count;
    std::memcpy(this_level_file, level.this_file.c_str(), level.this_file.size() + 1);
    std::memcpy(next_level_file, level.next_file.c_str(), level.next_file.size() + 1);
    for (int k = 0; k < enemy_count; k++) {
        Enemy &enemy = enemies[k];
        enemy.delay = level.entries[k].delay;
        enemy.sprite = level.entries[k].sprite;
        enemy.pattern = level.entries[k].pattern;
        enemy.extra = level.entries[k].extra;
        enemy.x = UNSPAWNED_X;
        enemy.y = 0.0;
        enemy.active = 0;
        enemy.done = 0;
    }
    for (Shot &shot : enemy_shots) {
        shot.active = 0;
        shot.x = 0;
        shot.y = 0.0;
    }
    player_x = SHIP_START_X;
    player_y = SHIP_Y;
}
