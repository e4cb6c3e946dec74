// The high score table: ranking, insertion, the file format, damaged files and safe saving.
#include "fixtures.h"

#include "highscores/highscores.h"

#include <allegro.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char MESSY[] = "Something messy\n\nOK TO QUIT!";

// The example table: ACE with 2500, then nine blank entries.
const std::string EXAMPLE_FILE = "ACE\n2500\nEmpty\n0\nEmpty\n0\nEmpty\n0\nEmpty\n0\n"
                                 "Empty\n0\nEmpty\n0\nEmpty\n0\nEmpty\n0\nEmpty\n0\n";

struct Entry {
    std::string name;
    int score;
    bool operator==(const Entry &other) const { return name == other.name && score == other.score; }
};

void PrintTo(const Entry &entry, std::ostream *out)
{
    *out << '"' << entry.name << "\" " << entry.score;
}

void set_table(const std::vector<Entry> &entries)
{
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i) {
        high_names[i] = entries.at(i).name;
        high_scores[i] = entries.at(i).score;
    }
}

void set_scores(std::initializer_list<int> scores)
{
    int i = 0;
    for (int score : scores) {
        high_names[i] = "P" + std::to_string(i);
        high_scores[i++] = score;
    }
}

std::vector<Entry> table()
{
    std::vector<Entry> entries;
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i)
        entries.push_back({high_names[i], high_scores[i]});
    return entries;
}

std::vector<Entry> example_table()
{
    std::vector<Entry> entries(HIGH_SCORE_ENTRIES, {"Empty", 0});
    entries[0] = {"ACE", 2500};
    return entries;
}

// A table unlike anything a test reads, so a read that leaves entries alone shows.
void scribble_table()
{
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i) {
        high_names[i] = "stale";
        high_scores[i] = -7;
    }
}

std::vector<Entry> read_text(const std::string &text)
{
    scribble_table();
    std::istringstream in(text);
    read_high_scores(in);
    return table();
}

std::string written_text()
{
    std::ostringstream out;
    write_high_scores(out);
    return out.str();
}

// The first `good` entries as given, the rest blank.
std::vector<Entry> blank_from(std::vector<Entry> entries, int good)
{
    for (int i = good; i < HIGH_SCORE_ENTRIES; ++i)
        entries[i] = {"Empty", 0};
    return entries;
}

std::vector<Entry> numbered_table()
{
    std::vector<Entry> entries;
    for (int i = 0; i < HIGH_SCORE_ENTRIES; ++i)
        entries.push_back({"N" + std::to_string(i), 1000 - 100 * i});
    return entries;
}

std::string file_text(const std::vector<Entry> &entries)
{
    std::string text;
    for (const Entry &entry : entries)
        text += entry.name + "\n" + std::to_string(entry.score) + "\n";
    return text;
}

} // namespace

// ---- Ranking and insertion -------------------------------------------------

TEST(HighScoreRank, FindsTheFirstPlaceStrictlyBelowTheScore)
{
    set_scores({1000, 900, 800, 700, 600, 500, 400, 300, 200, 100});
    EXPECT_EQ(high_score_rank(100), -1);
    EXPECT_EQ(high_score_rank(101), 9);
    EXPECT_EQ(high_score_rank(1000), 1);
    EXPECT_EQ(high_score_rank(1001), 0);
    EXPECT_EQ(high_score_rank(-5), -1);
}

TEST(HighScoreRank, TiesKeepTheOlderEntriesAbove)
{
    set_scores({900, 800, 700, 600, 600, 500, 400, 300, 200, 100});
    EXPECT_EQ(high_score_rank(600), 5);
    EXPECT_EQ(high_score_rank(601), 3);
}

TEST(HighScoreRank, AnOutOfOrderTableIsLoadedAsItIsAndRankedByFirstLowerEntry)
{
    std::vector<Entry> shuffled = {{"a", 300}, {"b", 900}, {"c", 100}, {"d", 700}, {"e", 50},
                                   {"f", 800}, {"g", 0},   {"h", 600}, {"i", 10},  {"j", 1000}};
    EXPECT_EQ(read_text(file_text(shuffled)), shuffled);
    EXPECT_EQ(high_score_rank(200), 2);
    EXPECT_EQ(high_score_rank(400), 0);
    EXPECT_EQ(high_score_rank(60), 4);
    EXPECT_EQ(high_score_rank(-1), -1);
}

