// Stand-in pictures and sounds, a known game state, a temporary folder, a screen in memory and a
// catcher of fatal messages, for tests without a display.
#pragma once

#include <allegro.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

// A datafile of `count` entries built in memory: 16x16 (or given size)
// pictures filled with distinct raw colours, or silent samples.
DATAFILE *make_picture_datafile(int count, int width = 16, int height = 16);
DATAFILE *make_sound_datafile(int count);
// Tunes that are never played: the unit tests' play_midi only records which one was asked for.
DATAFILE *make_tune_datafile(int count);
void free_test_datafile(DATAFILE *data);

// The raw 16-bit colour the picture of entry `entry` is filled with.
int picture_colour(int entry);

// Whether two 320x200 16-bit bitmaps hold the same pixels.
bool same_pixels(BITMAP *a, BITMAP *b);

// Every global of play back to a fresh life at the start of a level: ship at
// 160, four bullet slots parked, no enemies, no shots, no keys held.
void reset_play_state();

// A fresh temporary folder, removed with all it holds when the test ends; entered, it is the
// working directory meanwhile, as the game's own folder is.
class TemporaryFolder {
public:
    explicit TemporaryFolder(bool enter = false);
    ~TemporaryFolder();
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

// `screen` as a 320x200 bitmap in memory while it lives; the screen before it afterwards.
class MemoryScreen {
public:
    MemoryScreen();
    ~MemoryScreen();

private:
    BITMAP *previous;
};

// Runs `statement` in a child process and expects the game's way of giving up: status 1, with
// its message (which goes to the standard output without a display) matching `matcher`, a
// regular expression or a GoogleTest string matcher.
#define EXPECT_FATAL(statement, matcher)                                                           \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            std::fflush(stdout);                                                                   \
            dup2(2, 1);                                                                            \
            statement;                                                                             \
        },                                                                                         \
        ::testing::ExitedWithCode(1), matcher)

// The game's calls to open, read, write, close, fsync, fchmod, flock, rename, memfd_create and
// create_bitmap are wrapped at link time: the next `count` calls to one fail with `error` (a
// failed close still closes); a read or write failing with error 0 moves one byte, as a short
// one does.
void fail_next(const char *call, int error, int count = 1);
void clear_faults();

// Test fixture base: a fresh play state and stand-in sprites and sounds, whose samples the
// sound log names by entry.
#include <gtest/gtest.h>
class PlayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    DATAFILE *sprites = nullptr;
    DATAFILE *sounds = nullptr;
};
