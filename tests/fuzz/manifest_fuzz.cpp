// Fuzz target: the resource manifest as a whole: read, then every group it declares loaded and
// unloaded. Pictures and a font in the scratch folder are there for it to name.
#include <cstdint>
#include <set>
#include <string>

#include "FuzzApp.h"
#include "resources/ResourceManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzzsupport::FuzzApp* app = new fuzzsupport::FuzzApp();
    fuzzsupport::EnterScratchFolder();
    fuzzsupport::WriteText("resources.xml", std::string(reinterpret_cast<const char*>(data), size));
    Olvarn::ResourceManager manager(app);
    manager.ReadManifest("resources.xml");
    std::set<std::string> groups;
    for (const auto& [id, res] : manager.Images())
        groups.insert(res->mResGroup);
    for (const auto& [id, res] : manager.Fonts())
        groups.insert(res->mResGroup);
    for (const auto& [id, res] : manager.Sounds())
        groups.insert(res->mResGroup);
    for (const std::string& group : groups) {
        manager.LoadGroup(group);
        manager.CountGroupResources(group);
    }
    for (const auto& [id, res] : manager.Images())
        manager.FindImage(id);
    for (const auto& [id, res] : manager.Fonts())
        manager.FindFont(id);
    for (const std::string& group : groups)
        manager.UnloadGroup(group);
    return 0;
}
