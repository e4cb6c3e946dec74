// The autopilot's family of players: one decision loop, a few traits apiece.
#include "pilot.h"

#include "frame/state.h"
#include "levels/levels.h"

#include <algorithm>
#include <bitset>
#include <cmath>

namespace {

// The ship, its guns and what hits it.
const int SHIP_STEP = 2;
const int SHIP_RIGHT_EDGE = 304;
const int SHIP_PLACES = SHIP_RIGHT_EDGE / SHIP_STEP + 1;
const double SHIP_Y = 184.0;
const double SHIP_SIZE = 16.0;
const double CONTACT_REACH = 15.0;
const int LEFT_GUN = 1, RIGHT_GUN = 14;
const double BULLET_FIRST_Y = 181.0;
const double BULLET_SPEED = 3.0;
const double BULLET_GONE_Y = -5.0;
const int BULLET_LAST_TICK = 61;
const double ENEMY_SIZE = 16.0;
const double ENEMY_MIDDLE = 8.0;
const double SHOT_SPEED = 2.0;
const double SHOT_OFFSET_Y = 16.0;

// Every player.
const double TICKS_PER_MS = 60.0 / 1000.0;
const double REACTION_SPREAD = 0.15;  // of the mean, drawn anew for every decision
const int SIGHT_RING = 64;            // ticks of sights kept; no reaction is longer
const int LONGEST_PLAN = 60;
const double SPEED_ERROR_MOST = 2.5;  // misjudged speeds are cut off at this many spreads
const int AIM_TICKS = 45;             // how far ahead a leading player looks for a shot
// An enemy this low can fire a shot there is no escaping for a player who reacts at
// once; each tick of reaction raises the line by a shot's fall in a tick.
const double SHADOW_Y = 152.0;
const int PANIC_REACH = 20;           // places a panicking player may run to either side

// The strong player's shopping, and the shield player's.
const int SHIELDS_KEPT = 4, BULLETS_WANTED = 6, BULLETS_MORE = 8;
const int DELAY_WANTED = 9, DELAY_MORE = 5, SHIELD_LENGTH_WANTED = 160;

using Places = std::bitset<SHIP_PLACES>;

int place_of(double x)
{
    return std::clamp(static_cast<int>(x) / SHIP_STEP, 0, SHIP_PLACES - 1);
}

// Ship places within `reach` of the column span [left, right).
Places places_near(double left, double right, double reach)
{
    Places places;
    for (int i = std::max(0, place_of(left - reach)); i < SHIP_PLACES; i++) {
        double x = i * SHIP_STEP;
        if (x - reach >= right)
            break;
        if (left < x + reach)
            places.set(i);
    }
    return places;
}

bool inside_enemy(double px, double py, const Point &enemy)
{
    return enemy.x < px && px < enemy.x + ENEMY_SIZE && enemy.y < py && py < enemy.y + ENEMY_SIZE;
}

// Casual and strong first: the tools and the tests take them by place.
const std::vector<Traits> FAMILY = {
    {"casual", "reacts in about 167 ms, straight-line forecasts, shots noticed below y 120, "
     "aims within 6 px where enemies are, only above y 130, plans 30 ticks, no shield, no shop",
     167, 3, 5, 2, 3, 6, 120, false, 0.08, 30, 6, 130, 320, false, false, 0.0, false,
     Shopping::Never},
    {"strong", "reacts in about 50 ms, knows every path, plans 40 ticks, fires only bullets "
     "that hit, shields only when cornered, shops",
     50, 1, 1, 4, 4, 0, 0, true, 0.0, 40, 0, 165, 320, true, true, 0.0, true,
     Shopping::Everything},
    {"quick", "reacts in about 150 ms, knows the paths", 150, 4, 6, 4, 6, 4, 40, true, 0.08,
     40, 4, 150, 320, true, false, 0.0, false, Shopping::Never},
    {"average", "reacts in about 250 ms, knows the paths", 250, 4, 6, 4, 6, 4, 40, true, 0.08,
     40, 4, 150, 320, true, false, 0.0, false, Shopping::Never},
    {"slow", "reacts in about 350 ms, knows the paths", 350, 4, 6, 4, 6, 4, 40, true, 0.08,
     40, 4, 150, 320, true, false, 0.0, false, Shopping::Never},
    {"sloppy", "average, but aims within 14 px", 250, 4, 6, 4, 6, 14, 40, true, 0.08, 40, 4,
     150, 320, true, false, 0.0, false, Shopping::Never},
    {"late eyes", "average, but notices shots only below y 130", 250, 4, 6, 4, 6, 4, 130, true,
     0.08, 40, 4, 150, 320, true, false, 0.0, false, Shopping::Never},
    {"naive", "average, but forecasts enemies in straight lines", 250, 4, 6, 4, 6, 4, 40,
     false, 0.08, 40, 4, 150, 320, true, false, 0.0, false, Shopping::Never},
    {"panicky", "average, but one threatened decision in four runs anywhere", 250, 4, 6, 4, 6,
     4, 40, true, 0.08, 40, 4, 150, 320, true, false, 0.25, false, Shopping::Never},
    {"stays put", "average, but chases no enemy farther than 40 px", 250, 4, 6, 4, 6, 4, 40,
     true, 0.08, 40, 4, 150, 40, true, false, 0.0, false, Shopping::Never},
    {"shield", "average, but raises the shield when cornered and buys shields", 250, 4, 6, 4,
     6, 4, 40, true, 0.08, 40, 4, 150, 320, true, false, 0.0, true, Shopping::Shields},
};

} // namespace

