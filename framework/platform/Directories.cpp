// Directory operations on the POSIX file system through std::filesystem.
#include "platform/Directories.h"

#include <sys/stat.h>

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

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    // A folder opens too, and then reports a size of its own making: only its name is a file.
    struct stat info {
    };
    if (::fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return false;
    }
    // A regular file is read straight into the string at the size it has now; the loop takes what a
    // file without a size (a pipe) or one that grew meanwhile still holds.
    bytes.clear();
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        bytes.resize(static_cast<size_t>(info.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
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
