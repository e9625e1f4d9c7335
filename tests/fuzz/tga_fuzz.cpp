// Fuzz target: the TGA reader over arbitrary bytes, read from memory as from a file.
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzsupport::FuzzImageReader(&ImageLib::ReadTga, data, size);
}