const std::vector<Traits> &player_family()
{
    return FAMILY;
}

void Player::start_attempt(const Foresight *level)
{
    foresight = level;
    seen.assign(SIGHT_RING, Sight{});
    looked = -1;
    double most = SPEED_ERROR_MOST * traits.speed_error;
    speed.assign(level->enemies.size(), 1.0);
    if (traits.speed_error > 0) {
        std::normal_distribution<double> misjudged(0.0, traits.speed_error);
        for (double &s : speed)
            s += std::clamp(misjudged(random), -most, most);
    }
    falls.assign(level->enemies.size(), -1);
    decide_at = 0;
    retarget_in = 0;
    aim_x = player_x;
    heading_for = place_of(player_x);
    raise_shield = false;
}

void Player::watch(long t)
{
    Sight &sight = seen[t % SIGHT_RING];
    sight.tick = t;
    sight.enemies.resize(enemy_count);
    sight.on_screen.resize(enemy_count);
    sight.shots.clear();
    sight.present.clear();
    for (int i = 0; i < enemy_count; i++) {
        sight.enemies[i] = {enemies[i].x, enemies[i].y};
        sight.on_screen[i] = enemies[i].active == 1;
        if (sight.on_screen[i])
            sight.present.push_back(i);
    }
    for (const Shot &shot : enemy_shots)
        if (shot.active == 1)
            sight.shots.push_back({static_cast<double>(shot.x), shot.y});
}

// Where the player believes enemy i will be after tick `when`, from the sight it
// decides on: along the enemy's path, or on the line through its last two
// positions, either at the speed it judges (less or more by `doubt`, a share);
// false when it sees no such enemy, believes it gone, or knows its own bullet
// brings it down first.
bool Player::forecast(int i, long when, Point &at, double doubt) const
{
    if (looked < 0)
        return false;
    const Sight &now = seen[looked % SIGHT_RING];
    if (!now.on_screen[i] || (falls[i] >= 0 && when >= falls[i]))
        return false;
    double ahead = (when - looked) * speed[i] * (1.0 + doubt);
    if (traits.knows_paths) {
        return foresight->position(i, looked + std::lround(ahead), at);
    }
    const Sight &before = seen[(looked - 1) % SIGHT_RING];
    const Point &p = now.enemies[i];
    bool moving = before.tick == looked - 1 && before.on_screen[i] &&
                  std::fabs(before.enemies[i].y - p.y) < ENEMY_SIZE;
    double vx = moving ? p.x - before.enemies[i].x : 0.0;
    double vy = moving ? p.y - before.enemies[i].y : 0.0;
    at = {p.x + vx * ahead, p.y + vy * ahead};
    return at.y < SHIP_Y + SHIP_SIZE + ENEMY_SIZE;
}

