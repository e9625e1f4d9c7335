// The hardware renderer: texture sets per image, and every drawing operation as triangles.
#include "graphics/D3DInterface.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

#include "graphics/DDInterface.h"
#include "graphics/DirectXErrors.h"
#include "graphics/GraphicsHost.h"
#include "graphics/MemoryImage.h"
#include "platform/SettingsStore.h"
#include "swtri/TriVertex.h"

namespace Olvarn
{

namespace
{

constexpr int kTableSize = 1024;
constexpr int kBatchTriangles = 100;

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

int NextPowerOfTwo(int n)
{
    int c = 1;
    while (c < n)
        c <<= 1;
    return c;
}

const std::vector<int>& SizeTable()
{
    // Each size's texture keeps at most 64 wasted texels per dimension, or cuts the image into pieces
    // of d with a last piece below 64 or of power-of-two size.
    static const std::vector<int> table = [] {
        std::vector<int> t(kTableSize);
        for (int i = 0; i < kTableSize; ++i) {
            const int c = NextPowerOfTwo(i);
            if (c - i <= 64) {
                t[size_t(i)] = c;
                continue;
            }
            int d = c / 2;
            while (d > 1 && i % d >= 64 && !IsPowerOfTwo(i % d))
                d /= 2;
            t[size_t(i)] = d;
        }
        return t;
    }();
    return table;
}

uint32_t Expand4(uint32_t v)
{
    return v * 17;
}

// Where a channel mask starts and how many bits it has; mask is not 0.
void MaskShape(uint32_t mask, int& low, int& bits)
{
    low = 0;
    while (!(mask >> low & 1))
        ++low;
    bits = 0;
    while (low + bits < 32 && (mask >> (low + bits) & 1))
        ++bits;
}

uint32_t PackToMask(uint32_t c8, uint32_t mask)
{
    if (!mask)
        return 0;
    int low, bits;
    MaskShape(mask, low, bits);
    return bits >= 8 ? (c8 << (low + bits - 8)) & mask : (c8 >> (8 - bits)) << low;
}

uint32_t UnpackFromMask(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return 0;
    int low, bits;
    MaskShape(mask, low, bits);
    const uint32_t v = (pixel & mask) >> low;
    if (bits >= 8)
        return v >> (bits - 8);
    // Low bits repeat the high ones, so full channels stay full.
    return (v << (8 - bits) | v >> (2 * bits - 8 > 0 ? 2 * bits - 8 : 0)) & 0xFF;
}

uint32_t DrawColor(const Color& color)
{
    return color.ToInt();
}

BlendFactor3D DestBlend(int drawMode)
{
    return drawMode == 1 ? BlendFactor3D::One : BlendFactor3D::InvSrcAlpha;
}

// One bound of the clip: which coordinate, the bound, and whether it is a lower one.
struct Bound {
    int mAxis; // 0 x, 1 y, 2 u, 3 v
    float mValue;
    bool mLower;
};

float Coord(const Vertex3D& v, int axis)
{
    switch (axis) {
    case 0:
        return v.mX;
    case 1:
        return v.mY;
    case 2:
        return v.mU;
    default:
        return v.mV;
    }
}

bool Inside(const Vertex3D& v, const Bound& b)
{
    const float c = Coord(v, b.mAxis);
    return b.mLower ? c >= b.mValue : c < b.mValue;
}

Vertex3D Intersect(const Vertex3D& prev, const Vertex3D& cur, const Bound& b)
{
    const float p = Coord(prev, b.mAxis), c = Coord(cur, b.mAxis);
    const float t = (b.mValue - p) / (c - p);
    Vertex3D out = prev;
    out.mX = prev.mX + (cur.mX - prev.mX) * t;
    out.mY = prev.mY + (cur.mY - prev.mY) * t;
    out.mU = prev.mU + (cur.mU - prev.mU) * t;
    out.mV = prev.mV + (cur.mV - prev.mV) * t;
    if (prev.mColor != cur.mColor) {
        uint32_t color = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const float a = float(prev.mColor >> shift & 0xFF), z = float(cur.mColor >> shift & 0xFF);
            color |= uint32_t(int(a + (z - a) * t) & 0xFF) << shift;
        }
        out.mColor = color;
    }
    return out;
}

// Sutherland-Hodgman, one bound at a time over the closed polygon.
void ClipPolygon(std::vector<Vertex3D>& polygon, const Bound* bounds, int count)
{
    std::vector<Vertex3D> out;
    out.reserve(100);
    for (int i = 0; i < count && polygon.size() > 2; ++i) {
        out.clear();
        const Bound& b = bounds[i];
        for (size_t k = 0; k < polygon.size(); ++k) {
            const Vertex3D& cur = polygon[k];
            const Vertex3D& prev = polygon[(k + polygon.size() - 1) % polygon.size()];
            const bool curIn = Inside(cur, b), prevIn = Inside(prev, b);
            if (curIn && prevIn) {
                out.push_back(cur);
            } else if (prevIn) {
                out.push_back(Intersect(prev, cur, b));
            } else if (curIn) {
                out.push_back(Intersect(prev, cur, b));
                out.push_back(cur);
            }
        }
        polygon.swap(out);
    }
}

} // namespace

