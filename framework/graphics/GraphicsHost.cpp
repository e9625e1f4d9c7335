// The process-wide graphics host.
#include "graphics/GraphicsHost.h"

#include <atomic>

#include "platform/SettingsStore.h"

namespace Olvarn
{

namespace
{
// Read on the loading thread too (images made there find their host here).
std::atomic<GraphicsHost*> sHost{nullptr};
} // namespace

GraphicsHost* GetGraphicsHost()
{
    return sHost.load();
}

void SetGraphicsHost(GraphicsHost* host)
{
    sHost.store(host);
}

bool GraphicsHost::WriteSettingString(const std::string& name, const std::string& text)
{
    return WriteSetting(name, SettingsStore::kString, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace Olvarn
