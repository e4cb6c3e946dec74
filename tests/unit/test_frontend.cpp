// The title menu's cursor wrapping, held keys between screens, the reset of the run that
// "New Game" makes, the intro's fades, and the menu and the end of a game played by a
// scripted player.
#include "fixtures.h"
#include "frame/keyboard.h"
#include "frame/loop.h"
#include "frame/entries.h"
#include "frame/state.h"
#include "frontend/frontend.h"
#include "highscores/highscores.h"
#include "levels/levels.h"
#include "player_script.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <allegro.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace fs = std::filesystem;

// Each arrow moves the cursor one item, and wraps at the ends.
TEST(MenuCursor, ArrowsMoveOneItemAndWrapAtTheEnds)
{
    const int rows[] = {MENU_NEW_GAME, MENU_HIGH_SCORES, MENU_CREDITS, MENU_QUIT};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(menu_cursor_up(rows[i]), rows[(i + 3) % 4]) << rows[i];
        EXPECT_EQ(menu_cursor_down(rows[i]), rows[(i + 1) % 4]) << rows[i];
    }
    EXPECT_EQ(menu_cursor_down(0), MENU_HIGH_SCORES) << "a row of none counts as the top one";
}

// Every entry of the held-key state counts; with none down the waits end at once, and a key
// held on, repeating into the typed keys, is waited out with its repeats dropped.
TEST(HeldKeys, AnyKeyDownIsSeenAndWaitedOutWithItsRepeats)
{
    for (int scancode : {int(KEY_A), int(KEY_ESC), int(KEY_CAPSLOCK), KEY_MAX - 1}) {
        key[scancode] = 1;
        EXPECT_TRUE(any_key_held()) << scancode;
        key[scancode] = 0;
    }
    EXPECT_FALSE(any_key_held());
    wait_for_all_keys_released();

    play_script({{10, {KEY_ESC}}, {40, {KEY_ESC}, {KEY_ESC, KEY_ESC}}, {10, {}}});
    wait_for_all_keys_released();
    EXPECT_GE(script_clock(), 50);
    EXPECT_FALSE(keypressed());
    end_script();
}

// A working directory holding an empty first level, and the state a finished
// game leaves behind, so that what "New Game" resets and keeps can be told apart.
class NewGameReset : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory("levels");
        std::ofstream("levels/level1.qlv", std::ios::binary)
            << "0\r\nlevels\\level1.qlv\r\nlevels\\level2.qlv\r\n";

        total_points = 730;
        lives = 0;
        max_bullets = 9;
        fire_delay = 3;
        level_points = 40;
        player_hit = 1;
        level_number = 6;
        shields_left = 7;
        shield_length = 250;
        spawn_countdown = 4.5;
        fire_cooldown = 2;
        next_enemy = 12;
        player_x = 20.0;
        bullets[0] = Shot{88, 1, 60.0};
        bullets[6] = Shot{PARKED_X, 0, PARKED_Y};
        explosion_timer[0] = 0;
        explosion_timer[5] = 17;
    }

    TemporaryFolder folder{true};
};

TEST_F(NewGameReset, StartsTheRunAfreshAndLoadsTheFirstLevel)
{
    reset_run();

    EXPECT_EQ(total_points, 0);
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(max_bullets, 4);
    EXPECT_EQ(fire_delay, 15);
    EXPECT_EQ(level_points, 0);
    EXPECT_EQ(player_hit, 0);
    EXPECT_EQ(level_number, 1);

    // The first level file was read: its names, no enemies, the ship in place.
    EXPECT_STREQ(this_level_file, "levels\\level1.qlv");
    EXPECT_STREQ(next_level_file, "levels\\level2.qlv");
    EXPECT_EQ(enemy_count, 0);
    EXPECT_EQ(next_enemy, 0);
    EXPECT_DOUBLE_EQ(player_x, 160.0);
}

TEST_F(NewGameReset, KeepsWhatTheLastGameLeftInShieldsClockBulletsAndExplosions)
{
    reset_run();

    EXPECT_EQ(shields_left, 7);
    EXPECT_EQ(shield_length, 250);
    EXPECT_DOUBLE_EQ(spawn_countdown, 4.5);
    EXPECT_EQ(fire_cooldown, 2);
    EXPECT_EQ(bullets[0].x, 88);
    EXPECT_EQ(bullets[0].active, 1);
    EXPECT_DOUBLE_EQ(bullets[0].y, 60.0);
    EXPECT_EQ(bullets[6].x, PARKED_X);
    EXPECT_EQ(explosion_timer[0], 0);
    EXPECT_EQ(explosion_timer[5], 17);
}

