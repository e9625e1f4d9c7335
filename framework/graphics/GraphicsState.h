// The copyable drawing state of a Graphics context: destination, translation, clip, colour, font, mode, flags.
#pragma once

#include "core/Color.h"
#include "core/Rect.h"

namespace Olvarn
{

class Image;
class Font;

class GraphicsState
{
public:
    enum DrawMode : int { DRAWMODE_NORMAL = 0, DRAWMODE_ADDITIVE = 1 };

    Image* mDestImage = nullptr;
    float mTransX = 0;
    float mTransY = 0;
    Rect mClipRect;
    Color mColor;
    Font* mFont = nullptr;
    DrawMode mDrawMode = DRAWMODE_NORMAL;
    bool mColorizeImages = false;
    bool mFastStretch = false;
    bool mWriteColoredString = true;
    bool mLinearBlend = false;
};

} // namespace Olvarn