TEST(HighScoreInsert, AtTheTopEveryEntryMovesDownAndTheTenthIsDropped)
{
    set_table(numbered_table());
    insert_high_score(0, "NEW", 5000);
    std::vector<Entry> expected = numbered_table();
    expected.insert(expected.begin(), {"NEW", 5000});
    expected.pop_back();
    EXPECT_EQ(table(), expected);
}

TEST(HighScoreInsert, AtTheBottomOnlyTheTenthIsReplaced)
{
    set_table(numbered_table());
    insert_high_score(9, "LAST", 150);
    std::vector<Entry> expected = numbered_table();
    expected[9] = {"LAST", 150};
    EXPECT_EQ(table(), expected);
}

TEST(HighScoreInsert, BelowATieAndOutsideTheTable)
{
    set_scores({900, 800, 700, 600, 600, 500, 400, 300, 200, 100});
    std::vector<Entry> before = table();
    insert_high_score(high_score_rank(600), "TIE", 600);
    std::vector<Entry> expected = before;
    expected.insert(expected.begin() + 5, {"TIE", 600});
    expected.pop_back();
    EXPECT_EQ(table(), expected);

    // A place the ranking never gives changes nothing.
    before = table();
    insert_high_score(-1, "NOPE", 1);
    insert_high_score(HIGH_SCORE_ENTRIES, "NOPE", 1);
    EXPECT_EQ(table(), before);
}

// ---- The file format ---------------------------------------------------------

TEST(HighScoreFormat, WritesTheExampleByteForByteAndReadsItBack)
{
    set_table(example_table());
    std::string text = written_text();
    EXPECT_EQ(text.size(), 81u);
    EXPECT_EQ(text, EXAMPLE_FILE);
    EXPECT_EQ(read_text(text), example_table());
}

TEST(HighScoreFormat, CarriageReturnsBlankLinesAndSpacesReadLikeTheCanonicalForm)
{
    std::string crlf;
    for (char c : EXAMPLE_FILE)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(read_text(crlf), example_table());

    std::string loose = "\n\n  ACE \t 2500\r\n\n" + EXAMPLE_FILE.substr(9);
    EXPECT_EQ(read_text(loose), example_table());

    // A byte order mark before the first name is skipped; a name that merely starts like one
    // is kept whole.
    EXPECT_EQ(read_text("\xEF\xBB\xBF" + EXAMPLE_FILE), example_table());
    EXPECT_EQ(read_text("\xEF\xBB\x80" + EXAMPLE_FILE)[0], (Entry{"\xEF\xBB\x80" "ACE", 2500}));
    // A first name that itself starts with one is saved so that it reads back whole.
    std::vector<Entry> marked = example_table();
    marked[0].name = "\xEF\xBB\xBF" "ACE";
    set_table(marked);
    EXPECT_EQ(read_text(written_text()), marked);
}

// A table edited by hand as pairs of lines keeps every score with its name, the spaces replaced
// as every saved name has them, so the table reads back from its own file unchanged.
TEST(HighScoreFormat, PairsOfLinesWithSpacesInNamesAreReadByLines)
{
    std::vector<Entry> entries = numbered_table();
    entries[0].name = "Ann Lee";
    entries[4].name = "J R  R";
    std::vector<Entry> stored = entries;
    stored[0].name = "Ann_Lee";
    stored[4].name = "J_R__R";
    EXPECT_EQ(read_text(file_text(entries)), stored);
    std::string crlf = "\xEF\xBB\xBF" "Ann Lee \r\n 1000\r\n\r\n" + file_text(entries).substr(13);
    EXPECT_EQ(read_text(crlf), stored);
    EXPECT_EQ(read_text(written_text()), stored);
    // Any other layout is read token by token.
    EXPECT_EQ(read_text("Ann Lee 1000\n" + file_text(entries).substr(13))[0], (Entry{"Ann", 0}));
}

TEST(HighScoreFormat, SignsAndExtremeScoresRoundTrip)
{
    std::vector<Entry> entries = numbered_table();
    entries[0].score = 2147483647;
    entries[1].score = -2147483647 - 1;
    entries[2].score = -42;
    set_table(entries);
    EXPECT_EQ(read_text(written_text()), entries);

    std::string plus = "A\n+7\n" + file_text(entries).substr(file_text(entries).find("N1"));
    EXPECT_EQ(read_text(plus)[0], (Entry{"A", 7}));
}

