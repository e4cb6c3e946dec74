// Level completion: the level's points banked, the next level loaded, the tally and the shop.
#include <algorithm>

#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/keyboard.h"
#include "frame/state.h"
#include "frame/text.h"
#include "levels/levels.h"
#include "levels/progression.h"
#include "play/play.h"

namespace {

struct Rgb {
    int red, green, blue;
};

const Rgb WHITE{255, 255, 255};
const Rgb MAGENTA{255, 0, 255};
const Rgb BLUE{0, 0, 255};
const Rgb RED{255, 0, 0};

// One line of text at the left edge; value is printed into the text when given.
struct TextLine {
    int row;
    Rgb colour;
    const char *text;
    const int *value;
};

// The tally, drawn in three parts: the values are read as each part is drawn,
// so the second line shows the old total and the fourth the banked one.
const TextLine TALLY_LINES[] = {
    {0, MAGENTA, "Points          :  %d", &level_points},
    {15, BLUE, "Total Points    :+ %d", &total_points},
    {30, RED, "               ---------", nullptr},
    {45, BLUE, "Total Points    : %d", &total_points},
    {100, WHITE, "Level %d Ready! Hit [enter] to", &level_number},
    {110, WHITE, "proceed to level %d!", &level_number},
    {140, WHITE, "Hit [b] to purchase items ", nullptr},
    {150, WHITE, "with your points!", nullptr},
};
const int TALLY_BEFORE_BANKING = 3; // lines drawn before the level's points are added
const int TALLY_AFTER_BANKING = 4;  // lines drawn once they are, before the next level loads
const int TALLY_LINE_COUNT = sizeof TALLY_LINES / sizeof TALLY_LINES[0];

const TextLine SHOP_LINES[] = {
    {0, WHITE, "Welcome to the shop. Here is", nullptr},
    {10, WHITE, "a list of what you can upgrade!", nullptr},
    {20, WHITE, "Your total points = %d", &total_points},
    {50, WHITE, "NAME|CURRENT # OF ITEM|COST|MAX ALLOWED|", nullptr},
    {60, WHITE, "[1] Max Bullets  |%d|500|10|", &max_bullets},
    {72, WHITE, "[2] Bullet Speed |%d|1,000|0|", &fire_delay},
    {84, WHITE, "[3] Shields      |%d|500|10|", &shields_left},
    {96, WHITE, "[4] Shield Length|%d|1,000|300|", &shield_length},
    {108, WHITE, "[5] Life         |%d|5,000|", &lives},
    {122, WHITE, "[6] EXIT & Proceed to level %d", &level_number},
};
const int SHOP_LINE_COUNT = sizeof SHOP_LINES / sizeof SHOP_LINES[0];

const int MESSAGE_ROW = 0;
const int CONTINUE_ROW = 20;
const char CONTINUE_TEXT[] = "Hit ENTER to continue";
const char TOO_DEAR_TEXT[] = "You do not have enough points for that!";
const char THANKS_TEXT[] = "Thank you for your purchase";

// The shop's prices and limits.
const int MAX_BULLETS_COST = 500;
const int BULLET_SPEED_COST = 1000;
const int SHIELDS_COST = 500;
const int SHIELD_LENGTH_COST = 1000;
const int LIFE_COST = 5000;
const int MAX_BULLETS_LIMIT = 10;
const int FASTEST_FIRE_DELAY = 0;
const int FIRE_DELAY_STEP = 2;
const int SHIELDS_LIMIT = 10;
const int SHIELD_LENGTH_LIMIT = 300;
const int SHIELD_LENGTH_STEP = 20;

// The digit keys of items 1 to 5, in the order the shop checks them.
const int SHOP_KEYS[] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5};
const int KEY_LEAVE_SHOP = KEY_6;
const int SHOP_KEY_PAUSE_MS = 100; // lets a quick tap of a digit key count once
const int SETTLE_PAUSE_MS = 100;   // after the level ends, before the tally

} // namespace

static int item_cost(int item)
{
    switch (item) {
    case ITEM_MAX_BULLETS: return MAX_BULLETS_COST;
    case ITEM_BULLET_SPEED: return BULLET_SPEED_COST;
    case ITEM_SHIELDS: return SHIELDS_COST;
    case ITEM_SHIELD_LENGTH: return SHIELD_LENGTH_COST;
    default: return LIFE_COST;
    }
}

static bool item_below_limit(int item)
{
    switch (item) {
    case ITEM_MAX_BULLETS: return max_bullets < MAX_BULLETS_LIMIT;
    case ITEM_BULLET_SPEED: return fire_delay > FASTEST_FIRE_DELAY;
    case ITEM_SHIELDS: return shields_left < SHIELDS_LIMIT;
    case ITEM_SHIELD_LENGTH: return shield_length < SHIELD_LENGTH_LIMIT;
    default: return true; // lives have no limit
    }
}

