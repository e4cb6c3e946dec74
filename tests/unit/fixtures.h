// Stand-in pictures and sounds, and a known game state, for tests without a display.
#pragma once

#include <allegro.h>

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
