// Fuzz target for datafiles: any bytes are either refused by the game's checks, or loaded by
// Allegro's own loader without harm. A loaded datafile must hold exactly the objects the checks
// read, each tune must be read within its tracks by Allegro's patch scan and player, and the
// catalogue verdicts before and after loading must agree. Taken as an instrument patch set, bytes
// the checks pass must keep Allegro's MIDI synth inside its tables and each patch's bytes.
#include "fuzz_check.h"

#include "frame/datafile_scan.h"
#include "frame/datafiles.h"
#include "frame/patches.h"

#include <allegro.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sstream>
#include <strings.h>
#include <string>
#include <unistd.h>
#include <vector>

static const int MIDI_NOTES = 128; // the player's tables of patches, drums and notes
static const int DATA_BIT = 0x80;
static const int END_OF_TRACK = 0x2F;
static const int TEMPO = 0x51;
static const int TEMPO_BYTES = 3;
static const Catalogue *const CATALOGUES[] = {&SPRITES_CATALOGUE, &BACKGROUNDS_CATALOGUE,
                                             &SOUNDS_CATALOGUE, &MUSIC_CATALOGUE};

static const int DAT_PATCH_OBJECT = DAT_ID('P', 'A', 'T', ' ');
static const size_t PATCH_HEADER = 239, SAMPLE_HEADER = 96, SAMPLE_COUNT_AT = 198;
static const int MOST_LAYERS = 64, SYNTH_INSTRUMENTS = 256, MELODIC_INSTRUMENTS = 128;
static const size_t NAME_BUFFER = 512; // the synth's and Allegro's object lookup's

static std::string datafile_path;

// A variable-length number as Allegro reads one: as long as the top bit is set.
static uint32_t read_length(const unsigned char *&at, const unsigned char *end)
{
    uint32_t value = 0;
    for (;;) {
        FUZZ_CHECK(at < end, "a length read past the track");
        int byte = *at++;
        value = value << 7 | (byte & ~DATA_BIT);
        if (!(byte & DATA_BIT))
            return value;
    }
}

// Steps over a sysex or a song position or select, which the patch scan and the player skip
// alike. False for any other event.
static bool skip_system_message(int event, const unsigned char *&at, const unsigned char *end)
{
    switch (event) {
    case 0xF0: case 0xF7: {
        uint32_t length = read_length(at, end);
        at += length;
        return true;
    }
    case 0xF2: at += 2; return true;
    case 0xF3: at += 1; return true;
    default: return false;
    }
}

// Allegro's patch scan before a tune plays: events first, then each delta time, starting at
// the track's first byte. Every note or program it marks must fit its 128-entry tables.
static void scan_like_the_patch_loader(const unsigned char *at, const unsigned char *end)
{
    int running_status = 0;
    while (at < end) {
        int event = *at;
        if (event & DATA_BIT) {
            at++;
            if (event != 0xF0 && event != 0xF7 && event != 0xFF)
                running_status = event;
        } else {
            event = running_status;
        }
        switch (event >> 4) {
        case 0xC:
            FUZZ_CHECK(at < end && *at < MIDI_NOTES, "a program past the track or the patch table");
            at += 1;
            break;
        case 0x9:
            FUZZ_CHECK(at < end && *at < MIDI_NOTES, "a note past the track or the drum table");
            at += 2;
            break;
        case 0x8: case 0xA: case 0xB: case 0xE: at += 2; break;
        case 0xD: at += 1; break;
        case 0xF:
            if (!skip_system_message(event, at, end) && event == 0xFF) {
                at++;
                uint32_t length = read_length(at, end);
                at += length;
            }
            break;
        default: break;
        }
        FUZZ_CHECK(at <= end, "the patch scan jumps past the track");
        if (at < end)
            read_length(at, end);
    }
}

