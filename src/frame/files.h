// Opening the game's text files for reading: regular files only, a leading byte order mark skipped.
#pragma once

#include <istream>
#include <memory>
#include <streambuf>

// The three bytes some editors put before the text of a UTF-8 file.
extern const char BYTE_ORDER_MARK[];
const int BYTE_ORDER_MARK_SIZE = 3;

// The file at path, opened for reading when it is a regular file; null when it is missing,
// unreadable, a folder, a FIFO or a device. A FIFO is refused without waiting for a writer.
std::unique_ptr<std::streambuf> open_regular_file(const char *path);

// Skips a UTF-8 byte order mark at the stream's position; anything else is left unread.
void skip_byte_order_mark(std::istream &in);