// --- Formats and sizes -----------------------------------------------------------------------------

const char* TextureKindName(int kind)
{
    switch (kind) {
    case TEXKIND_A8R8G8B8:
        return "A8R8G8B8";
    case TEXKIND_A4R4G4B4:
        return "A4R4G4B4";
    case TEXKIND_R5G6B5:
        return "R5G6B5";
    case TEXKIND_PALETTE8:
        return "Palette8";
    default:
        return "";
    }
}

int TextureKindBytes(int kind)
{
    switch (kind) {
    case TEXKIND_A8R8G8B8:
        return 4;
    case TEXKIND_A4R4G4B4:
    case TEXKIND_R5G6B5:
        return 2;
    case TEXKIND_PALETTE8:
        return 1;
    default:
        return 0;
    }
}

TextureLimits& GetTextureLimits()
{
    static TextureLimits limits;
    return limits;
}

void GetBestTextureSize(int& width, int& height, bool powerOfTwo, bool adjust, int texFlags)
{
    if (texFlags & 2) {
        width = 64;
        height = 64;
        return;
    }
    const TextureLimits& l = GetTextureLimits();
    int* sizes[2] = {&width, &height};
    const int maxima[2] = {l.mMaxWidth, l.mMaxHeight};
    const int minima[2] = {l.mMinWidth, l.mMinHeight};
    if (adjust) {
        const bool pow2 = powerOfTwo || (texFlags & MemoryImage::TEXFLAG_MINSUBDIVIDE);
        for (int i = 0; i < 2; ++i) {
            int& s = *sizes[i];
            if (s >= maxima[i])
                s = maxima[i];
            else if (pow2)
                s = NextPowerOfTwo(s);
            else
                s = SizeTable()[size_t(std::max(0, std::min(s, kTableSize - 1)))];
        }
    }
    for (int i = 0; i < 2; ++i)
        *sizes[i] = std::max(*sizes[i], minima[i]);
    const int64_t aspect = l.mMaxAspect;
    if (height < width) {
        while (aspect * height < width)
            height *= 2;
    } else if (width < height) {
        while (aspect * width < height)
            width *= 2;
    }
}

uint32_t QuantizeTexel(uint32_t c, int kind)
{
    switch (kind) {
    case TEXKIND_A4R4G4B4: {
        const uint32_t a = c >> 28, r = c >> 20 & 0xF, g = c >> 12 & 0xF, b = c >> 4 & 0xF;
        return Expand4(a) << 24 | Expand4(r) << 16 | Expand4(g) << 8 | Expand4(b);
    }
    case TEXKIND_R5G6B5: {
        const uint32_t r = c >> 19 & 0x1F, g = c >> 10 & 0x3F, b = c >> 3 & 0x1F;
        return 0xFF000000 | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
    }
    default:
        return c;
    }
}

uint32_t ReadBackTexel(uint32_t stored, int kind)
{
    switch (kind) {
    case TEXKIND_A4R4G4B4: {
        // The alpha nibble comes back too: dropping it would turn every soft edge solid.
        const uint32_t a = stored >> 28, r = stored >> 20 & 0xF, g = stored >> 12 & 0xF, b = stored >> 4 & 0xF;
        return Expand4(a) << 24 | r << 20 | g << 12 | b << 4;
    }
    case TEXKIND_R5G6B5: {
        const uint32_t r = stored >> 19 & 0x1F, g = stored >> 10 & 0x3F, b = stored >> 3 & 0x1F;
        return 0xFF000000 | r << 19 | g << 10 | b << 3;
    }
    default:
        return stored;
    }
}

// --- Texture sets ----------------------------------------------------------------------------------

void ImageTextureSet::Layout(int width, int height, int texFlags)
{
    int pw = width, ph = height;
    GetBestTextureSize(pw, ph, false, true, texFlags);
    int lastColW = pw, lastColH = ph, lastRowW = pw, lastRowH = ph;
    if (width % pw != 0) {
        lastColW = width % pw;
        lastColH = ph;
        GetBestTextureSize(lastColW, lastColH, true, true, texFlags);
    }
    if (height % ph != 0) {
        lastRowW = pw;
        lastRowH = height % ph;
        GetBestTextureSize(lastRowW, lastRowH, true, true, texFlags);
    }
    int cornerW = lastColW, cornerH = lastRowH;
    GetBestTextureSize(cornerW, cornerH, true, true, texFlags);

    mPieceWidth = pw;
    mPieceHeight = ph;
    mColumns = (width + pw - 1) / pw;
    mRows = (height + ph - 1) / ph;
    mPieces.assign(size_t(mColumns * mRows), Piece());
    for (int row = 0; row < mRows; ++row)
        for (int col = 0; col < mColumns; ++col) {
            Piece& p = mPieces[size_t(row * mColumns + col)];
            const bool lastCol = col == mColumns - 1, lastRow = row == mRows - 1;
            if (lastCol && lastRow) {
                p.mWidth = cornerW;
                p.mHeight = cornerH;
            } else if (lastCol) {
                p.mWidth = lastColW;
                p.mHeight = lastColH;
            } else if (lastRow) {
                p.mWidth = lastRowW;
                p.mHeight = lastRowH;
            } else {
                p.mWidth = pw;
                p.mHeight = ph;
            }
        }
    mUScale = float(width) / float(pw);
    mVScale = float(height) / float(ph);
}

