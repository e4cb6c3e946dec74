// A walk through a datafile before Allegro loads it: its layout, and each object's own bytes.
//
// The layout, once Allegro's packfile layer has unpacked it: the magic "ALL.", the number of
// objects, then each object as any number of properties ("prop", the property's type, its size,
// its bytes) followed by the object's type, two sizes and its stored bytes. An object stored
// plainly gives its size twice; an object packed on its own (as the dat tool's -c1 and pat2dat's
// -c pack them) gives its packed size, then its unpacked size negated. Allegro's loader unpacks
// it until it has that many bytes and goes on reading after the packed bytes it took; its MIDI
// synth skips any object by the size listed first.
#include "frame/datafile_scan.h"

#include <allegro.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <strings.h>

static const long BLOCK = 4096; // also the size of Allegro's packfile buffer, by which it unpacks
static const long FIELD_BYTES = 4;
// Allegro looks a name up in a 512-byte buffer; the game's names are a few dozen bytes.
static const long NAME_LIMIT = 511;
// Allegro grows an object's property list one at a time: thousands would take minutes.
static const int PROPERTY_LIMIT = 64;
// How much a walk reads in all, unpacked: far more than the largest of the game's datafiles.
static const long UNPACKED_LIMIT = 64L << 20;
static const int DAT_NAME_PROPERTY = DAT_ID('N', 'A', 'M', 'E');
static const char PATCH_INDEX_NAME[] = "default_cfg";

// The file being walked, and how many more unpacked bytes the walk may read from it.
struct Walk {
    PACKFILE *file;
    long budget;
};

static bool take_budget(Walk &walk, long size)
{
    if (size < 0 || size > walk.budget)
        return false;
    walk.budget -= size;
    return true;
}

// Reads `size` bytes, a block at a time, keeping them when `bytes` is given; false when the
// file ends first or the walk would read more than it may.
static bool read_bytes(Walk &walk, long size, std::string *bytes)
{
    if (!take_budget(walk, size))
        return false;
    char block[BLOCK];
    while (size > 0) {
        long part = std::min(size, BLOCK);
        if (pack_fread(block, part, walk.file) != part)
            return false;
        if (bytes)
            bytes->append(block, part);
        size -= part;
    }
    return true;
}

// A big-endian 32-bit field; false when the file ends first.
static bool read_field(Walk &walk, long &value)
{
    unsigned char bytes[FIELD_BYTES];
    if (pack_fread(bytes, FIELD_BYTES, walk.file) != FIELD_BYTES)
        return false;
    unsigned long field = 0;
    for (unsigned char byte : bytes)
        field = field << 8 | byte;
    value = static_cast<int32_t>(static_cast<uint32_t>(field));
    return true;
}

// The packed bytes of one object, handed to Allegro's unpacker a byte at a time, and whether the
// last of them was the last of the file, which Allegro's loader marks as the file's end.
struct PackedBytes {
    const unsigned char *at;
    const unsigned char *end;
    bool ends_file;
    bool file_ended;
};

static int packed_getc(void *source)
{
    PackedBytes &packed = *static_cast<PackedBytes *>(source);
    if (packed.at == packed.end)
        return EOF;
    int c = *packed.at++;
    packed.file_ended = packed.at == packed.end && packed.ends_file;
    return c;
}

static int no_close(void *) { return 0; }
static int no_ungetc(int, void *) { return EOF; }
static long no_fread(void *, long, void *) { return 0; }
static int no_putc(int, void *) { return EOF; }
static long no_fwrite(AL_CONST void *, long, void *) { return 0; }
static int no_fseek(void *, int) { return -1; }
static int packed_feof(void *source)
{
    PackedBytes &packed = *static_cast<PackedBytes *>(source);
    return packed.at == packed.end;
}
static int no_ferror(void *) { return 0; }
static PACKFILE_VTABLE packed_bytes_vtable = {no_close, packed_getc, no_ungetc, no_fread, no_putc,
                                             no_fwrite, no_fseek, packed_feof, no_ferror};

