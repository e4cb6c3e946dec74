// Opening the game's files for reading: regular files only, never waited on; a leading byte order
// mark skipped; private copies of the datafiles.
#pragma once

#include <istream>
#include <memory>
#include <streambuf>
#include <string>

// The three bytes some editors put before the text of a UTF-8 file.
extern const char BYTE_ORDER_MARK[];
const int BYTE_ORDER_MARK_SIZE = 3;

// The file at path, opened for reading when it is a regular file; null when it is missing,
// unreadable, a folder, a FIFO or a device. A FIFO is refused without waiting for a writer.
std::unique_ptr<std::streambuf> open_regular_file(const char *path);

// A copy of a file in memory that only the game holds and nothing can change, and a path by which
// Allegro opens it: what it loads is then exactly what was checked.
struct FileCopy {
    int fd = -1;
    std::string path;
    bool too_large = false; // the file held more than the copy may
};

// Copies the regular file at `path` when it holds at most `limit` bytes, and returns an empty
// string; else what is wrong. Where the system offers no such copy, `copy.path` is the file's own.
std::string copy_regular_file(const char *path, long limit, FileCopy &copy);
void close_file_copy(FileCopy &copy);

// Skips a UTF-8 byte order mark at the stream's position; anything else is left unread.
void skip_byte_order_mark(std::istream &in);
