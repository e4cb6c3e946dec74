// Damaged datafiles: the catalogue check on datafiles built in memory, the checks of single
// objects' bytes, the walk on cut and garbled files, the fatal message and status of the load
// on damaged real files, the instrument patches; and what stops the game.
#include "../unit/fixtures.h"

#include "frame/datafile_scan.h"
#include "frame/datafiles.h"
#include "frame/object_checks.h"
#include "frame/patches.h"
#include "frame/signals.h"
#include "frame/entries.h"
#include "frame/files.h"
#include "frame/state.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <X11/Xlib.h>

namespace {

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

// A size a catalogue's entry takes: the one it names, 16 where it names none.
PictureSize fitting_size(const Catalogue &catalogue, int entry)
{
    PictureSize size = catalogue.picture_size(entry);
    return {size.width ? size.width : 16, size.height ? size.height : 16};
}

// Pictures of sizes a catalogue takes, then `extra` more.
DATAFILE *catalogued_pictures(const Catalogue &catalogue, int extra = 0)
{
    DATAFILE *data = make_picture_datafile(catalogue.count + extra);
    for (int i = 0; i < catalogue.count; i++) {
        PictureSize size = fitting_size(catalogue, i);
        replace_entry(data, i, create_bitmap_ex(16, size.width, size.height), DAT_BITMAP);
    }
    return data;
}

bool walks_whole(const std::string &path)
{
    std::vector<ObjectFacts> objects;
    return scan_datafile(path.c_str(), objects);
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
    std::string write(const std::string &name, const std::string &bytes)
    {
        std::string path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Bytes packed the way the dat tool packs a datafile, so Allegro unpacks them as written.
    std::string write_packed(const std::string &name, const std::string &bytes)
    {
        std::string path = folder / name;
        PACKFILE *file = pack_fopen(path.c_str(), F_WRITE_PACKED);
        EXPECT_NE(file, nullptr) << path;
        if (file) {
            pack_fwrite(bytes.data(), static_cast<long>(bytes.size()), file);
            pack_fclose(file);
        }
        return path;
    }
    TemporaryFolder folder;
};

} // namespace

TEST_F(CatalogueCheck, FullSetsPassAndExtraEntriesDoNotMatterUnlessDamaged)
{
    data = catalogued_pictures(SPRITES_CATALOGUE, 2);
    EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE), "");
    std::vector<ObjectFacts> objects(SPRITES_COUNT + 1);
    for (int i = 0; i < SPRITES_COUNT; i++)
        objects[i] = {DAT_BITMAP, 16, 16, 16, "", "", true};
    objects.back().damage = "is a damaged sound";
    EXPECT_EQ(check_objects(objects, SPRITES_CATALOGUE), "entry 14 is a damaged sound");
    free_test_datafile(data);
    data = catalogued_pictures(BACKGROUNDS_CATALOGUE);
    EXPECT_EQ(check_datafile(data, BACKGROUNDS_CATALOGUE), "");
}

// A level may name only the 16-bit pictures from entry 0 on: drawing anything else as an
// enemy would read a sound, or another depth, as the game's pictures.
TEST_F(CatalogueCheck, LevelsMayNameOnlyTheLeadingSixteenBitPictures)
{
    data = catalogued_pictures(SPRITES_CATALOGUE, 3);
    EXPECT_EQ(count_pictures(data), SPRITES_COUNT + 3);
    replace_entry(data, SPRITES_COUNT + 1, silent_sample(), DAT_SAMPLE);
    EXPECT_EQ(count_pictures(data), SPRITES_COUNT + 1);
    replace_entry(data, SPRITES_COUNT, create_bitmap_ex(EIGHT_BIT, 16, 16), DAT_BITMAP);
    EXPECT_EQ(count_pictures(data), SPRITES_COUNT);
    EXPECT_EQ(count_pictures(nullptr), 0);
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
    data = catalogued_pictures(SPRITES_CATALOGUE);
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
        data = catalogued_pictures(SPRITES_CATALOGUE);
        replace_entry(data, entry, create_bitmap_ex(EIGHT_BIT, 16, 16), DAT_BITMAP);
        EXPECT_EQ(check_datafile(data, SPRITES_CATALOGUE),
                  "entry " + std::to_string(entry) + " is a 8-bit picture, the game needs 16-bit");
        free_test_datafile(data);
        data = nullptr;
    }
    std::vector<ObjectFacts> objects(SPRITES_COUNT, {DAT_BITMAP, 16, 16, 16, "", "", true});
    objects[2].depth = -32;
    EXPECT_EQ(check_objects(objects, SPRITES_CATALOGUE),
              "entry 2 is a 32-bit picture with alpha, the game needs 16-bit");
}

