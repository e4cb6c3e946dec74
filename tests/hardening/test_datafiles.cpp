// Damaged datafiles: the catalogue check on datafiles built in memory, the layout walk on cut
// and garbled files, and the fatal message and status of the load on damaged real files.
#include "../unit/fixtures.h"

#include "frame/datafile_scan.h"
#include "frame/datafiles.h"
#include "frame/entries.h"
#include "frame/state.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

const int FATAL_STATUS = 1;
const int EIGHT_BIT = 8;

// Puts a new object in place of entry `entry`, freeing the one there.
void replace_entry(DATAFILE *data, int entry, void *object, int type)
{
    if (data[entry].type == DAT_BITMAP)
        destroy_bitmap(static_cast<BITMAP *>(data[entry].dat));
    else if (data[entry].type == DAT_SAMPLE)
        destroy_sample(static_cast<SAMPLE *>(data[entry].dat));
    data[entry].dat = object;
    data[entry].type = type;
}

SAMPLE *silent_sample()
{
    return create_sample(EIGHT_BIT, FALSE, 11025, 16);
}

std::string bytes_of(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Datafiles in memory, one per catalogue, freed after each test.
class CatalogueCheck : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (data)
            free_test_datafile(data);
    }
    DATAFILE *data = nullptr;
};

// Files on disk, in a temporary folder.
class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vs-damaged-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override
    {
        ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
    }
    std::string write(const std::string &name, const std::string &bytes)
    {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Bytes packed the way the dat tool packs a datafile, so Allegro unpacks them as written.
    std::string write_packed(const std::string &name, const std::string &bytes)
    {
        std::string path = folder + "/" + name;
        PACKFILE *file = pack_fopen(path.c_str(), F_WRITE_PACKED);
        EXPECT_NE(file, nullptr) << path;
        if (file) {
            pack_fwrite(bytes.data(), static_cast<long>(bytes.size()), file);
            pack_fclose(file);
        }
        return path;
    }
    std::string folder;
};

} // namespace

TEST_F(CatalogueCheck, FullSetsPassAndExtraEntriesDoNotMatter)
{
    data = make_picture_datafile(SPRITES_COUNT + 2);
    EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE), "");
    free_test_datafile(data);
    data = make_picture_datafile(BACKGROUNDS_COUNT, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(check_datafile(data, BACKGROUNDS_CATALOGUE), "");
}

TEST_F(CatalogueCheck, TooFewEntriesNamesBothCounts)
{
    data = make_picture_datafile(SPRITES_COUNT - 1);
    EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE), "it holds 13 entries, the game needs 14");
    free_test_datafile(data);
    data = make_sound_datafile(0);
    EXPECT_EQ(check_datafile(data, SOUNDS_CATALOGUE), "it holds 0 entries, the game needs 5");
    EXPECT_EQ(check_datafile(nullptr, MUSIC_CATALOGUE), "it holds 0 entries, the game needs 4");
}

TEST_F(CatalogueCheck, WrongKindAtAnEntryNamesTheEntryAndTheKindNeeded)
{
    data = make_picture_datafile(SPRITES_COUNT);
    replace_entry(data, 3, silent_sample(), DAT_SAMPLE);
    EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE), "entry 3 is not a picture");
    free_test_datafile(data);

    data = make_sound_datafile(SOUNDS_COUNT);
    replace_entry(data, SND_SHOT, create_bitmap_ex(16, 4, 4), DAT_BITMAP);
    EXPECT_EQ(check_datafile(data, SOUNDS_CATALOGUE), "entry 4 is not a sound");
    free_test_datafile(data);

    data = make_sound_datafile(MUSIC_COUNT);
    EXPECT_EQ(check_datafile(data, MUSIC_CATALOGUE), "entry 0 is not a tune");
}

TEST_F(CatalogueCheck, PictureOfAnotherDepthIsRefusedWhereverItIs)
{
    for (int entry : {0, SPR_ENEMY_SHOT, SPR_SHIELD_ODD}) {
        data = make_picture_datafile(SPRITES_COUNT);
        replace_entry(data, entry, create_bitmap_ex(EIGHT_BIT, 16, 16), DAT_BITMAP);
        EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE),
                  "entry " + std::to_string(entry) + " is a 8-bit picture, the game needs 16-bit");
        free_test_datafile(data);
        data = nullptr;
    }
}

TEST_F(CatalogueCheck, OnlyFullScreenPicturesMustBeScreenSized)
{
    data = make_picture_datafile(BACKGROUNDS_COUNT, SCREEN_WIDTH, SCREEN_HEIGHT);
    replace_entry(data, BG_INTRO_RISER, create_bitmap_ex(16, SCREEN_WIDTH, 900), DAT_BITMAP);
    EXPECT_EQ(check_datafile(data, BACKGROUNDS_CATALOGUE), "");
    replace_entry(data, BG_FAR_LAYER, create_bitmap_ex(16, SCREEN_WIDTH, 199), DAT_BITMAP);
    EXPECT_EQ(check_datafile(data, BACKGROUNDS_CATALOGUE), "entry 9 is 320x199, the game needs 320x200");
}

