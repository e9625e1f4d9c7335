// A scratch file the fuzz targets of file-name based readers rewrite for every input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzzsupport
{

inline const std::string& ScratchFile()
{
    static const std::string path = [] {
        char name[] = "/tmp/tamberlo-fuzz-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(name);
    }();
    return path;
}

inline const std::string& WriteScratch(const uint8_t* data, size_t size)
{
    const std::string& path = ScratchFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    return path;
}

} // namespace fuzzsupport
