// Loading the four datafiles and checking each against its catalogue.
#include "frame/datafiles.h"

#include "frame/datafile_scan.h"
#include "frame/entries.h"
#include "frame/fatal.h"
#include "frame/state.h"

#include <cstdio>

// Everything but the intro's rising picture is copied or drawn as a whole screen.
const Catalogue SPRITES_CATALOGUE = {"sprites.dat", SPRITES_COUNT, DAT_BITMAP, -1, -1};
const Catalogue BACKGROUNDS_CATALOGUE = {"backgrounds.dat", BACKGROUNDS_COUNT, DAT_BITMAP,
                                         BG_CREDITS_FIRST, BG_BACKDROP};
const Catalogue SOUNDS_CATALOGUE = {"sounds.dat", SOUNDS_COUNT, DAT_SAMPLE, -1, -1};
const Catalogue MUSIC_CATALOGUE = {"music.dat", MUSIC_COUNT, DAT_MIDI, -1, -1};

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

static std::string problem(const char *format, int a, int b = 0, int c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string check_datafile(const DATAFILE *data, const Catalogue &catalogue)
{
    int count = count_entries(data);
    if (count < catalogue.count)
        return problem("it holds %d entries, the game needs %d", count, catalogue.count);
    for (int i = 0; i < catalogue.count; i++) {
        if (data[i].type != catalogue.kind)
            return "entry " + std::to_string(i) + " is not " + kind_name(catalogue.kind);
        if (catalogue.kind != DAT_BITMAP)
            continue;
        const BITMAP *picture = static_cast<const BITMAP *>(data[i].dat);
        int depth = bitmap_color_depth(const_cast<BITMAP *>(picture));
        if (depth != 16)
            return problem("entry %d is a %d-bit picture, the game needs 16-bit", i, depth);
        bool full_screen = i >= catalogue.full_screen_first && i <= catalogue.full_screen_last;
        if (full_screen && (picture->w != SCREEN_WIDTH || picture->h != SCREEN_HEIGHT))
            return problem("entry %d is %dx%d, the game needs 320x200", i, picture->w, picture->h);
    }
    return "";
}

DATAFILE *load_game_datafile(const Catalogue &catalogue)
{
    // Pictures load as stored, so one of the wrong depth is reported instead of converted.
    set_color_conversion(COLORCONV_NONE);
    DATAFILE *data =
        datafile_is_whole(catalogue.file_name) ? load_datafile(catalogue.file_name) : nullptr;
    if (!data)
        fatal_error("Cannot load %s: the file is missing or damaged.\n\nOK TO QUIT!",
                    catalogue.file_name);
    std::string wrong = check_datafile(data, catalogue);
    if (!wrong.empty())
        fatal_error("Cannot use %s: %s.\n\nOK TO QUIT!", catalogue.file_name, wrong.c_str());
    return data;
}
