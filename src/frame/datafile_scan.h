// A walk through a datafile's layout before Allegro loads it.
#pragma once

// True when the file opens and holds every object its header announces, each in full.
// Allegro's loader calls through a null pointer when a file ends early, so a cut or
// damaged file must be caught here, before load_datafile sees it.
bool datafile_is_whole(const char *file_name);
