// One layer of an image font as its descriptor defines it: glyph records, colours, offsets, tags
// and the point sizes it serves.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/Color.h"
#include "core/Rect.h"

namespace Olvarn
{

class FontData;
class MemoryImage;

// The glyph of one character in one layer.
struct FontCharData {
    Rect mImageRect;
    int mOffsetX = 0;
    int mOffsetY = 0;
    // Added to the advance when the character indexing it follows; signed bytes as stored.
    std::array<signed char, 256> mKerningOffsets{};
    int mWidth = 0;
    int mOrder = 0;
};

class FontLayerSpec
{
public:
    explicit FontLayerSpec(FontData* owner) : mFontData(owner), mCharData(256) {}
    // A copy shares the image and copies every record (used by "CreateLayerFrom").
    FontLayerSpec(const FontLayerSpec&) = default;
    FontLayerSpec& operator=(const FontLayerSpec&) = default;

    FontCharData& Char(unsigned char c) { return mCharData[c]; }
    const FontCharData& Char(unsigned char c) const { return mCharData[c]; }

    FontData* mFontData = nullptr;
    // Upper-cased.
    std::vector<std::string> mRequiredTags;
    std::vector<std::string> mExcludedTags;
    // 256 records indexed by the mapped character code.
    std::vector<FontCharData> mCharData;
    Color mColorMult{255, 255, 255, 255};
    Color mColorAdd{0, 0, 0, 0};
    // Shared with the font data's image map (or the caller of LoadFromImage) and with every active
    // layer drawing from it, so a clone outliving the resource still has its pictures.
    std::shared_ptr<MemoryImage> mImage;
    // -1 keeps the drawing context's mode; 0 normal, 1 additive.
    int mDrawMode = -1;
    int mOffsetX = 0;
    int mOffsetY = 0;
    int mSpacing = 0;
    int mMinPointSize = -1;
    // -1: no maximum.
    int mMaxPointSize = -1;
    // The size the pictures are drawn for; 0 means none.
    int mPointSize = 0;
    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;
    int mLineSpacingOffset = 0;
    int mBaseOrder = 0;
};

} // namespace Olvarn
