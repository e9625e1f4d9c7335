// The process-wide graphics host.
#include "graphics/GraphicsHost.h"

#include <atomic>

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

} // namespace Olvarn
