// A font layer prepared for one image font's current size: the picture its glyphs are cut from and
// where each glyph sits in it.
#pragma once

#include <array>
#include <memory>

#include "core/Rect.h"

namespace Olvarn
{

class FontLayerSpec;
class MemoryImage;

class ActiveFontLayer
{
public:
    ActiveFontLayer() = default;
    // A copy of a layer that owns a scaled picture gets a duplicate of its own.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer& other);
    ActiveFontLayer(ActiveFontLayer&&) = default;
    ActiveFontLayer& operator=(ActiveFontLayer&&) = default;
    virtual ~ActiveFontLayer() = default;

    const FontLayerSpec* mBaseFontLayer = nullptr;
    // The layer's own image, or the private scaled copy.
    std::shared_ptr<MemoryImage> mScaledImage;
    bool mOwnsImage = false;
    // Always inside mScaledImage (clipped when it is made), so a draw never reads past the picture.
    std::array<Rect, 256> mScaledCharImageRects{};
};

} // namespace Olvarn
