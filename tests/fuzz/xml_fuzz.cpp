// Fuzz target: the manifest's XML reader over arbitrary bytes.
#include <cstdint>

#include "FuzzFile.h"
#include "resources/XMLParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::XMLParser parser;
    if (!parser.OpenFile(fuzzsupport::WriteScratch(data, size)))
        return 0;
    Olvarn::XMLElement element;
    while (parser.NextElement(&element)) {
    }
    return 0;
}