ImageTextureSet::PieceArea ImageTextureSet::Lookup(int x, int y, int width, int height) const
{
    PieceArea a;
    const int col = x / mPieceWidth, row = y / mPieceHeight;
    a.mIndex = row * mColumns + col;
    const Piece& p = mPieces[size_t(a.mIndex)];
    const int ox = x % mPieceWidth, oy = y % mPieceHeight;
    a.mWidth = std::min(width, p.mWidth - ox);
    a.mHeight = std::min(height, p.mHeight - oy);
    a.mU0 = float(ox) / float(p.mWidth);
    a.mU1 = float(ox + a.mWidth) / float(p.mWidth);
    a.mV0 = float(oy) / float(p.mHeight);
    a.mV1 = float(oy + a.mHeight) / float(p.mHeight);
    return a;
}

void ImageTextureSet::ReleaseTextures(Device3D* device)
{
    for (Piece& p : mPieces) {
        if (device && p.mTexture)
            device->DestroyTexture(p.mTexture);
        p.mTexture = nullptr;
    }
}

// --- The renderer ----------------------------------------------------------------------------------

std::string& D3DErrorText()
{
    static std::string text;
    return text;
}

bool CheckD3DResult(DisplayResult result, const char* step, GraphicsHost* host)
{
    if (!DisplayFailed(result))
        return false;
    D3DErrorText() = std::string(step) + ": " + GetDirectXErrorName(result);
    if (host)
        host->WriteSettingString("Test3D\\RuntimeError", D3DErrorText());
    return true;
}

D3DInterface::D3DInterface()
{
    GetTextureLimits() = TextureLimits();
}

D3DInterface::~D3DInterface()
{
    Cleanup();
}

bool& D3DInterface::SceneFailed()
{
    static bool failed = false;
    return failed;
}

bool D3DInterface::Init(DDInterface* device)
{
    D3DErrorText().clear();
    mDrawingThread = std::this_thread::get_id();
    mDisplay = device;
    mHost = device ? device->mApp : nullptr;
    if (!device)
        return false;
    std::string why;
    mDevice = Device3D::Create(device->mWidth, device->mHeight, why);
    if (!mDevice) {
        CheckD3DResult(Device3DError::InitFailed, "CreateDevice IID_IDirect3DHALDevice");
        return false;
    }
    TextureLimits& limits = GetTextureLimits();
    const int max = mDevice->GetMaxTextureSize();
    if (max <= 0) {
        limits = TextureLimits();
    } else {
        // The renderer sets no aspect limit and no minimum size.
        limits.mMaxWidth = limits.mMaxHeight = std::min(max, 1024);
        limits.mMinWidth = limits.mMinHeight = 1;
        limits.mMaxAspect = 65536;
    }
    mFilter = 0;
    // Every kind is offered: what the card lacks is converted on the way up.
    mAvailableKinds = TEXKIND_A8R8G8B8 | TEXKIND_A4R4G4B4 | TEXKIND_R5G6B5 | TEXKIND_PALETTE8;
    mDevice->Clear(0xFF000000);
    HookDrawSurface();
    return true;
}

void D3DInterface::HookDrawSurface()
{
    mTargetAhead = false;
    mSurfaceAhead = false;
    if (!mDisplay || !mDisplay->mDrawSurface)
        return;
    mHookedSurface = mDisplay->mDrawSurface;
    // Text and other writes straight into the draw surface reach the target before the next draw;
    // the presenting blits of a redraw leave the picture as it was and are not counted.
    mDisplay->mDrawSurface->SetLockHooks(
        [this](SurfaceLock& lock) {
            if (!mSyncing && mTargetAhead) {
                CopyTargetInto(lock);
                mTargetAhead = false;
            }
        },
        [this] {
            if (!mSyncing && mDisplay && !mDisplay->mInRedraw)
                mSurfaceAhead = true;
        });
    // The new surface starts black, as the cleared target does.
    SurfaceLock lock;
    mSyncing = true;
    if (!DisplayFailed(mDisplay->mDrawSurface->Lock(lock))) {
        for (int y = 0; y < lock.mHeight; ++y)
            std::fill(lock.mBits + size_t(y) * size_t(lock.mPitch),
                      lock.mBits + size_t(y) * size_t(lock.mPitch) +
                          size_t(lock.mWidth) * size_t(lock.mFormat.BytesPerPixel()),
                      uint8_t(0));
        mDisplay->mDrawSurface->Unlock();
    }
    mSyncing = false;
}

