// Insets that shrink a widget's rectangle for hit testing.
#pragma once

namespace Olvarn
{

struct WidgetMargins {
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;
};

} // namespace Olvarn
