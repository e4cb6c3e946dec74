// Level files: the token rules, what a load sets and leaves, and refused files.
#include "fixtures.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "levels/levels.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

class LevelFiles : public PlayTest {
protected:
    void SetUp() override
    {
        PlayTest::SetUp();
        ASSERT_EQ(std::system("mkdir -p levels"), 0);
    }
    void write(const std::string &path, const std::string &text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string problem_of(const std::string &text)
    {
        std::istringstream in(text);
        static LevelFile level;
        return read_level(in, SPRITES_COUNT, level);
    }
    TemporaryFolder folder{true};
};

const char TWO_ENEMIES[] = "2 levels\\a.qlv levels\\b.qlv\n0 1 5 7\n30 4 12 -3\n";

TEST_F(LevelFiles, LoadSetsTheLevelsStartingState)
{
    write("levels/a.qlv", TWO_ENEMIES);
    enemies[0].heading = 1;
    enemies[1] = Enemy{40.0, 60.0, 1, 0, 0, 5, 0, 0, 1}; // flying and done in the last level
    spawn_countdown = 7.5;
    explosion_timer[0] = 0;
    player_x = 20.0;
    enemy_shots[5] = Shot{500, 1, 300.0};
    next_enemy = 9;
    load_level("levels\\a.qlv");
    EXPECT_EQ(enemy_count, 2);
    EXPECT_STREQ(this_level_file, "levels\\a.qlv");
    EXPECT_STREQ(next_level_file, "levels\\b.qlv");
    EXPECT_EQ(next_enemy, 0);
    EXPECT_EQ(enemies[1].delay, 30);
    EXPECT_EQ(enemies[1].sprite, 4);
    EXPECT_EQ(enemies[1].pattern, 12);
    EXPECT_EQ(enemies[1].extra, -3);
    EXPECT_EQ(enemies[1].x, 500.0);
    EXPECT_EQ(enemies[1].y, 0.0);
    EXPECT_EQ(enemies[1].active, 0);
    EXPECT_EQ(enemies[1].done, 0);
    EXPECT_EQ(enemy_shots[5].active, 0);
    EXPECT_EQ(enemy_shots[5].x, 0);
    EXPECT_EQ(enemy_shots[5].y, 0.0);
    EXPECT_EQ(player_x, 160.0);
    EXPECT_EQ(player_y, 184.0);
    // What a load leaves alone.
    EXPECT_EQ(enemies[0].heading, 1);
    EXPECT_EQ(spawn_countdown, 7.5);
    EXPECT_EQ(explosion_timer[0], 0);
}

TEST_F(LevelFiles, LayoutAndLineEndsDoNotMatter)
{
    const std::string forms[] = {
        "2 levels\\a.qlv levels\\b.qlv 0 1 5 7 30 4 12 -3",
        "2\r\nlevels\\a.qlv\r\nlevels\\b.qlv\r\n0 1 5 7\r\n30 4 12 -3\r\n",
        "2 levels\\a.qlv\n levels\\b.qlv 0\n1\n5 7 30\t4 12\n\n-3 and then some trailing words 99",
    };
    for (const std::string &form : forms) {
        write("levels/a.qlv", form);
        load_level("levels\\a.qlv");
        EXPECT_EQ(enemy_count, 2);
        EXPECT_STREQ(next_level_file, "levels\\b.qlv");
        EXPECT_EQ(enemies[0].pattern, 5);
        EXPECT_EQ(enemies[1].extra, -3) << form;
    }
}

TEST_F(LevelFiles, ShorterLevelLeavesTheSurplusRecords)
{
    write("levels/a.qlv", TWO_ENEMIES);
    write("levels/b.qlv", "1 levels\\b.qlv levels\\b.qlv 5 2 7 0");
    load_level("levels\\a.qlv");
    load_level(next_level_file); // the name buffer the load overwrites
    EXPECT_EQ(enemy_count, 1);
    EXPECT_STREQ(this_level_file, "levels\\b.qlv");
    EXPECT_EQ(enemies[0].pattern, 7);
    EXPECT_EQ(enemies[1].pattern, 12) << "record 1 keeps the longer level's entry";
    load_level(this_level_file); // a chain that names itself reloads fine
    EXPECT_STREQ(next_level_file, "levels\\b.qlv");
}

TEST_F(LevelFiles, WhatThePlayerCanPlayIsAccepted)
{
    EXPECT_EQ(problem_of("0 a b"), "");
    EXPECT_EQ(problem_of("1 a b -40 0 1 -2147483648"), "") << "negative delays and any extra";
    std::string names(255, 'n');
    EXPECT_EQ(problem_of("0 " + names + " " + names), "");
    EXPECT_EQ(problem_of("\xEF\xBB\xBF" "0 a b"), "") << "a byte order mark before the count";
    std::string two_hundred = "200 a b";
    for (int i = 0; i < 200; i++)
        two_hundred += " 0 3 11 0";
    EXPECT_EQ(problem_of(two_hundred), "");
}

TEST_F(LevelFiles, DamagedOrUnplayableFilesAreRefusedWithTheirReason)
{
    struct Case { std::string text, reason; };
    const Case cases[] = {
        {"", "the enemy count is missing or not a whole number"},
        {"many a b", "the enemy count is missing or not a whole number"},
        {"-1 a b", "the enemy count -1 is outside 0 to 200"},
        {"201 a b", "the enemy count 201 is outside 0 to 200"},
        {"99999999999 a b", "the enemy count is missing or not a whole number"},
        {"0 a", "the next file name is missing"},
        {"0 " + std::string(256, 'x') + " b", "the restart file name is longer than 255 characters"},
        {"2 a b 0 1 5 7 30 4", "enemy entry 2: the pattern is missing or not a whole number"},
        {"1 a b 0 x 5 7", "enemy entry 1: the sprite is missing or not a whole number"},
        {"1 a b 1.5 1 5 7", "enemy entry 1: the delay is missing or not a whole number"},
        {"1 a b 0 12x 5 7", "enemy entry 1: the sprite is missing or not a whole number"},
        {"2x a b", "the enemy count is missing or not a whole number"},
        {"1 a b 0 1 5 " + std::string(30, '9'), "enemy entry 1: the fourth number is missing or not a whole number"},
        {"1 a b 0 14 5 7", "enemy entry 1: sprite 14 is not a picture of sprites.dat (0 to 13)"},
        {"1 a b 0 -1 5 7", "enemy entry 1: sprite -1 is not a picture of sprites.dat (0 to 13)"},
        {"2 a b 0 1 5 7 0 1 13 0", "enemy entry 2: pattern 13 is outside 1 to 12"},
        {"1 a b 0 1 0 0", "enemy entry 1: pattern 0 is outside 1 to 12"},
        {std::string("0 a\0b c", 7), "the restart file name holds a NUL byte"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(problem_of(c.text), c.reason) << c.text.substr(0, 40);
}

TEST_F(LevelFiles, BackslashesBecomeSlashes)
{
    EXPECT_EQ(level_path("levels\\level1.qlv"), "levels/level1.qlv");
    EXPECT_EQ(level_path("plain.qlv"), "plain.qlv");
}

using LevelFilesDeathTest = LevelFiles;

TEST_F(LevelFilesDeathTest, MissingOrRefusedFilesEndTheGame)
{
    EXPECT_EXIT(load_level("levels\\nowhere.qlv"), ::testing::ExitedWithCode(1), "");
    // A folder or a FIFO is no level, and a FIFO is not waited on for a writer.
    ASSERT_EQ(std::system("mkdir levels/folder.qlv && mkfifo levels/fifo.qlv"), 0);
    for (const char *name : {"levels\\folder.qlv", "levels\\fifo.qlv"})
        EXPECT_FATAL(load_level(name), "Level not found!") << name;
    // The message names the file as it is, a "%" in its name included.
    write("levels/100%s.qlv", "1 a b 0 1 13 0");
    EXPECT_FATAL(load_level("levels\\100%s.qlv"),
                 "Level file levels/100%s.qlv cannot be played:\nenemy entry 1: pattern 13 is outside 1 to 12");
}

} // namespace
