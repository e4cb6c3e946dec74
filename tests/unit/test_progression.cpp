// The shop's purchase rules, the resets of a lost life and the decisions behind the tally and game over.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fixtures.h"
#include "player_script.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "frame/text.h"
#include "levels/levels.h"
#include "levels/progression.h"

namespace fs = std::filesystem;

namespace {

// The upgrade values and purse the tests look at, to compare before and after.
struct Purse {
    int total_points, lives, max_bullets, fire_delay, shields_left, shield_length;
};

Purse purse()
{
    return {total_points, lives, max_bullets, fire_delay, shields_left, shield_length};
}

void expect_same(const Purse &a, const Purse &b)
{
    EXPECT_EQ(a.total_points, b.total_points);
    EXPECT_EQ(a.lives, b.lives);
    EXPECT_EQ(a.max_bullets, b.max_bullets);
    EXPECT_EQ(a.fire_delay, b.fire_delay);
    EXPECT_EQ(a.shields_left, b.shields_left);
    EXPECT_EQ(a.shield_length, b.shield_length);
}

// Each test starts from a fresh life of a new game with an empty purse.
class Progression : public ::testing::Test {
protected:
    void SetUp() override
    {
        total_points = 0;
        level_points = 0;
        lives = 5;
        level_number = 1;
        max_bullets = 4;
        fire_delay = 15;
        shields_left = 3;
        shield_length = 100;
        player_hit = 0;
        spawn_countdown = 0.0;
        enemy_count = 0;
        for (Enemy &enemy : enemies)
            enemy.done = 0;
    }
};

// Each item: its price, the value it raises, that value after one purchase from a fresh life,
// and for an item with a limit the purchases that reach it from there, and the limit.
struct ItemCase {
    const char *name;
    int item, cost;
    int *value;
    int after_one, purchases_to_limit, limit;
};

const ItemCase SHOP_ITEMS[] = {
    {"Max Bullets", ITEM_MAX_BULLETS, 500, &max_bullets, 5, 6, 10},
    {"Bullet Speed", ITEM_BULLET_SPEED, 1000, &fire_delay, 13, 8, 0},
    {"Shields", ITEM_SHIELDS, 500, &shields_left, 4, 7, 10},
    {"Shield Length", ITEM_SHIELD_LENGTH, 1000, &shield_length, 120, 10, 300},
    {"Life", ITEM_LIFE, 5000, &lives, 6, 0, 0},
};

} // namespace

// A point short of its cost an item is refused and nothing changes; exactly its cost buys it and
// leaves nothing. From a fresh life an item reaches its limit in its count of purchases; there,
// its cost buys nothing and a point less is still refused for the points.
TEST_F(Progression, EachItemIsSoldAtItsCostUpToItsLimit)
{
    for (const ItemCase &item : SHOP_ITEMS) {
        SetUp();
        total_points = item.cost - 1;
        Purse before = purse();
        EXPECT_EQ(buy_item(item.item), PURCHASE_TOO_DEAR) << item.name;
        expect_same(purse(), before);
        total_points = item.cost;
        EXPECT_EQ(buy_item(item.item), PURCHASE_DONE) << item.name;
        EXPECT_EQ(*item.value, item.after_one) << item.name;
        EXPECT_EQ(total_points, 0) << item.name;
        if (item.purchases_to_limit == 0)
            continue; // lives have no limit
        total_points = 100000;
        for (int n = 2; n <= item.purchases_to_limit; n++)
            ASSERT_EQ(buy_item(item.item), PURCHASE_DONE) << item.name << " purchase " << n;
        EXPECT_EQ(*item.value, item.limit) << item.name;
        EXPECT_EQ(total_points, 100000 - (item.purchases_to_limit - 1) * item.cost) << item.name;
        for (int points : {item.cost, item.cost - 1}) {
            total_points = points;
            before = purse();
            EXPECT_EQ(buy_item(item.item), points == item.cost ? PURCHASE_AT_LIMIT : PURCHASE_TOO_DEAR)
                << item.name;
            expect_same(purse(), before);
        }
    }
}

TEST_F(Progression, MorePointsThanTheCostPayOnlyTheCost)
{
    total_points = 7777;
    EXPECT_EQ(buy_item(ITEM_SHIELD_LENGTH), PURCHASE_DONE);
    EXPECT_EQ(total_points, 6777);
    EXPECT_EQ(buy_item(ITEM_SHIELDS), PURCHASE_DONE);
    EXPECT_EQ(total_points, 6277);
    EXPECT_EQ(shield_length, 120);
    EXPECT_EQ(shields_left, 4);
    // Only the bought items changed.
    EXPECT_EQ(max_bullets, 4);
    EXPECT_EQ(fire_delay, 15);
    EXPECT_EQ(lives, 5);
}

