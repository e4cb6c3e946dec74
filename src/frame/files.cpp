// Opening the game's text files for reading: regular files only, a leading byte order mark skipped.
#include "frame/files.h"

#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

// Opened without blocking, so a FIFO cannot hold the game up before it is looked at.
std::unique_ptr<std::streambuf> open_regular_file(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    // The buffer owns the descriptor from here on and closes it when destroyed.
    auto file = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(fd, std::ios::in | std::ios::binary);
    if (!file->is_open()) {
        close(fd);
        return nullptr;
    }
    return file;
}

void skip_byte_order_mark(std::istream &in)
{
    if (in.peek() != static_cast<unsigned char>(BYTE_ORDER_MARK[0]))
        return;
    std::streampos start = in.tellg();
    char head[BYTE_ORDER_MARK_SIZE];
    in.read(head, BYTE_ORDER_MARK_SIZE);
    if (in.gcount() == BYTE_ORDER_MARK_SIZE && std::memcmp(head, BYTE_ORDER_MARK, BYTE_ORDER_MARK_SIZE) == 0)
        return;
    in.clear();
    in.seekg(start);
}