static void apply_item(int item)
{
    switch (item) {
    case ITEM_MAX_BULLETS: max_bullets++; break;
    case ITEM_BULLET_SPEED:
        // Two ticks faster per purchase, so from an odd delay the last step only takes 1 off.
        fire_delay = std::max(fire_delay - FIRE_DELAY_STEP, FASTEST_FIRE_DELAY);
        break;
    case ITEM_SHIELDS: shields_left++; break;
    case ITEM_SHIELD_LENGTH: shield_length += SHIELD_LENGTH_STEP; break;
    default: lives++; break;
    }
}

PurchaseResult buy_item(int item)
{
    // Nothing is sold under a number the shop does not list.
    if (item < ITEM_MAX_BULLETS || item > ITEM_LIFE)
        return PURCHASE_AT_LIMIT;
    // The price is checked first: without the points the refusal shows even for a maxed item.
    if (total_points < item_cost(item))
        return PURCHASE_TOO_DEAR;
    if (!item_below_limit(item))
        return PURCHASE_AT_LIMIT;
    apply_item(item);
    total_points -= item_cost(item);
    return PURCHASE_DONE;
}

bool level_is_over()
{
    int records = std::min(enemy_count, ENEMY_RECORDS);
    int done = 0;
    for (int i = 0; i < records; i++)
        if (enemies[i].done == 1)
            done++;
    return done == enemy_count;
}

static void draw_lines(BITMAP *work, const TextLine *lines, int count)
{
    for (int i = 0; i < count; i++) {
        const TextLine &line = lines[i];
        int colour = makecol(line.colour.red, line.colour.green, line.colour.blue);
        if (line.value)
            draw_text(work, 0, line.row, colour, line.text, *line.value);
        else
            draw_text(work, 0, line.row, colour, "%s", line.text);
    }
}

// Every screen of the tally and the shop starts from the backdrop on a cleared work bitmap.
static void start_screen(BITMAP *work, DATAFILE *backgrounds)
{
    clear_bitmap(work);
    blit(static_cast<BITMAP *>(backgrounds[BG_BACKDROP].dat), work, 0, 0, 0, 0, SCREEN_WIDTH,
         SCREEN_HEIGHT);
}

static void show_screen(BITMAP *work)
{
    blit(work, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

static void show_message(BITMAP *work, DATAFILE *backgrounds, const char *message)
{
    int white = makecol(WHITE.red, WHITE.green, WHITE.blue);
    start_screen(work, backgrounds);
    draw_text(work, 0, MESSAGE_ROW, white, "%s", message);
    draw_text(work, 0, CONTINUE_ROW, white, "%s", CONTINUE_TEXT);
    show_screen(work);
    wait_for_key(KEY_ENTER);
}

// One digit key held: a pause, then the purchase or its refusal.
static void handle_shop_key(BITMAP *work, DATAFILE *backgrounds, int item)
{
    rest(SHOP_KEY_PAUSE_MS);
    switch (buy_item(item)) {
    case PURCHASE_TOO_DEAR: show_message(work, backgrounds, TOO_DEAR_TEXT); break;
    case PURCHASE_DONE: show_message(work, backgrounds, THANKS_TEXT); break;
    case PURCHASE_AT_LIMIT: break; // enough points but nothing left to buy: silently ignored
    }
}

// Runs in passes until 6 is held as a pass begins; every held digit is handled in the same pass.
static void run_shop(BITMAP *work, DATAFILE *backgrounds)
{
    while (!key[KEY_LEAVE_SHOP]) {
        pause_between_polls();
        start_screen(work, backgrounds);
        draw_lines(work, SHOP_LINES, SHOP_LINE_COUNT);
        show_screen(work);
        for (int i = 0; i < ITEM_LIFE; i++)
            if (key[SHOP_KEYS[i]])
                handle_shop_key(work, backgrounds, ITEM_MAX_BULLETS + i);
    }
}

void level_complete(DATAFILE *backgrounds)
{
    BITMAP *work = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!work)
        fatal_error("Not enough memory for the level tally screen");
    start_screen(work, backgrounds);
    set_text_transparent();

    draw_lines(work, TALLY_LINES, TALLY_BEFORE_BANKING);
    total_points += level_points;
    draw_lines(work, TALLY_LINES + TALLY_BEFORE_BANKING, TALLY_AFTER_BANKING - TALLY_BEFORE_BANKING);
    level_points = 0;
    load_level(next_level_file);
    level_number++;
    draw_lines(work, TALLY_LINES + TALLY_AFTER_BANKING, TALLY_LINE_COUNT - TALLY_AFTER_BANKING);
    show_screen(work);

    // Enter is tested first, so with both keys held the shop is skipped.
    for (;; pause_between_polls()) {
        if (key[KEY_ENTER])
            break;
        if (key[KEY_B]) {
            run_shop(work, backgrounds);
            break;
        }
    }
    destroy_bitmap(work);
}

void check_level_complete(DATAFILE *backgrounds)
{
    if (!level_is_over())
        return;
    clear_keybuf();
    rest(SETTLE_PAUSE_MS);
    for (int slot = 0; slot < max_bullets; slot++)
        reset_bullet(slot);
    level_complete(backgrounds);
}