// Sprites may have any size up to the screen's; the backgrounds copied as whole screens, and the
// riser's height, are exact.
TEST_F(CatalogueCheck, PicturesMeasureExactlyOnlyWhereTheDrawingReliesOnIt)
{
    const struct {
        const Catalogue &catalogue;
        int entry, width, height;
        const char *problem;
    } cases[] = {
        {SPRITES_CATALOGUE, SPR_BULLET, 4, 8, ""},
        {SPRITES_CATALOGUE, SPR_SHIELD_ODD, 320, 200, ""},
        {SPRITES_CATALOGUE, SPR_ENEMY_LAST, 321, 16,
         "entry 4 is 321x16, the game needs at most the screen's 320x200"},
        {SPRITES_CATALOGUE, SPR_SHIP, 16, 201, "entry 11 is 16x201, the game needs at most the screen's 320x200"},
        {BACKGROUNDS_CATALOGUE, BG_FAR_LAYER, 320, 199, "entry 9 is 320x199, the game needs 320x200"},
        {BACKGROUNDS_CATALOGUE, BG_INTRO_RISER, 200, 950, ""},
        {BACKGROUNDS_CATALOGUE, BG_INTRO_RISER, 320, 900, "entry 12 is 320x900, the game needs at most 320 by 950"},
        {BACKGROUNDS_CATALOGUE, BG_INTRO_RISER, 321, 950, "entry 12 is 321x950, the game needs at most 320 by 950"},
    };
    for (const auto &c : cases) {
        data = catalogued_pictures(c.catalogue);
        replace_entry(data, c.entry, create_bitmap_ex(16, c.width, c.height), DAT_BITMAP);
        EXPECT_EQ(check_datafile(data, c.catalogue), c.problem);
        free_test_datafile(data);
        data = nullptr;
    }
    std::vector<ObjectFacts> empty(SPRITES_COUNT, {DAT_BITMAP, 16, 0, 16, "", "", true});
    EXPECT_EQ(check_objects(empty, SPRITES_CATALOGUE),
              "entry 0 is 0x16, the game needs at most the screen's 320x200");
}

namespace {

std::string big_endian(uint32_t value, int bytes)
{
    std::string field;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        field.push_back(static_cast<char>(value >> shift & 0xFF));
    return field;
}

std::string picture(int depth, int width, int height, size_t pixel_bytes)
{
    return big_endian(depth, 2) + big_endian(width, 2) + big_endian(height, 2) +
           std::string(pixel_bytes, 'p');
}

std::string sound(int bits, int rate, uint32_t length, size_t data_bytes)
{
    return big_endian(bits, 2) + big_endian(rate, 2) + big_endian(length, 4) +
           std::string(data_bytes, 's');
}

// A tune of one track (the other 31 empty) that states the given length.
std::string tune(const std::string &track, uint32_t length, int division = 480)
{
    std::string bytes = big_endian(division, 2) + big_endian(length, 4) + track;
    for (int i = 1; i < MIDI_TRACKS; i++)
        bytes += big_endian(0, 4);
    return bytes;
}

std::string tune(const std::string &track)
{
    return tune(track, static_cast<uint32_t>(track.size()));
}

const std::string NOTE_ON("\x00\x90\x3c\x40", 4);    // at once: middle C
const std::string NOTE_OFF("\x83\x60\x80\x3c\x00", 5); // 480 ticks on: off again
const std::string END_MARK("\x00\xff\x2f\x00", 4);
const std::string TRACK = NOTE_ON + NOTE_OFF + END_MARK;
const int DAT_DATA_OBJECT = DAT_ID('D', 'A', 'T', 'A');
const int DAT_PATCH_OBJECT = DAT_ID('P', 'A', 'T', ' ');

// An instrument patch of one 8-bit sample at some pitch, laid out as a Gravis patch file, holding
// 64 bytes of data whatever its length says.
std::string patch(uint32_t length, uint32_t loop_end)
{
    std::string header = std::string("GF1PATCH110\0ID#000002\0", 22) + std::string(217, '\0');
    header[198] = 1;
    std::string sample(96, '\1'), little;
    for (uint32_t value : {length, 0u, loop_end})
        for (int shift = 0; shift < 32; shift += 8)
            little.push_back(static_cast<char>(value >> shift & 0xFF));
    return header + sample.replace(8, 12, little) + std::string(64, 'p');
}

} // namespace

