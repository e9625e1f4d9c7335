// POSIX side of the atomic file write.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error)
{
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    // mkstemp names are unique, so threads and processes writing the same file never share one.
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(&temp[0]);
    if (fd < 0)
        return Fail(error, "cannot create a temporary file for", path, errno);
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
