// Display images: the surface beside the memory picture, its upload with the colour key, its
// read-back, and the storage operations that drop or rebuild it.
#include "graphics/DDImage.h"

#include <stdexcept>
#include <vector>

#include "graphics/DDInterface.h"
#include "graphics/DDRenderer.h"
#include "graphics/GraphicsHost.h"

namespace Olvarn
{

namespace
{

DDInterface* ApplicationDevice()
{
    GraphicsHost* host = GetGraphicsHost();
    if (!host || !host->GetDisplayDevice())
        throw std::logic_error("DDImage: no display device");
    return host->GetDisplayDevice();
}

template <typename Pixel> Pixel* SurfaceRow(const SurfaceLock& lock, int y)
{
    return reinterpret_cast<Pixel*>(lock.mBits + ptrdiff_t(y) * lock.mPitch);
}

} // namespace

DDImage::DDImage(DDInterface* device) : MemoryImage(device ? device->mApp : nullptr), mDDInterface(device)
{
    if (!mDDInterface)
        throw std::logic_error("DDImage: no display device");
    mDDInterface->AddImage(this);
}

DDImage::DDImage() : DDImage(ApplicationDevice()) {}

DDImage::~DDImage()
{
    if (mSurface && mLockCount > 0)
        mSurface->Unlock();
    mSurface.reset();
    mDDInterface->RemoveImage(this);
}

const NativeDisplay* DDImage::DisplayFormat() const
{
    return mDDInterface->mRGBBits != 0 ? mDDInterface : nullptr;
}

bool DDImage::OnDrawSurface3D() const
{
    return mDDInterface->IsDrawSurface3D(mSurface.get());
}

DDRenderer* DDImage::Renderer() const
{
    return mDDInterface->mD3DInterface;
}

// --- Surface management ----------------------------------------------------------------------------

void DDImage::SetSurface(std::shared_ptr<Surface> surface)
{
    mSurfaceWrapped = true;
    mSurface = std::move(surface);
    if (mSurface) {
        mWidth = mSurface->GetWidth();
        mHeight = mSurface->GetHeight();
    }
    mNoSoftwareDraw = false;
}

Surface* DDImage::GetSurface()
{
    if (!mSurface)
        CreateSurfaceFromBits();
    return mSurface.get();
}

void DDImage::ReleaseSurface()
{
    if (!mSurface)
        return;
    if (!mPalette && !mBits && !mTextureSet)
        GetBits();
    if (mLockCount > 0)
        mSurface->Unlock();
    mLockCount = 0;
    mSurface.reset();
    mSurfaceWrapped = false;
}

void DDImage::DiscardMemoryBits()
{
    mBits.reset();
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
    mPalette.reset();
    mColorIndices.reset();
}

bool DDImage::LockSurface()
{
    if (OnDrawSurface3D())
        return false;
    if (mLockCount == 0) {
        mLockedDesc = SurfaceLock();
        if (!mSurface)
            CreateSurfaceFromBits();
        if (!mSurface || DisplayFailed(mSurface->Lock(mLockedDesc)))
            return false;
    }
    ++mLockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (OnDrawSurface3D() || mLockCount <= 0)
        return false;
    if (--mLockCount == 0 && mSurface)
        mSurface->Unlock();
    return true;
}

void DDImage::SetVideoMemory(bool videoMemory)
{
    if (videoMemory == mVideoMemory)
        return;
    mVideoMemory = videoMemory;
    GetBits();
    ReleaseSurface();
}

bool DDImage::ApplySurfaceColorKey()
{
    return CreateSurfaceFromBits();
}

// --- Upload ----------------------------------------------------------------------------------------

uint32_t DDImage::ToSurfacePixel(uint32_t p) const
{
    const DDInterface& d = *mDDInterface;
    const SurfaceFormat& f = mLockedDesc.mFormat;
    return (((p >> (24 - d.mRedBits)) << d.mRedShift) & f.mRedMask) |
           (((p >> (16 - d.mGreenBits)) << d.mGreenShift) & f.mGreenMask) |
           (((p >> (8 - d.mBlueBits)) << d.mBlueShift) & f.mBlueMask);
}

uint32_t DDImage::ChooseColorKey(const uint32_t* bits, int count, bool sixteen) const
{
    uint32_t candidate = 0;
    for (int i = 0; i < count; ++i)
        if ((bits[i] >> 24) < 255) {
            candidate = sixteen ? ToSurfacePixel(bits[i]) : bits[i];
            break;
        }
    bool collides = false;
    for (int i = 0; i < count && !collides; ++i)
        if ((bits[i] >> 24) == 255)
            collides = (sixteen ? ToSurfacePixel(bits[i]) : (bits[i] & 0xFFFFFF)) == candidate;
    if (!collides)
        return candidate;

    // The lowest colour no visible pixel uses becomes the key.
    const size_t colours = sixteen ? size_t(1) << 16 : size_t(1) << 24;
    std::vector<bool> used(colours, false);
    for (int i = 0; i < count; ++i)
        if ((bits[i] >> 24) > 0)
            used[sixteen ? ToSurfacePixel(bits[i]) & 0xFFFF : bits[i] & 0xFFFFFF] = true;
    for (size_t c = 0; c < colours; ++c)
        if (!used[c])
            return uint32_t(c);
    return candidate;
}

bool DDImage::UploadBits(SurfaceLock& lock)
{
    const int bpp = lock.mFormat.mBitsPerPixel;
    if (bpp != 16 && bpp != 32)
        return false;
    const bool sixteen = bpp == 16;
    const uint32_t* bits = mBits.get();
    if (mHasTrans && !bits && sixteen)
        mSurface->SetSourceColorKey(0);
    if (!bits)
        return true;
    const bool keyed = mHasTrans;
    const uint32_t key = keyed ? ChooseColorKey(bits, PixelCount(), sixteen) : 0;
    // 16-bit pixels are converted into a row buffer first, then copied at the surface pitch.
    std::vector<uint16_t> row16(sixteen ? size_t(mWidth) : 0);
    for (int y = 0; y < mHeight; ++y) {
        const uint32_t* in = bits + size_t(y) * mWidth;
        if (sixteen) {
            for (int x = 0; x < mWidth; ++x)
                row16[size_t(x)] = uint16_t(keyed && (in[x] >> 24) < 255 ? key : ToSurfacePixel(in[x]));
            std::copy(row16.begin(), row16.end(), SurfaceRow<uint16_t>(lock, y));
        } else {
            uint32_t* out = SurfaceRow<uint32_t>(lock, y);
            for (int x = 0; x < mWidth; ++x)
                out[x] = keyed && (in[x] >> 24) < 255 ? key : ToSurfacePixel(in[x]);
        }
    }
    if (keyed)
        mSurface->SetSourceColorKey(key);
    return true;
}

bool DDImage::CreateSurfaceFromBits()
{
    if (mSurface)
        return true;
    CommitBits();
    if (mHasAlpha)
        return false;
    mWantSurface = true;
    if (IsPalettized())
        GetBits();
    SurfaceDesc desc{mWidth, mHeight, mVideoMemory ? SurfaceCaps::VideoMemory : SurfaceCaps::SystemMemory, 0};

    CriticalSectionLock lock(mDDInterface->mCritSect);
    std::shared_ptr<Surface> surface;
    if (DisplayFailed(mDDInterface->CreateSurface(desc, surface)) || !surface)
        return false;
    mSurface = std::move(surface);
    mSurfaceWrapped = false;
    if (!LockSurface()) {
        // A surface that cannot be filled must not pass for the picture.
        mSurface.reset();
        return false;
    }
    bool uploaded = UploadBits(mLockedDesc);
    UnlockSurface();
    if (!uploaded) {
        mSurface.reset();
        return false;
    }
    return true;
}

// --- Read-back -------------------------------------------------------------------------------------

void DDImage::ReadSurface(const SurfaceLock& lock, uint32_t* out) const
{
    const DDInterface& d = *mDDInterface;
    const SurfaceFormat& f = lock.mFormat;
    const bool sixteen = f.mBitsPerPixel == 16;
    const uint32_t colourMask = f.ColorMask();
    // Pixels equal to the colour key are the transparent ones: they come back with alpha 0.
    const bool keyed = mSurface->HasSourceColorKey();
    const uint32_t key = mSurface->GetSourceColorKey() & colourMask;
    for (int y = 0; y < mHeight; ++y)
        for (int x = 0; x < mWidth; ++x) {
            uint32_t q = sixteen ? SurfaceRow<uint16_t>(lock, y)[x] : SurfaceRow<uint32_t>(lock, y)[x];
            uint32_t r = ((q >> d.mRedShift) << (8 - d.mRedBits)) & 0xFF;
            uint32_t g = ((q >> d.mGreenShift) << (8 - d.mGreenBits)) & 0xFF;
            uint32_t b = ((q >> d.mBlueShift) << (8 - d.mBlueBits)) & 0xFF;
            uint32_t alpha = keyed && (q & colourMask) == key ? 0u : 0xFF000000u;
            out[size_t(y) * mWidth + x] = alpha | r << 16 | g << 8 | b;
        }
}

uint32_t* DDImage::GetBits()
{
    if (mBits)
        return mBits.get();
    if (!mSurface)
        return MemoryImage::GetBits();
    if (mNoSoftwareDraw || !LockSurface())
        return nullptr;
    const int bpp = mLockedDesc.mFormat.mBitsPerPixel;
    if (bpp != 16 && bpp != 32) {
        UnlockSurface();
        return nullptr;
    }
    std::unique_ptr<uint32_t[]> bits = AllocateBits();
    // The surface may differ in size from the image only if it was wrapped; read what both have.
    if (mLockedDesc.mWidth >= mWidth && mLockedDesc.mHeight >= mHeight)
        ReadSurface(mLockedDesc, bits.get());
    UnlockSurface();
    mBits = std::move(bits);
    return mBits.get();
}

// --- Storage ---------------------------------------------------------------------------------------

void DDImage::PurgeBits()
{
    if (mSurfaceWrapped)
        return;
    mPurgeBits = true;
    CommitBits();
    if (Is3DEnabled()) {
        if (mSurface) {
            GetBits();
            ReleaseSurface();
        }
        MemoryImage::PurgeBits();
        return;
    }
    if (mWantSurface && CreateSurfaceFromBits()) {
        mBits.reset();
        mColorIndices.reset();
        mPalette.reset();
        return;
    }
    MemoryImage::PurgeBits();
}

void DDImage::DeleteExtraData()
{
    if (mSurfaceWrapped)
        return;
    DeleteDerivedTables();
    DeleteTextures();
    ReleaseSurface();
}

void DDImage::ApplyStorageOptions()
{
    if (mWantPal)
        Palettize();
    if (mPurgeBits)
        PurgeBits();
    if (mWantSurface)
        CreateSurfaceFromBits();
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    // The surface holds the old picture: drop it without reading it back.
    if (mSurface && mLockCount > 0)
        mSurface->Unlock();
    mLockCount = 0;
    mSurface.reset();
}

void DDImage::CommitBits()
{
    if (mSurface)
        return;
    MemoryImage::CommitBits();
}

void DDImage::DeleteNativeData()
{
    if (mSurfaceWrapped)
        return;
    if (!mBits && !mColorIndices)
        GetBits();
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mRLAdditiveData.reset();
    ReleaseSurface();
}

void DDImage::Create(int width, int height)
{
    // Unlike the memory image, the transparency flags stay as they were.
    bool hasTrans = mHasTrans, hasAlpha = mHasAlpha;
    MemoryImage::Create(width, height);
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
}

bool DDImage::Palettize()
{
    if (!MemoryImage::Palettize())
        return false;
    ReleaseSurface();
    return true;
}

} // namespace Olvarn