// What each object's own bytes must be before Allegro reads them: every refused row is a way a
// damaged object would make Allegro's loader or MIDI player crash, hang or take all memory (the
// damaged copies of the real files below add the ones seen in play).
TEST(ObjectBytes, EachKindIsReadOnlyWhenItsBytesFitWhatTheyState)
{
    const struct {
        const char *what;
        int type;
        std::string bytes;
        const char *damage;
    } cases[] = {
        {"16-bit picture", DAT_BITMAP, picture(16, 16, 16, 512), ""},
        {"32-bit picture", DAT_BITMAP, picture(32, 2, 2, 12), ""},
        {"32-bit picture with alpha", DAT_BITMAP, picture(-32, 2, 2, 16), ""},
        {"depth 7", DAT_BITMAP, picture(7, 16, 16, 512), "is a picture of depth 7, which no picture has"},
        {"a pixel short", DAT_BITMAP, picture(16, 16, 16, 511), "is a damaged picture: 16x16 pixels in 517 bytes"},
        {"a byte over", DAT_BITMAP, picture(16, 16, 16, 513), "is a damaged picture: 16x16 pixels in 519 bytes"},
        {"picture header cut", DAT_BITMAP, "ab", "is a picture cut short"},
        {"sound header cut", DAT_SAMPLE, "ab", "is a sound cut short"},
        {"no samples", DAT_SAMPLE, sound(16, 22050, 0, 0), "is a damaged sound: no samples or no sample rate"},
        {"tune header cut", DAT_MIDI, "a", "is a tune cut short"},
        {"track lengths cut", DAT_MIDI, tune(TRACK).substr(0, 20), "is a tune cut short"},
        {"meta event cut", DAT_MIDI, tune(NOTE_ON + "\x83\x60\xff"), "is a damaged tune: track 0 ends inside a meta event"},
        {"not a patch", DAT_PATCH_OBJECT, "anything", "is not an instrument patch"},
        {"patch sample cut", DAT_PATCH_OBJECT, patch(64, 60).substr(0, 300), "is an instrument patch cut short in sample 0"},
        {"empty patch sample", DAT_PATCH_OBJECT, patch(0, 0), "is a damaged instrument patch: sample 0 holds 0 bytes"},
        {"program change and system exclusive", DAT_MIDI, tune(std::string("\x00\xc0\x05\x00\xf0\x01\x7f", 7) + TRACK), ""},
        {"a compiled sprite", DAT_C_SPRITE, "x", "is a font or a packed sprite, which the game never reads"},
        {"16-bit sound", DAT_SAMPLE, sound(16, 22050, 100, 200), ""},
        {"8-bit stereo sound", DAT_SAMPLE, sound(-8, 11025, 100, 200), ""},
        {"stereo data for mono", DAT_SAMPLE, sound(-16, 22050, 100, 200),
         "is a damaged sound: 100 samples in 208 bytes"},
        {"12-bit samples", DAT_SAMPLE, sound(12, 22050, 100, 200), "is a damaged sound: 12-bit samples"},
        {"no rate", DAT_SAMPLE, sound(16, 0, 100, 200), "is a damaged sound: no samples or no sample rate"},
        {"tune", DAT_MIDI, tune(TRACK), ""},
        {"running status and a tempo", DAT_MIDI,
         tune(std::string("\x00\xff\x51\x03\x07\xa1\x20", 7) + NOTE_ON + std::string("\x83\x60\x3c\x00", 4) + END_MARK), ""},
        {"track length 1", DAT_MIDI, tune(TRACK, 1), "is a damaged tune: track 0 ends without its end mark"},
        {"negative track length", DAT_MIDI, tune(TRACK, 0xFFFFFFFF), "is a damaged tune: track 0 runs past its end"},
        {"no beat division", DAT_MIDI, tune(TRACK, TRACK.size(), 0), "is a damaged tune: no beat division"},
        {"no end mark", DAT_MIDI, tune(NOTE_ON + NOTE_OFF), "is a damaged tune: track 0 ends without its end mark"},
        {"bytes past the end mark", DAT_MIDI, tune(TRACK + '\0'), "is a damaged tune: track 0 has bytes past its end mark"},
        {"status byte for a note", DAT_MIDI, tune(std::string("\x00\x90\xbc\x40", 4) + NOTE_OFF + END_MARK),
         "is a damaged tune: track 0 has a channel message cut short or with a status byte for data"},
        {"data before a status", DAT_MIDI, tune(std::string("\x00\x3c\x40", 3) + NOTE_OFF + END_MARK),
         "is a damaged tune: track 0 has data before any status byte"},
        {"two-byte first delta", DAT_MIDI, tune("\x81" + NOTE_ON + NOTE_OFF + END_MARK),
         "is a damaged tune: track 0 starts with a delta time longer than one byte"},
        {"short tempo", DAT_MIDI, tune(std::string("\x00\xff\x51\x02\x07\xa1", 6) + TRACK),
         "is a damaged tune: track 0 has a tempo change that is not three bytes"},
        {"clock message", DAT_MIDI, tune(std::string("\x00\xf8", 2) + TRACK),
         "is a damaged tune: track 0 has the system message 248, which no tune holds"},
        {"system exclusive past the end", DAT_MIDI, tune(std::string("\x00\xf0\x7f\x01", 4) + END_MARK),
         "is a damaged tune: track 0 has an event running past its end"},
        {"no time to play", DAT_MIDI, tune(NOTE_ON + END_MARK), "is a damaged tune: it lasts no time"},
        {"bytes past the last track", DAT_MIDI, tune(TRACK) + "x", "is a damaged tune: bytes past its last track"},
        {"a font", DAT_FONT, "anything", "is a font or a packed sprite, which the game never reads"},
        {"instrument patch", DAT_PATCH_OBJECT, patch(64, 60), ""},
        {"patch sample longer than its bytes", DAT_PATCH_OBJECT, patch(0xFFFFFFFE, 60),
         "is a damaged instrument patch: sample 0 holds 4294967294 bytes"},
        {"patch sample looping past its end", DAT_PATCH_OBJECT, patch(64, 65),
         "is a damaged instrument patch: sample 0 loops past its end"},
        {"plain bytes", DAT_DATA_OBJECT, "anything", ""},
    };
    for (const auto &c : cases) {
        ObjectFacts facts = read_object_facts(
            c.type, reinterpret_cast<const unsigned char *>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(facts.damage, c.damage) << c.what;
        EXPECT_EQ(facts.type, c.type) << c.what;
    }
}

// The MIDI synth walks the patch set to its end and places the drums where its index says.
TEST_F(DamagedFiles, TheBuiltPatchSetIsWholeAndADamagedIndexOrTailIsNot)
{
    std::string whole = bytes_of(std::string(RUN_DIR) + "/patches.dat");
    std::vector<ObjectFacts> objects;
    bool ends_there = false;
    ASSERT_TRUE(scan_datafile(write("patches.dat", whole).c_str(), objects, &ends_there));
    EXPECT_EQ(check_patch_set(objects, ends_there), "");
    ASSERT_TRUE(scan_datafile(write("tail.dat", whole + "prop").c_str(), objects, &ends_there));
    EXPECT_EQ(check_patch_set(objects, ends_there), "there are bytes after its last instrument");
    objects = {{DAT_PATCH_OBJECT, 0, 0, 0, "", "default_cfg", true},
               {DAT_PATCH_OBJECT, 0, 0, 0, "", "default_cfg", false}};
    EXPECT_EQ(check_patch_set(objects, true), "entry 1 is listed at a size it does not have");
    objects[1].damage = "is broken";
    EXPECT_EQ(check_patch_set(objects, true), "entry 1 is broken");
    EXPECT_EQ(check_patch_set({}, true), "it holds no index of its instruments (default.cfg)");
    EXPECT_EQ(patch_index_damage("# drums\n129-256 begin_multipatch default\n"), "");
    for (const std::string &text : {std::string("1\tpiano\n\xC3\xA9"), std::string("1 piano\n\0", 9)})
        EXPECT_EQ(patch_index_damage(text), "is an instrument index that is not plain text");
    EXPECT_EQ(patch_index_damage("0=begin_multipatch\r\n"),
              "is an instrument index whose drums start at 0, where no instrument can be");
    EXPECT_EQ(patch_index_damage(std::string(1001, 'a')), "is an instrument index with an overlong line");
    EXPECT_EQ(patch_index_damage("1 piano\n300 begin_multipatch\n"),
              "is an instrument index whose drums start at 300, where no instrument can be");
}

// The synth plays tunes from the checked copy of a whole patch set where it finds one (here
// under $ALLEGRO), and without one as before; a damaged set gets a message box and no tunes.
TEST_F(DamagedFiles, TheSynthIsGivenTheCheckedCopyOfAWholePatchSetOnly)
{
    for (const char *variable : {"ALLEGRO", "HOME"})
        setenv(variable, folder.path.c_str(), 1);
    unsetenv("ULTRADIR");
    EXPECT_TRUE(prepare_instrument_patches());
    EXPECT_STREQ(get_config_string("sound", "patches", "none"), "none");
    std::string whole = bytes_of(std::string(RUN_DIR) + "/patches.dat");
    write("patches.dat", whole);
    EXPECT_TRUE(prepare_instrument_patches());
    EXPECT_TRUE(std::regex_match(get_config_string("sound", "patches", ""),
                                 std::regex("/proc/self/fd/[0-9]+#default_cfg")));
    for (auto [bytes, problem] : {std::pair{whole + "prop", "there are bytes after its last instrument"},
                                  std::pair{whole.substr(0, 99), "the file is damaged"}}) {
        write("patches.dat", bytes);
        testing::internal::CaptureStdout(); // where a message box goes without a display
        EXPECT_FALSE(prepare_instrument_patches());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "The instrument patches " + folder / "patches.dat" + " cannot be used:\n" + problem +
                      ".\nPress Ok to play on without music");
    }
}

