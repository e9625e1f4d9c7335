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

} // namespace Olvarn
