// POSIX side of the atomic file write.
#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

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

// A writer killed between mkstemp and the rename leaves its temporary behind. Ours carry a marker
// no file of the player has, so nothing else is ever swept. A live writer holds a lock on its
// temporary for the whole write; one unlocked and untouched for ten minutes belongs to no write
// still running, even on a slow disk.
bool IsStaleTemporary(int dir, const char* entry, const std::string& prefix, time_t now)
{
    constexpr time_t kStaleSeconds = 600;
    size_t length = std::strlen(entry);
    if (length != prefix.size() + 6 || std::strncmp(entry, prefix.c_str(), prefix.size()) != 0)
        return false;
    for (size_t i = prefix.size(); i < length; ++i)
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return false;
    struct stat info {
    };
    if (::fstatat(dir, entry, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || now - info.st_mtime <= kStaleSeconds)
        return false;
    int fd = ::openat(dir, entry, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unlocked;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    time_t now = std::time(nullptr);
    while (dirent* entry = ::readdir(dir))
        if (IsStaleTemporary(::dirfd(dir), entry->d_name, prefix, now))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::closedir(dir);
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error)
{
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    // mkstemp names are unique, so threads and processes writing the same file never share one.
    std::string temp = path + kTemporaryMarker + "XXXXXX";
    int fd = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0)
        return Fail(error, "cannot create a temporary file for", path, errno);
    ::flock(fd, LOCK_EX);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
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
