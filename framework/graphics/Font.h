// The one interface through which the framework measures and draws text; system and image fonts implement it.
#pragma once

#include <string>

#include "core/Color.h"
#include "core/Rect.h"

namespace Olvarn
{

class Graphics;

class Font
{
public:
    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
    virtual ~Font() = default;

    virtual int Ascent() { return mAscent; }
    virtual int AscentPadding() { return mAscentPadding; }
    virtual int Descent() { return mHeight - mAscent; }
    virtual int Height() { return mHeight; }
    virtual int LineSpacingOffset() { return mLineSpacingOffset; }
    virtual int LineSpacing() { return mHeight + mLineSpacingOffset; }

    // Text is a byte string of Windows-1252 characters.
    virtual int TextWidth(const std::string& text) { return 0; }
    virtual int CharWidth(char c) { return TextWidth(std::string(1, c)); }
    virtual int CharWidthKerned(char c, char previous) { return CharWidth(c); }
    // x and y are in the context's coordinates (the font adds its translation); y is the baseline.
    virtual void DrawText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip) {}
    virtual void DrawTextWhite(Graphics* g, int x, int y, const std::string& text, const Rect& clip) {}
    virtual Font* Clone() = 0;

    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;
    int mLineSpacingOffset = 0;
};

} // namespace Olvarn