TEST_F(Progression, BulletSpeedStepsByTwoAndTheEighthPurchaseTakesOneToZeroAtFullPrice)
{
    const int delays[] = {13, 11, 9, 7, 5, 3, 1};
    total_points = 8000;
    for (int expected : delays) {
        ASSERT_EQ(buy_item(ITEM_BULLET_SPEED), PURCHASE_DONE);
        EXPECT_EQ(fire_delay, expected);
    }
    EXPECT_EQ(total_points, 1000);
    EXPECT_EQ(buy_item(ITEM_BULLET_SPEED), PURCHASE_DONE);
    EXPECT_EQ(fire_delay, 0);
    EXPECT_EQ(total_points, 0);
}

TEST_F(Progression, ValuesBeyondALimitAreNotRaisedFurther)
{
    // The limits are "while below", so a value already past one is left alone.
    max_bullets = 11;
    fire_delay = -1;
    shields_left = 12;
    shield_length = 320;
    total_points = 100000;
    Purse before = purse();
    for (int item = ITEM_MAX_BULLETS; item <= ITEM_SHIELD_LENGTH; item++)
        EXPECT_EQ(buy_item(item), PURCHASE_AT_LIMIT) << "item " << item;
    expect_same(purse(), before);
}

TEST_F(Progression, LivesHaveNoLimitInTheShop)
{
    lives = 250;
    total_points = 15000;
    for (int n = 0; n < 3; n++)
        EXPECT_EQ(buy_item(ITEM_LIFE), PURCHASE_DONE);
    EXPECT_EQ(lives, 253);
    EXPECT_EQ(total_points, 0);
    EXPECT_EQ(buy_item(ITEM_LIFE), PURCHASE_TOO_DEAR);
    EXPECT_EQ(lives, 253);
}

TEST_F(Progression, NumbersTheShopDoesNotListSellNothing)
{
    total_points = 100000;
    Purse before = purse();
    for (int item : {0, 6, -1, 1000}) {
        EXPECT_NE(buy_item(item), PURCHASE_DONE) << "item " << item;
        expect_same(purse(), before);
    }
}

TEST_F(Progression, ALostLifeSetsTheUpgradesBackAndKeepsTheBankAndBoughtLives)
{
    total_points = 5000 + 500 + 1000 + 500 + 1000 + 777;
    lives = 2;
    for (int item = ITEM_MAX_BULLETS; item <= ITEM_LIFE; item++)
        ASSERT_EQ(buy_item(item), PURCHASE_DONE);
    ASSERT_EQ(lives, 3);
    level_number = 7;
    player_hit = 1;
    spawn_countdown = 37.5;

    reset_after_lost_life();

    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(lives, 2); // the bought life stays, the lost one is gone
    EXPECT_EQ(shields_left, 3);
    EXPECT_EQ(max_bullets, 4);
    EXPECT_EQ(fire_delay, 15);
    EXPECT_EQ(shield_length, 100);
    EXPECT_EQ(spawn_countdown, 0.0);
    EXPECT_EQ(total_points, 777);
    EXPECT_EQ(level_number, 7);
}

TEST_F(Progression, ALostLifeParksOnlyTheFirstFourBulletSlots)
{
    max_bullets = 10;
    for (int slot = 0; slot < BULLET_SLOTS; slot++)
        bullets[slot] = {slot, 1, 100.0 + slot};

    reset_after_lost_life();

    for (int slot = 0; slot < 4; slot++) {
        EXPECT_EQ(bullets[slot].active, 0) << "slot " << slot;
        EXPECT_EQ(bullets[slot].x, 500) << "slot " << slot;
        EXPECT_EQ(bullets[slot].y, 500.0) << "slot " << slot;
    }
    for (int slot = 4; slot < BULLET_SLOTS; slot++) {
        EXPECT_EQ(bullets[slot].active, 1) << "slot " << slot;
        EXPECT_EQ(bullets[slot].x, slot) << "slot " << slot;
        EXPECT_EQ(bullets[slot].y, 100.0 + slot) << "slot " << slot;
    }
}

