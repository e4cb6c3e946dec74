// save_loop: saves the high score table over and over with the game's own save, so a test can
// kill it at any moment and check that highscores.sco is always a whole table.
//
// usage: save_loop FOLDER [--count N]
//
// In FOLDER it loads highscores.sco with the game's loader and checks that it is whole: either
// a table this tool wrote, whose first name gives its generation, or any other table for
// generation 0. It prints "ready G" and then saves generations G+1, G+2, ... printing
// "saved G" once each save has returned. With --count it stops after N saves.
#include "highscores/highscores.h"

#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static const int EXIT_BROKEN = 1;
static const int EXIT_USAGE = 2;
static const char GENERATION_MARK = 'g';
static const int NAME_PAD_SPAN = 50; // names vary in length so a cut file cannot pass as whole
static const int SCORE_STEP = 10;

// The table of one generation: names that carry the generation and vary in length, scores
// in descending order.
static void make_table(long generation, std::string names[], int scores[])
{
    for (int i = 0; i < HIGH_SCORE_ENTRIES; i++) {
        std::string name = GENERATION_MARK + std::to_string(generation) + "_" + std::to_string(i);
        name.append(static_cast<size_t>((generation * 7 + i * 13) % NAME_PAD_SPAN), 'a' + i);
        names[i] = name;
        scores[i] = static_cast<int>((generation % 1000000) * SCORE_STEP) + HIGH_SCORE_ENTRIES - i;
    }
}

static bool table_is(long generation)
{
    std::string names[HIGH_SCORE_ENTRIES];
    int scores[HIGH_SCORE_ENTRIES];
    make_table(generation, names, scores);
    for (int i = 0; i < HIGH_SCORE_ENTRIES; i++)
        if (high_names[i] != names[i] || high_scores[i] != scores[i])
            return false;
    return true;
}

// The generation of the loaded table, or -1 when it is one of ours but not whole.
static long loaded_generation()
{
    const std::string &first = high_names[0];
    if (first.empty() || first[0] != GENERATION_MARK)
        return 0; // a table from elsewhere, such as the blank one the game ships
    long generation = std::strtol(first.c_str() + 1, nullptr, 10);
    return table_is(generation) ? generation : -1;
}

int main(int argc, char **argv)
{
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--count") == 0)) {
        std::fprintf(stderr, "usage: save_loop FOLDER [--count N]\n");
        return EXIT_USAGE;
    }
    long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : -1;
    // Without a display the game's fatal messages go to the standard output.
    install_allegro(SYSTEM_NONE, &errno, atexit);
    if (chdir(argv[1]) != 0) {
        std::fprintf(stderr, "save_loop: cannot enter %s: %s\n", argv[1], std::strerror(errno));
        return EXIT_USAGE;
    }

    load_high_scores();
    long generation = loaded_generation();
    if (generation < 0) {
        std::printf("FAILED: highscores.sco is not a whole table (first name %s)\n",
                    high_names[0].c_str());
        return EXIT_BROKEN;
    }
    std::printf("ready %ld\n", generation);
    std::fflush(stdout);

    for (long saved = 0; count < 0 || saved < count; saved++) {
        generation++;
        make_table(generation, high_names, high_scores);
        save_high_scores();
        std::printf("saved %ld\n", generation);
        std::fflush(stdout);
    }
    return 0;
}