// A stop signal the game was started to ignore (as nohup starts it) stays ignored when Allegro's
// handlers go; the others end the game by the signal itself. A message box the game starts
// ends with it. Losing the display ends the game with status 1 and one line.
TEST(StopSignals, EndTheGameAndItsMessageBoxesAsTheyFoundThem)
{
    std::signal(SIGHUP, SIG_IGN);
    note_ignored_stop_signals();
    std::signal(SIGTERM, std::exit); // as allegro_init sets its own
    restore_stop_signals();
    EXPECT_EXIT({ std::raise(SIGHUP); std::raise(SIGTERM); }, ::testing::KilledBySignal(SIGTERM), "");
    std::signal(SIGHUP, SIG_DFL);
    end_message_boxes_with_the_game();
    int tie = 0; // the signal a child of the game gets when the game ends
    EXPECT_EXIT(std::exit(prctl(PR_GET_PDEATHSIG, &tie) == 0 ? tie : 0),
                ::testing::ExitedWithCode(SIGTERM), "");
    end_quietly_when_the_display_is_lost();
    XIOErrorHandler display_lost = XSetIOErrorHandler(nullptr);
    std::remove_pointer_t<_XPrivDisplay> display = {};
    display.display_name = const_cast<char *>(":7");
    EXPECT_EXIT(display_lost(reinterpret_cast<Display *>(&display)), ::testing::ExitedWithCode(1),
                "^Void Sentinel: the connection to the X display :7 was lost\n$");
}

