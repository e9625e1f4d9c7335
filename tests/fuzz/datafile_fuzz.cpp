// Fuzz target: the "data" reader over a property file, the level definitions and the constants
// rows read from it, plain and with the transformed-values flag.
#include <cstdint>
#include <string>

#include "data/CLevelInfo.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        tilvan::CStringTable::SetFailureReporter([](const std::string&) {});
        tilvan::GetStringTable().Set(1, "one");
        return true;
    }();
    (void)ready;
    tilvan::CXmlDataReader reader;
    tilvan::DeclareLevelSchema(reader);
    reader.DeclareAttribute("constant", "group", "");
    reader.DeclareAttribute("constant", "name", "");
    reader.DeclareAttribute("constant", "value", "");
    reader.DeclareElement("crypted");
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        reader.LoadFromMemory(text);
    } catch (const char*) {
        return 0;
    }
    for (int i = 0; i < reader.GetRowCount("constant"); ++i) {
        std::string group, name;
        float value = 0;
        reader.GetRow("constant", i, group, name, value);
    }
    try {
        tilvan::LoadLevels(reader, nullptr);
    } catch (const char*) {
    } catch (const std::exception&) {
    }
    // Every reference between the lists points inside them.
    for (int i = 0; i < tilvan::GetLevelCount(); ++i) {
        const tilvan::CLevelInfo* level = tilvan::GetLevelInfo(i);
        if (!level->location || (level->drop_table && level->drop_table->total <= 0))
            __builtin_trap();
    }
    tilvan::CLevelDefinitions::Instance().Clear();
    return 0;
}