// Allegro's loader crashes on most cuts of a packed datafile, so the walk must refuse every one.
TEST_F(DamagedFiles, EveryCutOfTheBuiltSpritesIsRefusedAndTheWholeFileIsNot)
{
    std::string whole = bytes_of(std::string(RUN_DIR) + "/sprites.dat");
    ASSERT_GT(whole.size(), 100u);
    EXPECT_TRUE(datafile_is_whole(write("whole.dat", whole).c_str()));
    std::string cut_path = folder + "/cut.dat";
    int wrongly_whole = 0;
    for (size_t length = 0; length < whole.size(); length++) {
        std::ofstream(cut_path, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
        wrongly_whole += datafile_is_whole(cut_path.c_str());
    }
    EXPECT_EQ(wrongly_whole, 0) << "cuts of sprites.dat taken for whole files";
}

TEST_F(DamagedFiles, EveryBuiltDatafileIsWholeAndItsHalfIsNot)
{
    for (const Catalogue *catalogue : {&SPRITES_CATALOGUE, &BACKGROUNDS_CATALOGUE,
                                       &SOUNDS_CATALOGUE, &MUSIC_CATALOGUE}) {
        std::string whole = bytes_of(std::string(RUN_DIR) + "/" + catalogue->file_name);
        EXPECT_TRUE(datafile_is_whole(write("whole.dat", whole).c_str())) << catalogue->file_name;
        EXPECT_FALSE(datafile_is_whole(write("half.dat", whole.substr(0, whole.size() / 2)).c_str()))
            << catalogue->file_name;
    }
}

TEST_F(DamagedFiles, GarbledLayoutsAndMissingFilesAreRefused)
{
    const std::string magic = "ALL.";
    const std::string one("\0\0\0\x01", 4);
    const std::pair<const char *, std::string> cases[] = {
        {"no datafile magic", "this is not a datafile\n"},
        {"magic only", magic},
        {"negative count", magic + std::string("\xff\xff\xff\xff", 4)},
        {"count with no objects", magic + std::string("\0\0\0\x02", 4)},
        {"property cut short", magic + one + "prop" + "NAME" + std::string("\0\0\x10\0", 4) + "abc"},
        {"nested datafile", magic + one + "FILE" + std::string(8, '\0')},
        {"object bytes cut short",
         magic + one + "BMP " + std::string("\0\0\0\x20\0\0\0\x20", 8) + "xyz"},
        {"packed object cut short",
         magic + one + "BMP " + std::string("\0\0\0\x20\xff\xff\xff\xf0", 8) + "xyz"},
    };
    for (const auto &[what, bytes] : cases)
        EXPECT_FALSE(datafile_is_whole(write_packed("garbled.dat", bytes).c_str())) << what;
    EXPECT_FALSE(datafile_is_whole(write("plain.dat", magic + one + "DATA" + std::string(8, '\0')).c_str()))
        << "Allegro reads only packed datafiles";
    EXPECT_FALSE(datafile_is_whole((folder + "/absent.dat").c_str()));
    // The same walk takes a file whose last object holds no bytes for whole.
    EXPECT_TRUE(datafile_is_whole(
        write_packed("empty object.dat", magic + one + "DATA" + std::string(8, '\0')).c_str()));
}

// Each damaged copy of sprites.dat made with the dat tool ends the load with its message and
// status 1. Without a display the message goes to the standard output, kept in a file here.
TEST_F(DamagedFiles, DamagedSpritesEndTheLoadWithTheirMessageAndStatusOne)
{
    const std::pair<const char *, const char *> cases[] = {
        {"sprites_truncated.dat", ": the file is missing or damaged."},
        {"sprites_too_few.dat", ": it holds 13 entries, the game needs 14."},
        {"sprites_wrong_kind.dat", ": entry 3 is not a picture."},
        {"sprites_8bit.dat", ": entry 5 is a 8-bit picture, the game needs 16-bit."},
    };
    std::string message_path = folder + "/message.txt";
    for (const auto &[name, problem] : cases) {
        std::string path = std::string(DAMAGED_DIR) + "/" + name;
        Catalogue damaged = SPRITES_CATALOGUE;
        damaged.file_name = path.c_str();
        EXPECT_EXIT(
            {
                if (!std::freopen(message_path.c_str(), "w", stdout))
                    std::abort();
                load_game_datafile(damaged);
            },
            ::testing::ExitedWithCode(FATAL_STATUS), "")
            << name;
        std::string verb = std::string(name) == "sprites_truncated.dat" ? "Cannot load " : "Cannot use ";
        EXPECT_EQ(bytes_of(message_path), verb + path + problem + "\n\nOK TO QUIT!") << name;
    }
}