// Allegro's loader crashes on most cuts of a packed datafile, so the walk must refuse every one.
TEST_F(DamagedFiles, EveryCutOfTheBuiltSpritesIsRefusedAndTheWholeFileIsNot)
{
    std::string whole = bytes_of(std::string(RUN_DIR) + "/sprites.dat");
    ASSERT_GT(whole.size(), 100u);
    std::string cut_path = write("cut.dat", whole);
    EXPECT_TRUE(walks_whole(cut_path));
    int wrongly_whole = 0;
    for (size_t length = whole.size(); length-- > 0;) {
        ASSERT_EQ(truncate(cut_path.c_str(), static_cast<off_t>(length)), 0);
        wrongly_whole += walks_whole(cut_path);
    }
    EXPECT_EQ(wrongly_whole, 0) << "cuts of sprites.dat taken for whole files";
}

TEST_F(DamagedFiles, EveryBuiltDatafileIsWholeAndItsHalfIsNot)
{
    for (const Catalogue *catalogue : {&SPRITES_CATALOGUE, &BACKGROUNDS_CATALOGUE,
                                       &SOUNDS_CATALOGUE, &MUSIC_CATALOGUE}) {
        std::string whole = bytes_of(std::string(RUN_DIR) + "/" + catalogue->file_name);
        EXPECT_TRUE(walks_whole(write("whole.dat", whole))) << catalogue->file_name;
        EXPECT_FALSE(walks_whole(write("half.dat", whole.substr(0, whole.size() / 2))))
            << catalogue->file_name;
    }
}

