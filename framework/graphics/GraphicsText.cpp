// Text drawing of the drawing context: inline ^RRGGBB colour codes, justification and word wrapping.
#include <algorithm>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/TextEncoding.h"

namespace Olvarn
{

namespace
{

constexpr int kColorCodeLength = 8;

// Colour codes read a stray character as 0.
int HexDigitOrZero(char c)
{
    return std::max(0, HexDigitValue(c));
}

int HexByte(const std::string& text, size_t at)
{
    return HexDigitOrZero(text[at]) * 16 + HexDigitOrZero(text[at + 1]);
}

} // namespace

void Graphics::DrawString(const std::string& text, int x, int y)
{
    if (!mFont)
        return;
    if (mColor == Color(0, 0, 0, 0))
        DrawStringUncolored(text, x, y);
    else
        mFont->DrawText(this, x, y, text, mColor, mClipRect);
}

void Graphics::DrawStringUncolored(const std::string& text, int x, int y)
{
    if (mFont)
        mFont->DrawTextWhite(this, x, y, text, mClipRect);
}

void Graphics::DrawTextPiece(const std::string& piece, int x, int y)
{
    DrawString(piece, x, y);
}

int Graphics::DrawTextJustified(const std::string& text, int x, int y, int width, int justification, bool draw,
                                int start, int length)
{
    if (!mFont)
        return 0;
    if (draw && (justification == JUSTIFY_CENTER || justification == JUSTIFY_RIGHT)) {
        int measured = DrawTextJustified(text, x, y, width, justification, false, start, length);
        x += justification == JUSTIFY_CENTER ? (width - measured) / 2 : width - measured;
    }
    int size = static_cast<int>(text.size());
    start = std::clamp(start, 0, size);
    int end = (length < 0 || length > size - start) ? size : start + length;

    std::string pending;
    int running = 0;
    for (int i = start; i < end;) {
        char c = text[i];
        if (c != '^' || !mWriteColoredString) {
            pending += c;
            ++i;
            continue;
        }
        if (i > end - kColorCodeLength)
            break;
        if (text[i + 1] == '^') {
            pending += '^';
            i += 2;
            continue;
        }
        if (draw) {
            DrawTextPiece(pending, x + running, y);
            mColor = Color(HexByte(text, i + 1), HexByte(text, i + 3), HexByte(text, i + 5), mColor.GetAlpha());
        }
        running += mFont->TextWidth(pending);
        pending.clear();
        i += kColorCodeLength;
    }
    if (draw)
        DrawTextPiece(pending, x + running, y);
    return running + mFont->TextWidth(pending);
}

int Graphics::DrawTextWrapped(const Rect& rect, const std::string& text, int lineSpacing, int justification,
                              int* widest)
{
    if (!mFont)
        return 0;
    Color savedColor = mColor;
    int baseline = mFont->Ascent() - mFont->AscentPadding();
    if (lineSpacing == -1)
        lineSpacing = mFont->LineSpacing();

    int size = static_cast<int>(text.size());
    int lineStart = 0, breakPos = -1, lineWidth = 0, widestLine = 0;
    char previous = 0;
    auto drawLine = [&](int from, int count) {
        int w = DrawTextJustified(text, rect.mX, rect.mY + baseline, rect.mWidth, justification, true, from, count);
        widestLine = std::max(widestLine, w);
        baseline += lineSpacing;
    };

    int i = 0;
    while (i < size) {
        char c = text[i];
        if (c == '^' && mWriteColoredString && i + 1 < size) {
            if (text[i + 1] != '^') {
                i += kColorCodeLength;
                continue;
            }
            ++i;
        }
        if (c == ' ') {
            breakPos = i;
        } else if (c == '\n') {
            breakPos = i;
            lineWidth = rect.mWidth + 1;
        }
        lineWidth += mFont->CharWidthKerned(c, previous);
        previous = c;
        if (lineWidth <= rect.mWidth) {
            ++i;
            continue;
        }
        int next;
        if (breakPos >= 0) {
            drawLine(lineStart, breakPos - lineStart);
            next = breakPos + 1;
            if (text[breakPos] != '\n') {
                while (next < size && text[next] == ' ')
                    ++next;
            }
        } else {
            if (i <= lineStart)
                i = lineStart + 1;
            drawLine(lineStart, i - lineStart);
            next = i;
        }
        breakPos = -1;
        lineWidth = 0;
        previous = 0;
        lineStart = i = next;
    }
    if (lineStart < size)
        drawLine(lineStart, size - lineStart);

    mColor = savedColor;
    if (widest)
        *widest = widestLine;
    return baseline - lineSpacing + mFont->Descent();
}

int Graphics::MeasureWrappedHeight(int width, const std::string& text, int lineSpacing, int* widest)
{
    Graphics measure(nullptr);
    measure.SetFont(mFont);
    return measure.DrawTextWrapped(Rect(0, 0, width, 0), text, lineSpacing, JUSTIFY_LEFT, widest);
}

} // namespace Olvarn