// A name is stored so that it reads back as stored: spaces and control characters as '_', none
// as "Pilot", one too long cut at the limit on a character boundary; '%' and the longest name
// the box takes (twelve four-byte characters) as typed.
TEST(HighScoreFormat, NamesAreStoredSoTheyRoundTrip)
{
    std::string rockets;
    for (int i = 0; i < NAME_ENTRY_CHARACTERS; ++i)
        rockets += "\xF0\x9F\x9A\x80"; // U+1F680
    const std::string plain(NAME_TOKEN_LIMIT - 1, 'x');
    const std::pair<std::string, std::string> names[] = {
        {"two words", "two_words"}, {"", "Pilot"}, {"tab\there\r\n", "tab_here__"},
        {"100%d%s%n", "100%d%s%n"}, {rockets, rockets},
        {plain + "\xC3\xA9" + "tail", plain}, // a two-byte character would straddle the limit
        {std::string(NAME_TOKEN_LIMIT + 1, 'y'), std::string(NAME_TOKEN_LIMIT, 'y')},
    };
    set_table(numbered_table());
    for (const auto &[typed, stored] : names) {
        insert_high_score(3, typed, 1);
        EXPECT_EQ(high_names[3], stored);
        EXPECT_EQ(read_text(written_text())[3].name, stored);
    }
}

TEST(HighScoreFormat, WritingARawTableStillGivesALoadableFile)
{
    // Names set without the insertion (as a reload could never give) are stored safely too.
    std::vector<Entry> entries = numbered_table();
    entries[4].name = "";
    entries[5].name = "a b";
    set_table(entries);
    std::vector<Entry> expected = entries;
    expected[4].name = "Pilot";
    expected[5].name = "a_b";
    EXPECT_EQ(read_text(written_text()), expected);
}

// ---- Damaged files -------------------------------------------------------------

TEST(HighScoreDamage, AShortFileBlanksTheMissingEntries)
{
    std::vector<Entry> entries = numbered_table();
    std::string text = file_text(entries);
    EXPECT_EQ(read_text(""), blank_from(entries, 0));
    EXPECT_EQ(read_text(text.substr(0, text.find("N3"))), blank_from(entries, 3));
    // A name without its score is not half an entry.
    EXPECT_EQ(read_text(text.substr(0, text.find("N3") + 3)), blank_from(entries, 3));
}

TEST(HighScoreDamage, AScoreIsReadAsFarAsItGoesAndNoEntryIsLost)
{
    struct Case {
        const char *field;
        int score;
    };
    const Case cases[] = {
        {"6000x", 6000}, {"12x34", 12}, {"1.5", 1}, {"+0007", 7}, {"-0", 0},
        {"000000000000000000000000042", 42}, {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647}, {"-2147483649", -2147483647 - 1},
        {"lots", 0}, {"x12", 0}, {"-", 0}, {"+", 0}, {"+-5", 0}, {"--1", 0},
    };
    for (const Case &c : cases) {
        std::vector<Entry> entries = numbered_table();
        entries[4].name = "BAD";
        std::string text = file_text(entries);
        text.replace(text.find("BAD\n600"), 7, std::string("BAD\n") + c.field);
        entries[4].score = c.score;
        EXPECT_EQ(read_text(text), entries) << "score field " << c.field;
    }
}

TEST(HighScoreDamage, OverlongFieldsAreCutAndNothingAfterThemIsLost)
{
    std::vector<Entry> entries = numbered_table();
    const std::string longest(NAME_TOKEN_LIMIT, 'n');
    const size_t huge = 1 << 20;
    struct Case {
        std::string field_text; // what stands in for entry 2 in the file
        Entry read;
    };
    const Case cases[] = {
        {std::string(100, 'n') + "\n800\n", {std::string(100, 'n'), 800}},
        {longest + "\n800\n", {longest, 800}},
        {std::string(10000, 'n') + "\n800\n", {longest, 800}},
        {std::string(huge, 'n') + " 800\n", {longest, 800}},
        {"N2\n" + std::string(huge, '7') + "\n", {"N2", 2147483647}},
        {std::string(huge, ' ') + "N2" + std::string(huge, '\n') + "800\n", {"N2", 800}},
    };
    std::string text = file_text(entries);
    std::string before = text.substr(0, text.find("N2")), after = text.substr(text.find("N3"));
    for (const Case &c : cases) {
        std::vector<Entry> expected = entries;
        expected[2] = c.read;
        EXPECT_EQ(read_text(before + c.field_text + after), expected) << c.field_text.size();
    }
}

