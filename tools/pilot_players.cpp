// The autopilot's two players: a casual one who sees late and aims loosely, and a strong one who foresees every flight.
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

// The casual player.
const int ENEMY_LAG = 10;          // sees enemies this many ticks late
const int SHOT_LAG = 5;            // notices shots this late...
const double SHOT_NOTICE_Y = 120;  // ...and only below this line
const int RETARGET_MIN = 6, RETARGET_MAX = 10;
const int AIM_SPREAD = 6;          // pixels either side of the target
const double SHOT_DODGE_MARGIN = 2.0;
const double ENEMY_WARY_Y = 130.0; // enemies lower than this are kept away from
const double TARGET_LOWEST_Y = 130.0;
const int SIGHT_RING = ENEMY_LAG + 2;  // and the tick before, to tell how they move
const double ESCAPE_TICKS = 16;         // how early it steps out of a diving enemy's way
const double WARY_MARGIN = 6.0;

// The strong player.
const int PLAN_TICKS = 40;         // how far ahead it keeps a way out open
const int AIM_TICKS = 45;          // how far ahead it looks for a shot
const int REAIM_TICKS = 4;
const double SHADOW_Y = 150.0;     // an enemy this low can fire a shot there is no escaping
const int SHIELDS_KEPT = 4, BULLETS_WANTED = 6, BULLETS_MORE = 8;
const int DELAY_WANTED = 9, DELAY_MORE = 5, SHIELD_LENGTH_WANTED = 160;

using Places = std::bitset<SHIP_PLACES>;

int place_of(double x)
{
    return static_cast<int>(x) / SHIP_STEP;
}

Places touched_places(const Point &p)
{
    Places places;
    for (int i = std::max(0, place_of(p.x - CONTACT_REACH)); i < SHIP_PLACES; i++) {
        double x = i * SHIP_STEP;
        if (x - CONTACT_REACH >= p.x)
            break;
        if (p.x < x + CONTACT_REACH)
            places.set(i);
    }
    return places;
}

// Ship places under a column, where a shot falling down it would hit.
Places places_under(double column)
{
    Places places;
    for (int i = std::max(0, place_of(column - SHIP_SIZE)); i < SHIP_PLACES; i++) {
        double x = i * SHIP_STEP;
        if (x >= column)
            break;
        if (column < x + SHIP_SIZE)
            places.set(i);
    }
    return places;
}

bool inside_enemy(double px, double py, const Point &enemy)
{
    return enemy.x < px && px < enemy.x + ENEMY_SIZE && enemy.y < py && py < enemy.y + ENEMY_SIZE;
}

Keys keys_toward(double from, double to)
{
    Keys keys;
    if (to < from - 1)
        keys.left = true;
    else if (to > from + 1)
        keys.right = true;
    return keys;
}

} // namespace

void Player::start_attempt(const Foresight *level)
{
    foresight = level;
    seen.assign(SIGHT_RING, Sight{});
    retarget_in = 0;
    aim_x = player_x;
}

void Player::watch(long t)
{
    if (profile != Profile::Casual)
        return;
    Sight &sight = seen[t % SIGHT_RING];
    sight.on_screen.clear();
    sight.enemies.resize(enemy_count);
    sight.shots.clear();
    for (int i = 0; i < enemy_count; i++) {
        sight.enemies[i] = {enemies[i].x, enemies[i].y};
        if (enemies[i].active == 1)
            sight.on_screen.push_back(i);
    }
    for (const Shot &shot : enemy_shots)
        if (shot.active == 1)
            sight.shots.push_back({static_cast<double>(shot.x), shot.y});
}

Keys Player::decide(long t)
{
    return profile == Profile::Casual ? decide_casual(t) : decide_strong(t);
}

