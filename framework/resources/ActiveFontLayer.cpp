// Copying a prepared font layer: a private scaled picture is duplicated, never shared.
#include "resources/ActiveFontLayer.h"

#include "graphics/DDImage.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/FontLayerSpec.h"
#include "resources/ResourceHost.h"

namespace Olvarn
{

namespace
{

std::shared_ptr<MemoryImage> DuplicatePicture(const ActiveFontLayer& layer)
{
    if (!layer.mScaledImage)
        return nullptr;
    ResourceHost* app = layer.mBaseFontLayer && layer.mBaseFontLayer->mFontData ? layer.mBaseFontLayer->mFontData->App()
                                                                                : GetResourceHost();
    // The application duplicates onto its display; without one a plain software copy does the same job.
    if (app && app->GetDisplayDevice())
        return std::shared_ptr<MemoryImage>(app->DuplicateImage(layer.mScaledImage.get()));
    return std::make_shared<MemoryImage>(*layer.mScaledImage);
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : mBaseFontLayer(other.mBaseFontLayer), mScaledImage(other.mScaledImage), mOwnsImage(other.mOwnsImage),
      mScaledCharImageRects(other.mScaledCharImageRects)
{
    if (mOwnsImage)
        mScaledImage = DuplicatePicture(other);
}

ActiveFontLayer& ActiveFontLayer::operator=(const ActiveFontLayer& other)
{
    if (this != &other) {
        ActiveFontLayer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

} // namespace Olvarn
