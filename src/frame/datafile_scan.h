// A walk through a datafile before Allegro loads it: its layout, and each object's own bytes.
#pragma once

#include "frame/object_checks.h"

#include <vector>

// True when the file opens and holds every object its header announces, each in full; then
// `objects` holds the facts of each object in order (see object_checks.h), damage included.
// Allegro's loader calls through a null pointer when a file ends early, and trusts what each
// object says of itself, so a cut or damaged file must be caught here, before load_datafile.
// The walk reads a bounded amount, so a crafted file is refused within moments. When given,
// `ends_there` tells whether nothing follows the last object.
bool scan_datafile(const char *file_name, std::vector<ObjectFacts> &objects,
                   bool *ends_there = nullptr);