TEST_F(Progression, LivesAreTestedBeforeTheyAreTakenSoTheSixthDeathEndsTheGame)
{
    int deaths = 0;
    for (;;) {
        deaths++;
        if (death_ends_game())
            break;
        reset_after_lost_life();
        ASSERT_LT(deaths, 10) << "the game never ends";
    }
    EXPECT_EQ(deaths, 6);
    EXPECT_EQ(lives, 0);
}

TEST_F(Progression, ADeathWithOneLifeLeftCostsItAndTheNextEndsTheGame)
{
    lives = 1;
    EXPECT_FALSE(death_ends_game());
    reset_after_lost_life();
    EXPECT_EQ(lives, 0);
    EXPECT_TRUE(death_ends_game());
    lives = -3;
    EXPECT_TRUE(death_ends_game());
}

TEST_F(Progression, ALevelIsOverWhenEveryEnemyOfItsFileIsDone)
{
    enemy_count = 0;
    EXPECT_TRUE(level_is_over()) << "an empty level is over at once";

    enemy_count = 3;
    enemies[0].done = 1;
    enemies[2].done = 1;
    EXPECT_FALSE(level_is_over()) << "enemy 1 is still to come";
    enemies[1].done = 1;
    EXPECT_TRUE(level_is_over());

    // Records past the level's own count take no part.
    enemies[3].done = 0;
    EXPECT_TRUE(level_is_over());
    enemy_count = 4;
    EXPECT_FALSE(level_is_over());
}

TEST_F(Progression, AnUnfinishedLevelLeavesTheBulletsPointsAndLevelAlone)
{
    enemy_count = 2;
    enemies[0].done = 1;
    max_bullets = 4;
    for (int slot = 0; slot < max_bullets; slot++)
        bullets[slot] = {slot, 1, 50.0};
    level_points = 120;
    total_points = 300;

    check_level_complete(nullptr); // returns before any screen is needed

    for (int slot = 0; slot < max_bullets; slot++)
        EXPECT_EQ(bullets[slot].active, 1) << "slot " << slot;
    EXPECT_EQ(level_points, 120);
    EXPECT_EQ(total_points, 300);
    EXPECT_EQ(level_number, 1);
}

namespace {

// The two blocking screens that need no menu: `screen` is a memory bitmap, the
// level files live in a temporary folder, and Enter is held before they start.
class ProgressionScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_play_state();
        backgrounds = make_picture_datafile(BACKGROUNDS_COUNT, SCREEN_WIDTH, SCREEN_HEIGHT);
        sprites = make_picture_datafile(SPRITES_COUNT);
        sounds = make_sound_datafile(SOUNDS_COUNT);
        clear_to_color(screen, makecol(0, 255, 0));
        // Two one-enemy levels that name each other, so a load is told apart by its names.
        write_level("first.qlv", "second.qlv");
        write_level("second.qlv", "first.qlv");
        set_level_names("first.qlv", "second.qlv");
        key[KEY_ENTER] = 1;
        set_text_transparent(); // the title menu has always set it before play
    }

    void TearDown() override
    {
        end_script();
        free_test_datafile(backgrounds);
        free_test_datafile(sprites);
        free_test_datafile(sounds);
    }

    std::string level(const char *name) const { return folder / name; }

    void write_level(const char *name, const char *next)
    {
        std::ofstream(folder / name, std::ios::binary)
            << "1\n" << level(name) << "\n" << level(next) << "\n0 2 5 0\n";
    }

    void set_level_names(const char *current, const char *next)
    {
        copy_name(this_level_file, level(current));
        copy_name(next_level_file, level(next));
    }

    static void copy_name(char *to, const std::string &from)
    {
        ASSERT_LT(from.size(), static_cast<size_t>(LEVEL_NAME_SIZE)) << "temporary folder too deep";
        std::memcpy(to, from.c_str(), from.size() + 1);
    }

    // A fresh copy of a background picture, for drawing the screen the test expects.
    BITMAP *expected_picture(int entry) const
    {
        BITMAP *picture = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
        blit(static_cast<BITMAP *>(backgrounds[entry].dat), picture, 0, 0, 0, 0, SCREEN_WIDTH,
             SCREEN_HEIGHT);
        return picture;
    }

    // Text as the screens must show it: Allegro's font over the picture, with no background.
    static void write(BITMAP *picture, int x, int y, int colour, const char *text)
    {
        textout_ex(picture, font, text, x, y, colour, -1);
    }

    // The screen holds the backdrop and these lines of white text at the left edge.
    void expect_texts(const std::vector<std::pair<int, std::string>> &lines) const
    {
        BITMAP *expected = expected_picture(BG_BACKDROP);
        for (const auto &[row, text] : lines)
            write(expected, 0, row, makecol(255, 255, 255), text.c_str());
        expect_screen(expected);
        destroy_bitmap(expected);
    }

    // Compares the screen with the expected picture and names the first row that differs.
    void expect_screen(BITMAP *expected) const
    {
        for (int y = 0; y < SCREEN_HEIGHT; y++)
            for (int x = 0; x < SCREEN_WIDTH; x++)
                if (getpixel(screen, x, y) != getpixel(expected, x, y)) {
                    ADD_FAILURE() << "screen differs first at (" << x << ", " << y << ")";
                    return;
                }
    }

    DATAFILE *backgrounds = nullptr;
    DATAFILE *sprites = nullptr;
    DATAFILE *sounds = nullptr;
    MemoryScreen memory_screen;
    TemporaryFolder folder;
};

} // namespace

