// The instrument patches the MIDI synth plays the tunes with: found where the synth looks for
// them, checked before sound starts, and handed to the synth as the checked copy.
#include "frame/patches.h"

#include "frame/datafile_scan.h"
#include "frame/files.h"

#include <allegro.h>
#include <cstdlib>
#include <strings.h>
#include <sys/stat.h>

static const char PATCH_FILE[] = "patches.dat";
static const char PATCH_INDEX_NAME[] = "default_cfg";
// A whole General MIDI set is some 30 MB; ours is a tenth of that.
static const long PATCH_SET_LIMIT = 64L << 20;
static const int PATH_SIZE = 1024;
static const char DAMAGED_PATCHES[] =
    "The instrument patches %s cannot be used:\n%s.\nPress Ok to play on without music";

// The checked copy, which the synth reads whenever a tune needs instruments it has not loaded.
static FileCopy patch_copy;

std::string check_patch_set(const std::vector<ObjectFacts> &objects, bool ends_there)
{
    if (!ends_there)
        return "there are bytes after its last instrument";
    int index = -1;
    for (size_t i = 0; i < objects.size(); i++) {
        const ObjectFacts &object = objects[i];
        std::string entry = "entry " + std::to_string(i) + " ";
        if (!object.damage.empty())
            return entry + object.damage;
        // The synth skips past an object by the size its listing gives.
        if (!object.stored_as_listed)
            return entry + "is listed at a size it does not have";
        if (index < 0 && strcasecmp(object.name.c_str(), PATCH_INDEX_NAME) == 0)
            index = static_cast<int>(i);
    }
    return index < 0 ? "it holds no index of its instruments (default.cfg)" : "";
}

// The folders the synth looks in, in its order: the program's own, $ALLEGRO, $ULTRADIR,
// $HOME, then the system's. Empty when none holds the file.
static std::string find_patch_set()
{
    char program[PATH_SIZE];
    get_executable_name(program, sizeof program);
    *get_filename(program) = '\0';
    std::string folders[] = {program, "", "", "", "/etc/", "/usr/share/allegro/",
                             "/usr/local/share/allegro/"};
    const char *variables[] = {"ALLEGRO", "ULTRADIR", "HOME"};
    for (int i = 0; i < 3; i++)
        if (const char *value = std::getenv(variables[i]))
            folders[i + 1] = std::string(value) + "/";
    for (const std::string &folder : folders) {
        struct stat status;
        std::string path = folder + PATCH_FILE;
        if (!folder.empty() && stat(path.c_str(), &status) == 0)
            return path;
    }
    return "";
}

static std::string read_patch_set(const std::string &path)
{
    std::string problem = copy_regular_file(path.c_str(), PATCH_SET_LIMIT, patch_copy);
    if (!problem.empty())
        return problem;
    std::vector<ObjectFacts> objects;
    bool ends_there = false;
    if (!scan_datafile(patch_copy.path.c_str(), objects, &ends_there))
        return "the file is damaged";
    return check_patch_set(objects, ends_there);
}

bool prepare_instrument_patches()
{
    std::string path = find_patch_set();
    if (path.empty())
        return true;
    std::string problem = read_patch_set(path);
    if (!problem.empty()) {
        close_file_copy(patch_copy);
        allegro_message(DAMAGED_PATCHES, path.c_str(), problem.c_str());
        return false;
    }
    // The synth takes a path naming an object inside a datafile as the patch set to use; the
    // override is never written to the player's Allegro configuration.
    std::string setting = "[sound]\npatches = " + patch_copy.path + "#" + PATCH_INDEX_NAME + "\n";
    override_config_data(setting.c_str(), static_cast<int>(setting.size()));
    return true;
}