// Allegro's player: the first delta time, then event and delta time in turn until the end
// mark. Returns the ticks the track lasts.
static uint64_t play_like_the_player(const unsigned char *at, const unsigned char *end)
{
    uint64_t ticks = read_length(at, end);
    int running_status = 0;
    for (;;) {
        FUZZ_CHECK(at < end, "the player reads past the track");
        int event = *at++;
        int first;
        if (event & DATA_BIT) {
            if (event != 0xF0 && event != 0xF7 && event != 0xFF)
                running_status = event;
            FUZZ_CHECK(at < end, "the player reads past the track");
            first = *at;
        } else {
            first = event;
            event = running_status;
            at--;
        }
        switch (event >> 4) {
        case 0x8: case 0x9: case 0xA: case 0xB: case 0xE:
            FUZZ_CHECK(first < MIDI_NOTES && at + 1 < end && at[1] < MIDI_NOTES,
                       "a note, controller or volume past the track or the player's tables");
            at += 2;
            break;
        case 0xC: FUZZ_CHECK(first < MIDI_NOTES, "a program past the tables"); at += 1; break;
        case 0xD: at += 1; break;
        case 0xF:
            if (!skip_system_message(event, at, end) && event == 0xFF) {
                FUZZ_CHECK(at < end, "the player reads past the track");
                int type = *at++;
                uint32_t length = read_length(at, end);
                if (type == END_OF_TRACK)
                    return ticks;
                if (type == TEMPO)
                    FUZZ_CHECK(at + TEMPO_BYTES <= end, "a tempo read past the track");
                at += length;
            }
            break;
        default: break;
        }
        FUZZ_CHECK(at <= end, "the player jumps past the track");
        ticks += read_length(at, end);
    }
}

static void check_tune(const MIDI *tune)
{
    FUZZ_CHECK(tune->divisions > 0, "the player divides by the beat division");
    uint64_t longest = 0;
    for (const auto &track : tune->track) {
        if (track.len <= 0)
            continue;
        const unsigned char *start = track.data, *end = track.data + track.len;
        scan_like_the_patch_loader(start, end);
        longest = std::max(longest, play_like_the_player(start, end));
    }
    FUZZ_CHECK(longest > 0, "a looping tune of no time hangs the player");
}