// Unpacks an object packed on its own as Allegro's loader does: a buffer at a time, stopping
// once the file is used up. False unless its `listed` packed bytes give exactly `size` bytes,
// so that Allegro's loader, which reads as many packed bytes as it needs, and its MIDI synth,
// which skips the listed number, both go on where the walk does.
static bool unpack_bytes(Walk &walk, long listed, long size, std::string &bytes)
{
    std::string packed_bytes;
    if (!read_bytes(walk, listed, &packed_bytes) || !take_budget(walk, size))
        return false;
    const unsigned char *start = reinterpret_cast<const unsigned char *>(packed_bytes.data());
    PackedBytes packed = {start, start + listed, pack_feof(walk.file) != 0, false};
    PACKFILE *source = pack_fopen_vtable(&packed_bytes_vtable, &packed);
    LZSS_UNPACK_DATA *unpack = create_lzss_unpack_data();
    bool whole = source && unpack;
    unsigned char block[BLOCK];
    while (whole && size > 0) {
        int part = static_cast<int>(std::min(size, BLOCK));
        int got = lzss_read(source, unpack, part, block);
        if (got > 0) {
            bytes.append(reinterpret_cast<char *>(block), got);
            size -= got;
        }
        if (got < part || packed.file_ended)
            break;
    }
    if (unpack)
        free_lzss_unpack_data(unpack);
    if (source)
        pack_fclose(source);
    return whole && size == 0 && packed.at == packed.end;
}

// Reads an object's properties, keeping its name; false when they are broken. A property typed
// as the end mark would be added past the end of Allegro's property list and lost there, its
// bytes never freed.
static bool read_properties(Walk &walk, long &type, std::string &name)
{
    long property_type, size;
    for (int count = 0; type == DAT_PROPERTY; count++) {
        if (count == PROPERTY_LIMIT || !read_field(walk, property_type) ||
            property_type == DAT_END || !read_field(walk, size))
            return false;
        if (property_type == DAT_NAME_PROPERTY) {
            name.clear();
            if (size > NAME_LIMIT || !read_bytes(walk, size, &name))
                return false;
        } else if (!read_bytes(walk, size, nullptr)) {
            return false;
        }
        if (!read_field(walk, type))
            return false;
    }
    return true;
}

// Reads one object and what its bytes say of it; false when the layout is broken. The game's
// datafiles hold no nested datafiles, and one would need its own walk, so it counts as damage.
static bool read_object(Walk &walk, std::string &bytes, ObjectFacts &facts)
{
    long type, listed, size;
    std::string name;
    bytes.clear();
    if (!read_field(walk, type) || !read_properties(walk, type, name) || type == DAT_FILE ||
        !read_field(walk, listed) || !read_field(walk, size) || listed < 0)
        return false;
    bool whole = size < 0 ? unpack_bytes(walk, listed, -size, bytes) : read_bytes(walk, size, &bytes);
    if (!whole)
        return false;
    facts = read_object_facts(static_cast<int>(type),
                              reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    facts.name = name;
    facts.stored_as_listed = size < 0 || listed == size;
    if (type == DAT_END)
        facts.damage = "is marked as the end of the file";
    else if (facts.damage.empty() && strcasecmp(name.c_str(), PATCH_INDEX_NAME) == 0)
        facts.damage = patch_index_damage(bytes);
    return true;
}

bool scan_datafile(const char *file_name, std::vector<ObjectFacts> &objects, bool *ends_there)
{
    objects.clear();
    PACKFILE *file = pack_fopen(file_name, F_READ_PACKED);
    if (!file)
        return false;
    Walk walk = {file, UNPACKED_LIMIT};
    long magic, count;
    bool whole = read_field(walk, magic) && magic == DAT_MAGIC && read_field(walk, count) &&
                 count >= 0;
    std::string bytes;
    for (long i = 0; whole && i < count; i++) {
        ObjectFacts facts;
        whole = read_object(walk, bytes, facts);
        if (whole)
            objects.push_back(std::move(facts));
    }
    if (ends_there)
        *ends_there = whole && pack_getc(file) == EOF;
    pack_fclose(file);
    return whole;
}