// ---- The menu and the end of a game, played by a scripted player ----------------------

namespace {

// The game's folder with a first level and a blank table, stand-in pictures and tunes, and a
// memory bitmap for the screen.
class ScriptedScreens : public NewGameReset {
protected:
    void SetUp() override
    {
        NewGameReset::SetUp();
        std::ofstream table("highscores.sco", std::ios::binary);
        for (int i = 0; i < 10; ++i)
            table << "Empty\n0\n";
        table.close();
        load_high_scores();
        backgrounds = make_picture_datafile(BACKGROUNDS_COUNT, SCREEN_WIDTH, SCREEN_HEIGHT);
        sprites = make_picture_datafile(SPRITES_COUNT);
        sounds = make_sound_datafile(SOUNDS_COUNT);
        music = make_tune_datafile(MUSIC_COUNT);
        watch_datafiles(sounds, music);
        // SCREEN_W and SCREEN_H, which the screens place their text and the name box by,
        // come from the graphics driver.
        screen_size.w = SCREEN_WIDTH;
        screen_size.h = SCREEN_HEIGHT;
        gfx_driver = &screen_size;
    }

    void TearDown() override
    {
        end_script();
        gfx_driver = nullptr;
        destroy_bitmap(game_over);
        for (DATAFILE *data : {backgrounds, sprites, sounds, music})
            free_test_datafile(data);
        NewGameReset::TearDown();
    }

    // A frame of play hit on the last life, with this score: the game over, then the menu's
    // New Game; the name box takes `name`.
    void lose_last_life(int score, const std::string &name)
    {
        lives = 0;
        player_hit = 1;
        total_points = score;
        level_points = 5000; // lost with the life: never offered to the table
        enemy_count = 1;     // one enemy still to come: the level is not over
        enemies[0].done = 0;
        // Fire and Escape held from play, then a key for the table, Enter for the game-over
        // picture (kept) and, once let go, Enter for New Game.
        play_script({{10, {KEY_SPACE, KEY_ESC}, {KEY_ESC}}, {10, {}}, {200, {}, {KEY_SPACE}},
                     {50, {KEY_ENTER}, {}, game_over}, {20, {}}, {50, {KEY_ENTER}}},
                    name);
        GameResources game = {create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT), sprites, backgrounds,
                              sounds, music};
        run_frame(game);
        destroy_bitmap(game.buffer);
    }

    DATAFILE *backgrounds = nullptr, *sprites = nullptr, *sounds = nullptr, *music = nullptr;
    MemoryScreen memory_screen;
    GFX_DRIVER screen_size = {};
    BITMAP *game_over = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT); // the screen lose_last_life kept
};

} // namespace

// The Enter that brought the menu up is let go before it counts; Down held for 150 ms moves
// twice; the credits take six keys and give the title tune back; the table takes one.
TEST_F(ScriptedScreens, TheMenuWaitsForEnterRepeatsHeldArrowsAndPlaysTheTitleTuneAfterTheCredits)
{
    std::vector<Stretch> script = {{50, {KEY_ENTER}}, {10, {}}, {150, {KEY_DOWN}}, {100, {}},
                                   {50, {KEY_ENTER}}, {1000, {}}};
    for (int slide = 0; slide < 6; ++slide)
        script.push_back({2000, {}, {KEY_SPACE}});
    script.insert(script.end(), {{50, {KEY_UP}}, {10, {}}, {50, {KEY_ENTER}}, {300, {}},
                                 {10, {}, {KEY_SPACE}}, {50, {KEY_UP}}, {10, {}}, {100, {KEY_ENTER}}});
    play_script(script);

    title_menu(backgrounds, music);

    EXPECT_EQ(sound_log, (std::vector<std::string>{"stop", "tune 3", "stop", "tune 0", "stop",
                                                    "tune 3"}));
    EXPECT_EQ(last_tune_loop, -1);
    EXPECT_EQ(lives, 5); // New Game, reached by Up from Credits through High Scores
    EXPECT_EQ(total_points, 0);
}

