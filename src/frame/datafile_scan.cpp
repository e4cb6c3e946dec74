// A walk through a datafile before Allegro loads it: its layout, and each object's own bytes.
//
// The layout, once Allegro's packfile layer has unpacked it: the magic "ALL.", the number of
// objects, then each object as any number of properties ("prop", the property's type, its size,
// its bytes) followed by the object's type, its unpacked size, its stored size (negative when
// the object is packed on its own) and its stored bytes. The game's datafiles are packed as a
// whole; an object packed on its own could not be checked before Allegro reads it.
#include "frame/datafile_scan.h"

#include <allegro.h>
#include <algorithm>
#include <cstdint>
#include <string>

static const long SKIP_BLOCK = 4096;
static const long FIELD_BYTES = 4;

// Reads and drops size bytes; false when the file ends first.
static bool skip_bytes(PACKFILE *file, long size)
{
    char block[SKIP_BLOCK];
    while (size > 0) {
        long part = std::min(size, SKIP_BLOCK);
        if (pack_fread(block, part, file) != part)
            return false;
        size -= part;
    }
    return true;
}

// A big-endian 32-bit field; false when the file ends first.
static bool read_field(PACKFILE *file, long &value)
{
    unsigned char bytes[FIELD_BYTES];
    if (pack_fread(bytes, FIELD_BYTES, file) != FIELD_BYTES)
        return false;
    unsigned long field = 0;
    for (unsigned char byte : bytes)
        field = field << 8 | byte;
    value = static_cast<int32_t>(static_cast<uint32_t>(field));
    return true;
}

// Reads `size` bytes into `bytes`, a block at a time, so a size the file does not hold never
// takes more memory than the file has; false when the file ends first.
static bool read_bytes(PACKFILE *file, long size, std::string &bytes)
{
    bytes.clear();
    char block[SKIP_BLOCK];
    while (size > 0) {
        long part = std::min(size, SKIP_BLOCK);
        if (pack_fread(block, part, file) != part)
            return false;
        bytes.append(block, part);
        size -= part;
    }
    return true;
}

// Reads one object, past its properties, and what its bytes say of it; false when the layout
// is broken. The game's datafiles hold no nested datafiles, and one would need its own walk,
// so it counts as damage.
static bool read_object(PACKFILE *file, std::string &bytes, ObjectFacts &facts)
{
    long type, property_type, size, unpacked, stored;
    if (!read_field(file, type))
        return false;
    // A property typed as the end mark would be added past the end of Allegro's property
    // list and lost there, its bytes never freed.
    while (type == DAT_PROPERTY) {
        if (!read_field(file, property_type) || property_type == DAT_END ||
            !read_field(file, size) || size < 0 || !skip_bytes(file, size) ||
            !read_field(file, type))
            return false;
    }
    if (type == DAT_FILE || !read_field(file, unpacked) || !read_field(file, stored) ||
        unpacked < 0 || stored < 0 || !read_bytes(file, stored, bytes))
        return false;
    facts = read_object_facts(static_cast<int>(type),
                              reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    if (type == DAT_END)
        facts.damage = "is marked as the end of the file";
    return true;
}

bool scan_datafile(const char *file_name, std::vector<ObjectFacts> &objects)
{
    objects.clear();
    PACKFILE *file = pack_fopen(file_name, F_READ_PACKED);
    if (!file)
        return false;
    long magic, count;
    bool whole = read_field(file, magic) && magic == DAT_MAGIC && read_field(file, count) &&
                 count >= 0;
    std::string bytes;
    for (long i = 0; whole && i < count; i++) {
        ObjectFacts facts;
        whole = read_object(file, bytes, facts);
        if (whole)
            objects.push_back(std::move(facts));
    }
    pack_fclose(file);
    return whole;
}
