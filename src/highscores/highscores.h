// High scores: the ten-entry table, its file, and the screens that show and fill it.
#pragma once

#include <istream>
#include <ostream>
#include <string>

const int HIGH_SCORE_ENTRIES = 10;
const int NAME_ENTRY_CHARACTERS = 12; // the most characters the name box accepts
// Allegro's edit box needs room for every character at its widest (4 bytes) plus the terminator.
const int NAME_ENTRY_BYTES_PER_CHARACTER = 4;
const int NAME_ENTRY_SIZE = (NAME_ENTRY_CHARACTERS + 1) * NAME_ENTRY_BYTES_PER_CHARACTER;

// The longest name the file keeps, in bytes: far more than the box's longest name. A longer
// name, read or typed, is cut to it.
const int NAME_TOKEN_LIMIT = 255;

extern int high_scores[HIGH_SCORE_ENTRIES];         // index 0 the best
extern std::string high_names[HIGH_SCORE_ENTRIES];  // the name beside each score

// The table file in the working directory, and how the names of the temporary files a new
// table is written to before it replaces the file begin (each game's own follow).
extern const char HIGH_SCORE_FILE[];
extern const char HIGH_SCORE_TEMP_FILE[];

// What a blank entry holds, and the name stored for a player who typed none.
extern const char BLANK_NAME[];
extern const char DEFAULT_NAME[];

void load_high_scores();
void save_high_scores();
int high_score_rank(int score);

// The end of a name entry: reads the file again with other games locked out (for a few seconds
// at most), inserts the name and score where they rank there, and saves; a table removed
// meanwhile is saved afresh from the one in memory. Returns that place, or -1 when the score no
// longer ranks (another game saved better ones meanwhile) and nothing was saved.
int record_high_score(const std::string &name, int score);

// What stops the table from being saved (the file, and why), or an empty string when a save
// would succeed; tried with a temporary file that is removed again.
std::string find_high_score_save_problem();
// At start-up: one message box when the table could not be saved, then play goes on.
void warn_if_high_scores_unsaveable();

// Inserts a name and score at place (0 to 9), moving the entries below down one.
void insert_high_score(int place, const std::string &name, int score);

// Reads a table from a stream. Every entry the stream holds is kept, as near as it can be read;
// only the entries missing at its end become blank.
void read_high_scores(std::istream &in);
// Writes the table in the file's format.
void write_high_scores(std::ostream &out);

// The screens.
struct BITMAP;
// Draws the heading and the ten rows, placed for a screen of the given size.
void draw_high_score_table(BITMAP *bitmap, int screen_w, int screen_h);
void show_high_scores();
// Asks for a name once every key is let go, then records the score with it.
void enter_high_score(int score);

// At the end of a game: name entry and the table when the score ranks, else nothing.
void offer_high_score(int score);
