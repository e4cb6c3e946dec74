// Held keys between screens: waiting until a key press has ended before a screen acts on keys.
#include "frame/keyboard.h"

#include <allegro.h>

static const int RELEASE_POLL_MS = 5; // how often a held key is looked at again
static const int POLL_PAUSE_MS = 1;   // a menu pass sleeps this long: a yield alone kept a core busy

bool any_key_held()
{
    for (int scancode = 0; scancode < KEY_MAX; ++scancode)
        if (key[scancode])
            return true;
    return false;
}

void pause_between_polls()
{
    rest(POLL_PAUSE_MS);
}

void wait_for_key(int scancode)
{
    while (!key[scancode])
        pause_between_polls();
}

// Pauses between looks only while the key is down, so nothing waits when no key is held.
void wait_for_key_release(int scancode)
{
    while (key[scancode])
        rest(RELEASE_POLL_MS);
}

void wait_for_all_keys_released()
{
    clear_keybuf();
    while (any_key_held()) {
        rest(RELEASE_POLL_MS);
        clear_keybuf();
    }
}