TEST(HighScoreDamage, BinaryGarbageNeverCrashes)
{
    std::string garbage;
    unsigned int state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 16));
    }
    std::vector<Entry> entries = read_text(garbage);
    for (const Entry &entry : entries) {
        EXPECT_FALSE(entry.name.empty());
        EXPECT_LE(entry.name.size(), size_t(NAME_TOKEN_LIMIT));
    }
}

// ---- The file on disk ----------------------------------------------------------

// Runs each test in a fresh temporary directory, the way the game runs in its own folder.
class HighScoreFile : public ::testing::Test {
protected:
    static void write_file(const char *name, const std::string &bytes)
    {
        std::ofstream out(name, std::ios::binary);
        out << bytes;
    }

    static std::string read_file(const char *name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The temporary files a save left beside the table.
    static int temp_files_left()
    {
        int count = 0;
        for (const auto &entry : std::filesystem::directory_iterator("."))
            count += entry.path().filename().string().rfind(HIGH_SCORE_TEMP_FILE, 0) == 0;
        return count;
    }

    TemporaryFolder folder{true};
};

TEST_F(HighScoreFile, SaveThenLoadGivesTheExampleFileAndTable)
{
    set_table(example_table());
    save_high_scores();
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), EXAMPLE_FILE);
    EXPECT_EQ(temp_files_left(), 0);

    scribble_table();
    load_high_scores();
    EXPECT_EQ(table(), example_table());
}

TEST_F(HighScoreFile, AMissingFileEndsTheGameWithItsMessage)
{
    EXPECT_FATAL(load_high_scores(), MESSY);
}

// A save rides out interrupted and short writes and a lock it cannot take or open; any other
// fault ends the game with its message, the old table whole and no temporary file left.
TEST_F(HighScoreFile, ASaveRidesOutWhatItCanAndEveryOtherFaultLeavesTheOldTable)
{
    const struct {
        const char *call;
        int error, count;
        bool saved;
    } faults[] = {
        {"write", EINTR, 1, true},  {"write", 0, 20, true},   {"flock", EINTR, 1, true},
        {"flock", ENOLCK, 1, true}, {"open", EACCES, 3, true}, {"write", ENOSPC, 1, false},
        {"fsync", EIO, 1, false},   {"fsync", 0, 1, false},    {"fchmod", EPERM, 1, false},
        {"close", EIO, 1, false},   {"rename", EXDEV, 1, false},
    };
    for (const auto &fault : faults) {
        write_file(HIGH_SCORE_FILE, EXAMPLE_FILE);
        set_table(example_table());
        if (fault.saved) {
            fail_next(fault.call, fault.error, fault.count);
            EXPECT_EQ(record_high_score("MINE", 3000), 0) << fault.call << " " << fault.error;
            EXPECT_EQ(read_text(read_file(HIGH_SCORE_FILE))[0], (Entry{"MINE", 3000}));
        } else {
            EXPECT_FATAL(
                {
                    fail_next(fault.call, fault.error, fault.count);
                    record_high_score("MINE", 3000);
                },
                MESSY) << fault.call << " " << fault.error;
            EXPECT_EQ(read_file(HIGH_SCORE_FILE), EXAMPLE_FILE);
        }
        EXPECT_EQ(temp_files_left(), 0);
        clear_faults();
    }
}

