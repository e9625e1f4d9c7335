// Image fonts: construction and copies, tags and sizes, layer preparation and measuring. The
// layered draw is in ImageFontDraw.cpp.
#include "resources/ImageFont.h"

#include <algorithm>
#include <climits>

#include "core/Common.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/FontLayerSpec.h"
#include "resources/ImageLib.h"
#include "resources/ResourceHost.h"

namespace Olvarn
{

ImageFont::ImageFont(ResourceHost* app, const std::string& descriptorFileName) : mFontData(std::make_shared<FontData>())
{
    mFontData->Load(app, descriptorFileName);
    mPointSize = mFontData->mDefaultPointSize;
    PrepareLayers();
    mPrepared = true;
}

ImageFont::ImageFont(std::shared_ptr<MemoryImage> image, const std::string& widthsFileName)
    : mFontData(std::make_shared<FontData>())
{
    mFontData->LoadFromImage(std::move(image), widthsFileName);
    mPointSize = mFontData->mDefaultPointSize;
    PrepareLayers();
    mPrepared = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), mFontData(other.mFontData), mPointSize(other.mPointSize), mTags(other.mTags),
      mPrepared(other.mPrepared), mScale(other.mScale)
{
    if (mPrepared)
        mActiveLayers = other.mActiveLayers;
}

ImageFont::~ImageFont() = default;

Font* ImageFont::Clone()
{
    return new ImageFont(*this);
}

// ---- Size, scale and tags -------------------------------------------------------------------

void ImageFont::SetPointSize(int pointSize)
{
    mPointSize = pointSize;
    mPrepared = false;
}

void ImageFont::SetScale(double scale)
{
    mScale = scale;
    mPrepared = false;
}

int ImageFont::DefaultPointSize()
{
    return mFontData->mDefaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag)
{
    if (HasTag(tag))
        return false;
    mTags.push_back(ToUpperCopy(tag));
    mPrepared = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    mPrepared = false;
    auto it = std::find(mTags.begin(), mTags.end(), ToUpperCopy(tag));
    if (it == mTags.end())
        return false;
    mTags.erase(it);
    return true;
}

bool ImageFont::HasTag(const std::string& tag)
{
    return std::find(mTags.begin(), mTags.end(), ToUpperCopy(tag)) != mTags.end();
}

std::string ImageFont::DefineAsText(const std::string& name)
{
    DataElement* element = mFontData->GetDefinedElement(name);
    return element ? DescParser::DataElementToText(*element) : std::string();
}

void ImageFont::EnsurePrepared()
{
    if (mPrepared)
        return;
    PrepareLayers();
    mPrepared = true;
}

// ---- Layer preparation ----------------------------------------------------------------------

double ImageFont::LayerFactor(const FontLayerSpec& layer) const
{
    return layer.mPointSize != 0 ? mScale * mPointSize / layer.mPointSize : mScale;
}

bool ImageFont::LayerApplies(const FontLayerSpec& layer) const
{
    if (layer.mMinPointSize > mPointSize)
        return false;
    if (layer.mMaxPointSize != -1 && mPointSize > layer.mMaxPointSize)
        return false;
    for (const std::string& tag : layer.mRequiredTags)
        if (std::find(mTags.begin(), mTags.end(), tag) == mTags.end())
            return false;
    for (const std::string& tag : mTags)
        if (std::find(layer.mExcludedTags.begin(), layer.mExcludedTags.end(), tag) != layer.mExcludedTags.end())
            return false;
    return true;
}

void ImageFont::PrepareLayers()
{
    mActiveLayers.clear();
    mAscent = mAscentPadding = mHeight = mLineSpacingOffset = 0;
    if (!mFontData->mLoaded)
        return;
    bool first = true;
    for (const FontLayerSpec& layer : mFontData->mFontLayerList) {
        if (!LayerApplies(layer))
            continue;
        const double factor = LayerFactor(layer);
        mActiveLayers.push_back(MakeActiveLayer(layer, factor));
        TakeLayerMetrics(layer, factor, first);
        first = false;
    }
}

ActiveFontLayer ImageFont::MakeActiveLayer(const FontLayerSpec& layer, double factor) const
{
    ActiveFontLayer active;
    active.mBaseFontLayer = &layer;
    if (mScale == 1.0 && (layer.mPointSize == 0 || layer.mPointSize == mPointSize)) {
        active.mScaledImage = layer.mImage;
        // Widths files and a later, smaller "LayerSetImage" can leave rectangles outside the picture.
        const Rect bounds = layer.mImage ? Rect(0, 0, layer.mImage->GetWidth(), layer.mImage->GetHeight()) : Rect();
        for (int c = 0; c < 256; ++c)
            active.mScaledCharImageRects[c] = layer.Char(c).mImageRect.Intersection(bounds);
        return active;
    }
    BuildScaledStrip(layer, factor, active);
    return active;
}

void ImageFont::BuildScaledStrip(const FontLayerSpec& layer, double factor, ActiveFontLayer& active) const
{
    const Rect bounds = layer.mImage ? Rect(0, 0, layer.mImage->GetWidth(), layer.mImage->GetHeight()) : Rect();
    std::array<Rect, 256> sources{};
    long long totalWidth = 0;
    int maxHeight = 0;
    for (int c = 0; c < 256; ++c) {
        sources[c] = layer.Char(c).mImageRect.Intersection(bounds);
        const int w = std::max(0, ScaleFontValue(sources[c].mWidth, factor));
        const int h = std::max(0, ScaleFontValue(sources[c].mHeight, factor));
        active.mScaledCharImageRects[c] = Rect(static_cast<int>(std::min<long long>(totalWidth, INT_MAX)), 0, w, h);
        totalWidth += w;
        maxHeight = std::max(maxHeight, h);
    }
    // An absurd scale must not ask for more memory than any picture file could: such a layer
    // measures as asked but has no picture to draw from.
    if (totalWidth <= 0 || maxHeight <= 0 || totalWidth > ImageLib::Image::kMaxDimension * 16 ||
        totalWidth * maxHeight > ImageLib::Image::kMaxPixels) {
        active.mScaledCharImageRects.fill(Rect());
        return;
    }
    auto image = std::make_shared<MemoryImage>(mFontData->App());
    image->Create(static_cast<int>(totalWidth), maxHeight);
    if (layer.mImage) {
        Graphics g(image.get());
        g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
        g.SetColor(Color::White);
        g.SetFastScaling(false);
        for (int c = 0; c < 256; ++c) {
            const Rect& dest = active.mScaledCharImageRects[c];
            if (dest.mWidth > 0 && dest.mHeight > 0)
                g.DrawImageRegionScaled(layer.mImage.get(), dest, sources[c]);
        }
    }
    image->Palettize();
    active.mScaledImage = std::move(image);
    active.mOwnsImage = true;
}

void ImageFont::TakeLayerMetrics(const FontLayerSpec& layer, double factor, bool first)
{
    mAscent = std::max(mAscent, ScaleFontValue(layer.mAscent, factor));
    mHeight = std::max(mHeight, ScaleFontValue(layer.mHeight, factor));
    const int padding = ScaleFontValue(layer.mAscentPadding, factor);
    const int lineSpacing = ScaleFontValue(layer.mLineSpacingOffset, factor);
    mAscentPadding = first ? padding : std::min(mAscentPadding, padding);
    mLineSpacingOffset = first ? lineSpacing : std::max(mLineSpacingOffset, lineSpacing);
}

// ---- Measuring ------------------------------------------------------------------------------

int ImageFont::CharWidthKerned(char c, char previous)
{
    EnsurePrepared();
    const unsigned char mapped = mFontData->MapChar(c);
    const unsigned char mappedPrevious = mFontData->MapChar(previous);
    int width = 0;
    for (const ActiveFontLayer& active : mActiveLayers) {
        const FontLayerSpec& layer = *active.mBaseFontLayer;
        const double factor = LayerFactor(layer);
        long long layerWidth = ScaleFontValue(layer.Char(mapped).mWidth, factor);
        if (previous != 0)
            layerWidth += ScaleFontValue(
                static_cast<long long>(layer.Char(mappedPrevious).mKerningOffsets[mapped]) + layer.mSpacing, factor);
        width = std::max(width, ClampToInt(layerWidth));
    }
    return width;
}

int ImageFont::CharWidth(char c)
{
    return CharWidthKerned(c, 0);
}

int ImageFont::TextWidth(const std::string& text)
{
    long long width = 0;
    char previous = 0;
    for (char c : text) {
        width += CharWidthKerned(c, previous);
        previous = c;
    }
    return ClampToInt(width);
}

void ImageFont::DrawText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip)
{
    DrawLayered(g, x, y, text, color, clip, nullptr, nullptr, true);
}

void ImageFont::DrawTextWhite(Graphics* g, int x, int y, const std::string& text, const Rect& clip)
{
    DrawLayered(g, x, y, text, Color::White, clip, nullptr, nullptr, false);
}

} // namespace Olvarn
