// Stand-in pictures and sounds, and a known game state, for tests without a display.
#include "fixtures.h"
#include "player_script.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder(bool enter)
{
    std::string pattern = (fs::temp_directory_path() / "void-sentinel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path = pattern;
    if (enter) {
        previous = fs::current_path();
        fs::current_path(path);
    }
}

TemporaryFolder::~TemporaryFolder()
{
    if (!previous.empty())
        fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

MemoryScreen::MemoryScreen() : previous(screen)
{
    screen = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
}

MemoryScreen::~MemoryScreen()
{
    destroy_bitmap(screen);
    screen = previous;
}

int picture_colour(int entry)
{
    return 0x0841 * (entry + 1); // distinct, never the mask colour
}

bool same_pixels(BITMAP *a, BITMAP *b)
{
    for (int row = 0; row < SCREEN_HEIGHT; row++)
        if (std::memcmp(a->line[row], b->line[row], SCREEN_WIDTH * sizeof(uint16_t)) != 0)
            return false;
    return true;
}

// A datafile of `count` objects of one kind, object i made by make(i).
static DATAFILE *make_datafile(int count, int type, const std::function<void *(int)> &make)
{
    DATAFILE *data = new DATAFILE[count + 1]();
    for (int i = 0; i < count; i++)
        data[i] = {make(i), type, 0, nullptr};
    data[count].type = DAT_END;
    return data;
}

DATAFILE *make_picture_datafile(int count, int width, int height)
{
    return make_datafile(count, DAT_BITMAP, [=](int i) -> void * {
        BITMAP *picture = create_bitmap_ex(16, width, height);
        clear_to_color(picture, picture_colour(i));
        return picture;
    });
}

DATAFILE *make_sound_datafile(int count)
{
    return make_datafile(count, DAT_SAMPLE, [](int) -> void * {
        SAMPLE *sample = create_sample(16, FALSE, 22050, 64);
        std::memset(sample->data, 0, 64 * 2);
        return sample;
    });
}

DATAFILE *make_tune_datafile(int count)
{
    return make_datafile(count, DAT_MIDI, [](int) -> void * { return new MIDI(); });
}

void free_test_datafile(DATAFILE *data)
{
    for (int i = 0; data[i].type != DAT_END; i++) {
        if (data[i].type == DAT_BITMAP)
            destroy_bitmap(static_cast<BITMAP *>(data[i].dat));
        else if (data[i].type == DAT_SAMPLE)
            destroy_sample(static_cast<SAMPLE *>(data[i].dat));
        else if (data[i].type == DAT_MIDI)
            delete static_cast<MIDI *>(data[i].dat);
    }
    delete[] data;
}

void reset_play_state()
{
    for (int k = 0; k < KEY_MAX; k++)
        key[k] = 0;
    player_x = 160.0;
    player_y = 184.0;
    lives = START_LIVES;
    level_number = 1;
    level_points = 0;
    total_points = 0;
    max_bullets = START_MAX_BULLETS;
    fire_delay = START_FIRE_DELAY;
    fire_cooldown = 0;
    shields_left = START_SHIELDS;
    shield_length = START_SHIELD_LENGTH;
    shield_on = 0;
    shield_timer = -1;
    player_hit = 0;
    enemy_count = 0;
    next_enemy = 0;
    spawn_countdown = 0.0;
    tick_count = 0;
    far_scroll = 0.0;
    near_scroll = 0.0;
    for (int i = 0; i < BULLET_SLOTS; i++)
        reset_bullet(i);
    for (int i = 0; i < ENEMY_SHOT_SLOTS; i++)
        reset_enemy_shot(i);
    for (Enemy &enemy : enemies)
        enemy = Enemy{500.0, 0.0, 0, 0, 0, 1, 0, 0, 0};
    for (int &timer : explosion_timer)
        timer = -1;
    sprite_entries = SPRITES_COUNT;
}

void PlayTest::SetUp()
{
    reset_play_state();
    sprites = make_picture_datafile(SPRITES_COUNT);
    sounds = make_sound_datafile(SOUNDS_COUNT);
    watch_datafiles(sounds, nullptr);
    sound_log.clear();
}

void PlayTest::TearDown()
{
    free_test_datafile(sprites);
    free_test_datafile(sounds);
}

// The faults fail_next arms, one a call; `fails` says whether this call fails, errno then set.
static struct Fault {
    const char *call;
    int error = 0, count = 0;
} faults[] = {{"open"},   {"read"},  {"write"},  {"close"},        {"fsync"},
               {"fchmod"}, {"flock"}, {"rename"}, {"memfd_create"}, {"create_bitmap"}};

static bool fails(const char *call)
{
    for (Fault &fault : faults)
        if (std::strcmp(fault.call, call) == 0 && fault.count > 0) {
            fault.count--;
            errno = fault.error;
            return true;
        }
    return false;
}

void fail_next(const char *call, int error, int count)
{
    for (Fault &fault : faults)
        if (std::strcmp(fault.call, call) == 0)
            fault = {call, error, count};
}

void clear_faults()
{
    for (Fault &fault : faults)
        fault.count = 0;
}

extern "C" {
int __real_open(const char *, int, ...);
ssize_t __real_read(int, void *, size_t);
ssize_t __real_write(int, const void *, size_t);
int __real_close(int), __real_fsync(int), __real_fchmod(int, mode_t), __real_flock(int, int);
int __real_rename(const char *, const char *);
BITMAP *__real_create_bitmap(int, int);
int __real_memfd_create(const char *, unsigned int);

int __wrap_open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return fails("open") ? -1 : __real_open(path, flags, mode);
}
ssize_t __wrap_read(int fd, void *to, size_t n)
{
    return !fails("read") ? __real_read(fd, to, n) : errno ? -1 : __real_read(fd, to, n > 0);
}
ssize_t __wrap_write(int fd, const void *from, size_t n)
{
    return !fails("write") ? __real_write(fd, from, n) : errno ? -1 : __real_write(fd, from, n > 0);
}
int __wrap_close(int fd)
{
    int closed = __real_close(fd);
    return fails("close") ? -1 : closed;
}
int __wrap_fsync(int fd) { return fails("fsync") ? -1 : __real_fsync(fd); }
int __wrap_fchmod(int fd, mode_t mode) { return fails("fchmod") ? -1 : __real_fchmod(fd, mode); }
int __wrap_flock(int fd, int how) { return fails("flock") ? -1 : __real_flock(fd, how); }
int __wrap_rename(const char *from, const char *to) { return fails("rename") ? -1 : __real_rename(from, to); }
BITMAP *__wrap_create_bitmap(int w, int h) { return fails("create_bitmap") ? nullptr : __real_create_bitmap(w, h); }
int __wrap_memfd_create(const char *name, unsigned int flags)
{
    return fails("memfd_create") ? -1 : __real_memfd_create(name, flags);
}
} // extern "C"