TEST_F(HighScoreFile, ACrashBeforeTheRenameLosesNothingAndItsLeftoverGoes)
{
    // What a save cut short leaves: the old file, and a half-written temporary beside it named
    // after a game that is no longer running (a process number past any Linux gives).
    std::string leftover = HIGH_SCORE_TEMP_FILE + std::string("999999999.0");
    write_file(HIGH_SCORE_FILE, EXAMPLE_FILE);
    write_file(leftover.c_str(), "N0\n10");
    scribble_table();
    load_high_scores();
    EXPECT_EQ(table(), example_table());

    // The next save replaces the file whole and takes the leftover away, not the file of a
    // game still running nor one no game names.
    write_file((HIGH_SCORE_TEMP_FILE + std::to_string(getpid()) + ".77").c_str(), "N0\n10");
    write_file((HIGH_SCORE_TEMP_FILE + std::string("x")).c_str(), "N0\n10");
    set_table(numbered_table());
    save_high_scores();
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), file_text(numbered_table()));
    EXPECT_EQ(temp_files_left(), 2);
}

TEST_F(HighScoreFile, ADamagedFileLoadsWhatItHolds)
{
    write_file(HIGH_SCORE_FILE, "\xEF\xBB\xBF" "ACE\r\n2500\r\nBOB\r\nlots\r\n");
    load_high_scores();
    std::vector<Entry> expected = example_table();
    expected[1] = {"BOB", 0};
    EXPECT_EQ(table(), expected);
}

// Root saving a player's table, or one player saving a table shared with another, leaves it to
// its owner and group with its mode, through the player's link.
TEST_F(HighScoreFile, ALinkedTableIsSavedThroughTheLinkWithItsOwnerGroupAndModeKept)
{
    std::filesystem::create_directory("elsewhere");
    write_file("elsewhere/mine.sco", EXAMPLE_FILE);
    ASSERT_EQ(chmod("elsewhere/mine.sco", 0664), 0);
    ASSERT_EQ(chown("elsewhere/mine.sco", 1234, 5678), 0);
    std::filesystem::create_symlink("elsewhere/mine.sco", HIGH_SCORE_FILE);
    set_table(example_table());
    mode_t umask_before = umask(077); // a file made afresh would be private
    EXPECT_EQ(record_high_score("ROOT", 3000), 0);
    umask(umask_before);
    EXPECT_TRUE(std::filesystem::is_symlink(HIGH_SCORE_FILE));
    EXPECT_EQ(read_text(read_file("elsewhere/mine.sco"))[0], (Entry{"ROOT", 3000}));
    // The lock is made so that every account that may save the table may take it.
    for (const char *name : {"elsewhere/mine.sco", "elsewhere/mine.sco.lock"}) {
        struct stat status;
        ASSERT_EQ(stat(name, &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0664u) << name;
        EXPECT_EQ(status.st_uid, 1234u) << name;
        EXPECT_EQ(status.st_gid, 5678u) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("elsewhere"),
                            std::filesystem::directory_iterator()), 2) << "no temporary file left";
}

TEST_F(HighScoreFile, AReadOnlyTableIsNotReplacedNorAFifoWaitedOn)
{
    write_file(HIGH_SCORE_FILE, EXAMPLE_FILE);
    std::filesystem::permissions(HIGH_SCORE_FILE, std::filesystem::perms(0444));
    set_table(numbered_table());
    EXPECT_FATAL(save_high_scores(), MESSY);
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), EXAMPLE_FILE);

    std::filesystem::remove(HIGH_SCORE_FILE);
    ASSERT_EQ(mkfifo(HIGH_SCORE_FILE, 0644), 0);
    EXPECT_FATAL(load_high_scores(), MESSY);
    EXPECT_FATAL(record_high_score("MINE", 950), MESSY);
}

TEST_F(HighScoreFile, ANameIsRecordedInTheTableAsAnotherGameLeftIt)
{
    // This game read the table at start; another game in the folder saved since.
    set_table(numbered_table());
    std::vector<Entry> saved_by_other = numbered_table();
    saved_by_other.insert(saved_by_other.begin(), {"OTHER", 2000});
    saved_by_other.pop_back();
    write_file(HIGH_SCORE_FILE, file_text(saved_by_other));

    EXPECT_EQ(record_high_score("MINE", 950), 2);
    std::vector<Entry> expected = saved_by_other;
    expected.insert(expected.begin() + 2, {"MINE", 950});
    expected.pop_back();
    EXPECT_EQ(table(), expected);
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), file_text(expected));

    // A score the fresh table no longer has room for saves nothing.
    EXPECT_EQ(record_high_score("LATE", 150), -1);
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), file_text(expected));

    // A table removed while the game ran is saved afresh from the one in memory.
    std::filesystem::remove(HIGH_SCORE_FILE);
    EXPECT_EQ(record_high_score("LAST", 450), 8);
    expected.insert(expected.begin() + 8, {"LAST", 450});
    expected.pop_back();
    EXPECT_EQ(read_file(HIGH_SCORE_FILE), file_text(expected));
}

