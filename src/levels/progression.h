// The two decisions behind the tally and the death screens, kept apart from the blocking screens.
#pragma once

// True when every enemy of the level file has been destroyed or has left the screen.
bool level_is_over();

// True when a hit on the ship ends the game: lives are tested before one is taken.
bool death_ends_game();