void D3DInterface::CopyTargetInto(SurfaceLock& lock)
{
    const int w = std::min(lock.mWidth, mDevice->GetWidth());
    const int h = std::min(lock.mHeight, mDevice->GetHeight());
    mScratch.resize(size_t(w) * size_t(h));
    if (CheckD3DResult(mDevice->ReadTarget(0, 0, w, h, mScratch.data(), w), "EndScene"))
        return;
    const SurfaceFormat& f = lock.mFormat;
    for (int y = 0; y < h; ++y) {
        const uint32_t* from = &mScratch[size_t(y) * size_t(w)];
        uint8_t* row = lock.mBits + size_t(y) * size_t(lock.mPitch);
        if (f == SurfaceFormat::Xrgb8888()) {
            std::copy(from, from + w, reinterpret_cast<uint32_t*>(row));
            continue;
        }
        for (int x = 0; x < w; ++x) {
            const uint32_t c = from[x];
            const uint32_t v = PackToMask(c >> 16 & 0xFF, f.mRedMask) | PackToMask(c >> 8 & 0xFF, f.mGreenMask) |
                               PackToMask(c & 0xFF, f.mBlueMask);
            if (f.mBitsPerPixel == 16)
                reinterpret_cast<uint16_t*>(row)[x] = uint16_t(v);
            else
                reinterpret_cast<uint32_t*>(row)[x] = v;
        }
    }
}

void D3DInterface::CopySurfaceToTarget()
{
    std::shared_ptr<Surface> surface = mHookedSurface.lock();
    if (!surface)
        return;
    SurfaceLock lock;
    mSyncing = true;
    if (!DisplayFailed(surface->Lock(lock))) {
        const int w = std::min(lock.mWidth, mDevice->GetWidth()), h = std::min(lock.mHeight, mDevice->GetHeight());
        const SurfaceFormat& f = lock.mFormat;
        mScratch.assign(size_t(mDevice->GetWidth()) * size_t(mDevice->GetHeight()), 0xFF000000);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = lock.mBits + size_t(y) * size_t(lock.mPitch);
            uint32_t* to = &mScratch[size_t(y) * size_t(mDevice->GetWidth())];
            for (int x = 0; x < w; ++x) {
                const uint32_t p = f.mBitsPerPixel == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                         : reinterpret_cast<const uint32_t*>(row)[x];
                to[x] = 0xFF000000 | UnpackFromMask(p, f.mRedMask) << 16 | UnpackFromMask(p, f.mGreenMask) << 8 |
                        UnpackFromMask(p, f.mBlueMask);
            }
        }
        surface->Unlock();
        CheckD3DResult(mDevice->WriteTarget(mScratch.data(), mDevice->GetWidth()), "Blt DrawSurface");
    }
    mSyncing = false;
}

void D3DInterface::Cleanup()
{
    if (mSceneOpen) {
        mSceneOpen = false;
        D3DErrorText().clear();
    }
    {
        std::lock_guard<std::mutex> lock(mImagesLock);
        for (MemoryImage* image : mTexturedImages) {
            if (image->mTextureSet) {
                mReleased.push_back(image->mTextureSet);
                image->mTextureSet = nullptr;
            }
        }
        mTexturedImages.clear();
    }
    DestroyReleasedSets();
    if (std::shared_ptr<Surface> surface = mHookedSurface.lock())
        surface->SetLockHooks(nullptr, nullptr);
    mHookedSurface.reset();
    mDevice.reset();
}

void D3DInterface::ReleaseImageTextures(MemoryImage* image)
{
    if (!image)
        return;
    {
        std::lock_guard<std::mutex> lock(mImagesLock);
        if (!image->mTextureSet)
            return;
        mReleased.push_back(image->mTextureSet);
        image->mTextureSet = nullptr;
        mTexturedImages.erase(image);
    }
    // Images may die on the loading thread; the card is only ever touched from the drawing thread.
    if (std::this_thread::get_id() == mDrawingThread)
        DestroyReleasedSets();
}

void D3DInterface::DestroyReleasedSets()
{
    std::vector<ImageTextureSet*> sets;
    {
        std::lock_guard<std::mutex> lock(mImagesLock);
        if (mReleased.empty())
            return;
        sets.swap(mReleased);
    }
    for (ImageTextureSet* set : sets) {
        set->ReleaseTextures(mDevice.get());
        delete set;
    }
}

bool D3DInterface::PrepareScene()
{
    if (!mDevice)
        return false;
    DestroyReleasedSets();
    if (mHost && mHost->IsMinimized())
        return false;
    if (mSurfaceAhead) {
        mSurfaceAhead = false;
        CopySurfaceToTarget();
    }
    mTargetAhead = true;
    if (mSceneOpen)
        return true;
    if (DisplayFailed(mDevice->BindTarget())) {
        SceneFailed() = true;
        return false;
    }
    SceneFailed() = false;
    mDevice->SetBlend(BlendFactor3D::SrcAlpha, BlendFactor3D::InvSrcAlpha);
    mDevice->SetLinearFilter(false);
    mFilter = 0;
    mSceneOpen = true;
    return true;
}

void D3DInterface::EndScene()
{
    if (!mSceneOpen)
        return;
    mSceneOpen = false;
    // Written into after the last draw, the surface already holds the whole frame.
    if (mSurfaceAhead || !mDevice)
        return;
    std::shared_ptr<Surface> surface = mHookedSurface.lock();
    if (!surface)
        return;
    SurfaceLock lock;
    mSyncing = true;
    if (!DisplayFailed(surface->Lock(lock))) {
        CopyTargetInto(lock);
        mTargetAhead = false;
        surface->Unlock();
    }
    mSyncing = false;
}

