// High scores: the ten-entry table, its file, and the screens that show and fill it.
#pragma once

#include <istream>
#include <ostream>
#include <string>

const int HIGH_SCORE_ENTRIES = 10;
const int NAME_ENTRY_CHARACTERS = 12; // the most characters the name box accepts

extern int high_scores[HIGH_SCORE_ENTRIES];         // index 0 the best
extern std::string high_names[HIGH_SCORE_ENTRIES];  // the name beside each score

// The table file in the working directory.
extern const char HIGH_SCORE_FILE[];

void load_high_scores();
void save_high_scores();
int high_score_rank(int score);

// Inserts a name and score at place (0 to 9), moving the entries below down one.
void insert_high_score(int place, const std::string &name, int score);

// Reads a table from a stream; entries from a damaged point on become blank.
void read_high_scores(std::istream &in);
// Writes the table in the file's format.
void write_high_scores(std::ostream &out);

// The screens.
void show_high_scores();
void enter_high_score(int place, int score);
