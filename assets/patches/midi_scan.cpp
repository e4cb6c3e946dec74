// Reads a standard MIDI file and lists the instruments and drum notes its notes sound with.
#include "midi_scan.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

static const int DRUM_CHANNEL = 9; // channel 10 as musicians count
static const int CHANNELS = 16;

// One channel event, placed in time, that matters to the instrument choice.
struct Event {
    long time;
    int order;   // position in the file, to keep ties stable
    bool program_change;
    int channel;
    int value;   // the program or the note
};

// Reads the bytes of one file, failing on any read past its end.
class Reader {
public:
    explicit Reader(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}
    bool at_end() const { return pos >= data.size(); }
    size_t position() const { return pos; }
    uint8_t byte()
    {
        if (pos >= data.size())
            throw std::runtime_error("the file ends in the middle of an event");
        return data[pos++];
    }
    uint8_t peek() const
    {
        if (pos >= data.size())
            throw std::runtime_error("the file ends in the middle of an event");
        return data[pos];
    }
    uint32_t big_endian(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; i++)
            value = value << 8 | byte();
        return value;
    }
    uint32_t variable_length()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; i++) {
            uint8_t b = byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        throw std::runtime_error("a length is longer than four bytes");
    }
    void skip(uint32_t count)
    {
        if (count > data.size() - pos)
            throw std::runtime_error("a chunk runs past the end of the file");
        pos += count;
    }

private:
    std::vector<uint8_t> data;
    size_t pos = 0;
};

// Collects the program changes and notes of one track, which ends at end.
static void read_track(Reader &in, size_t end, std::vector<Event> &events)
{
    long time = 0;
    int status = 0;
    while (in.position() < end) {
        time += in.variable_length();
        if (in.peek() & 0x80)
            status = in.byte();
        else if (status == 0)
            throw std::runtime_error("a track starts without a status byte");
        if (status == 0xFF) {
            in.byte(); // meta type
            in.skip(in.variable_length());
            status = 0;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            in.skip(in.variable_length());
            status = 0;
            continue;
        }
        int kind = status & 0xF0, channel = status & 0x0F;
        int first = in.byte();
        if (kind == 0xC0 || kind == 0xD0) {
            if (kind == 0xC0)
                events.push_back({time, (int)events.size(), true, channel, first});
            continue;
        }
        int second = in.byte();
        if (kind == 0x90 && second > 0)
            events.push_back({time, (int)events.size(), false, channel, first});
    }
}

static void scan_bytes(std::vector<uint8_t> bytes, TuneNeeds &needs)
{
    Reader in(std::move(bytes));
    if (in.big_endian(4) != 0x4D546864) // "MThd"
        throw std::runtime_error("it is not a MIDI file");
    uint32_t header_length = in.big_endian(4);
    in.big_endian(2); // format
    int tracks = (int)in.big_endian(2);
    in.skip(header_length - 4);
    std::vector<Event> events;
    for (int t = 0; t < tracks; t++) {
        uint32_t id = in.big_endian(4), length = in.big_endian(4);
        size_t end = in.position() + length;
        if (id != 0x4D54726B) { // "MTrk"
            in.skip(length);
            continue;
        }
        read_track(in, end, events);
    }
    // Play the events in time order: a program change at the same moment as a note comes first.
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        if (a.time != b.time)
            return a.time < b.time;
        return a.program_change && !b.program_change;
    });
    int program[CHANNELS] = {};
    for (const Event &e : events) {
        if (e.program_change)
            program[e.channel] = e.value;
        else if (e.channel == DRUM_CHANNEL)
            needs.drum_notes.insert(e.value);
        else
            needs.programs.insert(program[e.channel]);
    }
}

bool scan_midi(const std::string &path, TuneNeeds &needs, std::string &error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    try {
        scan_bytes(std::move(bytes), needs);
    } catch (const std::exception &e) {
        error = path + ": " + e.what();
        return false;
    }
    return true;
}
