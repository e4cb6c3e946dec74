// Opening the game's text files for reading: regular files only, a leading byte order mark skipped.
#pragma once

#include <istream>
#include <memory>
#include <streambuf>

// The file at path, opened for reading when it is a regular file; null when it is missing,
// unreadable, a folder, a FIFO or a device. A FIFO is refused without waiting for a writer.
std::unique_ptr<std::streambuf> open_regular_file(const char *path);

// Skips a UTF-8 byte order mark at the stream's position; anything else is left unread.
void skip_byte_order_mark(std::istream &in);