TEST_F(ProgressionScreens, TheTallyBanksThePointsLoadsTheNextLevelAndShowsItsEightLines)
{
    level_points = 120;
    total_points = 300;
    level_number = 2;

    check_level_complete(backgrounds); // no enemies left in the level that just ended

    EXPECT_EQ(total_points, 420);
    EXPECT_EQ(level_points, 0);
    EXPECT_EQ(level_number, 3);
    EXPECT_STREQ(this_level_file, level("second.qlv").c_str());
    EXPECT_STREQ(next_level_file, level("first.qlv").c_str());
    EXPECT_EQ(enemy_count, 1);

    int white = makecol(255, 255, 255), blue = makecol(0, 0, 255);
    BITMAP *expected = expected_picture(BG_BACKDROP);
    write(expected, 0, 0, makecol(255, 0, 255), "Points          :  120");
    write(expected, 0, 15, blue, "Total Points    :+ 300");
    write(expected, 0, 30, makecol(255, 0, 0), "               ---------");
    write(expected, 0, 45, blue, "Total Points    : 420");
    write(expected, 0, 100, white, "Level 3 Ready! Hit [enter] to");
    write(expected, 0, 110, white, "proceed to level 3!");
    write(expected, 0, 140, white, "Hit [b] to purchase items ");
    write(expected, 0, 150, white, "with your points!");
    expect_screen(expected);
    destroy_bitmap(expected);
}

TEST_F(ProgressionScreens, ACompletedLevelParksTheBulletsInUseOnly)
{
    max_bullets = 6;
    for (int slot = 0; slot < 8; slot++)
        bullets[slot] = {slot, 1, 20.0};

    check_level_complete(backgrounds);

    for (int slot = 0; slot < 6; slot++)
        EXPECT_EQ(bullets[slot].active, 0) << "slot " << slot;
    for (int slot = 6; slot < 8; slot++)
        EXPECT_EQ(bullets[slot].active, 1) << "slot " << slot;
}

TEST_F(ProgressionScreens, LeavingTheShopAtOnceWithSixChangesNothingButTheLevel)
{
    key[KEY_ENTER] = 0;
    key[KEY_B] = 1;
    key[KEY_6] = 1;
    total_points = 9000;

    check_level_complete(backgrounds);

    EXPECT_EQ(total_points, 9000);
    EXPECT_EQ(max_bullets, 4);
    EXPECT_EQ(level_number, 2);
}

TEST_F(ProgressionScreens, ALostLifeShowsTheLivesBeforeTheLossAndRestartsTheLevel)
{
    set_level_names("second.qlv", "first.qlv");
    lives = 2;
    level_number = 4;
    level_points = 90;
    total_points = 500;
    max_bullets = 7;
    fire_delay = 5;
    player_hit = 1;
    player_x = 40.0;
    next_enemy = 1;
    set_trans_blender(0, 0, 0, 100); // the fading stages are lit: in the game the intro sets this
    watch_datafiles(sounds, nullptr);
    play_script({{1000, {KEY_ENTER}}});

    player_death(backgrounds, sprites, sounds, nullptr);

    // The explosion's 30 stages 5 ms apart, and its sound before and after them.
    EXPECT_EQ(rests[5], 30);
    EXPECT_EQ(sound_log, (std::vector<std::string>{"sample 0", "sample 0"}));
    EXPECT_EQ(lives, 1);
    EXPECT_EQ(level_points, 0);
    EXPECT_EQ(total_points, 500);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(max_bullets, 4);
    EXPECT_EQ(fire_delay, 15);
    EXPECT_EQ(level_number, 4);
    // The level restarts from the file it was loaded from.
    EXPECT_STREQ(this_level_file, level("second.qlv").c_str());
    EXPECT_EQ(next_enemy, 0);
    EXPECT_EQ(player_x, 160.0);

    int white = makecol(255, 255, 255);
    BITMAP *expected = expected_picture(BG_LIVES);
    write(expected, 160, 65, white, "2");
    write(expected, 160, 165, white, "4");
    expect_screen(expected);
    destroy_bitmap(expected);
}

