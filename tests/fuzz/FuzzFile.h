// Helpers of the file-reader fuzz targets: a scratch file for readers that take a name, and one
// body for the image parsers.
#pragma once

#include <memory>

#include "resources/ImageLib.h"

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

// Runs one image parser over the bytes and touches the last pixel of what it returns, so an
// allocation shorter than the stated size shows.
inline int FuzzImageReader(std::unique_ptr<ImageLib::Image> (*parse)(const uint8_t*, size_t), const uint8_t* data,
                           size_t size)
{
    std::unique_ptr<ImageLib::Image> image = parse(data, size);
    if (image) {
        volatile uint32_t last = image->GetBits()[image->GetWidth() * image->GetHeight() - 1];
        (void)last;
    }
    return 0;
}

} // namespace fuzzsupport