// Sees the enemies as they were ten ticks ago and the low shots as they were
// five ticks ago; picks a new target now and then and aims near it; steps
// out of the way of a shot falling onto it, and of an enemy it sees coming
// down where the ship is, judging its speed from the two latest sights.
Keys Player::decide_casual(long t)
{
    static const Sight nothing;
    const Sight &late = t > ENEMY_LAG ? seen[(t - ENEMY_LAG) % SIGHT_RING] : nothing;
    const Sight &before = t > ENEMY_LAG + 1 ? seen[(t - ENEMY_LAG - 1) % SIGHT_RING] : nothing;
    const Sight &shots = t > SHOT_LAG ? seen[(t - SHOT_LAG) % SIGHT_RING] : nothing;

    if (--retarget_in <= 0) {
        retarget_in = between(RETARGET_MIN, RETARGET_MAX);
        const Point *target = nullptr;
        for (int i : late.on_screen) {
            const Point &enemy = late.enemies[i];
            if (enemy.y < TARGET_LOWEST_Y &&
                (!target || std::fabs(enemy.x - player_x) < std::fabs(target->x - player_x)))
                target = &enemy;
        }
        if (target)
            aim_x = std::clamp(target->x + between(-AIM_SPREAD, AIM_SPREAD), 0.0,
                               static_cast<double>(SHIP_RIGHT_EDGE));
    }

    // Ship places to keep out of: under the noticed shots, near the enemies coming low.
    std::vector<std::pair<double, double>> blocked;
    for (const Point &shot : shots.shots)
        if (shot.y > SHOT_NOTICE_Y)
            blocked.push_back({shot.x - SHIP_SIZE - SHOT_DODGE_MARGIN, shot.x + SHOT_DODGE_MARGIN});
    for (int i : late.on_screen) {
        const Point &enemy = late.enemies[i];
        bool moving = before.enemies.size() > static_cast<size_t>(i) &&
                      std::fabs(before.enemies[i].y - enemy.y) < ENEMY_SIZE;
        double vx = moving ? enemy.x - before.enemies[i].x : 0.0;
        double vy = moving ? enemy.y - before.enemies[i].y : 0.0;
        double low_in = vy > 0 ? (SHIP_Y - CONTACT_REACH - enemy.y) / vy - ENEMY_LAG : 0.0;
        if (enemy.y <= ENEMY_WARY_Y && (vy <= 0 || low_in > ESCAPE_TICKS))
            continue;
        double x = std::clamp(enemy.x + vx * (ENEMY_LAG + std::max(low_in, 0.0)), 0.0,
                              static_cast<double>(SHIP_RIGHT_EDGE));
        blocked.push_back({x - CONTACT_REACH - WARY_MARGIN, x + CONTACT_REACH + WARY_MARGIN});
    }
    auto is_blocked = [&](double x) {
        for (const auto &span : blocked)
            if (span.first < x && x < span.second)
                return true;
        return false;
    };

    Keys keys = keys_toward(player_x, aim_x);
    if (is_blocked(player_x)) {
        // Out of the way by the shorter road to a free place.
        for (double d = SHIP_STEP; d <= SHIP_RIGHT_EDGE; d += SHIP_STEP) {
            bool left = player_x - d >= 0 && !is_blocked(player_x - d);
            bool right = player_x + d <= SHIP_RIGHT_EDGE && !is_blocked(player_x + d);
            if (left || right) {
                keys.left = left && (!right || aim_x < player_x);
                keys.right = !keys.left;
                break;
            }
        }
    } else if ((keys.left && is_blocked(player_x - SHIP_STEP)) ||
               (keys.right && is_blocked(player_x + SHIP_STEP))) {
        keys.left = keys.right = false; // wait at the edge of danger
    }
    keys.fire = !late.on_screen.empty();
    return keys;
}

