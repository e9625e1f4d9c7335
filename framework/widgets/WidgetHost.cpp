// The process-wide widget host.
#include "widgets/WidgetHost.h"

namespace Olvarn
{

namespace
{
// Widgets live on the main thread only.
WidgetHost* sHost = nullptr;
} // namespace

WidgetHost* GetWidgetHost()
{
    return sHost;
}

void SetWidgetHost(WidgetHost* host)
{
    sHost = host;
}

} // namespace Olvarn
