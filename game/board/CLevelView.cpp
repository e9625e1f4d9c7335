// The current level as the world sees it.
#include "board/CLevelView.h"

namespace tilvan
{

namespace
{
CLevelView* gCurrentLevel = nullptr;
}

void SetCurrentLevelView(CLevelView* level)
{
    gCurrentLevel = level;
}

CLevelView* CurrentLevelView()
{
    return gCurrentLevel;
}

} // namespace tilvan
