// Fuzz target: the JPEG parser over arbitrary bytes.
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzsupport::FuzzImageReader(&ImageLib::ParseJpeg, data, size);
}