void D3DInterface::SetBlendMode(int drawMode)
{
    if (mDevice)
        mDevice->SetBlend(BlendFactor3D::SrcAlpha, DestBlend(drawMode));
}

void D3DInterface::SetFilter(bool linear)
{
    const int filter = linear ? 1 : 0;
    if (filter == mFilter || !mDevice)
        return;
    mDevice->SetLinearFilter(linear);
    mFilter = filter;
}

// --- Textures of images ----------------------------------------------------------------------------

bool D3DInterface::PrepareImageTextures(MemoryImage* image)
{
    if (!image || !mDevice || image->mWidth <= 0 || image->mHeight <= 0)
        return false;
    bool isNew = false;
    if (!image->mTextureSet) {
        std::lock_guard<std::mutex> lock(mImagesLock);
        image->mTextureSet = new ImageTextureSet();
        mTexturedImages.insert(image);
        isNew = true;
    }
    ImageTextureSet& set = *image->mTextureSet;
    if (set.mKind == TEXKIND_NONE || set.mImageWidth != image->mWidth || set.mImageHeight != image->mHeight ||
        set.mBitsChangedCount != image->mBitsChangedCount || set.mTexFlags != image->mTextureFlags)
        BuildTextures(image, set);
    if (isNew && image->mPurgeBits && set.mKind != TEXKIND_NONE)
        image->PurgeBits();
    return set.mKind != TEXKIND_NONE;
}

bool D3DInterface::BuildTextures(MemoryImage* image, ImageTextureSet& set)
{
    image->DeleteDerivedTables();
    image->CommitBits();
    int kind = TEXKIND_A8R8G8B8;
    if (!image->mHasAlpha && !image->mHasTrans && (mAvailableKinds & TEXKIND_R5G6B5) &&
        !(image->mTextureFlags & MemoryImage::TEXFLAG_A8R8G8B8))
        kind = TEXKIND_R5G6B5;
    bool palette = false;
    if (image->mColorIndices && image->mPalette && (mAvailableKinds & TEXKIND_PALETTE8)) {
        kind = TEXKIND_PALETTE8;
        palette = true;
    }
    if (kind == TEXKIND_A8R8G8B8) {
        if (image->mTextureFlags & MemoryImage::TEXFLAG_A4R4G4B4) {
            if ((mAvailableKinds & TEXKIND_A4R4G4B4) || !(mAvailableKinds & TEXKIND_A8R8G8B8))
                kind = TEXKIND_A4R4G4B4;
        } else if (!(mAvailableKinds & TEXKIND_A8R8G8B8)) {
            kind = TEXKIND_A4R4G4B4;
        }
    }
    bool createNew = false;
    if (set.mImageWidth != image->mWidth || set.mImageHeight != image->mHeight || set.mKind != kind ||
        set.mTexFlags != image->mTextureFlags || set.mPieces.empty()) {
        set.ReleaseTextures(mDevice.get());
        set.mKind = kind;
        set.mTexFlags = image->mTextureFlags;
        set.Layout(image->mWidth, image->mHeight, image->mTextureFlags);
        createNew = true;
    }
    set.mHasPalette = palette;
    set.mKind = kind;
    for (int row = 0; row < set.mRows; ++row)
        for (int col = 0; col < set.mColumns; ++col) {
            ImageTextureSet::Piece* p = set.GetPiece(col, row);
            if (createNew || !p->mTexture) {
                Texture3D* texture = nullptr;
                if (DisplayFailed(mDevice->CreateTexture(p->mWidth, p->mHeight, texture))) {
                    set.mKind = TEXKIND_NONE;
                    return false;
                }
                p->mTexture = texture;
            }
            UploadPiece(image, set, col, row);
        }
    set.mImageWidth = image->mWidth;
    set.mImageHeight = image->mHeight;
    set.mBitsChangedCount = image->mBitsChangedCount;
    uint64_t bytes = 0;
    for (const ImageTextureSet::Piece& p : set.mPieces)
        bytes += uint64_t(p.mWidth) * uint64_t(p.mHeight) * uint64_t(TextureKindBytes(set.mKind));
    set.mTextureMemory = bytes + (palette ? 1024 : 0);
    return true;
}

void D3DInterface::UploadPiece(MemoryImage* image, ImageTextureSet& set, int column, int row)
{
    ImageTextureSet::Piece* p = set.GetPiece(column, row);
    const int x0 = column * set.mPieceWidth, y0 = row * set.mPieceHeight;
    const int w = std::min(p->mWidth, image->mWidth - x0), h = std::min(p->mHeight, image->mHeight - y0);
    mScratch.assign(size_t(p->mWidth) * size_t(p->mHeight), 0);
    const bool palette = set.mKind == TEXKIND_PALETTE8;
    const uint32_t* bits = palette ? nullptr : image->GetBits();
    for (int y = 0; y < h; ++y) {
        uint32_t* to = &mScratch[size_t(y) * size_t(p->mWidth)];
        const size_t from = size_t(y0 + y) * size_t(image->mWidth) + size_t(x0);
        for (int x = 0; x < w; ++x) {
            const uint32_t c =
                palette ? image->mPalette[image->mColorIndices[from + size_t(x)]] : bits[from + size_t(x)];
            to[x] = QuantizeTexel(c, set.mKind);
        }
    }
    CheckD3DResult(mDevice->UploadTexture(p->mTexture, mScratch.data(), p->mWidth), "Lock Texture");
}