// ---- The screens played by a scripted player --------------------------------------

namespace {

// The pause before the tally, then a shop visit: B, the digit held for a moment, Enter on
// the message, then 6.
const Stretch BEFORE_TALLY = {100, {}};

std::vector<Stretch> visit_shop(int digit)
{
    return {BEFORE_TALLY, {10, {KEY_B}}, {50, {digit}}, {50, {}}, {150, {KEY_ENTER}}, {50, {KEY_6}}};
}

} // namespace

// After each purchase the shop's list shows every item's own value, its cost and its limit.
TEST_F(ProgressionScreens, EachDigitBuysItsItemInTheShopAndSixLeaves)
{
    for (const ItemCase &item : SHOP_ITEMS) {
        reset_play_state();
        set_level_names("first.qlv", "second.qlv");
        total_points = 6000;
        play_script(visit_shop(KEY_0 + item.item));
        check_level_complete(backgrounds);
        EXPECT_EQ(*item.value, item.after_one) << item.name;
        EXPECT_EQ(total_points, 6000 - item.cost) << item.name;
        EXPECT_EQ(level_number, 2);
        auto n = [](int value) { return std::to_string(value); };
        expect_texts({{0, "Welcome to the shop. Here is"}, {10, "a list of what you can upgrade!"},
                      {20, "Your total points = " + n(6000 - item.cost)},
                      {50, "NAME|CURRENT # OF ITEM|COST|MAX ALLOWED|"},
                      {60, "[1] Max Bullets  |" + n(max_bullets) + "|500|10|"},
                      {72, "[2] Bullet Speed |" + n(fire_delay) + "|1,000|0|"},
                      {84, "[3] Shields      |" + n(shields_left) + "|500|10|"},
                      {96, "[4] Shield Length|" + n(shield_length) + "|1,000|300|"},
                      {108, "[5] Life         |" + n(lives) + "|5,000|"},
                      {122, "[6] EXIT & Proceed to level 2"}});
    }
}

// A purchase, or its refusal, shows its message over the backdrop until Enter.
TEST_F(ProgressionScreens, TheShopThanksOrRefusesOnAScreenOfItsOwn)
{
    for (auto [points, message] : {std::pair{5000, "Thank you for your purchase"},
                                   std::pair{4999, "You do not have enough points for that!"}}) {
        reset_play_state();
        total_points = points;
        play_script({BEFORE_TALLY, {10, {KEY_B}}, {50, {KEY_5}}, {100, {KEY_6, KEY_ENTER}}});
        check_level_complete(backgrounds);
        expect_texts({{0, message}, {20, "Hit ENTER to continue"}});
    }
}

// Digits held together are all handled in one pass, a digit still held buys again, 6 counts
// only as a pass begins, not while a message waits for Enter, and Escape does nothing.
TEST_F(ProgressionScreens, TheShopHandlesEveryHeldDigitEachPassAndSixOnlyAtItsTop)
{
    total_points = 20000;
    play_script({BEFORE_TALLY, {10, {KEY_B}}, {150, {KEY_1, KEY_3, KEY_ENTER}}, {20, {KEY_ESC}},
                 {60, {KEY_2}}, {60, {KEY_6}}, {50, {KEY_ENTER}}, {250, {KEY_4, KEY_ENTER}},
                 {100, {KEY_6, KEY_ENTER}}});
    check_level_complete(backgrounds);

    EXPECT_EQ(max_bullets, 5);
    EXPECT_EQ(shields_left, 4);
    EXPECT_EQ(fire_delay, 15);              // 2 and 6 came while item 3's message waited
    EXPECT_EQ(shield_length, 100 + 3 * 20); // 4 held through three passes
    EXPECT_EQ(total_points, 20000 - 500 - 500 - 3 * 1000);
}

TEST_F(ProgressionScreens, EnterIsTestedBeforeBOnTheTally)
{
    total_points = 6000;
    play_script({{200, {KEY_ENTER, KEY_B, KEY_1}}});
    check_level_complete(backgrounds);
    EXPECT_EQ(total_points, 6000);
    EXPECT_EQ(max_bullets, 4);
}