// Enter held past the keyboard's repeat delay (to close the name box, or to choose the table)
// repeats into the queue; the table waits for a key pressed after it is let go.
TEST_F(ScriptedScreens, EnterHeldIntoTheTableDoesNotLeaveIt)
{
    play_script({{500, {KEY_ENTER}, {KEY_ENTER, KEY_ENTER}}, {100, {}}, {10, {}, {KEY_SPACE}}});
    show_high_scores();
    EXPECT_GE(script_clock(), 600) << "the table was left before the key after Enter";
}

TEST_F(ScriptedScreens, QuitEndsTheGameWithStatusOne)
{
    play_script({{50, {KEY_UP}}, {100, {KEY_ENTER}}});
    EXPECT_EXIT(title_menu(backgrounds, music), ::testing::ExitedWithCode(1), "");
}

// A score that ranks first is offered on total_points alone, and the name box opens clear,
// where the game puts it; the title tune then plays on into the next game.
TEST_F(ScriptedScreens, AGameOverEntersTheScoreThenTheMenuStartsTheNextGame)
{
    lose_last_life(700, "ACE");
    EXPECT_TRUE(same_pixels(game_over, static_cast<BITMAP *>(backgrounds[BG_GAME_OVER].dat)));
    EXPECT_EQ(name_box.opened, 1);
    EXPECT_FALSE(name_box.keys_at_open) << "the box opens once the keys of play are let go";
    EXPECT_EQ(high_names[0], "ACE");
    EXPECT_EQ(high_scores[0], 700);
    EXPECT_EQ(sound_log, (std::vector<std::string>{"sample 0", "stop", "tune 3"}));
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(total_points, 0);

    lose_last_life(600, "BOB");
    const NameBox expected_box = {1, 100, 100, 100, 25, 4684, 5498, D_EXIT, 12, ""};
    EXPECT_EQ(std::tie(name_box.opened, name_box.x, name_box.y, name_box.w, name_box.h,
                       name_box.fg, name_box.bg, name_box.flags, name_box.d1,
                       name_box.text_at_open),
              std::tie(expected_box.opened, expected_box.x, expected_box.y, expected_box.w,
                       expected_box.h, expected_box.fg, expected_box.bg, expected_box.flags,
                       expected_box.d1, expected_box.text_at_open));
    EXPECT_EQ(high_names[1], "BOB");

    lose_last_life(0, "NOBODY"); // 5000 level points, but nothing banked
    EXPECT_EQ(name_box.opened, 0);
    EXPECT_EQ(high_names[2], "Empty");
}

// The intro's clock: a second's pause, the card's 255 frames in, a second shown, 255 frames
// out; then the second half.
const int CARD_SHOWN = 1000 + 255;
const int SECOND_HALF = CARD_SHOWN + 1000 + 255;

// A key typed while the opening card shows is dropped and the slide runs its whole way; one
// typed during the backdrop's fade is seen there, not after its 255 frames, and cuts it short.
// Meanwhile the card shows its own picture, and the riser climbs over the backdrop: 0.15 a frame
// for the 255 frames of the backdrop's fade, then 0.07 a frame until its top passes -750.
TEST_F(ScriptedScreens, OnlyTheIntrosSecondHalfCanBeCutShort)
{
    BITMAP *card = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT), *slide = create_bitmap(320, 200);
    play_script({{CARD_SHOWN + 500, {}}, {100, {}, {KEY_SPACE}, card},
                 {SECOND_HALF + 2000 - CARD_SHOWN - 600, {}}, {10, {}, {}, slide}});
    intro_sequence(sounds, music, backgrounds);
    EXPECT_NEAR(key_polls, 255 + (200 - 255 * 0.15 + 750) / 0.07, 5) << "a look a frame, and a few to drop keys";
    EXPECT_EQ(sound_log, (std::vector<std::string>{"sample 1", "tune 1"}));
    EXPECT_TRUE(same_pixels(card, static_cast<BITMAP *>(backgrounds[BG_INTRO_CARD].dat)));
    EXPECT_EQ(getpixel(slide, 0, 0), picture_colour(BG_BACKDROP)) << "the backdrop above the riser";
    EXPECT_EQ(getpixel(slide, 0, 199), picture_colour(BG_INTRO_RISER));
    destroy_bitmap(card);
    destroy_bitmap(slide);

    play_script({{SECOND_HALF + 10, {}}, {100, {}, {KEY_SPACE}}});
    intro_sequence(sounds, music, backgrounds);
    EXPECT_GE(key_polls, 4);
    EXPECT_LT(key_polls, 20);

    // The black tint stays for the lit explosions of play: a lit picture at 255 is black.
    BITMAP *white = create_bitmap(1, 1), *lit = create_bitmap(1, 1);
    clear_to_color(white, makecol(255, 255, 255));
    clear_bitmap(lit);
    draw_lit_sprite(lit, white, 0, 0, 255);
    EXPECT_EQ(getpixel(lit, 0, 0), makecol(0, 0, 0));
    destroy_bitmap(white);
    destroy_bitmap(lit);
}