TEST_F(HighScoreFile, ARecordSavesEvenWhileSomethingElseHoldsTheLock)
{
    write_file(HIGH_SCORE_FILE, EXAMPLE_FILE);
    int other = open((std::string(HIGH_SCORE_FILE) + ".lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    EXPECT_EQ(record_high_score("MINE", 950), 1);
    close(other);
    EXPECT_EQ(read_text(read_file(HIGH_SCORE_FILE))[1], (Entry{"MINE", 950}));
}

TEST_F(HighScoreFile, AStartUpCheckNamesWhatWouldStopASave)
{
    write_file(HIGH_SCORE_FILE, EXAMPLE_FILE);
    set_table(example_table());
    EXPECT_EQ(find_high_score_save_problem(), "");
    fail_next("open", EEXIST, 100);
    EXPECT_EQ(find_high_score_save_problem(),
              "highscores.sco: its folder takes no new file (File exists)");
    fail_next("open", EACCES);
    EXPECT_EQ(find_high_score_save_problem(),
              "highscores.sco: its folder takes no new file (Permission denied)");
    fail_next("write", ENOSPC);
    fail_next("close", EIO); // the first fault is the one named
    EXPECT_EQ(find_high_score_save_problem(), "highscores.sco: No space left on device");
    EXPECT_EQ(temp_files_left(), 0);

    // As another account (nobody; root kept as its saved id): a table it may write is fine though
    // it cannot give the new file to the table's owner, one it may not is read-only to it, and in
    // a sticky folder it may replace its own table only.
    const struct { mode_t folder, table; uid_t owner; const char *problem; } as_nobody[] = {
        {0777, 0666, 0, ""}, {0777, 0644, 0, "highscores.sco: it is read-only"},
        {01777, 0666, 65534, ""},
        {01777, 0666, 0, "highscores.sco: it belongs to another account, in a folder where only "
                         "a file's owner may replace it"}};
    for (const auto &account : as_nobody) {
        ASSERT_EQ(0, chmod(".", account.folder) | chmod(HIGH_SCORE_FILE, account.table) |
                         chown(HIGH_SCORE_FILE, account.owner, 0));
        ASSERT_EQ(setresuid(65534, 65534, 0), 0);
        std::string problem = find_high_score_save_problem();
        ASSERT_EQ(setresuid(0, 0, 0), 0);
        EXPECT_EQ(problem, account.problem) << std::oct << account.folder << " " << account.table;
    }
    EXPECT_EQ(find_high_score_save_problem(), "") << "root may replace any file";

    std::filesystem::permissions(HIGH_SCORE_FILE, std::filesystem::perms(0444));
    EXPECT_EQ(find_high_score_save_problem(), "highscores.sco: it is read-only");
    testing::internal::CaptureStdout(); // where a message box goes without a display
    warn_if_high_scores_unsaveable();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "The high score table highscores.sco cannot be saved:\nhighscores.sco: it is "
              "read-only\nPress Ok to play on; a new high score will not be kept");

    std::filesystem::remove(HIGH_SCORE_FILE);
    ASSERT_EQ(mkfifo(HIGH_SCORE_FILE, 0644), 0);
    EXPECT_EQ(find_high_score_save_problem(), "highscores.sco: it is not a regular file");
    std::filesystem::remove(HIGH_SCORE_FILE);
    std::filesystem::create_symlink("gone/mine.sco", HIGH_SCORE_FILE);
    EXPECT_EQ(find_high_score_save_problem(),
              "highscores.sco: it is a link that leads nowhere (No such file or directory)");
}

// ---- The screens' parts that need no display ----------------------------------------

TEST(HighScoreScreen, TheNameBufferFitsTwelveCharactersOfTheWidestEncoding)
{
    EXPECT_GE(NAME_ENTRY_SIZE, (NAME_ENTRY_CHARACTERS + 1) * uwidth_max(U_CURRENT));
    EXPECT_GE(NAME_ENTRY_SIZE, (NAME_ENTRY_CHARACTERS + 1) * uwidth_max(U_UTF8));
}
