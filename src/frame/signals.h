// What the signals that stop a program do to the game, and to the message box it may show.
#pragma once

// Notes which of SIGTERM, SIGINT and SIGHUP the game was started with ignored (as nohup and
// background jobs start programs): those stay ignored. Call first thing, before allegro_init.
void note_ignored_stop_signals();

// Gives SIGTERM, SIGINT and SIGHUP their default action back after allegro_init, which put
// its own handler on the first two: that handler shuts Allegro down from inside the signal,
// and aborts with a core when the signal comes while Allegro is drawing. With the default
// action the game ends at once, by the signal itself; the score table is never half-written,
// since a save replaces the file whole. A signal noted as ignored stays ignored.
void restore_stop_signals();

// A message box is a program of its own that the game waits for: from here on, every one the
// game starts ends when the game does, however the game ends.
void end_message_boxes_with_the_game();

// Losing the X display (the server ending, a logout) ends the game with status 1 and one line on
// the standard error: Xlib's own way would shut Allegro down on whichever thread saw it while
// another thread draws, and abort with a core.
void end_quietly_when_the_display_is_lost();
