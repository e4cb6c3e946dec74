// What the signals that stop a program do to the game.
#pragma once

// Gives SIGTERM, SIGINT and SIGHUP their default action back after allegro_init, which put
// its own handler on the first two: that handler shuts Allegro down from inside the signal,
// and aborts with a core when the signal comes while Allegro is drawing. With the default
// action the game ends at once, by the signal itself; the score table is never half-written,
// since a save replaces the file whole.
void restore_stop_signals();