bool D3DInterface::ReadImageFromTextures(MemoryImage* image)
{
    if (!image || !image->mTextureSet || !mDevice || !image->mBits)
        return false;
    // Off the drawing thread the card cannot be read; the picture then comes back empty.
    if (std::this_thread::get_id() != mDrawingThread)
        return false;
    ImageTextureSet& set = *image->mTextureSet;
    if (set.mKind == TEXKIND_NONE)
        return false;
    for (int row = 0; row < set.mRows; ++row)
        for (int col = 0; col < set.mColumns; ++col) {
            ImageTextureSet::Piece* p = set.GetPiece(col, row);
            if (!p->mTexture)
                return false;
            std::vector<uint32_t> texels(size_t(p->mWidth) * size_t(p->mHeight));
            if (DisplayFailed(mDevice->ReadTexture(p->mTexture, texels.data(), p->mWidth)))
                return false;
            const int x0 = col * set.mPieceWidth, y0 = row * set.mPieceHeight;
            const int w = std::min(p->mWidth, image->mWidth - x0), h = std::min(p->mHeight, image->mHeight - y0);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    image->mBits[size_t(y0 + y) * size_t(image->mWidth) + size_t(x0 + x)] =
                        ReadBackTexel(texels[size_t(y) * size_t(p->mWidth) + size_t(x)], set.mKind);
        }
    return true;
}

uint64_t D3DInterface::TextureMemory(int kind, int* imageCount) const
{
    std::lock_guard<std::mutex> lock(mImagesLock);
    uint64_t bytes = 0;
    int count = 0;
    for (MemoryImage* image : mTexturedImages)
        if (image->mTextureSet && (kind == 0 || image->mTextureSet->mKind == kind)) {
            bytes += image->mTextureSet->mTextureMemory;
            ++count;
        }
    if (imageCount)
        *imageCount = count;
    return bytes;
}

// --- Untextured drawing ----------------------------------------------------------------------------

void D3DInterface::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!PrepareScene())
        return;
    SetBlendMode(drawMode);
    const uint32_t c = DrawColor(color);
    const float l = float(rect.mX) - 0.5f, t = float(rect.mY) - 0.5f;
    const float r = l + float(rect.mWidth), b = t + float(rect.mHeight);
    const Vertex3D quad[4] = {{l, t, c, 0, 0}, {l, b, c, 0, 0}, {r, t, c, 0, 0}, {r, b, c, 0, 0}};
    CheckD3DResult(mDevice->DrawTriangleStrip(nullptr, quad, 4), "DrawPrimitive (Rect)");
}

void D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (!PrepareScene())
        return;
    SetBlendMode(drawMode);
    const uint32_t c = DrawColor(color);
    // The short last segment makes the end pixel appear.
    const Vertex3D line[3] = {
        {float(x1), float(y1), c, 0, 0}, {float(x2), float(y2), c, 0, 0}, {float(x2 + 0.5), float(y2 + 0.5), c, 0, 0}};
    CheckD3DResult(mDevice->DrawLineStrip(line, 3), "DrawPrimitive (Line)");
}

void D3DInterface::FillPolygon(const int* points, int count, const Rect* clip, const Color& color, int drawMode, int dx,
                               int dy)
{
    if (count <= 2 || !points || !PrepareScene())
        return;
    SetBlendMode(drawMode);
    const uint32_t c = DrawColor(color);
    std::vector<Vertex3D> polygon;
    polygon.reserve(100);
    for (int i = 0; i < count; ++i)
        polygon.push_back({float(points[2 * i] + dx), float(points[2 * i + 1] + dy), c, 0, 0});
    if (clip) {
        DrawClippedFan(polygon, nullptr, "DrawPrimitive (Tri) 2", false, clip);
        return;
    }
    CheckD3DResult(mDevice->DrawTriangleFan(nullptr, polygon.data(), int(polygon.size())), "DrawPrimitive (FillPoly)");
}

void D3DInterface::DrawClippedFan(std::vector<Vertex3D>& polygon, Texture3D* texture, const char* step, bool toPiece,
                                  const Rect* clip)
{
    if (toPiece) {
        const Bound bounds[4] = {{2, 0.0f, true}, {3, 0.0f, true}, {2, 1.0f, false}, {3, 1.0f, false}};
        ClipPolygon(polygon, bounds, 4);
    }
    if (clip) {
        const Bound bounds[4] = {{0, float(clip->mX), true},
                                 {1, float(clip->mY), true},
                                 {0, float(clip->mX + clip->mWidth), false},
                                 {1, float(clip->mY + clip->mHeight), false}};
        ClipPolygon(polygon, bounds, 4);
    }
    if (polygon.size() > 2)
        CheckD3DResult(mDevice->DrawTriangleFan(texture, polygon.data(), int(polygon.size())), step);
}

