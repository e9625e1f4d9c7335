// The platform's file helpers: directory listing, creation and removal, and whole-file reading;
// paths may use '\'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Olvarn
{

struct DirectoryEntry {
    std::string mName;
    // A real directory; a symbolic link is never one, whatever it points to.
    bool mIsDirectory = false;
};

// The entries of a directory, without "." and "..". False when it cannot be listed.
bool ListDirectory(const std::string& dir, std::vector<DirectoryEntry>& entries);
// Each is true on success; a failure leaves the file system as it was.
bool MakeDirectory(const std::string& dir);
bool RemoveEmptyDirectory(const std::string& dir);
bool RemoveFile(const std::string& path);
// Renames a file within its file system; an existing target is replaced.
bool RenameFile(const std::string& from, const std::string& to);

// The whole regular file at a native path, when it holds at most maxBytes; false when it cannot be
// read, is no regular file (a folder, a FIFO, a device) or is larger. Never blocks on the file.
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes);

// The file's last modification time in whole seconds since 1970 (stat's); 0 when it cannot be read.
int64_t FileWriteTime(const std::string& path);

} // namespace Olvarn
