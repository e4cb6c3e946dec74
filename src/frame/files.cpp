// Opening the game's files for reading: regular files only, never waited on; a leading byte order
// mark skipped; private copies of the datafiles.
#include "frame/files.h"

#include <cerrno>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

static const size_t COPY_BLOCK = 65536;
static const unsigned int COPY_SEALS = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

// Opened without blocking, so a FIFO cannot hold the game up before it is looked at. Returns
// the descriptor of a regular file, else -1 with errno telling why.
static int open_regular(const char *path, struct stat &status)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::unique_ptr<std::streambuf> open_regular_file(const char *path)
{
    struct stat status;
    int fd = open_regular(path, status);
    if (fd < 0)
        return nullptr;
    // The buffer owns the descriptor from here on and closes it when destroyed.
    auto file = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(fd, std::ios::in | std::ios::binary);
    if (!file->is_open()) {
        close(fd);
        return nullptr;
    }
    return file;
}

// Copies up to limit + 1 bytes from one descriptor to the other; false on a read or write error.
static bool copy_bytes(int from, int to, long limit, long &copied)
{
    static char block[COPY_BLOCK];
    copied = 0;
    while (copied <= limit) {
        ssize_t got = read(from, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(to, block + done, got - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
        copied += got;
    }
    return true;
}

std::string copy_regular_file(const char *path, long limit, FileCopy &copy)
{
    close_file_copy(copy);
    struct stat status;
    int fd = open_regular(path, status);
    if (fd < 0)
        return errno == EINVAL ? "it is not a regular file" : std::strerror(errno);
    std::string too_big = "it holds more than " + std::to_string(limit >> 20) + " MB";
    if (status.st_size > limit) {
        close(fd);
        copy.too_large = true;
        return too_big;
    }
    copy.fd = memfd_create("void-sentinel checked copy", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    long copied = 0;
    if (copy.fd >= 0 && !copy_bytes(fd, copy.fd, limit, copied)) {
        std::string problem = std::strerror(errno);
        close(fd);
        close_file_copy(copy);
        return problem;
    }
    close(fd);
    if (copied > limit) {
        close_file_copy(copy);
        copy.too_large = true;
        return too_big;
    }
    copy.path = "/proc/self/fd/" + std::to_string(copy.fd);
    if (copy.fd >= 0 && fcntl(copy.fd, F_ADD_SEALS, COPY_SEALS) == 0 &&
        access(copy.path.c_str(), R_OK) == 0)
        return "";
    // No private copy here (an old system, or no /proc): the file is loaded by its own name.
    close_file_copy(copy);
    copy.path = path;
    return "";
}

void close_file_copy(FileCopy &copy)
{
    if (copy.fd >= 0)
        close(copy.fd);
    copy.fd = -1;
    copy.path.clear();
    copy.too_large = false;
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