// The table as the file holds it now, on a page of its own cleared first (whatever the memory it
// is made from held), its names as typed.
TEST_F(ScriptedScreens, TheTableShownIsTheFileAsItIsNow)
{
    std::ofstream("highscores.sco", std::ios::binary) << "ZED 900\n%s%%%n 800\n";
    BITMAP *used = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    clear_to_color(used, makecol(255, 0, 0));
    destroy_bitmap(used);
    play_script({{5, {}}, {10, {}, {KEY_SPACE}}});
    show_high_scores();
    BITMAP *expected = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    clear_bitmap(expected);
    int white = makecol(255, 255, 255);
    textout_ex(expected, font, "High Scores", 110, 0, white, -1);
    for (int i = 0; i < 10; ++i) {
        const char *names[] = {"ZED", "%s%%%n"}, *scores[] = {"900", "800"};
        textout_ex(expected, font, i < 2 ? names[i] : "Empty", 90, 60 + 10 * i, white, -1);
        textout_ex(expected, font, i < 2 ? scores[i] : "0", 190, 60 + 10 * i, white, -1);
    }
    EXPECT_TRUE(same_pixels(screen, expected));
    destroy_bitmap(expected);
}

TEST_F(ScriptedScreens, TheCreditsTakeSixKeysThenGiveTheTitleTuneBack)
{
    std::vector<Stretch> script(7, {2000, {}, {KEY_SPACE}});
    play_script(script);
    show_credits(backgrounds, music);
    // The sixth key, typed in the sixth stretch, is read (and a look drops the rest); then the
    // last slide fades to white in 128 frames of two moments each (shown, then a rest), the last
    // one drawn lit at 254.
    EXPECT_EQ(script_clock(), 5 * 2000 + 1 + 128 * 2);
    EXPECT_EQ(sound_log, (std::vector<std::string>{"stop", "tune 0", "stop", "tune 3"}));
    BITMAP *expected = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    set_trans_blender(255, 255, 255, 0);
    draw_lit_sprite(expected, static_cast<BITMAP *>(backgrounds[BG_CREDITS_FIRST + 5].dat), 0, 0, 254);
    EXPECT_TRUE(same_pixels(screen, expected));
    destroy_bitmap(expected);
}

// The whole run: the intro cut short, a table that cannot be saved reported once, New Game,
// Escape at once and nothing to offer the table.
TEST_F(ScriptedScreens, TheInGameTuneStartsWhenTheFirstGameBegins)
{
    GameResources game = {create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT), sprites, backgrounds,
                          sounds, music};
    play_script({{SECOND_HALF + 10, {}}, {400, {}, {KEY_SPACE}}, {100, {KEY_ENTER}},
                 {300, {KEY_ESC}}});
    std::filesystem::permissions("highscores.sco", std::filesystem::perms(0444));
    testing::internal::CaptureStdout(); // where a message box goes without a display
    run_game(game);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "The high score table highscores.sco cannot be saved:\nhighscores.sco: it is "
              "read-only\nPress Ok to play on; a new high score will not be kept");
    destroy_bitmap(game.buffer);
    EXPECT_EQ(sound_log,
              (std::vector<std::string>{"sample 1", "tune 1", "stop", "tune 3", "tune 2"}));
    EXPECT_EQ(name_box.opened, 0);
}

// A screen without memory for its pictures ends the game with a message.
TEST_F(ScriptedScreens, AScreenWithoutMemoryEndsTheGame)
{
    const std::function<void()> screens[] = {
        [&] { intro_sequence(sounds, music, backgrounds); }, [&] { title_menu(backgrounds, music); },
        [&] { show_credits(backgrounds, music); }, [] { show_high_scores(); },
        [&] { level_complete(backgrounds); }};
    for (const auto &screen : screens)
        EXPECT_FATAL(
            {
                fail_next("create_bitmap", ENOMEM);
                screen();
            },
            "memory");
}

