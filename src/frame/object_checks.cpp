// Checks of one datafile object's bytes against its kind, before Allegro reads them.
//
// As stored (numbers big-endian): a picture is its depth, width and height in 16 bits each,
// then its pixels row by row; a sound is its sample size (negative for stereo) and rate in
// 16 bits, its length in samples in 32 bits, then its data; a tune is its beat division in
// 16 bits, then 32 tracks, each a 32-bit length and that many bytes of MIDI events. An
// instrument patch is a Gravis patch file (numbers little-endian): a 239-byte header whose byte
// 198 counts the samples, then each sample as a 96-byte header and its data.
#include "frame/object_checks.h"

#include <allegro.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <strings.h>

static const size_t PICTURE_HEADER = 6;
static const size_t SOUND_HEADER = 8;
static const size_t TUNE_HEADER = 2;
static const size_t TRACK_LENGTH_BYTES = 4;
static const int TUNE_TRACKS = MIDI_TRACKS;
static const int RGBA_DEPTH = -32; // 32-bit pixels stored with their alpha

// MIDI events, as Allegro's player reads them.
static const int STATUS_BIT = 0x80;
static const int FIRST_SYSTEM_STATUS = 0xF0;
static const int SYSTEM_EXCLUSIVE = 0xF0;
static const int SYSTEM_EXCLUSIVE_GO_ON = 0xF7;
static const int META_EVENT = 0xFF;
static const int META_END_OF_TRACK = 0x2F;
static const int META_TEMPO = 0x51;
static const uint32_t TEMPO_BYTES = 3;
static const int MESSAGE_KIND = 0xF0; // the top half of a channel message's status byte
static const int PROGRAM_CHANGE = 0xC0;
static const int CHANNEL_PRESSURE = 0xD0;
static const int MAX_LENGTH_BYTES = 4; // a variable-length number of MIDI takes at most four

// Instrument patches, as Allegro's MIDI synth reads them.
static const int DAT_PATCH_OBJECT = DAT_ID('P', 'A', 'T', ' ');
static const char PATCH_MAGIC[] = "GF1PATCH110\0ID#000002"; // and a zero after it
static const size_t PATCH_MAGIC_BYTES = 22;
static const size_t PATCH_HEADER = 239;
static const size_t PATCH_SAMPLE_COUNT_AT = 198;
static const size_t SAMPLE_HEADER = 96;
static const int MOST_LAYERS = 64; // the synth reads no more samples than this
static const size_t SAMPLE_LENGTH_AT = 8, LOOP_START_AT = 12, LOOP_END_AT = 16, RATE_AT = 20;
static const size_t BASE_NOTE_AT = 30;
// The synth's index: the line it reads at once, the words of a line it splits, the drum
// block's first instrument and the instruments it has room for.
static const size_t INDEX_LINE_LIMIT = 1000;
static const int MOST_DRUM_START = 129;

static std::string describe(const char *format, long long a, long long b = 0, long long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

static int signed_16(const unsigned char *p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] << 8 | p[1]));
}

static int unsigned_16(const unsigned char *p)
{
    return p[0] << 8 | p[1];
}

static uint32_t unsigned_32(const unsigned char *p)
{
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Bytes a pixel takes as stored, for the depths Allegro's loader reads; 0 for any other.
static int stored_pixel_bytes(int depth)
{
    switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24:
    case 32: return 3; // stored as red, green and blue
    case RGBA_DEPTH: return 4;
    default: return 0;
    }
}

static std::string picture_damage(const unsigned char *bytes, size_t size, ObjectFacts &facts)
{
    if (size < PICTURE_HEADER)
        return "is a picture cut short";
    facts.depth = signed_16(bytes);
    facts.width = unsigned_16(bytes + 2);
    facts.height = unsigned_16(bytes + 4);
    int pixel_bytes = stored_pixel_bytes(facts.depth);
    if (pixel_bytes == 0)
        return describe("is a picture of depth %lld, which no picture has", facts.depth);
    uint64_t needed = PICTURE_HEADER + uint64_t(facts.width) * facts.height * pixel_bytes;
    if (needed != size)
        return describe("is a damaged picture: %lldx%lld pixels in %lld bytes", facts.width,
                        facts.height, static_cast<long long>(size));
    return "";
}

