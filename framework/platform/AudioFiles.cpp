// POSIX side of the audio file helpers.
#include "platform/AudioFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace Olvarn
{

namespace
{
// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ULL;
std::atomic<unsigned> gTempCounter{0};

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
} // namespace

uint64_t AudioFileWriteTime(const std::string& path)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    uint64_t seconds = static_cast<uint64_t>(st.st_mtim.tv_sec) + kFileTimeEpochOffset;
    return seconds * 10000000ULL + static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
}

bool AudioWriteFileAtomically(const std::string& path, const std::string& bytes)
{
    // Unique per process and call: loading threads may cache different sounds at once.
    std::string temp = path + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(gTempCounter++);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) {
        // The rename itself survives a crash only once the folder is flushed too.
        size_t cut = path.find_last_of('/');
        std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : path.substr(0, cut));
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

} // namespace Olvarn