// Escape offers the banked score, not the points of the level in play: level 1's two enemies
// and level 2's first drop in front of the right gun; Enter on the tally; fire and Escape held
// on into the offer, whose name box opens once they are let go.
TEST_F(ScriptedScreens, EscapeOffersTheBankedScoreOnly)
{
    std::ofstream("levels/level1.qlv") << "2 levels\\level1.qlv levels\\level2.qlv 0 0 12 0 0 1 12 0";
    std::ofstream("levels/level2.qlv") << "2 levels\\level2.qlv levels\\level2.qlv 0 0 12 0 3000 0 1 0";
    GameResources game = {create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT), sprites, backgrounds,
                          sounds, music};
    sprite_entries = SPRITES_COUNT;
    script_timer = true;
    play_script({{SECOND_HALF + 10, {}}, {400, {}, {KEY_SPACE}}, {100, {KEY_ENTER}},
                 {4000, {KEY_SPACE}}, {100, {KEY_ENTER}}, {4000, {KEY_SPACE}},
                 {100, {KEY_SPACE, KEY_ESC}}, {100, {}}, {10, {}, {KEY_SPACE}}},
                "ACE");
    run_game(game);
    script_timer = false;
    destroy_bitmap(game.buffer);
    EXPECT_EQ(level_points, 10);
    EXPECT_EQ(name_box.opened, 1);
    EXPECT_FALSE(name_box.keys_at_open);
    EXPECT_EQ(high_names[0], "ACE");
    EXPECT_EQ(high_scores[0], 20);
}

// The intro's fades, drawn lit only at each new light step, against a lit drawing every
// frame at all 256 levels in each fade's direction. Between them the stand-in card and
// backdrop hold every 16-bit colour; transparent blocks let earlier pixels show through.
TEST(IntroFades, EveryFrameIsTheLitDrawingOfItsLevel)
{
    set_trans_blender(0, 0, 0, 100); // the intro's black tint
    BITMAP *card = create_bitmap(320, 200), *backdrop = create_bitmap(320, 200),
           *riser = create_bitmap(320, 200), *work = create_bitmap(320, 200),
           *expected = create_bitmap(320, 200), *lit = create_bitmap(320, 200);
    for (int i = 0; i < 320 * 200; i++) {
        putpixel(card, i % 320, i / 320, i);
        putpixel(backdrop, i % 320, i / 320, 0xFFFF - i);
    }
    clear_to_color(riser, MASK_COLOR_16);
    for (BITMAP *b : {card, backdrop, riser})
        rectfill(b, 40, 170, 80, 199, b == riser ? 0x1234 : MASK_COLOR_16);

    clear_bitmap(work); // the card fades in and out on a bitmap cleared once
    FadeFrame card_fade = {work, FADE_NOT_DRAWN};
    for (int k = 0; k < 512; k++) {
        int level = k < 256 ? 255 - k : k - 256;
        draw_fade_frame(card_fade, card, level);
        clear_bitmap(expected);
        draw_lit_sprite(expected, card, 0, 0, level);
        ASSERT_TRUE(same_pixels(work, expected)) << "card at level " << level;
    }
    clear_to_color(lit, MASK_COLOR_16); // the backdrop fades in under the climbing riser
    FadeFrame backdrop_fade = {lit, FADE_NOT_DRAWN};
    for (int level = 255; level >= 0; level--) {
        compose_rising_frame(work, backdrop_fade, backdrop, riser, level, level - 55.5);
        draw_lit_sprite(expected, backdrop, 0, 0, level);
        draw_sprite(expected, riser, 0, static_cast<int>(level - 55.5));
        ASSERT_TRUE(same_pixels(work, expected)) << "backdrop at level " << level;
    }
    rectfill(work, 200, 0, 260, 30, MASK_COLOR_16); // the last frame darkens over the screen's
    blit(work, expected, 0, 0, 0, 0, 320, 200);
    blit(work, lit, 0, 0, 0, 0, 320, 200);
    FadeFrame last_fade = {lit, FADE_NOT_DRAWN};
    for (int level = 0; level <= 255; level++) {
        draw_fade_frame(last_fade, work, level);
        draw_lit_sprite(expected, work, 0, 0, level);
        ASSERT_TRUE(same_pixels(lit, expected)) << "last frame at level " << level;
    }
    for (BITMAP *b : {card, backdrop, riser, work, expected, lit})
        destroy_bitmap(b);
}
