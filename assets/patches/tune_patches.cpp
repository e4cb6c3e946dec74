// tune_patches: the instrument patches our tunes need, from Debian's freepats.
//   tune_patches index FREEPATS_DIR OUT_DIR tune.mid...
//       writes OUT_DIR/default.cfg (Allegro's index format) naming only the instruments
//       and drums the tunes play, with links to their .pat files; fails if freepats lacks one.
//   tune_patches check patches.dat tune.mid...
//       fails unless every instrument and drum the tunes play is inside patches.dat.
#include "midi_scan.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

// Allegro's index counts programs from 1 and keeps drums in programs 129 to 256.
static const int FIRST_PROGRAM_NUMBER = 1;
static const char *const DRUM_BLOCK_START = "129-256 begin_multipatch default blank";
static const char *const DRUM_BLOCK_END = "end_multipatch";

// What the tunes play: each program and drum note with the first tune that plays it.
struct Needs {
    std::map<int, std::string> programs;
    std::map<int, std::string> drum_notes;
};

// What every tune given on the command line plays, or a message and exit.
static Needs scan_tunes(int count, char **paths)
{
    Needs needs;
    for (int i = 0; i < count; i++) {
        TuneNeeds tune;
        std::string error;
        if (!scan_midi(paths[i], tune, error)) {
            std::fprintf(stderr, "tune_patches: %s\n", error.c_str());
            std::exit(1);
        }
        std::string name = fs::path(paths[i]).filename().string();
        for (int program : tune.programs)
            needs.programs.emplace(program, name);
        for (int note : tune.drum_notes)
            needs.drum_notes.emplace(note, name);
    }
    return needs;
}

// The .pat files of one freepats folder by their number: "073_Flute.pat" is 73.
static std::map<int, fs::path> numbered_patches(const fs::path &folder)
{
    std::map<int, fs::path> found;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".pat" || name.size() < 4 || name[3] != '_')
            continue;
        char *end = nullptr;
        long number = std::strtol(name.c_str(), &end, 10);
        if (end == name.c_str() + 3)
            found[(int)number] = entry.path();
    }
    if (error) {
        std::fprintf(stderr, "tune_patches: cannot read %s: %s\n", folder.c_str(),
                     error.message().c_str());
        std::exit(1);
    }
    return found;
}

// Links one patch into the index folder and returns its name without ".pat".
static std::string link_patch(const fs::path &patch, const fs::path &out_dir)
{
    fs::path link = out_dir / patch.filename();
    std::error_code error;
    fs::create_symlink(patch, link, error);
    if (error) {
        std::fprintf(stderr, "tune_patches: cannot link %s: %s\n", link.c_str(),
                     error.message().c_str());
        std::exit(1);
    }
    return patch.stem().string();
}

static int write_index(const fs::path &freepats, const fs::path &out_dir, const Needs &needs)
{
    std::map<int, fs::path> tones = numbered_patches(freepats / "Tone_000");
    std::map<int, fs::path> drums = numbered_patches(freepats / "Drum_000");
    std::ostringstream index;
    int missing = 0;
    fs::create_directories(out_dir);
    for (const auto &[program, tune] : needs.programs) {
        auto found = tones.find(program);
        if (found == tones.end()) {
            std::fprintf(stderr, "tune_patches: %s plays General MIDI program %d, "
                                 "which freepats has no instrument for\n", tune.c_str(), program);
            missing++;
            continue;
        }
        index << program + FIRST_PROGRAM_NUMBER << ' ' << link_patch(found->second, out_dir)
              << '\n';
    }
    if (!needs.drum_notes.empty())
        index << DRUM_BLOCK_START << '\n';
    for (const auto &[note, tune] : needs.drum_notes) {
        auto found = drums.find(note);
        if (found == drums.end()) {
            std::fprintf(stderr, "tune_patches: %s plays drum note %d, "
                                 "which freepats has no sound for\n", tune.c_str(), note);
            missing++;
            continue;
        }
        index << note << ' ' << link_patch(found->second, out_dir) << '\n';
    }
    if (!needs.drum_notes.empty())
        index << DRUM_BLOCK_END << '\n';
    std::ofstream file(out_dir / "default.cfg", std::ios::binary);
    file << index.str();
    if (!file) {
        std::fprintf(stderr, "tune_patches: cannot write %s\n", (out_dir / "default.cfg").c_str());
        return 1;
    }
    return missing ? 1 : 0;
}

// The patch names the index inside patches.dat gives to programs (0-based) and drum notes.
static void read_index(const std::string &text, std::map<int, std::string> &programs,
                       std::map<int, std::string> &drums)
{
    std::istringstream lines(text);
    std::string line;
    bool in_drums = false;
    while (std::getline(lines, line)) {
        if (line.find("begin_multipatch") != std::string::npos) {
            in_drums = true;
            continue;
        }
        if (line.find(DRUM_BLOCK_END) != std::string::npos) {
            in_drums = false;
            continue;
        }
        std::istringstream words(line);
        int number;
        std::string name;
        if (!(words >> number >> name))
            continue;
        if (in_drums)
            drums[number] = name;
        else
            programs[number - FIRST_PROGRAM_NUMBER] = name;
    }
}

// True if the datafile holds a patch object of that name.
static bool has_patch(DATAFILE *data, const std::string &name)
{
    DATAFILE *object = find_datafile_object(data, name.c_str());
    return object && object->type == DAT_ID('P', 'A', 'T', ' ');
}

static int check_patches(const char *patches_path, const Needs &needs)
{
    DATAFILE *data = load_datafile(patches_path);
    if (!data) {
        std::fprintf(stderr, "tune_patches: cannot load %s\n", patches_path);
        return 1;
    }
    DATAFILE *index = find_datafile_object(data, "default_cfg");
    if (!index) {
        std::fprintf(stderr, "tune_patches: %s has no instrument index\n", patches_path);
        return 1;
    }
    std::map<int, std::string> programs, drums;
    read_index(std::string(static_cast<const char *>(index->dat), index->size), programs, drums);
    int missing = 0;
    for (const auto &[program, tune] : needs.programs)
        if (!programs.count(program) || !has_patch(data, programs[program])) {
            std::fprintf(stderr, "tune_patches: %s lacks General MIDI program %d, which %s plays\n",
                         patches_path, program, tune.c_str());
            missing++;
        }
    for (const auto &[note, tune] : needs.drum_notes)
        if (!drums.count(note) || !has_patch(data, drums[note])) {
            std::fprintf(stderr, "tune_patches: %s lacks drum note %d, which %s plays\n",
                         patches_path, note, tune.c_str());
            missing++;
        }
    unload_datafile(data);
    return missing ? 1 : 0;
}

int main(int argc, char **argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "index" && argc >= 4)
        return write_index(argv[2], argv[3], scan_tunes(argc - 4, argv + 4));
    if (mode == "check" && argc >= 3) {
        if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
            std::fprintf(stderr, "tune_patches: cannot start Allegro: %s\n", allegro_error);
            return 1;
        }
        return check_patches(argv[2], scan_tunes(argc - 3, argv + 3));
    }
    std::fprintf(stderr, "usage: tune_patches index FREEPATS_DIR OUT_DIR tune.mid...\n"
                         "       tune_patches check patches.dat tune.mid...\n");
    return 2;
}
