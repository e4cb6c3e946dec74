// Shared by the benchmarks: the game's real datafiles, a frame-sized memcpy, and side-by-side timing.
#include "bench_support.h"

#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"

#include <algorithm>
#include <cstring>
#include <vector>

static const size_t FRAME_BYTES = SCREEN_WIDTH * SCREEN_HEIGHT * sizeof(uint16_t);
static const double MICROSECONDS = 1e6;

static BenchData data = {nullptr, nullptr, nullptr};

const char *run_dir()
{
    return RUN_DIR;
}

const BenchData &bench_data()
{
    return data;
}

BITMAP *picture(DATAFILE *datafile, int entry)
{
    return static_cast<BITMAP *>(datafile[entry].dat);
}

// Loads one datafile of the run folder and checks it against the game's catalogue.
static std::string load_one(const Catalogue &catalogue, DATAFILE *&loaded)
{
    std::string path = std::string(run_dir()) + "/" + catalogue.file_name;
    loaded = load_datafile(path.c_str());
    if (!loaded)
        return path + " is missing or damaged (build the datafiles first)";
    std::string wrong = check_datafile(loaded, catalogue);
    return wrong.empty() ? "" : path + ": " + wrong;
}

std::string load_bench_data()
{
    std::string problem = load_one(SPRITES_CATALOGUE, data.sprites);
    if (problem.empty())
        problem = load_one(BACKGROUNDS_CATALOGUE, data.backgrounds);
    if (problem.empty())
        problem = load_one(SOUNDS_CATALOGUE, data.sounds);
    if (problem.empty())
        sprite_entries = count_pictures(data.sprites);
    return problem;
}

void unload_bench_data()
{
    for (DATAFILE **loaded : {&data.sprites, &data.backgrounds, &data.sounds}) {
        if (*loaded)
            unload_datafile(*loaded);
        *loaded = nullptr;
    }
}

// Lattice steps: primes, so that objects of neighbouring indexes land far apart.
static const int BULLET_X_STEP = 31, SHOT_X_STEP = 53, SHOT_Y_STEP = 29;
static const int ENEMY_X_STEP = 37, ENEMY_Y_STEP = 23;
static const int SPREAD_WIDTH = 304;  // left edges that keep a 16-pixel picture on screen
static const int SPREAD_HEIGHT = 184;
static const double BULLET_FIRST_Y = 20.0, BULLET_Y_STEP = 16.0;
static const double SHIP_START_X = 160.0, SHIP_Y = 184.0;
static const int PATTERNS = 12;

static int spread(int i, int step, int range)
{
    return (i * step) % range;
}

void place_enemy(int i)
{
    const int pictures = SPR_ENEMY_LAST - SPR_ENEMY_FIRST + 1;
    Enemy &enemy = enemies[i];
    enemy = Enemy{};
    enemy.x = spread(i, ENEMY_X_STEP, SPREAD_WIDTH);
    enemy.y = spread(i, ENEMY_Y_STEP, SPREAD_HEIGHT);
    enemy.active = 1;
    enemy.sprite = SPR_ENEMY_FIRST + i % pictures;
    enemy.pattern = 1 + i % PATTERNS;
    enemy.heading = i % 2;
}

void set_up_busy_play()
{
    for (int k = 0; k < KEY_MAX; k++)
        key[k] = 0;
    player_x = SHIP_START_X;
    player_y = SHIP_Y;
    player_hit = 0;
    shield_on = 0;
    shield_timer = -1;
    fire_cooldown = 0;
    spawn_countdown = 0.0;
    far_scroll = 0.0;
    near_scroll = 0.0;
    max_bullets = BUSY_BULLETS;
    for (int i = 0; i < BULLET_SLOTS; i++)
        bullets[i] = Shot{spread(i, BULLET_X_STEP, SPREAD_WIDTH), i < BUSY_BULLETS ? 1 : 0,
                          BULLET_FIRST_Y + i * BULLET_Y_STEP};
    for (int i = 0; i < ENEMY_SHOT_SLOTS; i++)
        enemy_shots[i] = Shot{spread(i, SHOT_X_STEP, SPREAD_WIDTH), 1,
                              static_cast<double>(spread(i, SHOT_Y_STEP, SPREAD_HEIGHT))};
    enemy_count = BUSY_ENEMIES;
    next_enemy = BUSY_ENEMIES;
    for (int i = 0; i < BUSY_ENEMIES; i++)
        place_enemy(i);
    for (int &timer : explosion_timer)
        timer = -1;
}

void copy_one_frame()
{
    static std::vector<unsigned char> from(FRAME_BYTES, 1), to(FRAME_BYTES);
    benchmark::DoNotOptimize(from.data());
    std::memcpy(to.data(), from.data(), FRAME_BYTES);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
}

static double median(std::vector<double> &samples)
{
    if (samples.empty())
        return 0.0;
    auto middle = samples.begin() + samples.size() / 2;
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

double SideBySide::subject_median()
{
    return median(subject_);
}

void SideBySide::report()
{
    double subject = subject_median();
    state_.counters["median_us"] = subject * MICROSECONDS;
    for (auto &[name, samples] : references_) {
        double reference = median(samples);
        state_.counters[name + "_us"] = reference * MICROSECONDS;
        if (reference > 0.0)
            state_.counters["x_" + name] = subject / reference;
    }
}
