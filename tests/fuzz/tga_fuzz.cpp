// Fuzz target: the TGA reader over arbitrary bytes, read from memory as from a file.
#include <cstdint>
#include <cstdio>

#include "resources/ImageLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    std::unique_ptr<ImageLib::Image> image = ImageLib::ReadTga(file);
    std::fclose(file);
    // Touch the last pixel, so an allocation shorter than the stated size shows.
    if (image) {
        volatile uint32_t last = image->GetBits()[image->GetWidth() * image->GetHeight() - 1];
        (void)last;
    }
    return 0;
}
