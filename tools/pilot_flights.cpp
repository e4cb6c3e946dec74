// The autopilot's foresight: every enemy's flight, flown once by the game's own code, and what a level's flights say.
#include "pilot.h"

#include "frame/state.h"
#include "play/play.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace {

const int FIRST_PATTERN = 1;
const int LAST_PATTERN = 12;
const int HEADINGS = 2;                        // 0 moving right, 1 moving left
const int SCRATCH_RECORD = ENEMY_RECORDS - 1;  // never used by a level: at most 200 enemies
const size_t LONGEST_FLIGHT = 5000;            // ticks; the slowest drifter needs about 1,030
const long NEVER_SPAWNS = 10000000;            // ticks; a countdown this long is a broken file

// The ship and what touches it.
const double SHIP_Y = 184.0;
const double CONTACT_REACH = 15.0;  // corners closer than this on both axes touch
const int SHIP_STEP = 2;
const int SHIP_RIGHT_EDGE = 304;
const int SHIP_PLACES = SHIP_RIGHT_EDGE / SHIP_STEP + 1;
using Places = std::bitset<SHIP_PLACES>;

// Bullets of the starting guns.
const double BULLET_FIRST_Y = 181.0; // where a bullet is in the tick it is fired
const double BULLET_SPEED = 3.0;
const int BULLET_LAST_TICK = 61;     // its last tick of flight that can hit (y -2)
const int LEFT_GUN = 1, RIGHT_GUN = 14;
const int STARTING_FIRE_DELAY = START_FIRE_DELAY;
const double ENEMY_SIZE = 16.0;

// Two enemies look like one while their corners stay this close for this long.
const double STACKED_DISTANCE = 8.0;
const int STACKED_TICKS = 12;
// Pairs whose low stretches are this close in time are tried together.
const long PAIR_GAP_TICKS = 60;
// While the first unavoidable pair is low nothing else may be this low.
const double QUIET_Y = 100.0;

Flight flights[LAST_PATTERN + 1][HEADINGS];

// Flies one enemy of each pattern and heading on a spare record with the
// game's own moves until it leaves the screen.
void fly_all_patterns()
{
    if (!flights[FIRST_PATTERN][0].empty())
        return;
    Enemy saved = enemies[SCRATCH_RECORD];
    for (int pattern = FIRST_PATTERN; pattern <= LAST_PATTERN; pattern++)
        for (int heading = 0; heading < HEADINGS; heading++) {
            Enemy &enemy = enemies[SCRATCH_RECORD];
            enemy = Enemy{};
            enemy.pattern = pattern;
            enemy.heading = heading;
            spawn_enemy(SCRATCH_RECORD);
            Flight &flight = flights[pattern][heading];
            while (enemy.active == 1 && flight.size() < LONGEST_FLIGHT) {
                flight.push_back({enemy.x, enemy.y});
                move_enemy(SCRATCH_RECORD);
                check_enemy_exit(SCRATCH_RECORD);
            }
        }
    enemies[SCRATCH_RECORD] = saved;
}

bool touches_ship_row(const Point &p)
{
    return SHIP_Y - CONTACT_REACH < p.y && p.y < SHIP_Y + CONTACT_REACH;
}

// Ship places an enemy at p touches.
Places touched_places(const Point &p)
{
    Places places;
    for (int i = 0; i < SHIP_PLACES; i++) {
        double x = i * SHIP_STEP;
        if (x - CONTACT_REACH < p.x && p.x < x + CONTACT_REACH)
            places.set(i);
    }
    return places;
}

// Whether a gun can stand under some column strictly inside the enemy's box.
bool gun_can_aim_at(double left)
{
    for (int column = static_cast<int>(std::floor(left)) + 1; column < left + ENEMY_SIZE; column++) {
        bool left_gun = column >= LEFT_GUN && column <= SHIP_RIGHT_EDGE + LEFT_GUN &&
                        (column - LEFT_GUN) % SHIP_STEP == 0;
        bool right_gun = column >= RIGHT_GUN && column <= SHIP_RIGHT_EDGE + RIGHT_GUN &&
                         (column - RIGHT_GUN) % SHIP_STEP == 0;
        if (left_gun || right_gun)
            return true;
    }
    return false;
}

} // namespace

bool Foresight::position(int i, long t, Point &at) const
{
    const ForeseenEnemy &enemy = enemies[i];
    if (!enemy.flight || t < enemy.spawn_tick)
        return false;
    size_t k = static_cast<size_t>(t - enemy.spawn_tick);
    if (k >= enemy.flight->size())
        return false;
    at = (*enemy.flight)[k];
    return true;
}

