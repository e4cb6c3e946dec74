// The high score table: ranking, insertion, and reading and writing highscores.sco.
#include "highscores/highscores.h"

#include "frame/fatal.h"

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <locale>
#include <sstream>
#include <unistd.h>

int high_scores[HIGH_SCORE_ENTRIES] = {};
std::string high_names[HIGH_SCORE_ENTRIES];

const char HIGH_SCORE_FILE[] = "highscores.sco";
const char HIGH_SCORE_TEMP_FILE[] = "highscores.sco.tmp";
const char BLANK_NAME[] = "Empty";
const char DEFAULT_NAME[] = "Pilot";

// The copy of the table that an insertion shifts entries from.
static std::string scratch_names[HIGH_SCORE_ENTRIES];
static int scratch_scores[HIGH_SCORE_ENTRIES] = {};

static const char FILE_ERROR[] = "Something messy\n\nOK TO QUIT!";

// A score field holds a sign and at most ten digits; a little slack allows leading zeros.
static const size_t SCORE_TOKEN_LIMIT = 20;
// The most whitespace accepted between two fields; more means the file is damaged.
static const size_t FIELD_GAP_LIMIT = 1024;
// UTF-8 continuation bytes look like 10xxxxxx.
static const unsigned char UTF8_CONTINUATION_MASK = 0xC0;
static const unsigned char UTF8_CONTINUATION_BITS = 0x80;

// The bytes that separate the file's fields.
static bool is_field_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int high_score_rank(int score)
{
    int rank = -1;
    for (int i = HIGH_SCORE_ENTRIES - 1; i >= 0; --i)
        if (score > high_scores[i])
            rank = i;
    return rank;
}

// A name the file can carry and give back unchanged: no whitespace, not empty, not too long.
static std::string storable_name(const std::string &name)
{
    size_t length = name.size();
    if (length > size_t(NAME_TOKEN_LIMIT)) {
        // Cut on a character boundary so no half character is stored.
        length = NAME_TOKEN_LIMIT;
        while (length > 0 &&
               (static_cast<unsigned char>(name[length]) & UTF8_CONTINUATION_MASK) == UTF8_CONTINUATION_BITS)
            --length;
    }
    std::string stored = name.substr(0, length);
    if (stored.empty())
        return DEFAULT_NAME;
    for (char &c : stored)
        if (is_field_space(static_cast<unsigned char>(c)))
            c = '_';
    return stored;
}

void insert_high_score(int place, const std::string &name, int score)
{
    if (place < 0 || place >= HIGH_SCORE_ENTRIES)
        return;
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i) {
        scratch_names[i] = high_names[i];
        scratch_scores[i] = high_scores[i];
    }
    for (int i = place; i < HIGH_SCORE_ENTRIES - 1; ++i) {
        high_names[i + 1] = scratch_names[i];
        high_scores[i + 1] = scratch_scores[i];
    }
    high_names[place] = storable_name(name);
    high_scores[place] = score;
}

// Reads the next whitespace-separated field of at most limit bytes. False when the stream
// ends first, the gap before it is too long or the field is longer than limit.
static bool read_field(std::istream &in, size_t limit, std::string &field)
{
    const int end = std::istream::traits_type::eof();
    field.clear();
    size_t gap = 0;
    int c = in.peek();
    while (c != end && is_field_space(c)) {
        if (++gap > FIELD_GAP_LIMIT)
            return false;
        in.get();
        c = in.peek();
    }
    while (c != end && !is_field_space(c)) {
        if (field.size() == limit)
            return false;
        field.push_back(static_cast<char>(c));
        in.get();
        c = in.peek();
    }
    return !field.empty();
}

// Parses an optionally signed decimal that fills the whole field and fits an int.
static bool parse_score(const std::string &field, int &score)
{
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    if (i == field.size())
        return false;
    const long long most = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
        value = value * 10 + (field[i] - '0');
        if (value > most)
            return false;
    }
    score = static_cast<int>(negative ? -value : value);
    return true;
}

void read_high_scores(std::istream &in)
{
    int i = 0;
    for (; i < HIGH_SCORE_ENTRIES; ++i) {
        std::string name, score_field;
        int score = 0;
        if (!read_field(in, NAME_TOKEN_LIMIT, name) || !read_field(in, SCORE_TOKEN_LIMIT, score_field) ||
            !parse_score(score_field, score))
            break;
        high_names[i] = name;
        high_scores[i] = score;
    }
    // Nothing after a damaged field can be trusted to be in step.
    for (; i < HIGH_SCORE_ENTRIES; ++i) {
        high_names[i] = BLANK_NAME;
        high_scores[i] = 0;
    }
}

void write_high_scores(std::ostream &out)
{
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i)
        out << storable_name(high_names[i]) << '\n' << high_scores[i] << '\n';
}

void load_high_scores()
{
    std::ifstream in(HIGH_SCORE_FILE, std::ios::binary);
    if (!in.is_open())
        fatal_error("%s", FILE_ERROR);
    read_high_scores(in);
}

// Writes bytes to the temporary file and forces them to the disk. False on any failure,
// after removing the partial temporary file.
static bool write_temp_file(const std::string &bytes)
{
    FILE *file = std::fopen(HIGH_SCORE_TEMP_FILE, "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                   std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::remove(HIGH_SCORE_TEMP_FILE);
    return written;
}

// Makes the rename itself durable. Only a power cut right after a save could lose it, and
// then the old table is still there, so a failure here is not worth ending the game for.
static void sync_working_directory()
{
    int directory = open(".", O_RDONLY | O_DIRECTORY);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
}

// The new table goes to a temporary file first and replaces the old one in a single rename,
// so a crash or a full disk never leaves a half-written table behind.
void save_high_scores()
{
    std::ostringstream table;
    table.imbue(std::locale::classic()); // plain digits whatever the global locale
    write_high_scores(table);
    if (!write_temp_file(table.str()))
        fatal_error("%s", FILE_ERROR);
    if (std::rename(HIGH_SCORE_TEMP_FILE, HIGH_SCORE_FILE) != 0) {
        std::remove(HIGH_SCORE_TEMP_FILE);
        fatal_error("%s", FILE_ERROR);
    }
    sync_working_directory();
}
