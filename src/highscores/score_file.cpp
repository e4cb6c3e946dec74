// highscores.sco on disk: loading it, saving it safely and through a link, the lock that two
// games in one folder share, and the start-up check that a save would succeed.
#include "highscores/highscores.h"

#include "frame/fatal.h"
#include "frame/files.h"

#include <allegro.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <locale>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char HIGH_SCORE_FILE[] = "highscores.sco";
const char HIGH_SCORE_TEMP_FILE[] = "highscores.sco.tmp.";

static const char FILE_ERROR[] = "Something messy\n\nOK TO QUIT!";
static const char UNSAVEABLE_WARNING[] =
    "The high score table %s cannot be saved:\n%s\nPress Ok to play on; a new high score will not be kept";

// What the names of a temporary file and the lock file add to the table's. A temporary file
// is named after its game's process and a count, so two games never write the same one.
static const char TEMP_SUFFIX[] = ".tmp.";
static const char LOCK_SUFFIX[] = ".lock";
static const int TEMP_NAME_TRIES = 100;
// A table made afresh (the old one was removed while the game ran) gets the usual file mode.
static const mode_t NEW_TABLE_MODE = 0666;
static const mode_t PERMISSION_BITS = 07777;
static const mode_t READ_WRITE_BITS = 0666;
static const mode_t ANY_WRITE_BIT = S_IWUSR | S_IWGRP | S_IWOTH;
// How long a save waits for another game to let go of the lock before it saves without it.
static const int LOCK_WAIT_MS = 3000;
static const int LOCK_POLL_MS = 50;
static const int MS_PER_US = 1000;

// Only a regular file is read: a folder or FIFO of that name is as bad as no file, and a
// FIFO must not hold the game up waiting for a writer. False when there is none to read.
static bool read_table_file()
{
    std::unique_ptr<std::streambuf> file = open_regular_file(HIGH_SCORE_FILE);
    if (!file)
        return false;
    std::istream in(file.get());
    read_high_scores(in);
    return true;
}

void load_high_scores()
{
    if (!read_table_file())
        fatal_error("%s", FILE_ERROR);
}

