// A scripted player for the blocking screens, and a record of what the game played and asked.
//
// The unit tests are linked with Allegro's rest, blit, play_sample, play_midi, stop_midi and do_dialog
// wrapped. rest() advances a clock instead of sleeping (a rest(0), a look for a typed key and a
// frame shown on the screen count as one millisecond), and the script holds and types keys by
// that clock, so a screen that polls key[] or calls readkey() runs to its end at once and the
// same way every time.
#pragma once

#include <allegro.h>
#include <map>
#include <string>
#include <vector>

// One stretch of the script: the keys held for `ms` milliseconds of the game's clock, the keys
// typed as it begins (as scancodes; readkey gives each with its character), and a bitmap that
// then gets a copy of what the screen shows.
struct Stretch {
    int ms;
    std::vector<int> held;
    std::vector<int> typed = {};
    BITMAP *shot = nullptr;
};

// Starts a script at clock 0. After its last stretch no key is held; a screen still waiting a
// minute later fails the test. `name` is what the player types into the name box.
void play_script(const std::vector<Stretch> &script, const std::string &name = "");

// Ends the script: no key held, and the keyboard as it was before.
void end_script();

// The game's clock: milliseconds of rest() since play_script, with each look for a typed key
// (keypressed) a millisecond too; and how many such looks the game made.
int script_clock();
// While set, the game's timer ticks every 17 ms of that clock, as it does 60 times a second.
extern bool script_timer;
extern int key_polls;
// How many times the game rested for each length of time, since play_script.
extern std::map<unsigned, int> rests;

// Every sample and tune started or stopped since play_script, as "sample N" (N the entry of a
// watched datafile), "tune N" and "stop"; `watch` names the datafiles to look entries up in.
void watch_datafiles(DATAFILE *sounds, DATAFILE *music);
extern std::vector<std::string> sound_log;
extern int last_sample_volume, last_sample_pan, last_tune_loop;

// The name box as the game opened it: its place, size, colours, limit and first text, and
// whether a key was still held or waiting to be read then.
struct NameBox {
    int opened = 0;
    int x, y, w, h, fg, bg, flags, d1;
    std::string text_at_open;
    bool keys_at_open = false;
};
extern NameBox name_box;