// Picks what to shoot at: the nearest enemy it sees, or, leading, the earliest
// shot any place within reach can make; then aims near it.
void Player::choose_target(long t)
{
    if (looked < 0)
        return;
    const Sight &now = seen[looked % SIGHT_RING];
    int here = place_of(player_x);
    double found_x = -1.0;
    if (traits.leads) {
        int ready = std::max(1, fire_cooldown);
        int best_k = AIM_TICKS + 1;
        int reach = static_cast<int>(traits.chase_range) / SHIP_STEP;
        for (int i : now.present) {
            for (int k = ready; k < best_k; k++) {
                Point p;
                int found = -1;
                int low = std::max({0, here - k, here - reach});
                int high = std::min({SHIP_PLACES - 1, here + k, here + reach});
                for (int m = 0; m <= BULLET_LAST_TICK && found < 0; m++) {
                    if (!forecast(i, t + k + m, p))
                        break;
                    double y = BULLET_FIRST_Y - BULLET_SPEED * m;
                    if (y <= p.y || p.y > traits.target_lowest_y)
                        break; // the bullet has passed above it, or it is too low to aim at
                    if (y >= p.y + ENEMY_SIZE)
                        continue;
                    // The places whose gun stands strictly inside the enemy's columns, nearest first.
                    for (int gun : {LEFT_GUN, RIGHT_GUN}) {
                        int first = std::max(low, static_cast<int>(std::floor((p.x - gun) / SHIP_STEP)) + 1);
                        int last = std::min(high, static_cast<int>(std::ceil((p.x + ENEMY_SIZE - gun) / SHIP_STEP)) - 1);
                        if (first > last)
                            continue;
                        int place = std::clamp(here, first, last);
                        if (found < 0 || std::abs(place - here) < std::abs(found - here))
                            found = place;
                    }
                }
                if (found >= 0) {
                    best_k = k;
                    found_x = found * SHIP_STEP;
                    break;
                }
            }
        }
    } else {
        for (int i : now.present) {
            const Point &enemy = now.enemies[i];
            if (enemy.y < traits.target_lowest_y &&
                std::fabs(enemy.x - player_x) <= traits.chase_range &&
                (found_x < 0 || std::fabs(enemy.x - player_x) < std::fabs(found_x - player_x)))
                found_x = enemy.x;
        }
    }
    if (found_x >= 0)
        aim_x = std::clamp(found_x + between(-traits.aim_error, traits.aim_error), 0.0,
                           static_cast<double>(SHIP_RIGHT_EDGE));
}

// Marks the places that stay safe for the next ticks, from the enemies'
// forecast flights and the shots it has noticed, then heads for the place
// nearest its aim that it can reach by a straight run without being hit
// before its next decision; cornered, it raises the shield if it would, and
// under threat a panicky player may run anywhere.
void Player::choose_way(long t, int next_decision)
{
    const int plan = std::min(traits.plan_ticks, LONGEST_PLAN);
    std::vector<Places> open(plan + 2);
    int shielded_ticks = shield_on == 1 ? std::max(shield_timer, 0) : 0;
    const Sight *now = looked >= 0 ? &seen[looked % SIGHT_RING] : nullptr;
    double shadow_y = SHADOW_Y - SHOT_SPEED * traits.reaction_ms * TICKS_PER_MS;
    std::vector<double> doubts = {0.0};
    if (traits.knows_paths && traits.speed_error > 0)
        doubts = {-traits.speed_error, 0.0, traits.speed_error};
    for (int k = 1; k <= plan; k++) {
        Places danger;
        if (k > shielded_ticks && now) {
            for (const Point &shot : now->shots) {
                double y = shot.y + SHOT_SPEED * (t + k - looked);
                if (shot.y > traits.shot_notice_y && SHIP_Y < y && y < SHIP_Y + SHIP_SIZE)
                    danger |= places_near(shot.x - SHIP_SIZE, shot.x, traits.margin);
            }
            // Unsure of their speeds, it keeps clear of where they would be a little slower or faster.
            for (int i : now->present)
                for (double doubt : doubts) {
                    Point p;
                    if (!forecast(i, t + k, p, doubt))
                        continue;
                    if (SHIP_Y - CONTACT_REACH < p.y && p.y < SHIP_Y + CONTACT_REACH)
                        danger |= places_near(p.x, p.x, CONTACT_REACH + traits.margin);
                    if (p.y >= shadow_y && p.y + SHOT_OFFSET_Y < SHIP_Y + SHIP_SIZE) {
                        double column = static_cast<int>(p.x + ENEMY_MIDDLE);
                        danger |= places_near(column - SHIP_SIZE, column, traits.margin);
                    }
                }
        }
        open[k] = ~danger;
    }
    open[plan + 1].set();
    for (int k = plan; k >= 1; k--)
        open[k] &= open[k + 1] | (open[k + 1] << 1) | (open[k + 1] >> 1);

    // How many ticks a straight run to each place stays open.
    int here = place_of(player_x);
    int check = std::min(next_decision, plan);
    auto lasts = [&](int to) {
        for (int k = 1; k <= check; k++)
            if (!open[k].test(here + std::clamp(to - here, -k, k)))
                return k - 1;
        return check;
    };
    int chosen = -1, chosen_lasts = -1;
    double aim = std::clamp(aim_x, 0.0, static_cast<double>(SHIP_RIGHT_EDGE));
    for (int to = 0; to < SHIP_PLACES; to++) {
        int l = lasts(to);
        double off = std::fabs(to * SHIP_STEP - aim), chosen_off = std::fabs(chosen * SHIP_STEP - aim);
        if (l > chosen_lasts || (l == chosen_lasts && (off < chosen_off ||
                                 (off == chosen_off && std::abs(to - here) < std::abs(chosen - here))))) {
            chosen = to;
            chosen_lasts = l;
        }
    }
    raise_shield = chosen_lasts < check && traits.shields && shield_on == 0 && shields_left > 0;
    bool threatened = lasts(here) < check;
    if (threatened && traits.panic > 0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(random) < traits.panic)
        chosen = std::clamp(here + between(-PANIC_REACH, PANIC_REACH), 0, SHIP_PLACES - 1);
    heading_for = chosen;
}