// Keeps a way out open for the next ticks from every shot in flight and every
// enemy's foreseen flight, aims where a bullet will meet an enemy, fires only
// shots that will hit, and raises the shield only when no way out is left.
Keys Player::decide_strong(long t)
{
    // Which enemies the bullets in flight will bring down, and when.
    std::vector<long> falls(enemy_count, -1);
    for (int slot = 0; slot < max_bullets; slot++) {
        const Shot &bullet = bullets[slot];
        if (bullet.active != 1)
            continue;
        for (int m = 1; bullet.y - BULLET_SPEED * m > BULLET_GONE_Y; m++) {
            double y = bullet.y - BULLET_SPEED * m;
            int hit = -1;
            for (int i = 0; i < enemy_count && hit < 0; i++) {
                Point p;
                if (enemies[i].active == 1 && falls[i] < 0 && foresight->position(i, t + m, p) &&
                    inside_enemy(bullet.x, y, p))
                    hit = i;
            }
            if (hit >= 0) {
                falls[hit] = t + m;
                break;
            }
        }
    }
    auto flying = [&](int i, long when, Point &p) {
        return enemies[i].active == 1 && (falls[i] < 0 || when < falls[i]) &&
               foresight->position(i, when, p);
    };

    // Places that are safe tick by tick, then the places from which a way out lasts.
    std::vector<Places> open(PLAN_TICKS + 2);
    int shielded_ticks = shield_on == 1 ? std::max(shield_timer, 0) : 0;
    for (int k = 1; k <= PLAN_TICKS; k++) {
        Places danger;
        if (k > shielded_ticks) {
            for (const Shot &shot : enemy_shots) {
                double y = shot.y + SHOT_SPEED * k;
                if (shot.active == 1 && SHIP_Y < y && y < SHIP_Y + SHIP_SIZE)
                    danger |= places_under(shot.x);
            }
            for (int i = 0; i < enemy_count; i++) {
                Point p;
                if (!flying(i, t + k, p))
                    continue;
                if (SHIP_Y - CONTACT_REACH < p.y && p.y < SHIP_Y + CONTACT_REACH)
                    danger |= touched_places(p);
                if (p.y >= SHADOW_Y && p.y + SHOT_OFFSET_Y < SHIP_Y + SHIP_SIZE)
                    danger |= places_under(static_cast<int>(p.x + ENEMY_MIDDLE));
            }
        }
        open[k] = ~danger;
    }
    open[PLAN_TICKS + 1].set();
    for (int k = PLAN_TICKS; k >= 1; k--)
        open[k] &= open[k + 1] | (open[k + 1] << 1) | (open[k + 1] >> 1);

    // Re-aim now and then: the earliest shot any place in reach can make.
    if (--retarget_in <= 0) {
        retarget_in = REAIM_TICKS;
        int here = place_of(player_x);
        int ready = std::max(1, fire_cooldown);
        int best_k = AIM_TICKS + 1;
        for (int i = 0; i < enemy_count; i++) {
            for (int k = ready; k < best_k; k++) {
                Point p;
                long fired = t + k;
                int found = -1;
                for (int m = 0; m <= BULLET_LAST_TICK && found < 0; m++) {
                    if (!flying(i, fired + m, p))
                        break;
                    double y = BULLET_FIRST_Y - BULLET_SPEED * m;
                    if (y <= p.y)
                        break; // the bullet has passed above it
                    if (y >= p.y + ENEMY_SIZE)
                        continue;
                    for (int gun : {LEFT_GUN, RIGHT_GUN})
                        for (int place = std::max(0, here - k); place <= std::min(SHIP_PLACES - 1, here + k); place++)
                            if (inside_enemy(place * SHIP_STEP + gun, y, p) &&
                                (found < 0 || std::abs(place - here) < std::abs(found - here)))
                                found = place;
                }
                if (found >= 0) {
                    best_k = k;
                    aim_x = found * SHIP_STEP;
                    break;
                }
            }
        }
    }

    // The move: the open place nearest the aim.
    int here = place_of(player_x);
    Keys keys;
    int chosen = -1;
    for (int step : {0, -1, 1}) {
        int place = here + step;
        if (place < 0 || place >= SHIP_PLACES || !open[1].test(place))
            continue;
        if (chosen < 0 || std::fabs(place * SHIP_STEP - aim_x) < std::fabs(chosen * SHIP_STEP - aim_x))
            chosen = place;
    }
    if (chosen < 0) {
        keys = keys_toward(player_x, aim_x);
        keys.shield = shield_on == 0 && shields_left > 0;
    } else {
        keys.left = chosen < here;
        keys.right = chosen > here;
    }

    // Fire only a bullet that will meet an enemy nobody else is bringing down.
    int next_x = chosen >= 0 ? chosen * SHIP_STEP : static_cast<int>(player_x);
    int slot = 0;
    while (slot < max_bullets && bullets[slot].active == 1)
        slot++;
    if (fire_cooldown == 0 && slot < max_bullets) {
        double gun = next_x + (slot % 2 == 0 ? LEFT_GUN : RIGHT_GUN);
        for (int m = 0; m <= BULLET_LAST_TICK && !keys.fire; m++)
            for (int i = 0; i < enemy_count && !keys.fire; i++) {
                Point p;
                if (flying(i, t + 1 + m, p) && inside_enemy(gun, BULLET_FIRST_Y - BULLET_SPEED * m, p))
                    keys.fire = true;
            }
    }
    return keys;
}

// Shields first, then more bullets and faster fire, then longer shields.
int Player::go_shopping()
{
    if (profile != Profile::Strong)
        return 0;
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
    int bought = 0;
    for (const Want &want : wants)
        while (want.below > 0 ? *want.value < want.below : *want.value > -want.below) {
            if (buy_item(want.item) != PURCHASE_DONE)
                return bought;
            bought++;
        }
    return bought;
}
