// Directory operations on the POSIX file system through std::filesystem.
#include "platform/Directories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace Olvarn
{

namespace
{

// The exact name, never a case-insensitive match: removing the wrong folder cannot be undone.
fs::path ToOsPath(const std::string& path)
{
    return fs::path(Paths::ToNative(path));
}

} // namespace

bool ListDirectory(const std::string& dir, std::vector<DirectoryEntry>& entries)
{
    entries.clear();
    std::error_code ec;
    fs::directory_iterator it(ToOsPath(dir), ec);
    if (ec)
        return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        DirectoryEntry entry;
        entry.mName = it->path().filename().string();
        std::error_code statError;
        entry.mIsDirectory = it->symlink_status(statError).type() == fs::file_type::directory;
        entries.push_back(std::move(entry));
    }
    return !ec;
}

bool MakeDirectory(const std::string& dir)
{
    std::error_code ec;
    return fs::create_directory(ToOsPath(dir), ec);
}

bool RemoveEmptyDirectory(const std::string& dir)
{
    std::error_code ec;
    fs::path p = ToOsPath(dir);
    if (fs::symlink_status(p, ec).type() != fs::file_type::directory)
        return false;
    return fs::remove(p, ec);
}

bool RemoveFile(const std::string& path)
{
    std::error_code ec;
    fs::path p = ToOsPath(path);
    if (fs::symlink_status(p, ec).type() == fs::file_type::directory)
        return false;
    return fs::remove(p, ec);
}

bool RenameFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::rename(ToOsPath(from), ToOsPath(to), ec);
    return !ec;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes)
{
    bytes.clear();
    maxBytes = std::min(maxBytes, static_cast<size_t>(SIZE_MAX / 2));
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    // Only a regular file has a size to trust: a folder, a FIFO or a device (a link to /dev/zero)
    // is refused before anything is allocated, and so is a file larger than the caller takes.
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return false;
    }
    // One byte past the size shows a file that grew beyond the cap while it was read.
    std::string read(static_cast<size_t>(info.st_size) + 1, '\0');
    size_t done = 0;
    bool ok = true;
    while (done < read.size()) {
        ssize_t n = ::read(fd, read.data() + done, read.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
        if (done == read.size() && done <= maxBytes)
            read.resize(std::min(read.size() * 2, maxBytes + 1));
    }
    ::close(fd);
    if (!ok || done > maxBytes)
        return false;
    read.resize(done);
    bytes.swap(read);
    return true;
}

int64_t FileWriteTime(const std::string& path)
{
    struct stat info {
    };
    if (::stat(Paths::ToNative(path).c_str(), &info) != 0)
        return 0;
    return static_cast<int64_t>(info.st_mtime);
}

} // namespace Olvarn