// --- Textured drawing ------------------------------------------------------------------------------

void ImageTextureSet::Draw(Device3D* device, GraphicsHost* host, float x, float y, const Rect& srcRect, uint32_t color)
{
    // Only the part of the source rectangle inside the image has texels; it keeps its place.
    const int right = std::min(srcRect.mX + srcRect.mWidth, mImageWidth);
    const int bottom = std::min(srcRect.mY + srcRect.mHeight, mImageHeight);
    for (int sy = std::max(srcRect.mY, 0); sy < bottom;) {
        int stepY = bottom - sy;
        for (int sx = std::max(srcRect.mX, 0); sx < right;) {
            const PieceArea a = Lookup(sx, sy, right - sx, bottom - sy);
            const float l = x - 0.5f + float(sx - srcRect.mX), t = y - 0.5f + float(sy - srcRect.mY);
            const float r = l + float(a.mWidth), b = t + float(a.mHeight);
            const Vertex3D quad[4] = {{l, t, color, a.mU0, a.mV0},
                                      {l, b, color, a.mU0, a.mV1},
                                      {r, t, color, a.mU1, a.mV0},
                                      {r, b, color, a.mU1, a.mV1}};
            CheckD3DResult(device->DrawTriangleStrip(mPieces[size_t(a.mIndex)].mTexture, quad, 4),
                           "DrawPrimitive (Tri) 1", host);
            stepY = a.mHeight;
            if (a.mWidth <= 0)
                break;
            sx += a.mWidth;
        }
        if (stepY <= 0)
            break;
        sy += stepY;
    }
}

void D3DInterface::BlitPlain(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                             bool linear)
{
    if (!mTransformStack.empty()) {
        Matrix3 m;
        m.Translate(x, y);
        DrawImage(src, nullptr, color, drawMode, srcRect, m, true, 0, 0, false);
        return;
    }
    auto* image = dynamic_cast<MemoryImage*>(src);
    if (!image || !PrepareScene() || !PrepareImageTextures(image))
        return;
    SetBlendMode(drawMode);
    SetFilter(linear);
    image->mTextureSet->Draw(mDevice.get(), mHost, x, y, srcRect, DrawColor(color));
}

void D3DInterface::DrawImage(Image* src, const Rect* clip, const Color& color, int drawMode, const Rect& srcRect,
                             const Matrix3& matrix, bool linear, float tx, float ty, bool centred)
{
    auto* image = dynamic_cast<MemoryImage*>(src);
    if (!image || !PrepareScene() || !PrepareImageTextures(image))
        return;
    SetBlendMode(drawMode);
    Matrix3 m = matrix;
    if (!mTransformStack.empty()) {
        Matrix3 product;
        mTransformStack.front().Multiply(matrix, product);
        m = product;
        linear = true;
    }
    SetFilter(linear);
    const uint32_t c = DrawColor(color);
    ImageTextureSet& set = *image->mTextureSet;
    // Centred draws put the rectangle's middle on the position, as the software matrix draw does; a
    // further half pixel inside the matrix would move scaled and rotated images off the software's.
    const float originX = centred ? -float(srcRect.mWidth) / 2 : 0.0f;
    const float originY = centred ? -float(srcRect.mHeight) / 2 : 0.0f;
    auto place = [&](float px, float py, float u, float v) {
        OlvarnVector2 p = m.TransformPoint(OlvarnVector2(px + originX, py + originY));
        return Vertex3D{float(p.x) + tx - 0.5f, float(p.y) + ty - 0.5f, c, u, v};
    };
    // Only the part of the source rectangle inside the image has texels; it keeps its place.
    const int right = std::min(srcRect.mX + srcRect.mWidth, set.mImageWidth);
    const int bottom = std::min(srcRect.mY + srcRect.mHeight, set.mImageHeight);
    for (int sy = std::max(srcRect.mY, 0); sy < bottom;) {
        int stepY = bottom - sy;
        for (int sx = std::max(srcRect.mX, 0); sx < right;) {
            const ImageTextureSet::PieceArea a = set.Lookup(sx, sy, right - sx, bottom - sy);
            const float l = float(sx - srcRect.mX), t = float(sy - srcRect.mY);
            const float r = l + float(a.mWidth), b = t + float(a.mHeight);
            std::vector<Vertex3D> quad = {place(l, t, a.mU0, a.mV0), place(l, b, a.mU0, a.mV1),
                                          place(r, t, a.mU1, a.mV0), place(r, b, a.mU1, a.mV1)};
            Texture3D* texture = set.mPieces[size_t(a.mIndex)].mTexture;
            bool inside = !clip;
            if (clip) {
                inside = true;
                for (const Vertex3D& v : quad)
                    inside = inside && v.mX >= float(clip->mX) && v.mY >= float(clip->mY) &&
                             v.mX < float(clip->mX + clip->mWidth) && v.mY < float(clip->mY + clip->mHeight);
            }
            if (inside) {
                CheckD3DResult(mDevice->DrawTriangleStrip(texture, quad.data(), 4), "DrawPrimitive (Tri) 3");
            } else {
                // The strip's corners in fan order for the clipper.
                std::vector<Vertex3D> polygon = {quad[0], quad[1], quad[3], quad[2]};
                DrawClippedFan(polygon, texture, "DrawPrimitive (Tri) 2", false, clip);
            }
            stepY = a.mHeight;
            if (a.mWidth <= 0)
                break;
            sx += a.mWidth;
        }
        if (stepY <= 0)
            break;
        sy += stepY;
    }
}

