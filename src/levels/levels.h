// Levels and progression: level files, the tally and shop, lives and game over.
#pragma once

#include <allegro.h>
#include <istream>
#include <string>

// ---- Level files -----------------------------------------------------------

// The first level of every game.
extern const char FIRST_LEVEL_FILE[];

// One enemy entry of a level file.
struct LevelEntry {
    int delay;
    int sprite;
    int pattern;
    int extra;
};

// A level file as read, before it is put into the game state.
struct LevelFile {
    int enemy_count;
    std::string this_file; // restart file
    std::string next_file; // file that follows
    LevelEntry entries[200];
};

// Reads a level file from a stream with the game's rules. Returns an empty
// string when the file is fit to play, else what is wrong and where.
// sprite_limit is the number of sprites entries an enemy may name.
std::string read_level(std::istream &in, int sprite_limit, LevelFile &level);

// A level file name as written in the files (backslashes) turned into a path here.
std::string level_path(const char *file_name);

// Loads a level into the game state; a missing or refused file is fatal.
void load_level(const char *file_name);

// ---- Level completion, tally and shop --------------------------------------
void check_level_complete(DATAFILE *backgrounds);
void level_complete(DATAFILE *backgrounds);

// The shop's items, by the digit key that buys them.
enum ShopItem { ITEM_MAX_BULLETS = 1, ITEM_BULLET_SPEED, ITEM_SHIELDS, ITEM_SHIELD_LENGTH, ITEM_LIFE };

enum PurchaseResult {
    PURCHASE_TOO_DEAR, // not enough points: the refusal message
    PURCHASE_DONE,     // bought and paid: the thank-you message
    PURCHASE_AT_LIMIT  // enough points but the item is maxed: nothing happens
};

// Tries to buy one item with total_points, applying its effect if bought.
PurchaseResult buy_item(int item);

// ---- Death, lives and game over --------------------------------------------
void player_death(DATAFILE *backgrounds, DATAFILE *sprites, DATAFILE *sounds, DATAFILE *music);

// The resets of a lost life, after the player has confirmed the lives screen.
void reset_after_lost_life();
