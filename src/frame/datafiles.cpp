// Loading the four datafiles and checking each against its catalogue.
#include "frame/datafiles.h"

#include "frame/datafile_scan.h"
#include "frame/fatal.h"
#include "frame/files.h"
#include "frame/state.h"

#include <cstdio>

static const int GAME_DEPTH = 16;
static const int RGBA_DEPTH = -32; // 32-bit pixels stored with their alpha
// The largest datafile the game reads: many times its own largest.
static const long DATAFILE_LIMIT = 64L << 20;

const Catalogue SPRITES_CATALOGUE = {"sprites.dat", SPRITES_COUNT, DAT_BITMAP, sprite_size};
const Catalogue BACKGROUNDS_CATALOGUE = {"backgrounds.dat", BACKGROUNDS_COUNT, DAT_BITMAP,
                                         background_size};
const Catalogue SOUNDS_CATALOGUE = {"sounds.dat", SOUNDS_COUNT, DAT_SAMPLE, nullptr};
const Catalogue MUSIC_CATALOGUE = {"music.dat", MUSIC_COUNT, DAT_MIDI, nullptr};

static const char *kind_name(int kind)
{
    switch (kind) {
    case DAT_BITMAP: return "a picture";
    case DAT_SAMPLE: return "a sound";
    case DAT_MIDI: return "a tune";
    default: return "an unknown object";
    }
}

int count_entries(const DATAFILE *data)
{
    int count = 0;
    while (data && data[count].type != DAT_END)
        count++;
    return count;
}

int count_pictures(const DATAFILE *data)
{
    int count = 0;
    while (data && data[count].type == DAT_BITMAP &&
           bitmap_color_depth(static_cast<BITMAP *>(data[count].dat)) == GAME_DEPTH)
        count++;
    return count;
}

static std::string problem(const char *format, int a, int b = 0, int c = 0, int d = 0, int e = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// Whether one side of a picture fits its rule: exactly `needed`, or when that is 0, 1 to `most`.
static bool side_fits(int side, int needed, int most)
{
    return needed ? side == needed : side >= 1 && side <= most;
}

static std::string side_needed(int needed, int most)
{
    return needed ? std::to_string(needed) : "at most " + std::to_string(most);
}

// What a picture under the given rule must measure, in words.
static std::string size_needed(PictureSize size)
{
    if (size.width && size.height)
        return problem("%dx%d", size.width, size.height);
    if (!size.width && !size.height)
        return problem("at most the screen's %dx%d", SCREEN_WIDTH, SCREEN_HEIGHT);
    return side_needed(size.width, SCREEN_WIDTH) + " by " + side_needed(size.height, SCREEN_HEIGHT);
}

static std::string size_problem(int entry, const ObjectFacts &object, PictureSize size)
{
    if (side_fits(object.width, size.width, SCREEN_WIDTH) &&
        side_fits(object.height, size.height, SCREEN_HEIGHT))
        return "";
    return problem("entry %d is %dx%d, the game needs ", entry, object.width, object.height) +
           size_needed(size);
}

std::string check_objects(const std::vector<ObjectFacts> &objects, const Catalogue &catalogue)
{
    int count = static_cast<int>(objects.size());
    if (count < catalogue.count)
        return problem("it holds %d entries, the game needs %d", count, catalogue.count);
    for (int i = 0; i < catalogue.count; i++) {
        const ObjectFacts &object = objects[i];
        if (object.type != catalogue.kind)
            return "entry " + std::to_string(i) + " is not " + kind_name(catalogue.kind);
        if (catalogue.kind != DAT_BITMAP)
            continue;
        if (object.depth == RGBA_DEPTH)
            return problem("entry %d is a 32-bit picture with alpha, the game needs 16-bit", i);
        if (object.depth != GAME_DEPTH)
            return problem("entry %d is a %d-bit picture, the game needs 16-bit", i, object.depth);
        std::string wrong_size = size_problem(i, object, catalogue.picture_size(i));
        if (!wrong_size.empty())
            return wrong_size;
    }
    for (int i = 0; i < count; i++)
        if (!objects[i].damage.empty())
            return "entry " + std::to_string(i) + " " + objects[i].damage;
    return "";
}

std::string check_datafile(const DATAFILE *data, const Catalogue &catalogue)
{
    std::vector<ObjectFacts> objects(count_entries(data));
    for (size_t i = 0; i < objects.size(); i++) {
        objects[i].type = data[i].type;
        if (data[i].type != DAT_BITMAP)
            continue;
        BITMAP *picture = static_cast<BITMAP *>(data[i].dat);
        objects[i].depth = bitmap_color_depth(picture);
        objects[i].width = picture->w;
        objects[i].height = picture->h;
    }
    return check_objects(objects, catalogue);
}

// Allegro loads the private copy that was checked, so a file changed meanwhile cannot slip in.
DATAFILE *load_game_datafile(const Catalogue &catalogue)
{
    FileCopy copy;
    std::string unreadable = copy_regular_file(catalogue.file_name, DATAFILE_LIMIT, copy);
    if (copy.too_large)
        fatal_error("Cannot use %s: %s.\n\nOK TO QUIT!", catalogue.file_name, unreadable.c_str());
    std::vector<ObjectFacts> objects;
    if (!unreadable.empty() || !scan_datafile(copy.path.c_str(), objects))
        fatal_error("Cannot load %s: the file is missing or damaged.\n\nOK TO QUIT!",
                    catalogue.file_name);
    std::string wrong = check_objects(objects, catalogue);
    if (!wrong.empty())
        fatal_error("Cannot use %s: %s.\n\nOK TO QUIT!", catalogue.file_name, wrong.c_str());
    // Pictures load as stored, never converted: the catalogued ones were checked above.
    set_color_conversion(COLORCONV_NONE);
    DATAFILE *data = load_datafile(copy.path.c_str());
    close_file_copy(copy);
    if (!data)
        fatal_error("Cannot load %s: the file is missing or damaged.\n\nOK TO QUIT!",
                    catalogue.file_name);
    return data;
}