static uint32_t little_32(const unsigned char *p)
{
    return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// The synth's patch loader: each sample's header, then as many bytes as its length gives, which
// must lie inside the object; the mixer then loops inside the sample.
static void load_like_the_synth(const unsigned char *bytes, size_t size)
{
    if (size < PATCH_HEADER || std::memcmp(bytes, "GF1PATCH110\0ID#000002\0", 22) != 0)
        return; // refused by the synth itself
    size_t at = PATCH_HEADER;
    for (int i = 0; i < std::min<int>(bytes[SAMPLE_COUNT_AT], MOST_LAYERS); i++) {
        FUZZ_CHECK(size - at >= SAMPLE_HEADER, "a sample header past the patch");
        uint32_t length = little_32(bytes + at + 8), loop_end = little_32(bytes + at + 16);
        at += SAMPLE_HEADER;
        FUZZ_CHECK(length <= size - at, "sample data past the patch: memory the file never had");
        FUZZ_CHECK(little_32(bytes + at - SAMPLE_HEADER + 12) <= loop_end && loop_end <= length,
                   "a loop past the sample");
        at += length;
    }
}

// The synth's reading of its index, a line at a time: a drum block must start where all 128
// drums still fit its table of instruments.
static void read_index_like_the_synth(const char *text, size_t size)
{
    std::istringstream lines(std::string(text, size));
    char first[32], second[32];
    for (std::string line; std::getline(lines, line);) {
        std::replace(line.begin(), line.end(), '=', ' ');
        if (std::sscanf(line.c_str(), " %31[0-9-] %31[A-Za-z_]", first, second) == 2 &&
            strcasecmp(second, "begin_multipatch") == 0)
            FUZZ_CHECK(std::strtol(first, nullptr, 10) - 1 + MELODIC_INSTRUMENTS <= SYNTH_INSTRUMENTS &&
                           std::strtol(first, nullptr, 10) >= 1,
                       "drums placed past the synth's instruments");
    }
}

static void check_patch_set_loaded(const DATAFILE *data)
{
    for (int i = 0; data[i].type != DAT_END; i++) {
        const char *name = get_datafile_property(data + i, DAT_ID('N', 'A', 'M', 'E'));
        FUZZ_CHECK(std::strlen(name) < NAME_BUFFER, "a name past the synth's buffer");
        if (data[i].type == DAT_PATCH_OBJECT)
            load_like_the_synth(static_cast<const unsigned char *>(data[i].dat), data[i].size);
        if (strcasecmp(name, "default_cfg") == 0)
            read_index_like_the_synth(static_cast<const char *>(data[i].dat), data[i].size);
    }
}

// The loaded datafile holds what the walk read, object for object.
static void check_loaded(const DATAFILE *data, const std::vector<ObjectFacts> &objects)
{
    FUZZ_CHECK(count_entries(data) == static_cast<int>(objects.size()), "object count");
    for (size_t i = 0; i < objects.size(); i++) {
        const ObjectFacts &facts = objects[i];
        FUZZ_CHECK(data[i].type == facts.type, "object type");
        if (facts.type == DAT_BITMAP) {
            BITMAP *picture = static_cast<BITMAP *>(data[i].dat);
            int depth = facts.depth < 0 ? -facts.depth : facts.depth;
            FUZZ_CHECK(bitmap_color_depth(picture) == depth, "picture depth");
            FUZZ_CHECK(picture->w == facts.width && picture->h == facts.height, "picture size");
        } else if (facts.type == DAT_SAMPLE) {
            const SAMPLE *sound = static_cast<const SAMPLE *>(data[i].dat);
            FUZZ_CHECK(sound->data != nullptr && sound->len > 0 && sound->freq > 0, "sound");
        } else if (facts.type == DAT_MIDI) {
            check_tune(static_cast<const MIDI *>(data[i].dat));
        }
    }
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FUZZ_CHECK(install_allegro(SYSTEM_NONE, &errno, atexit) == 0, "Allegro without a display");
    set_color_depth(16);
    const char *folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(folder) + "/vs-fuzz-datafile-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    FUZZ_CHECK(fd >= 0, "cannot make a temporary file");
    close(fd);
    datafile_path = name.data();
    std::atexit([] { unlink(datafile_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FILE *file = std::fopen(datafile_path.c_str(), "wb");
    FUZZ_CHECK(file, "cannot write the datafile copy");
    FUZZ_CHECK(std::fwrite(bytes, 1, size, file) == size && std::fclose(file) == 0,
               "cannot write the datafile copy");

    std::vector<ObjectFacts> objects;
    bool ends_there = false;
    if (!scan_datafile(datafile_path.c_str(), objects, &ends_there))
        return 0; // cut or garbled: the game says so and exits
    bool patch_set = check_patch_set(objects, ends_there).empty();
    for (const ObjectFacts &facts : objects)
        if (!facts.damage.empty())
            return 0; // every catalogue refuses a damaged object before loading
    std::string verdicts[std::size(CATALOGUES)];
    for (size_t i = 0; i < std::size(CATALOGUES); i++)
        verdicts[i] = check_objects(objects, *CATALOGUES[i]);

    set_color_conversion(COLORCONV_NONE);
    DATAFILE *data = load_datafile(datafile_path.c_str());
    FUZZ_CHECK(data != nullptr, "Allegro refused a datafile the checks passed");
    check_loaded(data, objects);
    for (size_t i = 0; i < std::size(CATALOGUES); i++)
        FUZZ_CHECK(check_datafile(data, *CATALOGUES[i]) == verdicts[i],
                   "the catalogue verdict changed with loading");
    count_pictures(data);
    if (patch_set)
        check_patch_set_loaded(data);
    unload_datafile(data);
    return 0;
}