TEST_F(DamagedFiles, GarbledLayoutsAndMissingFilesAreRefused)
{
    const std::string magic = "ALL.";
    const std::string one("\0\0\0\x01", 4);
    std::string many_properties;
    for (int i = 0; i < 65; i++)
        many_properties += std::string("propXXXX\0\0\0\0", 12);
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
        {"object packed on its own that unpacks short",
         magic + one + "DATA" + std::string("\0\0\0\x01\xff\xff\xff\xf0", 8) + "x"},
        {"another magic", "ALX." + one + "DATA" + std::string(8, '\0')},
        {"negative property size",
         magic + one + "prop" + "NAME" + std::string("\xff\xff\xff\xff", 4) + "DATA" +
             std::string(8, '\0')},
        {"more properties than Allegro lists in good time",
         magic + one + many_properties + "DATA" + std::string(8, '\0')},
        {"property typed as the end mark, which Allegro would lose and never free",
         magic + one + "prop" + std::string("\xff\xff\xff\xff", 4) + std::string(4, '\0') +
             "DATA" + std::string(8, '\0')},
    };
    for (const auto &[what, bytes] : cases)
        EXPECT_FALSE(walks_whole(write_packed("garbled.dat", bytes))) << what;
    EXPECT_FALSE(walks_whole(write("plain.dat", magic + one + "DATA" + std::string(8, '\0'))))
        << "Allegro reads only packed datafiles";
    EXPECT_FALSE(walks_whole(folder / "absent.dat"));
    // The same walk takes a file whose last object holds no bytes for whole, and one whose
    // object is typed as the end of the file too, but marks that object as damaged.
    EXPECT_TRUE(walks_whole(
        write_packed("empty object.dat", magic + one + "DATA" + std::string(8, '\0'))));
    std::vector<ObjectFacts> objects;
    ASSERT_TRUE(scan_datafile(
        write_packed("end.dat", magic + one + std::string("\xff\xff\xff\xff", 4) +
                                    std::string(8, '\0')).c_str(),
        objects));
    EXPECT_EQ(objects.at(0).damage, "is marked as the end of the file");
}

// What is checked and loaded is a private copy of a regular file, read without waiting and
// only up to a bound: a file changed afterwards, a FIFO or a huge sparse file cannot get in.
TEST_F(DamagedFiles, DatafilesAreReadFromPrivateCopiesOfRegularFilesOnly)
{
    std::string path = write("copied.dat", "checked bytes");
    FileCopy copy;
    ASSERT_EQ(copy_regular_file(path.c_str(), 1 << 20, copy), "");
    write("copied.dat", "other bytes");
    EXPECT_EQ(bytes_of(copy.path), "checked bytes");
    // Interrupted, then short reads and writes still copy every byte; a failed one gives its
    // error; without private copies a file is loaded by its own name.
    for (int error : {EINTR, 0}) {
        fail_next("read", error, 5);
        fail_next("write", error, 5);
        ASSERT_EQ(copy_regular_file(path.c_str(), 1 << 20, copy), "");
        EXPECT_EQ(bytes_of(copy.path), "other bytes");
    }
    for (const char *call : {"read", "write"}) {
        fail_next(call, EIO);
        EXPECT_EQ(copy_regular_file(path.c_str(), 1 << 20, copy), "Input/output error") << call;
    }
    fail_next("memfd_create", ENOSYS);
    ASSERT_EQ(copy_regular_file(path.c_str(), 1 << 20, copy), "");
    EXPECT_EQ(copy.path, path);
    ASSERT_EQ(truncate(path.c_str(), (1 << 20) + 1), 0);
    EXPECT_EQ(copy_regular_file(path.c_str(), 1 << 20, copy), "it holds more than 1 MB");
    EXPECT_TRUE(copy.too_large);
    ASSERT_EQ(mkfifo((folder / "fifo.dat").c_str(), 0644), 0);
    EXPECT_EQ(copy_regular_file((folder / "fifo.dat").c_str(), 1 << 20, copy), "it is not a regular file");
}