void D3DInterface::Blit(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                        int drawMode)
{
    Matrix3 m;
    m.Translate(x, y);
    DrawImage(src, &clip, color, drawMode, srcRect, m, true, 0, 0, false);
}

void D3DInterface::BlitMirrored(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                                bool linear)
{
    Matrix3 m;
    m.Translate(-float(srcRect.mWidth), 0);
    m.Scale(-1, 1);
    m.Translate(x, y);
    DrawImage(src, nullptr, color, drawMode, srcRect, m, linear, 0, 0, false);
}

void D3DInterface::BlitStretched(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                 const Color& color, int drawMode, bool fast, bool mirrored)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const float sx = float(destRect.mWidth) / float(srcRect.mWidth);
    const float sy = float(destRect.mHeight) / float(srcRect.mHeight);
    Matrix3 m;
    if (mirrored) {
        m.Translate(-float(srcRect.mWidth), 0);
        m.Scale(-sx, sy);
    } else {
        m.Scale(sx, sy);
    }
    m.Translate(float(destRect.mX), float(destRect.mY));
    DrawImage(src, &clip, color, drawMode, srcRect, m, !fast, 0, 0, false);
}

void D3DInterface::BlitRotated(Image* src, float x, float y, const Rect& clip, const Color& color, int drawMode,
                               double angle, float centerX, float centerY, const Rect& srcRect)
{
    Matrix3 m;
    m.Translate(-centerX, -centerY);
    m.Rotate(float(angle));
    m.Translate(x + centerX, y + centerY);
    DrawImage(src, &clip, color, drawMode, srcRect, m, true, 0, 0, false);
}

void D3DInterface::DrawTexturedTriangles(const TriVertex* vertices, int triangleCount, const Color& color, int drawMode,
                                         Image* src, float dx, float dy, bool linear)
{
    auto* image = dynamic_cast<MemoryImage*>(src);
    if (!vertices || triangleCount <= 0 || !image || !PrepareScene() || !PrepareImageTextures(image))
        return;
    SetBlendMode(drawMode);
    SetFilter(linear);
    ImageTextureSet& set = *image->mTextureSet;
    const uint32_t drawColor = DrawColor(color);
    auto convert = [&](const TriVertex& t) {
        return Vertex3D{t.x + dx, t.y + dy, t.color ? t.color : drawColor, t.u * set.mUScale, t.v * set.mVScale};
    };
    if (set.mUScale <= 1 && set.mVScale <= 1) {
        std::vector<Vertex3D> batch;
        batch.reserve(kBatchTriangles * 3);
        for (int i = 0; i < triangleCount; ++i) {
            for (int k = 0; k < 3; ++k)
                batch.push_back(convert(vertices[i * 3 + k]));
            if (int(batch.size()) == kBatchTriangles * 3 || i == triangleCount - 1) {
                CheckD3DResult(mDevice->DrawTriangleList(set.mPieces[0].mTexture, batch.data(), int(batch.size())),
                               "DrawPrimitive (TriList)");
                batch.clear();
            }
        }
        return;
    }
    for (int i = 0; i < triangleCount; ++i) {
        Vertex3D tri[3];
        for (int k = 0; k < 3; ++k)
            tri[k] = convert(vertices[i * 3 + k]);
        const float minU = std::min({tri[0].mU, tri[1].mU, tri[2].mU}),
                    maxU = std::max({tri[0].mU, tri[1].mU, tri[2].mU});
        const float minV = std::min({tri[0].mV, tri[1].mV, tri[2].mV}),
                    maxV = std::max({tri[0].mV, tri[1].mV, tri[2].mV});
        const int col0 = std::max(0, int(std::floor(minU))),
                  col1 = std::min(set.mColumns - 1, int(std::ceil(maxU)) - 1);
        const int row0 = std::max(0, int(std::floor(minV))), row1 = std::min(set.mRows - 1, int(std::ceil(maxV)) - 1);
        for (int row = row0; row <= row1; ++row)
            for (int col = col0; col <= col1; ++col) {
                const ImageTextureSet::Piece* p = set.GetPiece(col, row);
                std::vector<Vertex3D> polygon(tri, tri + 3);
                for (Vertex3D& v : polygon) {
                    v.mU -= float(col);
                    v.mV -= float(row);
                    if (col == set.mColumns - 1)
                        v.mU *= float(set.mPieceWidth) / float(p->mWidth);
                    if (row == set.mRows - 1)
                        v.mV *= float(set.mPieceHeight) / float(p->mHeight);
                }
                DrawClippedFan(polygon, p->mTexture, "DrawPrimitive (Tri) 4", true, nullptr);
            }
    }
}

} // namespace Olvarn
