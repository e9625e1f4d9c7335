// System fonts: metrics from the desktop's renderer, and text blended straight into a display image's
// surface in whatever pixel layout the surface has.
#include "resources/SysFont.h"

#include <algorithm>
#include <cstdint>

#include "core/CriticalSection.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "platform/Surface.h"
#include "platform/SystemFont.h"

namespace Olvarn
{

namespace
{

// One colour channel of a packed pixel, found from its mask.
struct Channel {
    uint32_t mMask = 0;
    int mShift = 0;
    int mBits = 0;

    explicit Channel(uint32_t mask) : mMask(mask)
    {
        if (!mask)
            return;
        while (!((mask >> mShift) & 1u))
            ++mShift;
        while (mShift + mBits < 32 && ((mask >> (mShift + mBits)) & 1u))
            ++mBits;
    }
    int Read(uint32_t pixel) const
    {
        if (!mBits)
            return 0;
        uint32_t v = (pixel & mMask) >> mShift;
        return mBits >= 8 ? static_cast<int>(v >> (mBits - 8))
                          : static_cast<int>((v * 255 + (1u << mBits) / 2 - 1) / ((1u << mBits) - 1));
    }
    uint32_t Write(int value) const
    {
        if (!mBits)
            return 0;
        uint32_t v =
            mBits >= 8 ? static_cast<uint32_t>(value) << (mBits - 8) : static_cast<uint32_t>(value) >> (8 - mBits);
        return (v << mShift) & mMask;
    }
};

int Blend(int dst, int src, int coverage)
{
    return dst + ((src - dst) * coverage + 127) / 255;
}

} // namespace

SysFont::SysFont(ResourceHost* app, const std::string& face, int pointSize, int charSet, bool bold, bool italic,
                 bool underline)
    : mApp(app)
{
    SystemFontSpec spec;
    spec.mFace = face;
    spec.mPixelHeight = SystemFont::PixelHeightForPoints(pointSize);
    spec.mBold = bold;
    spec.mItalic = italic;
    spec.mUnderline = underline;
    spec.mCharSet = charSet;
    mSystemFont = std::make_unique<SystemFont>(spec);
    mAscent = mSystemFont->Ascent();
    mHeight = mSystemFont->Height();
}

SysFont::SysFont(const SysFont& other)
    : Font(), mApp(other.mApp), mSystemFont(std::make_unique<SystemFont>(*other.mSystemFont))
{
    mAscent = other.mAscent;
    mHeight = other.mHeight;
}

SysFont::~SysFont() = default;

bool SysFont::IsValid() const
{
    return mSystemFont->IsValid();
}

Font* SysFont::Clone()
{
    return new SysFont(*this);
}

int SysFont::TextWidth(const std::string& text)
{
    return mSystemFont->TextWidth(text);
}

void SysFont::DrawText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip)
{
    if (!g || text.empty())
        return;
    // Only display images carry a surface the text renderer can draw on.
    auto* image = dynamic_cast<DDImage*>(g->mDestImage);
    if (!image || !image->mDDInterface)
        return;
    // The cell's top lies one pixel below baseline - ascent.
    int left = static_cast<int>(static_cast<float>(x) + g->mTransX);
    int top = static_cast<int>(static_cast<float>(y - mAscent + 1) + g->mTransY);
    TextCoverage coverage = mSystemFont->Render(text);
    if (coverage.mBits.empty())
        return;
    DrawOnSurface(image, left, top, coverage, color, clip);
}

void SysFont::DrawOnSurface(DDImage* image, int left, int top, const TextCoverage& coverage, const Color& color,
                            const Rect& clip)
{
    CriticalSectionLock displayLock(image->mDDInterface->mCritSect);
    // 1. A surface to draw on, made from the memory picture when there is none yet.
    if (!image->HasSurface() && !image->CreateSurfaceFromBits())
        return;
    Surface* surface = image->mSurface.get();
    // 2. The caller's own lock is set aside while the text renderer holds the surface.
    bool wasLocked = image->mLockCount > 0;
    if (wasLocked)
        surface->Unlock();
    SurfaceLock lock;
    if (!DisplayFailed(surface->Lock(lock))) {
        // 3. Coverage blended in the colour's red, green and blue; the colour's alpha plays no part.
        Rect area = Rect(left + coverage.mLeft, top + coverage.mTop, coverage.mWidth, coverage.mHeight)
                        .Intersection(clip)
                        .Intersection(Rect(0, 0, lock.mWidth, lock.mHeight));
        Channel red(lock.mFormat.mRedMask), green(lock.mFormat.mGreenMask), blue(lock.mFormat.mBlueMask);
        uint32_t keep = ~lock.mFormat.ColorMask();
        int bytes = lock.mFormat.BytesPerPixel();
        for (int py = area.mY; py < area.mY + area.mHeight; ++py) {
            uint8_t* row = lock.mBits + static_cast<long>(py) * lock.mPitch;
            for (int px = area.mX; px < area.mX + area.mWidth; ++px) {
                int cov = coverage.At(px - left - coverage.mLeft, py - top - coverage.mTop);
                if (cov == 0)
                    continue;
                uint32_t pixel =
                    bytes == 2 ? reinterpret_cast<uint16_t*>(row)[px] : reinterpret_cast<uint32_t*>(row)[px];
                uint32_t out = (pixel & keep) | red.Write(Blend(red.Read(pixel), color.mRed & 0xFF, cov)) |
                               green.Write(Blend(green.Read(pixel), color.mGreen & 0xFF, cov)) |
                               blue.Write(Blend(blue.Read(pixel), color.mBlue & 0xFF, cov));
                if (bytes == 2)
                    reinterpret_cast<uint16_t*>(row)[px] = static_cast<uint16_t>(out);
                else
                    reinterpret_cast<uint32_t*>(row)[px] = out;
            }
        }
        surface->Unlock();
        // The surface now holds the only up-to-date picture.
        image->DiscardMemoryBits();
    }
    // 4. The caller's lock comes back, with a fresh description.
    if (wasLocked)
        surface->Lock(image->mLockedDesc);
}

} // namespace Olvarn