// The spawn countdown as the frame sees it after each tick: 1.5 off while
// above zero, then exactly zero; every zero frame spawns the next enemy and
// loads the countdown with the delay of the one after it.
Foresight foresee_level()
{
    fly_all_patterns();
    Foresight foresight;
    foresight.enemies.resize(enemy_count);
    double countdown = spawn_countdown;
    int next = next_enemy;
    for (long t = 1; next < enemy_count && t < NEVER_SPAWNS; t++) {
        countdown = countdown > 0.0 ? countdown - 1.5 : 0.0;
        while (countdown == 0.0 && next < enemy_count) {
            const Enemy &enemy = enemies[next];
            bool moves = enemy.pattern >= FIRST_PATTERN && enemy.pattern <= LAST_PATTERN &&
                         (enemy.heading == 0 || enemy.heading == 1);
            foresight.enemies[next] = {t, moves ? &flights[enemy.pattern][enemy.heading] : nullptr};
            if (moves)
                foresight.last_tick = std::max(
                    foresight.last_tick, t + static_cast<long>(foresight.enemies[next].flight->size()) - 1);
            next++;
            countdown = enemies[next].delay;
        }
    }
    return foresight;
}

std::string compare_with_game(const Foresight &foresight, long t, std::vector<bool> &shot_down)
{
    char text[200];
    for (int i = 0; i < enemy_count; i++) {
        if (shot_down[i])
            continue;
        const Enemy &enemy = enemies[i];
        Point p{0, 0};
        bool foreseen = foresight.position(i, t, p);
        bool destroyed = enemy.active == 0 && enemy.done == 1 && enemy.x != PARKED_X;
        if (enemy.active == 1 || destroyed) {
            if (!foreseen || enemy.x != p.x || enemy.y != p.y) {
                char where[60] = "off the screen";
                if (foreseen)
                    std::snprintf(where, sizeof where, "at (%.2f, %.2f)", p.x, p.y);
                std::snprintf(text, sizeof text,
                              "after tick %ld enemy %d is at (%.2f, %.2f) but was foreseen %s", t,
                              i, enemy.x, enemy.y, where);
                return text;
            }
            if (destroyed)
                shot_down[i] = true;
        } else if (foreseen) {
            std::snprintf(text, sizeof text,
                          "after tick %ld enemy %d is off the screen but was foreseen at (%.2f, %.2f)",
                          t, i, p.x, p.y);
            return text;
        }
    }
    return "";
}

namespace {

// Every enemy's positions, tick by tick.
struct Sky {
    std::vector<std::vector<std::pair<int, Point>>> at; // [tick]: (enemy, position)
};

Sky chart_sky(const Foresight &foresight)
{
    Sky sky;
    sky.at.resize(foresight.last_tick + 2);
    for (size_t i = 0; i < foresight.enemies.size(); i++) {
        const ForeseenEnemy &enemy = foresight.enemies[i];
        if (!enemy.flight)
            continue;
        for (size_t k = 0; k < enemy.flight->size(); k++)
            sky.at[enemy.spawn_tick + k].push_back({static_cast<int>(i), (*enemy.flight)[k]});
    }
    return sky;
}

int count_stacked(const Sky &sky)
{
    std::map<std::pair<int, int>, std::pair<long, int>> runs; // pair: (last close tick, run)
    std::set<std::pair<int, int>> stacked;
    for (long t = 0; t < static_cast<long>(sky.at.size()); t++) {
        const auto &here = sky.at[t];
        for (size_t a = 0; a < here.size(); a++)
            for (size_t b = a + 1; b < here.size(); b++) {
                const Point &p = here[a].second, &q = here[b].second;
                if (std::fabs(p.x - q.x) >= STACKED_DISTANCE || std::fabs(p.y - q.y) >= STACKED_DISTANCE)
                    continue;
                auto &run = runs[{here[a].first, here[b].first}];
                run.second = run.first == t - 1 ? run.second + 1 : 1;
                run.first = t;
                if (run.second >= STACKED_TICKS)
                    stacked.insert({here[a].first, here[b].first});
            }
    }
    return static_cast<int>(stacked.size());
}

// The ticks in which an enemy flies low enough to touch the ship.
struct LowStretch {
    int enemy;
    long first = -1, last = -1;
};

// Whether some ship path, free to start anywhere, escapes every enemy in
// the list over the ticks first to last.
bool can_dodge(const Foresight &foresight, const std::vector<int> &group, long first, long last)
{
    Places open;
    open.set();
    for (long t = first; t <= last; t++) {
        open = open | (open << 1) | (open >> 1);
        for (int i : group) {
            Point p;
            if (foresight.position(i, t, p) && touches_ship_row(p))
                open &= ~touched_places(p);
        }
        if (open.none())
            return false;
    }
    return true;
}

// The most enemies the starting guns could shoot down: each shot hits at most
// one enemy and shots come at least a fire delay apart, so no more enemies
// can fall than there are fire-delay buckets to match them with (a bullet's
// column and the ship's travel are left free, which only makes it more).
int count_reachable(const Foresight &foresight)
{
    int n = static_cast<int>(foresight.enemies.size());
    std::vector<std::set<long>> fire_ticks(n);
    for (int i = 0; i < n; i++) {
        const ForeseenEnemy &enemy = foresight.enemies[i];
        if (!enemy.flight)
            continue;
        for (size_t k = 0; k < enemy.flight->size(); k++) {
            const Point &p = (*enemy.flight)[k];
            if (!gun_can_aim_at(p.x))
                continue;
            for (int m = 0; m <= BULLET_LAST_TICK; m++) {
                double y = BULLET_FIRST_Y - BULLET_SPEED * m;
                long fired = enemy.spawn_tick + static_cast<long>(k) - m;
                if (p.y < y && y < p.y + ENEMY_SIZE && fired >= 1)
                    fire_ticks[i].insert(fired);
            }
        }
    }
    int best = n;
    for (int offset = 0; offset < STARTING_FIRE_DELAY; offset++) {
        std::vector<std::vector<long>> buckets(n);
        for (int i = 0; i < n; i++)
            for (long f : fire_ticks[i]) {
                long b = (f + offset) / STARTING_FIRE_DELAY;
                if (buckets[i].empty() || buckets[i].back() != b)
                    buckets[i].push_back(b);
            }
        // Kuhn's augmenting paths: enemies to buckets.
        std::map<long, int> owner;
        int matched = 0;
        for (int i = 0; i < n; i++) {
            std::set<long> visited;
            std::function<bool(int)> augment = [&](int e) {
                for (long b : buckets[e]) {
                    if (!visited.insert(b).second)
                        continue;
                    auto it = owner.find(b);
                    if (it == owner.end() || augment(it->second)) {
                        owner[b] = e;
                        return true;
                    }
                }
                return false;
            };
            matched += augment(i);
        }
        best = std::min(best, matched);
    }
    return best;
}

} // namespace

