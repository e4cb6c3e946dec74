// Runs the unit tests with Allegro started without a display: memory bitmaps only.
#include <allegro.h>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(16);
    install_sound(DIGI_NONE, MIDI_NONE, nullptr);
    return RUN_ALL_TESTS();
}