// Where a save writes: the table file, or the file a linked table leads to, so the player's
// link survives; the lock file beside it; and what stands there now, whose owner, group and
// mode the new table keeps.
struct TablePlace {
    std::string target;
    std::string lock;
    std::string folder;
    bool exists;
    mode_t mode;
    uid_t owner;
    gid_t group;
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
    place.lock = place.target + LOCK_SUFFIX;
    place.folder = folder_of(place.target);
    place.exists = stat(place.target.c_str(), &status) == 0;
    place.mode = place.exists ? status.st_mode & PERMISSION_BITS : NEW_TABLE_MODE;
    place.owner = place.exists ? status.st_uid : geteuid();
    place.group = place.exists ? status.st_gid : getegid();
    if (!place.exists)
        return "";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    // Made read-only by the player: refused even where the folder would let a rename replace it.
    if ((status.st_mode & ANY_WRITE_BIT) == 0 || access(place.target.c_str(), W_OK) != 0)
        return "it is read-only";
    // In a sticky folder (as /tmp is) only the owner of a file, or of the folder, may replace it.
    struct stat folder;
    if (stat(place.folder.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) && geteuid() != 0 &&
        status.st_uid != geteuid() && folder.st_uid != geteuid())
        return "it belongs to another account, in a folder where only a file's owner may "
               "replace it";
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

// Opens a temporary file of this game's own beside the table, made afresh and never through a
// link, so nothing planted under its name is written through. Returns -1 when none can be made.
static int open_temp_file(const TablePlace &place, std::string &temp)
{
    static unsigned int count = 0;
    for (int tries = 0; tries < TEMP_NAME_TRIES; tries++) {
        temp = place.target + TEMP_SUFFIX + std::to_string(getpid()) + "." +
               std::to_string(count++);
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      place.mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives a file made for the table (its new copy, its lock) the table's owner and group: a save
// by another account (root, or a second player of a shared table) leaves them to the table's
// player. An account that may not give a file away gives what it can: the group, or nothing.
static void give_to_table_owner(int fd, const TablePlace &place)
{
    if (place.exists && (place.owner != geteuid() || place.group != getegid()) &&
        fchown(fd, place.owner, place.group) != 0 && fchown(fd, -1, place.group) != 0) {
        // The file stays this account's, its mode set all the same.
    }
}

// Writes bytes to a temporary file beside the table and forces them to the disk. Returns what
// failed, or an empty string; a failure leaves no temporary file behind.
static std::string write_temp_file(const TablePlace &place, const std::string &bytes,
                                   std::string &temp)
{
    int fd = open_temp_file(place, temp);
    if (fd < 0)
        return place.target + ": its folder takes no new file (" + std::strerror(errno) + ")";
    errno = 0;
    give_to_table_owner(fd, place);
    bool written = (!place.exists || fchmod(fd, place.mode) == 0) && write_all(fd, bytes) &&
                   fsync(fd) == 0;
    std::string problem = written ? "" : place.target + ": " + std::strerror(errno ? errno : EIO);
    if (close(fd) != 0 && problem.empty())
        problem = place.target + ": " + std::strerror(errno);
    if (!problem.empty())
        unlink(temp.c_str());
    return problem;
}

// Removes the temporary files of games that were stopped while they saved: a name carries the
// process that wrote it, and one no longer running will never finish its file.
static void remove_stale_temp_files(const TablePlace &place)
{
    DIR *folder = opendir(place.folder.c_str());
    if (!folder)
        return;
    std::string prefix = place.target.substr(place.target.rfind('/') + 1) + TEMP_SUFFIX;
    while (struct dirent *entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlink((place.folder + "/" + name).c_str());
    }
    closedir(folder);
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
// so a crash or a full disk never leaves a half-written table behind. Returns false when the
// table could not be saved, the old one then left as it was.
static bool write_table()
{
    TablePlace place;
    std::string temp;
    if (!locate_table(place).empty() || !write_temp_file(place, table_bytes(), temp).empty())
        return false;
    if (std::rename(temp.c_str(), place.target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    sync_folder(place.folder);
    remove_stale_temp_files(place);
    return true;
}

void save_high_scores()
{
    if (!write_table())
        fatal_error("%s", FILE_ERROR);
}

// Opens the lock file, made with the table's own read and write bits so that every account
// that may save the table may lock it too; one that may not write the lock file locks it
// read-only, which serves as well. Returns -1 when it can be neither made nor opened.
static int open_lock_file(const TablePlace &place)
{
    const int flags = O_NOFOLLOW | O_CLOEXEC;
    int fd = open(place.lock.c_str(), O_RDWR | O_CREAT | O_EXCL | flags, READ_WRITE_BITS);
    if (fd >= 0) {
        give_to_table_owner(fd, place);
        if (fchmod(fd, place.mode & READ_WRITE_BITS) != 0) {
            // The umask's mode is a narrower one, nothing worse.
        }
        return fd;
    }
    fd = open(place.lock.c_str(), O_RDWR | flags);
    return fd >= 0 ? fd : open(place.lock.c_str(), O_RDONLY | flags);
}

// Takes the advisory lock that other games in the folder take before they change the table,
// waiting a few seconds at most: a game that holds it longer (or a stray program) must not
// freeze this one. Returns the lock's descriptor, or -1: the save then goes ahead unlocked.
static int lock_table(const TablePlace &place)
{
    int fd = open_lock_file(place);
    if (fd < 0)
        return -1;
    for (int waited = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; waited += LOCK_POLL_MS) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= LOCK_WAIT_MS) {
            close(fd);
            return -1;
        }
        usleep(LOCK_POLL_MS * MS_PER_US);
    }
    return fd;
}

// Another game in the same folder may have saved since this one read the table, so the file
// is read again under the lock and the entry goes where it ranks in that table; a table removed
// meanwhile is made afresh from the one in memory. The lock is let go before any message box.
int record_high_score(const std::string &name, int score)
{
    TablePlace place;
    locate_table(place);
    int lock = lock_table(place);
    locate_table(place); // as another game may have left it while this one waited
    bool read = !place.exists || read_table_file();
    int rank = read ? high_score_rank(score) : -1;
    if (rank >= 0)
        insert_high_score(rank, name, score);
    bool saved = read && (rank < 0 || write_table());
    if (lock >= 0)
        close(lock); // closing the lock file releases the lock
    if (!saved)
        fatal_error("%s", FILE_ERROR);
    return rank;
}

// The trial writes a temporary file as a save would and removes it again; it needs no lock,
// since no other game ever writes a file of that name.
std::string find_high_score_save_problem()
{
    TablePlace place;
    std::string problem = locate_table(place);
    if (!problem.empty())
        return place.target + ": " + problem;
    std::string temp;
    problem = write_temp_file(place, table_bytes(), temp);
    if (problem.empty())
        unlink(temp.c_str());
    return problem;
}

void warn_if_high_scores_unsaveable()
{
    std::string problem = find_high_score_save_problem();
    if (!problem.empty())
        allegro_message(UNSAVEABLE_WARNING, HIGH_SCORE_FILE, problem.c_str());
}