LevelShape shape_of_level(const Foresight &foresight)
{
    LevelShape shape;
    shape.enemies = static_cast<int>(foresight.enemies.size());
    Sky sky = chart_sky(foresight);
    shape.stacked = count_stacked(sky);
    shape.reachable = count_reachable(foresight);

    std::vector<LowStretch> low;
    for (int i = 0; i < shape.enemies; i++) {
        const ForeseenEnemy &enemy = foresight.enemies[i];
        if (!enemy.flight)
            continue;
        LowStretch stretch{i};
        for (size_t k = 0; k < enemy.flight->size(); k++)
            if (touches_ship_row((*enemy.flight)[k])) {
                long t = enemy.spawn_tick + static_cast<long>(k);
                if (stretch.first < 0)
                    stretch.first = t;
                stretch.last = t;
            }
        if (stretch.first >= 0)
            low.push_back(stretch);
    }
    std::vector<bool> dodgeable_alone(low.size());
    long pair_first = 0, pair_last = 0;
    for (size_t a = 0; a < low.size(); a++) {
        dodgeable_alone[a] = can_dodge(foresight, {low[a].enemy}, low[a].first, low[a].last);
        if (!dodgeable_alone[a]) {
            shape.undodgeable++;
            pair_first = low[a].first, pair_last = low[a].last;
        }
    }
    for (size_t a = 0; a < low.size(); a++)
        for (size_t b = a + 1; b < low.size(); b++) {
            if (!dodgeable_alone[a] || !dodgeable_alone[b])
                continue;
            long first = std::min(low[a].first, low[b].first);
            long last = std::max(low[a].last, low[b].last);
            if (std::max(low[a].first, low[b].first) - std::min(low[a].last, low[b].last) >
                PAIR_GAP_TICKS)
                continue;
            if (!can_dodge(foresight, {low[a].enemy, low[b].enemy}, first, last)) {
                shape.undodgeable++;
                pair_first = first, pair_last = last;
            }
        }
    if (shape.undodgeable == 1) {
        // Quiet: only the pair itself is in the lower half of the screen while it is low.
        int others = 0;
        for (long t = pair_first; t <= pair_last; t++) {
            int lowest = 0;
            for (const auto &seen : sky.at[t])
                if (seen.second.y > QUIET_Y)
                    lowest++;
            others = std::max(others, lowest);
        }
        shape.lone_first_pair = others <= 2;
    }
    return shape;
}
