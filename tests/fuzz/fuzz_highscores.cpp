// Fuzz target for highscores.sco: whatever the bytes, the table read from them has ten entries
// whose names the file can carry, and writing it out and reading it back changes nothing.
// Bytes after a NUL, if any, are also typed into the table as a player's name.
#include "fuzz_check.h"

#include "highscores/highscores.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

static const char *const FIELD_SPACE = " \t\n\r\v\f";

static void check_storable(const std::string &name)
{
    FUZZ_CHECK(!name.empty(), "an empty name");
    FUZZ_CHECK(name.size() <= static_cast<size_t>(NAME_TOKEN_LIMIT), "a name past the limit");
    FUZZ_CHECK(name.find_first_of(FIELD_SPACE) == std::string::npos, "a name with whitespace");
}

struct Table {
    std::string names[HIGH_SCORE_ENTRIES];
    int scores[HIGH_SCORE_ENTRIES];
};

static Table current_table()
{
    Table table;
    for (int i = 0; i < HIGH_SCORE_ENTRIES; i++) {
        table.names[i] = high_names[i];
        table.scores[i] = high_scores[i];
    }
    return table;
}

static bool same_table(const Table &a, const Table &b)
{
    for (int i = 0; i < HIGH_SCORE_ENTRIES; i++)
        if (a.names[i] != b.names[i] || a.scores[i] != b.scores[i])
            return false;
    return true;
}

static std::string written_table()
{
    std::ostringstream out;
    write_high_scores(out);
    return out.str();
}

// The written form has twenty lines, each a line feed after a non-empty field, nothing more.
static void check_written_form(const std::string &text)
{
    size_t lines = 0, start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        FUZZ_CHECK(end > start, "an empty line in the written table");
        lines++;
    }
    FUZZ_CHECK(start == text.size(), "the written table does not end with a line feed");
    FUZZ_CHECK(lines == 2 * HIGH_SCORE_ENTRIES, "the written table is not twenty lines");
}

// Writes the table, reads it back and writes it again: the same table, the same bytes.
static void check_round_trip()
{
    Table before = current_table();
    std::string text = written_table();
    check_written_form(text);
    std::istringstream in(text);
    read_high_scores(in);
    FUZZ_CHECK(same_table(before, current_table()), "the table changed through the file");
    FUZZ_CHECK(written_table() == text, "writing the table again gave other bytes");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const char *nul = static_cast<const char *>(std::memchr(bytes, '\0', size));
    size_t file_size = nul ? static_cast<size_t>(nul - bytes) : size;

    std::istringstream in(std::string(bytes, file_size));
    read_high_scores(in);
    for (int i = 0; i < HIGH_SCORE_ENTRIES; i++)
        check_storable(high_names[i]);
    check_round_trip();

    if (nul) {
        std::string typed(nul + 1, size - file_size - 1);
        int score = static_cast<int>(typed.size());
        int place = high_score_rank(score);
        FUZZ_CHECK(place >= -1 && place < HIGH_SCORE_ENTRIES, "rank out of range");
        insert_high_score(place < 0 ? HIGH_SCORE_ENTRIES - 1 : place, typed, score);
        for (int i = 0; i < HIGH_SCORE_ENTRIES; i++)
            check_storable(high_names[i]);
        check_round_trip();
    }
    return 0;
}