static std::string sound_damage(const unsigned char *bytes, size_t size)
{
    if (size < SOUND_HEADER)
        return "is a sound cut short";
    int bits = signed_16(bytes);
    int channels = bits < 0 ? 2 : 1;
    bits = bits < 0 ? -bits : bits;
    int rate = unsigned_16(bytes + 2);
    uint32_t length = unsigned_32(bytes + 4);
    if (bits != 8 && bits != 16)
        return describe("is a damaged sound: %lld-bit samples", bits);
    if (rate == 0 || length == 0)
        return "is a damaged sound: no samples or no sample rate";
    uint64_t needed = SOUND_HEADER + uint64_t(length) * channels * (bits / 8);
    if (needed != size)
        return describe("is a damaged sound: %lld samples in %lld bytes", length,
                        static_cast<long long>(size));
    return "";
}

// The bytes of one track, read strictly in bounds.
struct Track {
    const unsigned char *bytes;
    size_t size;
    size_t at = 0;
};

static bool read_length(Track &track, uint32_t &value)
{
    value = 0;
    for (int i = 0; i < MAX_LENGTH_BYTES && track.at < track.size; i++) {
        int byte = track.bytes[track.at++];
        value = value << 7 | (byte & ~STATUS_BIT);
        if (!(byte & STATUS_BIT))
            return true;
    }
    return false;
}

// Skips `count` data bytes of a channel message; each must be under 128, or the player would
// use it as a note or patch number past its tables.
static bool skip_data(Track &track, int count)
{
    for (int i = 0; i < count; i++) {
        if (track.at >= track.size || (track.bytes[track.at] & STATUS_BIT))
            return false;
        track.at++;
    }
    return true;
}

// Empty when the track is events Allegro reads within its bytes, ending with the end mark;
// `ticks` gets the time the track lasts.
static std::string track_damage(Track track, uint64_t &ticks)
{
    // Allegro's patch scan reads the first delta time as if it were an event, which only
    // comes out right when it takes one byte.
    if (track.bytes[0] & STATUS_BIT)
        return "starts with a delta time longer than one byte";
    ticks = 0;
    int running_status = 0;
    for (;;) {
        uint32_t delta;
        if (!read_length(track, delta) || track.at >= track.size)
            return "ends without its end mark";
        ticks += delta;
        int status = track.bytes[track.at];
        if (status & STATUS_BIT)
            track.at++;
        else if (running_status == 0)
            return "has data before any status byte";
        else
            status = running_status;

        if (status < FIRST_SYSTEM_STATUS) {
            running_status = status;
            int kind = status & MESSAGE_KIND;
            if (!skip_data(track, kind == PROGRAM_CHANGE || kind == CHANNEL_PRESSURE ? 1 : 2))
                return "has a channel message cut short or with a status byte for data";
            continue;
        }
        int meta_type = 0;
        if (status == META_EVENT) {
            if (track.at >= track.size)
                return "ends inside a meta event";
            meta_type = track.bytes[track.at++];
        } else if (status != SYSTEM_EXCLUSIVE && status != SYSTEM_EXCLUSIVE_GO_ON) {
            return describe("has the system message %lld, which no tune holds", status);
        }
        uint32_t length;
        if (!read_length(track, length) || length > track.size - track.at)
            return "has an event running past its end";
        track.at += length;
        if (status != META_EVENT)
            continue;
        if (meta_type == META_TEMPO && length != TEMPO_BYTES)
            return "has a tempo change that is not three bytes";
        if (meta_type == META_END_OF_TRACK)
            return length == 0 && track.at == track.size ? "" : "has bytes past its end mark";
    }
}

