// Fuzz target: the manifest's XML reader over arbitrary bytes.
#include <cstdint>
#include <string>

#include "resources/XMLParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Olvarn::XMLParser parser;
    parser.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    Olvarn::XMLElement element;
    while (parser.NextElement(&element)) {
    }
    return 0;
}
