// The process-wide resource host.
#include "resources/ResourceHost.h"

#include <atomic>

namespace Olvarn
{

namespace
{
// Fonts load on the loading thread.
std::atomic<ResourceHost*> sHost{nullptr};
} // namespace

ResourceHost* GetResourceHost()
{
    return sHost.load();
}

void SetResourceHost(ResourceHost* host)
{
    sHost.store(host);
}

} // namespace Olvarn
