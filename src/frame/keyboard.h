// Held keys between screens: waiting until a key press has ended before a screen acts on keys.
#pragma once

// Whether any key of Allegro's held-key state is down.
bool any_key_held();

// Sleeps a millisecond on every pass of a screen that polls the held keys, so that a menu
// left open does not keep the processor busy.
void pause_between_polls();

// Waits until the key is held. The poll wants it down, not new: a key still held from an
// earlier screen passes at once.
void wait_for_key(int scancode);

// Waits until the key is no longer held.
void wait_for_key_release(int scancode);

// Waits until no key is held, dropping the keys typed meanwhile, and leaves the typed-key
// queue empty: a key held from an earlier screen, or its repeats, reach no one.
void wait_for_all_keys_released();