// An object packed on its own, as the dat tool's -c1 packs each, is checked as Allegro unpacks
// it, and loads.
TEST_F(DamagedFiles, AnObjectPackedOnItsOwnIsCheckedAndLoaded)
{
    std::string path = folder / "packed.dat";
    PACKFILE *file = pack_fopen(path.c_str(), F_WRITE_PACKED);
    ASSERT_NE(file, nullptr);
    pack_mputl(DAT_MAGIC, file);
    pack_mputl(1, file);
    pack_mputl(DAT_BITMAP, file);
    PACKFILE *chunk = pack_fopen_chunk(file, TRUE);
    std::string bytes = picture(16, 4, 8, 64);
    pack_fwrite(bytes.data(), static_cast<long>(bytes.size()), chunk);
    pack_fclose(pack_fclose_chunk(chunk));

    std::vector<ObjectFacts> objects;
    ASSERT_TRUE(scan_datafile(path.c_str(), objects));
    EXPECT_EQ(objects.at(0).damage, "");
    EXPECT_EQ(objects.at(0).width, 4);
    EXPECT_TRUE(objects.at(0).stored_as_listed);
    DATAFILE *data = load_datafile(path.c_str());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(static_cast<BITMAP *>(data[0].dat)->h, 8);
    unload_datafile(data);
}

// Each damaged copy of a datafile ends the load with its message and status 1; the copies
// whose objects lie about their own size crashed or stalled inside Allegro before. Without a
// display the message goes to the standard output. A problem without its full stop names only
// how the message starts: the rest tells what was found.
TEST_F(DamagedFiles, DamagedDatafilesEndTheLoadWithTheirMessageAndStatusOne)
{
    const struct {
        const char *name;
        const Catalogue &catalogue;
        const char *problem;
    } cases[] = {
        {"absent.dat", SPRITES_CATALOGUE, "the file is missing or damaged."},
        {"sprites_truncated.dat", SPRITES_CATALOGUE, "the file is missing or damaged."},
        {"sprites_too_few.dat", SPRITES_CATALOGUE, "it holds 13 entries, the game needs 14."},
        {"sprites_wrong_kind.dat", SPRITES_CATALOGUE, "entry 3 is not a picture."},
        {"sprites_8bit.dat", SPRITES_CATALOGUE, "entry 5 is a 8-bit picture, the game needs 16-bit."},
        {"sprites_depth_7.dat", SPRITES_CATALOGUE, "entry 0 is a 7-bit picture, the game needs 16-bit."},
        {"sprites_65535x32769.dat", SPRITES_CATALOGUE, "entry 0 is 65535x32769, the game needs at most "},
        {"sprites_30000x30000.dat", SPRITES_CATALOGUE, "entry 0 is 30000x30000, the game needs at most "},
        {"sprites_from_backgrounds.dat", SPRITES_CATALOGUE, "entry 12 is 320x950, the game needs at most "},
        {"sounds_long.dat", SOUNDS_CATALOGUE, "entry 0 is a damaged sound: 2147483647 samples in "},
        {"music_track_1.dat", MUSIC_CATALOGUE, "entry 1 is a damaged tune: track 0 ends without its end mark."},
        {"music_track_100000.dat", MUSIC_CATALOGUE, "entry 1 is a damaged tune: track 0 runs past its end."},
        {"music_track_huge.dat", MUSIC_CATALOGUE, "entry 1 is a damaged tune: track 0 runs past its end."},
        {"music_garbled.dat", MUSIC_CATALOGUE, "entry 1 is a damaged tune: track 0 "},
    };
    for (const auto &c : cases) {
        std::string path = std::string(DAMAGED_DIR) + "/" + c.name;
        Catalogue damaged = c.catalogue;
        damaged.file_name = path.c_str();
        std::string verb = c.problem[0] == 't' ? "Cannot load " : "Cannot use ";
        // A '.' of the text stands for any character in the expression, itself included.
        EXPECT_FATAL(load_game_datafile(damaged),
                     verb + path + ": " + c.problem + "([^\n]*\\.)?\n\nOK TO QUIT!") << c.name;
    }
}
