// POSIX side of the atomic file write.
#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace Olvarn
{

namespace
{

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool Fail(std::string* error, const char* step, const std::string& path, int err)
{
    if (error)
        *error = std::string(step) + " " + path + ": " + std::strerror(err);
    return false;
}

// A writer killed before its rename leaves its temporary behind. Ours carry a marker no file of
// the player has, so nothing else is ever swept. A live writer holds a lock on its temporary until
// the rename, and the kernel drops the lock of a killed one: an unlocked temporary is left over.
// (Where the temporary cannot be made unnamed, a sweep in the instant between its creation and its
// lock makes that write fail and say so; it never loses a file.)
bool IsStaleTemporary(int dir, const char* entry, const std::string& prefix)
{
    size_t length = std::strlen(entry);
    if (length != prefix.size() + 6 || std::strncmp(entry, prefix.c_str(), prefix.size()) != 0)
        return false;
    for (size_t i = prefix.size(); i < length; ++i)
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return false;
    struct stat info {
    };
    if (::fstatat(dir, entry, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    int fd = ::openat(dir, entry, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unlocked;
}

// Links an unnamed temporary into the folder as path, the marker and six letters or digits.
bool NameTemporary(int fd, const std::string& path, std::string& temp)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<uint64_t> sCounter{0};
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t value = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(std::time(nullptr)) ^
                         (++sCounter * 0x9E3779B97F4A7C15ull);
        temp = path + kTemporaryMarker;
        for (int i = 0; i < 6; ++i, value /= 62)
            temp += kDigits[value % 62];
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) {
            temp.clear();
            return false;
        }
    }
    temp.clear();
    errno = EEXIST;
    return false;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir))
        if (IsStaleTemporary(::dirfd(dir), entry->d_name, prefix))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::closedir(dir);
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error)
{
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    // The temporary is locked for the whole write, so a sweep by another writer of the same file
    // leaves it alone. Where the file system allows, it gets its name only once written and
    // locked; elsewhere mkstemp names it, unique across threads and processes.
    std::string temp;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        temp = path + kTemporaryMarker + "XXXXXX";
        fd = ::mkostemp(&temp[0], O_CLOEXEC);
        if (fd < 0)
            return Fail(error, "cannot create a temporary file for", path, errno);
    }
    ::flock(fd, LOCK_EX);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (ok && unnamed && !NameTemporary(fd, path, temp)) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    // The lock goes with the descriptor, once the temporary has its final name (or failed).
    ::close(fd);
    if (!ok) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        return Fail(error, "cannot write", path, err);
    }
    RemoveStaleTemporaries(folder, path.substr(slash == std::string::npos ? 0 : slash + 1) + kTemporaryMarker);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    if (error)
        error->clear();
    return true;
}

} // namespace Olvarn
