// The high score table: ranking, insertion, and the file's format read and written.
#include "highscores/highscores.h"

#include "frame/files.h"

#include <algorithm>
#include <climits>
#include <sstream>
#include <vector>

int high_scores[HIGH_SCORE_ENTRIES] = {};
std::string high_names[HIGH_SCORE_ENTRIES];

const char BLANK_NAME[] = "Empty";
const char DEFAULT_NAME[] = "Pilot";

// The copy of the table that an insertion shifts entries from.
static std::string scratch_names[HIGH_SCORE_ENTRIES];
static int scratch_scores[HIGH_SCORE_ENTRIES] = {};

// UTF-8 continuation bytes look like 10xxxxxx; a character has at most three of them.
static const unsigned char UTF8_CONTINUATION_MASK = 0xC0;
static const unsigned char UTF8_CONTINUATION_BITS = 0x80;
static const int UTF8_MOST_CONTINUATIONS = 3;
static const int DECIMAL_BASE = 10;
// The most of a file read to see whether it is laid out as pairs of lines: ten pairs of the
// longest names are far less.
static const size_t LINE_PAIRS_LIMIT = 16384;

// The bytes that separate the file's fields.
static bool is_field_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

static bool is_utf8_continuation(char c)
{
    return (static_cast<unsigned char>(c) & UTF8_CONTINUATION_MASK) == UTF8_CONTINUATION_BITS;
}

int high_score_rank(int score)
{
    int rank = -1;
    for (int i = HIGH_SCORE_ENTRIES - 1; i >= 0; --i)
        if (score > high_scores[i])
            rank = i;
    return rank;
}

// A name longer than the file keeps, cut to NAME_TOKEN_LIMIT bytes. A UTF-8 character that
// would be split goes whole; bytes that are not UTF-8 are cut where the limit falls.
static std::string cut_name(const std::string &name)
{
    if (name.size() <= size_t(NAME_TOKEN_LIMIT))
        return name;
    size_t length = NAME_TOKEN_LIMIT;
    for (int step = 0; step < UTF8_MOST_CONTINUATIONS && is_utf8_continuation(name[length]); ++step)
        --length;
    if (is_utf8_continuation(name[length]))
        length = NAME_TOKEN_LIMIT;
    return name.substr(0, length);
}

// A name the file can carry and give back unchanged: no whitespace, not empty, not too long.
static std::string storable_name(const std::string &name)
{
    std::string stored = cut_name(name);
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

// Skips any run of whitespace. False when the stream ends first.
static bool skip_field_space(std::istream &in)
{
    const int end = std::istream::traits_type::eof();
    int c = in.peek();
    while (c != end && is_field_space(c)) {
        in.get();
        c = in.peek();
    }
    return c != end;
}

// Consumes the rest of a field without keeping it, so a huge field costs no memory.
static void skip_field(std::istream &in)
{
    const int end = std::istream::traits_type::eof();
    for (int c = in.peek(); c != end && !is_field_space(c); c = in.peek())
        in.get();
}

// Reads a name field, cut as cut_name does; the bytes past the cut are dropped unread.
static bool read_name(std::istream &in, std::string &name)
{
    name.clear();
    if (!skip_field_space(in))
        return false;
    const int end = std::istream::traits_type::eof();
    // One byte past the limit tells cut_name whether a character is split.
    for (int c = in.peek(); c != end && !is_field_space(c) && name.size() <= size_t(NAME_TOKEN_LIMIT);
         c = in.peek())
        name.push_back(static_cast<char>(in.get()));
    skip_field(in);
    name = cut_name(name);
    return true;
}

// Reads a score field: an optional sign and the digits after it, clamped to int's range. Bytes
// after the digits are dropped, and a field with no digits reads 0. False when the stream ends
// before the field.
static bool read_score(std::istream &in, int &score)
{
    if (!skip_field_space(in))
        return false;
    int c = in.peek();
    bool negative = c == '-';
    if (c == '+' || c == '-') {
        in.get();
        c = in.peek();
    }
    const long long most = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; c >= '0' && c <= '9'; c = in.peek()) {
        value = std::min(value * DECIMAL_BASE + (c - '0'), most);
        in.get();
    }
    skip_field(in);
    score = static_cast<int>(negative ? -value : value);
    return true;
}

// Blanks the entries from `first` on, which the file does not hold.
static void blank_entries_from(int first)
{
    for (int i = first; i < HIGH_SCORE_ENTRIES; ++i) {
        high_names[i] = BLANK_NAME;
        high_scores[i] = 0;
    }
}

static std::string trimmed(const std::string &line)
{
    size_t first = 0, end = line.size();
    while (first < end && is_field_space(static_cast<unsigned char>(line[first])))
        first++;
    while (end > first && is_field_space(static_cast<unsigned char>(line[end - 1])))
        end--;
    return line.substr(first, end - first);
}

static bool is_score_line(const std::string &line)
{
    size_t digits = line[0] == '+' || line[0] == '-' ? 1 : 0;
    return line.size() > digits &&
           line.find_first_not_of("0123456789", digits) == std::string::npos;
}

// A table laid out as pairs of lines, a line of text and then a line holding only a number, with
// a space inside some name (as a hand-edited table may have): read by lines, so that every name
// stays with its score, its spaces made the underscores it will be saved with. False, reading
// nothing, for any other layout.
static bool read_line_pairs(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool spaced_name = false;
    for (std::string line; std::getline(in, line);) {
        line = trimmed(line);
        if (line.empty())
            continue;
        if (lines.size() % 2 == 0)
            spaced_name |= line.find_first_of(" \t\v\f\r") != std::string::npos;
        else if (!is_score_line(line))
            return false;
        lines.push_back(line);
    }
    if (!spaced_name || lines.size() % 2 != 0)
        return false;
    int entries = std::min(HIGH_SCORE_ENTRIES, static_cast<int>(lines.size() / 2));
    for (int i = 0; i < entries; ++i) {
        std::istringstream score(lines[2 * i + 1]);
        high_names[i] = storable_name(lines[2 * i]);
        read_score(score, high_scores[i]);
    }
    blank_entries_from(entries);
    return true;
}

void read_high_scores(std::istream &in)
{
    skip_byte_order_mark(in);
    std::streampos start = in.tellg();
    if (start != std::streampos(-1)) {
        std::string head(LINE_PAIRS_LIMIT + 1, '\0');
        in.read(&head[0], static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<size_t>(in.gcount()));
        if (head.size() <= LINE_PAIRS_LIMIT && read_line_pairs(head))
            return;
        in.clear();
        in.seekg(start);
    }
    int i = 0;
    for (; i < HIGH_SCORE_ENTRIES; ++i) {
        std::string name;
        int score = 0;
        if (!read_name(in, name) || !read_score(in, score))
            break;
        high_names[i] = name;
        high_scores[i] = score;
    }
    // Only a file that ends early leaves entries unread; a name without its score is one of them.
    blank_entries_from(i);
}

void write_high_scores(std::ostream &out)
{
    // The reader skips a byte order mark at the start of the file, so a first name that starts
    // with those bytes gets one more in front and reads back whole.
    if (storable_name(high_names[0]).compare(0, BYTE_ORDER_MARK_SIZE, BYTE_ORDER_MARK) == 0)
        out << BYTE_ORDER_MARK;
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i)
        out << storable_name(high_names[i]) << '\n' << high_scores[i] << '\n';
}
