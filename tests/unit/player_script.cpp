// A scripted player for the blocking screens, and a record of what the game played and asked.
#include "player_script.h"

#include "frame/keyboard.h"
#include "frame/loop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

std::vector<std::string> sound_log;
int last_sample_volume = -1, last_sample_pan = -1, last_tune_loop = 0;
NameBox name_box;
int key_polls = 0;
bool script_timer = false;
std::map<unsigned, int> rests;

static const int GIVE_UP_MS = 60000; // a screen still waiting this long after the script never ends
static const int TICK_MS = 17;

static std::vector<Stretch> script;
static std::string typed_name;
static bool active = false;      // a script runs; otherwise keys are the test's own
static size_t next_stretch = 0; // the first stretch not yet begun
static int clock_ms = 0;
static int stretch_end_ms = 0;
static int timer_ms = 0;
static std::deque<int> typed_keys;
static DATAFILE *watched_sounds = nullptr;
static DATAFILE *watched_music = nullptr;

[[noreturn]] static void give_up(const char *where)
{
    std::fprintf(stderr, "the script ended %d ms ago and the game still waits in %s\n",
                 clock_ms - stretch_end_ms, where);
    std::abort();
}

// Begins every stretch the clock has reached: its keys held, the others let go, its keys typed.
static void follow_script()
{
    while (clock_ms >= stretch_end_ms) {
        for (int k = 0; k < KEY_MAX; k++)
            key[k] = 0;
        if (next_stretch == script.size()) {
            if (clock_ms - stretch_end_ms > GIVE_UP_MS)
                give_up("a held-key poll");
            return;
        }
        const Stretch &stretch = script[next_stretch++];
        for (int k : stretch.held)
            key[k] = 1;
        for (int k : stretch.typed)
            typed_keys.push_back(k << 8);
        if (stretch.shot)
            blit(screen, stretch.shot, 0, 0, 0, 0, screen->w, screen->h);
        stretch_end_ms += stretch.ms;
    }
}

// Time passes by the game's pauses, its looks for typed keys and its frames shown.
static void pass_time(int ms)
{
    clock_ms += ms;
    for (timer_ms += script_timer ? ms : 0; timer_ms >= TICK_MS; timer_ms -= TICK_MS)
        tick();
    if (active)
        follow_script();
}

// A look for a typed key is a moment of the game's clock, as a pass of a busy poll is.
static int scripted_keypressed()
{
    key_polls++;
    pass_time(1);
    return !typed_keys.empty();
}

// A readkey with nothing typed lets the clock run until the script types something.
static int scripted_readkey()
{
    while (typed_keys.empty()) {
        if (next_stretch == script.size())
            give_up("readkey");
        clock_ms = stretch_end_ms;
        follow_script();
    }
    int typed = typed_keys.front();
    typed_keys.pop_front();
    return typed;
}

void play_script(const std::vector<Stretch> &steps, const std::string &name)
{
    script = steps;
    typed_name = name;
    next_stretch = 0;
    clock_ms = stretch_end_ms = 0;
    typed_keys.clear();
    sound_log.clear();
    key_polls = 0;
    rests.clear();
    name_box = NameBox();
    active = true;
    install_keyboard_hooks(scripted_keypressed, scripted_readkey);
    follow_script();
}

void end_script()
{
    install_keyboard_hooks(nullptr, nullptr);
    active = false;
    typed_keys.clear();
    for (int k = 0; k < KEY_MAX; k++)
        key[k] = 0;
}

int script_clock()
{
    return clock_ms;
}

void watch_datafiles(DATAFILE *sounds, DATAFILE *music)
{
    watched_sounds = sounds;
    watched_music = music;
}

static int entry_of(const DATAFILE *data, const void *object)
{
    for (int i = 0; data && data[i].type != DAT_END; i++)
        if (data[i].dat == object)
            return i;
    return -1;
}

extern "C" {

void __wrap_rest(unsigned int ms)
{
    rests[ms]++;
    pass_time(ms > 0 ? static_cast<int>(ms) : 1);
}

// A frame shown on the screen is a moment of the game's clock too.
void __real_blit(BITMAP *source, BITMAP *dest, int source_x, int source_y, int dest_x, int dest_y,
                 int width, int height);
void __wrap_blit(BITMAP *source, BITMAP *dest, int source_x, int source_y, int dest_x, int dest_y,
                 int width, int height)
{
    __real_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
    if (dest == screen)
        pass_time(1);
}

int __wrap_play_sample(const SAMPLE *sample, int volume, int pan, int, int)
{
    sound_log.push_back("sample " + std::to_string(entry_of(watched_sounds, sample)));
    last_sample_volume = volume;
    last_sample_pan = pan;
    return 0;
}

int __wrap_play_midi(MIDI *tune, int loop)
{
    sound_log.push_back("tune " + std::to_string(entry_of(watched_music, tune)));
    last_tune_loop = loop;
    return 0;
}

void __wrap_stop_midi()
{
    sound_log.push_back("stop");
}

// The name box: what the game asked for is kept, and the scripted name is typed into it.
int __wrap_do_dialog(DIALOG *dialog, int)
{
    name_box.opened++;
    name_box.x = dialog->x;
    name_box.y = dialog->y;
    name_box.w = dialog->w;
    name_box.h = dialog->h;
    name_box.fg = dialog->fg;
    name_box.bg = dialog->bg;
    name_box.flags = dialog->flags;
    name_box.d1 = dialog->d1;
    char *text = static_cast<char *>(dialog->dp);
    name_box.text_at_open = text;
    name_box.keys_at_open = !typed_keys.empty() || any_key_held();
    std::snprintf(text, static_cast<size_t>(dialog->d1) + 1, "%s", typed_name.c_str());
    return 0;
}

} // extern "C"
