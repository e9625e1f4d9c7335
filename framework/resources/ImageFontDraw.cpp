// The layered draw of image fonts: glyph draws are sorted into 256 order buckets in one static
// command table shared by every image font, so a draw allocates nothing.
#include <algorithm>

#include "core/CriticalSection.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/FontLayerSpec.h"
#include "resources/ImageFont.h"

namespace Olvarn
{

namespace
{

struct DrawCommand {
    Image* mImage = nullptr;
    int mX = 0;
    int mY = 0;
    Rect mRect;
    int mDrawMode = -1;
    Color mColor;
    // Index of the next command of the same bucket, -1 at its end.
    int mNext = -1;
};

// The shared tables and the lock that guards them for the whole of a draw.
struct DrawTables {
    CriticalSection mLock;
    DrawCommand mCommands[ImageFont::kMaxDrawCommands];
    int mCount = 0;
    int mHeads[256];
    int mTails[256];

    void Reset()
    {
        mCount = 0;
        std::fill(std::begin(mHeads), std::end(mHeads), -1);
        std::fill(std::begin(mTails), std::end(mTails), -1);
    }

    bool Full() const { return mCount >= ImageFont::kMaxDrawCommands; }

    DrawCommand& Append(int bucket)
    {
        const int index = mCount++;
        DrawCommand& command = mCommands[index];
        command.mNext = -1;
        if (mTails[bucket] < 0)
            mHeads[bucket] = index;
        else
            mCommands[mTails[bucket]].mNext = index;
        mTails[bucket] = index;
        return command;
    }
};

DrawTables& Tables()
{
    static DrawTables tables;
    return tables;
}

int MixChannel(int multiplier, int value, int addend)
{
    // Negative addends (and multipliers) are legal descriptor values: keep the channel a channel.
    // Wide, because a descriptor may give fractions far above 1.
    return static_cast<int>(std::clamp(static_cast<long long>(multiplier) * value / 255 + addend, 0LL, 255LL));
}

Color MixColor(const FontLayerSpec& layer, const Color& color)
{
    return Color(MixChannel(layer.mColorMult.mRed, color.mRed, layer.mColorAdd.mRed),
                 MixChannel(layer.mColorMult.mGreen, color.mGreen, layer.mColorAdd.mGreen),
                 MixChannel(layer.mColorMult.mBlue, color.mBlue, layer.mColorAdd.mBlue),
                 MixChannel(layer.mColorMult.mAlpha, color.mAlpha, layer.mColorAdd.mAlpha));
}

void RunCommands(Graphics& g, const DrawTables& tables, bool colorize)
{
    for (int bucket = 0; bucket < 256; ++bucket) {
        for (int i = tables.mHeads[bucket]; i >= 0; i = tables.mCommands[i].mNext) {
            const DrawCommand& command = tables.mCommands[i];
            if (!command.mImage)
                continue;
            const int savedMode = g.GetDrawMode();
            if (colorize) {
                if (command.mDrawMode != -1)
                    g.SetDrawMode(command.mDrawMode);
                g.SetColor(command.mColor);
            } else {
                g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
                g.SetColor(Color::White);
            }
            g.DrawImageRegion(command.mImage, command.mX, command.mY, command.mRect);
            g.SetDrawMode(savedMode);
        }
    }
}

} // namespace

void ImageFont::DrawLayered(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip,
                            std::vector<Rect>* rects, int* width, bool colorize)
{
    DrawTables& tables = Tables();
    CriticalSectionLock lock(tables.mLock);
    tables.Reset();
    if (rects)
        rects->clear();
    if (!mFontData->mLoaded) {
        if (width)
            *width = 0;
        return;
    }
    EnsurePrepared();
    const bool savedModulate = g->GetModulateImages();
    if (colorize)
        g->SetModulateImages(true);

    int pen = x;
    for (std::size_t i = 0; i < text.size() && !tables.Full(); ++i) {
        const unsigned char c = mFontData->MapChar(text[i]);
        const bool hasNext = i + 1 < text.size();
        const unsigned char next = hasNext ? mFontData->MapChar(text[i + 1]) : 0;
        int nextPen = pen;
        for (const ActiveFontLayer& active : mActiveLayers) {
            if (tables.Full())
                break;
            const FontLayerSpec& layer = *active.mBaseFontLayer;
            const FontCharData& record = layer.Char(c);
            const double factor = LayerFactor(layer);
            // Descriptor values may be any int: sums are taken wide and held inside int.
            const int glyphX =
                ClampToInt(static_cast<long long>(pen) +
                           ScaleFontValue(static_cast<long long>(record.mOffsetX) + layer.mOffsetX, factor));
            const int glyphY = ClampToInt(
                static_cast<long long>(y) -
                ScaleFontValue(static_cast<long long>(layer.mAscent) - record.mOffsetY - layer.mOffsetY, factor));
            long long advance = ScaleFontValue(record.mWidth, factor);
            if (hasNext)
                advance +=
                    ScaleFontValue(static_cast<long long>(record.mKerningOffsets[next]) + layer.mSpacing, factor);
            const int order = static_cast<int>(std::clamp<long long>(128LL + record.mOrder + layer.mBaseOrder, 0, 255));

            DrawCommand& command = tables.Append(order);
            command.mImage = active.mScaledImage.get();
            command.mX = glyphX;
            command.mY = glyphY;
            command.mRect = active.mScaledCharImageRects[c];
            command.mDrawMode = layer.mDrawMode;
            command.mColor = MixColor(layer, color);
            if (rects)
                rects->push_back(Rect(glyphX, glyphY, command.mRect.mWidth, command.mRect.mHeight));
            nextPen = std::max(nextPen, ClampToInt(pen + advance));
        }
        pen = nextPen;
    }
    if (width)
        *width = ClampToInt(static_cast<long long>(pen) - x);

    const Color savedColor = g->GetColor();
    RunCommands(*g, tables, colorize);
    g->SetColor(savedColor);
    g->SetModulateImages(savedModulate);
}

} // namespace Olvarn