static std::string tune_damage(const unsigned char *bytes, size_t size)
{
    if (size < TUNE_HEADER)
        return "is a tune cut short";
    if (unsigned_16(bytes) == 0)
        return "is a damaged tune: no beat division"; // the player divides by it
    size_t at = TUNE_HEADER;
    uint64_t longest = 0;
    for (int track = 0; track < TUNE_TRACKS; track++) {
        if (size - at < TRACK_LENGTH_BYTES)
            return "is a tune cut short";
        uint32_t length = unsigned_32(bytes + at);
        at += TRACK_LENGTH_BYTES;
        if (length > size - at) // also a length Allegro would read as negative
            return describe("is a damaged tune: track %lld runs past its end", track);
        uint64_t ticks = 0;
        std::string wrong = length ? track_damage(Track{bytes + at, length}, ticks) : "";
        if (!wrong.empty())
            return describe("is a damaged tune: track %lld ", track) + wrong;
        longest = std::max(longest, ticks);
        at += length;
    }
    if (at != size)
        return "is a damaged tune: bytes past its last track";
    // A looping tune that takes no time is restarted by the player forever, inside its timer.
    if (longest == 0)
        return "is a damaged tune: it lasts no time";
    return "";
}

static uint32_t little_32(const unsigned char *p)
{
    return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// Each sample must hold the data its length gives (in bytes, whatever its sample size) and loop
// inside it, or the synth reads its length's worth from a short file (gigabytes of memory) and
// the mixer plays past the data.
static std::string patch_damage(const unsigned char *bytes, size_t size)
{
    if (size < PATCH_HEADER || std::memcmp(bytes, PATCH_MAGIC, PATCH_MAGIC_BYTES) != 0)
        return "is not an instrument patch";
    int samples = std::min<int>(bytes[PATCH_SAMPLE_COUNT_AT], MOST_LAYERS);
    size_t at = PATCH_HEADER;
    for (int i = 0; i < samples; i++) {
        if (size - at < SAMPLE_HEADER)
            return describe("is an instrument patch cut short in sample %lld", i);
        const unsigned char *sample = bytes + at;
        uint64_t length = little_32(sample + SAMPLE_LENGTH_AT);
        uint64_t loop_start = little_32(sample + LOOP_START_AT);
        uint64_t loop_end = little_32(sample + LOOP_END_AT);
        at += SAMPLE_HEADER;
        if (length == 0 || length > size - at)
            return describe("is a damaged instrument patch: sample %lld holds %lld bytes", i,
                            static_cast<long long>(length));
        if (loop_start > loop_end || loop_end > length)
            return describe("is a damaged instrument patch: sample %lld loops past its end", i);
        if (unsigned_16(sample + RATE_AT) == 0 || little_32(sample + BASE_NOTE_AT) == 0)
            return describe("is a damaged instrument patch: sample %lld has no pitch", i);
        at += length;
    }
    return "";
}

std::string patch_index_damage(const std::string &text)
{
    for (unsigned char c : text)
        if (c == 0 || c > 0x7F)
            return "is an instrument index that is not plain text";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > INDEX_LINE_LIMIT)
            return "is an instrument index with an overlong line";
        // The words are split at spaces, tabs and '=', and '#' starts a comment.
        for (char &c : line)
            if (c == '\t' || c == '=' || c == '\r')
                c = ' ';
        std::istringstream words(line.substr(0, line.find('#')));
        std::string first, second;
        if (!(words >> first >> second) || strcasecmp(second.c_str(), "begin_multipatch") != 0 ||
            first.find_first_not_of("0123456789-") != std::string::npos)
            continue;
        long start = std::strtol(first.c_str(), nullptr, 10);
        if (start < 1 || start > MOST_DRUM_START)
            return describe("is an instrument index whose drums start at %lld, where no "
                            "instrument can be", start);
    }
    return "";
}

ObjectFacts read_object_facts(int type, const unsigned char *bytes, size_t size)
{
    ObjectFacts facts;
    facts.type = type;
    if (type == DAT_BITMAP)
        facts.damage = picture_damage(bytes, size, facts);
    else if (type == DAT_SAMPLE)
        facts.damage = sound_damage(bytes, size);
    else if (type == DAT_MIDI)
        facts.damage = tune_damage(bytes, size);
    else if (type == DAT_PATCH_OBJECT)
        facts.damage = patch_damage(bytes, size);
    else if (type == DAT_FONT || type == DAT_RLE_SPRITE || type == DAT_C_SPRITE ||
             type == DAT_XC_SPRITE)
        facts.damage = "is a font or a packed sprite, which the game never reads";
    return facts;
}