// Whether a bullet fired as the ship stands at `place` will meet an enemy no
// bullet of its own is bringing down, as far as the player foresees.
bool Player::fire_hits(long t, int place) const
{
    int slot = 0;
    while (slot < max_bullets && bullets[slot].active == 1)
        slot++;
    if (fire_cooldown != 0 || slot >= max_bullets)
        return false;
    if (looked < 0)
        return false;
    double gun = place * SHIP_STEP + (slot % 2 == 0 ? LEFT_GUN : RIGHT_GUN);
    for (int m = 0; m <= BULLET_LAST_TICK; m++)
        for (int i : seen[looked % SIGHT_RING].present) {
            Point p;
            if (forecast(i, t + 1 + m, p) && inside_enemy(gun, BULLET_FIRST_Y - BULLET_SPEED * m, p))
                return true;
        }
    return false;
}

Keys Player::decide(long t)
{
    if (t >= decide_at) {
        int next_decision = between(traits.decide_min, traits.decide_max);
        decide_at = t + next_decision;
        double mean = traits.reaction_ms * TICKS_PER_MS;
        long lag = std::lround(std::normal_distribution<double>(mean, mean * REACTION_SPREAD)(random));
        lag = std::clamp(lag, 0L, static_cast<long>(SIGHT_RING - 2));
        looked = t - lag >= 1 && seen[(t - lag) % SIGHT_RING].tick == t - lag ? t - lag : -1;

        // Which enemies its own bullets in flight will bring down, and when: only a
        // player who fires no bullet in vain counts on them.
        falls.assign(falls.size(), -1);
        static const std::vector<int> nobody;
        const std::vector<int> &present = looked >= 0 ? seen[looked % SIGHT_RING].present : nobody;
        for (int slot = 0; traits.spares_bullets && slot < max_bullets; slot++) {
            const Shot &bullet = bullets[slot];
            for (int m = 1; bullet.active == 1 && bullet.y - BULLET_SPEED * m > BULLET_GONE_Y; m++) {
                double y = bullet.y - BULLET_SPEED * m;
                int hit = -1;
                for (int i : present) {
                    Point p;
                    if (falls[i] < 0 && forecast(i, t + m, p) && inside_enemy(bullet.x, y, p)) {
                        hit = i;
                        break;
                    }
                }
                if (hit >= 0) {
                    falls[hit] = t + m;
                    break;
                }
            }
        }
        if (--retarget_in <= 0) {
            retarget_in = between(traits.retarget_min, traits.retarget_max);
            choose_target(t);
        }
        choose_way(t, next_decision);
    }
    Keys keys;
    int here = place_of(player_x);
    keys.left = heading_for < here;
    keys.right = heading_for > here;
    keys.shield = raise_shield;
    raise_shield = false;
    int next = here + keys.right - keys.left;
    if (traits.spares_bullets) {
        keys.fire = fire_hits(t, next);
    } else if (looked >= 0) {
        keys.fire = !seen[looked % SIGHT_RING].present.empty();
    }
    return keys;
}

// Shields first, then more bullets and faster fire, then longer shields.
int Player::go_shopping()
{
    struct Want {
        int item;
        const int *value;
        int below; // buy while the value is below this (or above, for the fire delay)
    };
    const Want wants[] = {
        {ITEM_SHIELDS, &shields_left, SHIELDS_KEPT},
        {ITEM_MAX_BULLETS, &max_bullets, BULLETS_WANTED},
        {ITEM_BULLET_SPEED, &fire_delay, -DELAY_WANTED},
        {ITEM_MAX_BULLETS, &max_bullets, BULLETS_MORE},
        {ITEM_BULLET_SPEED, &fire_delay, -DELAY_MORE},
        {ITEM_SHIELD_LENGTH, &shield_length, SHIELD_LENGTH_WANTED},
    };
    int wanted = traits.shopping == Shopping::Everything ? 6 : traits.shopping == Shopping::Shields ? 1 : 0;
    int bought = 0;
    for (int w = 0; w < wanted; w++) {
        const Want &want = wants[w];
        while (want.below > 0 ? *want.value < want.below : *want.value > -want.below) {
            if (buy_item(want.item) != PURCHASE_DONE)
                return bought;
            bought++;
        }
    }
    return bought;
}
