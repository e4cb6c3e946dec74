// highscores.sco on disk: loading it, saving it safely and through a link, the lock that two
// games in one folder share, and the start-up check that a save would succeed.
#include "highscores/highscores.h"

#include "frame/fatal.h"
#include "frame/files.h"

#include <allegro.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <locale>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char HIGH_SCORE_FILE[] = "highscores.sco";
const char HIGH_SCORE_TEMP_FILE[] = "highscores.sco.tmp";

static const char FILE_ERROR[] = "Something messy\n\nOK TO QUIT!";
static const char UNSAVEABLE_WARNING[] =
    "The high score table %s cannot be saved:\n%s\nPress Ok to play on; a new high score will not be kept";

// What the names of the temporary file and the lock file add to the table's.
static const char TEMP_SUFFIX[] = ".tmp";
static const char LOCK_SUFFIX[] = ".lock";
// Every player who may save the table may lock it; the umask narrows this as usual.
static const mode_t LOCK_FILE_MODE = 0666;
// A table made afresh (the old one was removed while the game ran) gets the usual file mode.
static const mode_t NEW_TABLE_MODE = 0666;
static const mode_t PERMISSION_BITS = 07777;
static const mode_t ANY_WRITE_BIT = S_IWUSR | S_IWGRP | S_IWOTH;

// Only a regular file is read: a folder or FIFO of that name is as bad as no file, and a
// FIFO must not hold the game up waiting for a writer.
void load_high_scores()
{
    std::unique_ptr<std::streambuf> file = open_regular_file(HIGH_SCORE_FILE);
    if (!file)
        fatal_error("%s", FILE_ERROR);
    std::istream in(file.get());
    read_high_scores(in);
}

// Where a save writes: the table file, or the file a linked table leads to, so the player's
// link survives; the temporary file and the lock file beside it; and what stands there now.
struct TablePlace {
    std::string target;
    std::string temp;
    std::string lock;
    std::string folder;
    bool exists;
    mode_t mode;
};

static std::string folder_of(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Finds where the table is saved. Returns what stops a save there, or an empty string.
static std::string locate_table(TablePlace &place)
{
    place.target = HIGH_SCORE_FILE;
    struct stat status;
    if (lstat(HIGH_SCORE_FILE, &status) == 0 && S_ISLNK(status.st_mode)) {
        char *resolved = realpath(HIGH_SCORE_FILE, nullptr);
        if (!resolved)
            return std::string("it is a link that leads nowhere (") + std::strerror(errno) + ")";
        place.target = resolved;
        std::free(resolved);
    }
    place.temp = place.target + TEMP_SUFFIX;
    place.lock = place.target + LOCK_SUFFIX;
    place.folder = folder_of(place.target);
    place.exists = stat(place.target.c_str(), &status) == 0;
    place.mode = place.exists ? status.st_mode & PERMISSION_BITS : NEW_TABLE_MODE;
    if (!place.exists)
        return "";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    // Made read-only by the player: refused even where the folder would let a rename replace it.
    if ((status.st_mode & ANY_WRITE_BIT) == 0 || access(place.target.c_str(), W_OK) != 0)
        return "it is read-only";
    return "";
}

static bool write_all(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// Writes bytes to a temporary file of the table's mode beside it and forces them to the disk.
// The file is made afresh and never through a link, so nothing planted under its name is written
// through. Returns what failed, or an empty string; a failure leaves no temporary file behind.
static std::string write_temp_file(const TablePlace &place, const std::string &bytes)
{
    const char *temp = place.temp.c_str();
    // A leftover of a save cut short goes first; a folder of that name stays and stops the save.
    if (unlink(temp) != 0 && errno != ENOENT)
        return place.temp + ": " + std::strerror(errno);
    int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, place.mode);
    if (fd < 0)
        return place.temp + ": " + std::strerror(errno);
    errno = 0;
    bool written = (!place.exists || fchmod(fd, place.mode) == 0) && write_all(fd, bytes) && fsync(fd) == 0;
    std::string problem = written ? "" : place.temp + ": " + std::strerror(errno ? errno : EIO);
    if (close(fd) != 0 && problem.empty())
        problem = place.temp + ": " + std::strerror(errno);
    if (!problem.empty())
        unlink(temp);
    return problem;
}

// Makes the rename itself durable. Only a power cut right after a save could lose it, and
// then the old table is still there, so a failure here is not worth ending the game for.
static void sync_folder(const std::string &folder)
{
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
}

static std::string table_bytes()
{
    std::ostringstream table;
    table.imbue(std::locale::classic()); // plain digits whatever the global locale
    write_high_scores(table);
    return table.str();
}

// The new table goes to a temporary file first and replaces the old one in a single rename,
// so a crash or a full disk never leaves a half-written table behind.
void save_high_scores()
{
    TablePlace place;
    if (!locate_table(place).empty() || !write_temp_file(place, table_bytes()).empty())
        fatal_error("%s", FILE_ERROR);
    if (std::rename(place.temp.c_str(), place.target.c_str()) != 0) {
        unlink(place.temp.c_str());
        fatal_error("%s", FILE_ERROR);
    }
    sync_folder(place.folder);
}

// Takes the advisory lock that other games in the folder take before they change the table.
// Returns the lock's descriptor, or -1 when no lock file can be had: the save then goes ahead
// unlocked and reports for itself whether the folder lets it write.
static int lock_table(const std::string &lock)
{
    int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, LOCK_FILE_MODE);
    if (fd < 0)
        return -1;
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

// Another game in the same folder may have saved since this one read the table, so the file
// is read again under the lock and the entry goes where it ranks in that table.
int record_high_score(const std::string &name, int score)
{
    TablePlace place;
    locate_table(place);
    int lock = lock_table(place.lock);
    load_high_scores();
    int rank = high_score_rank(score);
    if (rank >= 0) {
        insert_high_score(rank, name, score);
        save_high_scores();
    }
    if (lock >= 0)
        close(lock); // closing the lock file releases the lock
    return rank;
}

std::string find_high_score_save_problem()
{
    TablePlace place;
    std::string problem = locate_table(place);
    if (!problem.empty())
        return place.target + ": " + problem;
    int lock = lock_table(place.lock);
    problem = write_temp_file(place, table_bytes());
    if (problem.empty())
        unlink(place.temp.c_str());
    if (lock >= 0)
        close(lock);
    return problem;
}

void warn_if_high_scores_unsaveable()
{
    std::string problem = find_high_score_save_problem();
    if (!problem.empty())
        allegro_message(UNSAVEABLE_WARNING, HIGH_SCORE_FILE, problem.c_str());
}
