// One saved modal state of the widget manager: what a modal widget replaced when it was pushed.
#pragma once

namespace Olvarn
{

class Widget;

struct ModalLayer {
    Widget* mWidget = nullptr;
    Widget* mPreviousModalWidget = nullptr;
    Widget* mPreviousFocusWidget = nullptr;
    int mPreviousFlagsAdd = 0;
    int mPreviousFlagsRemove = 0;
};

} // namespace Olvarn
