// Storage of the software image: pixels, palette form, premultiplied and run-length tables, alpha scan.
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "graphics/DDInterface.h"
#include "graphics/DDRenderer.h"
#include "graphics/GraphicsHost.h"

namespace Olvarn
{

namespace
{

// Far beyond any picture the game holds, and small enough that every pixel index fits an int.
constexpr long long kMaxPixels = 1LL << 28;

void CheckSize(int width, int height)
{
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPixels)
        throw std::length_error("MemoryImage: unusable size");
}

template <typename T> std::unique_ptr<T[]> CopyArray(const std::unique_ptr<T[]>& from, size_t count)
{
    if (!from)
        return nullptr;
    std::unique_ptr<T[]> to(new T[count]);
    std::copy(from.get(), from.get() + count, to.get());
    return to;
}

// Pixel-by-pixel run lengths of one classification, rows never joined.
template <typename ClassOf> std::unique_ptr<unsigned char[]> BuildRunLengths(int width, int height, ClassOf classOf)
{
    size_t count = static_cast<size_t>(width) * height;
    std::unique_ptr<unsigned char[]> runs(new unsigned char[count > 0 ? count : 1]);
    for (int y = 0; y < height; ++y) {
        int row = y * width;
        int run = 0;
        int prevClass = -1;
        for (int x = width - 1; x >= 0; --x) {
            int c = classOf(row + x);
            run = (c == prevClass) ? run + 1 : 1;
            prevClass = c;
            runs[row + x] = static_cast<unsigned char>(std::min(run, 255));
        }
    }
    return runs;
}

int AlphaClass(uint32_t p)
{
    uint32_t a = p >> 24;
    return a == 0 ? 0 : (a == 255 ? 1 : 2);
}

uint32_t PremultiplyChannel(uint32_t p, uint32_t channelMask, uint32_t m, int topBit, uint32_t bits, int shift,
                            uint32_t mask)
{
    return ((((p & channelMask) * m) >> 8) >> (topBit - bits) << shift) & mask;
}

// The premultiplied table of the usual screen layouts with their shifts known at compile time: a large
// picture's table is built on its first draw, often mid-frame, and constant shifts let the compiler
// turn the loop into vector code. Same formula as PremultiplyChannel, so the same values.
template <int RedBits, int RedShift, int GreenBits, int GreenShift, int BlueBits, int BlueShift>
__attribute__((optimize("tree-vectorize"))) void PremultiplyFixed(const uint32_t* values, uint32_t* table, int count)
{
    constexpr uint32_t redMask = ((1u << RedBits) - 1) << RedShift;
    constexpr uint32_t greenMask = ((1u << GreenBits) - 1) << GreenShift;
    constexpr uint32_t blueMask = ((1u << BlueBits) - 1) << BlueShift;
    // A channel times (alpha + 1) fits 16 bits, so the products are made in 16-bit lanes, which the
    // base instruction set multiplies in vectors.
    auto scaled = [](uint32_t channel, uint32_t m) { return uint32_t(uint16_t(uint16_t(channel) * uint16_t(m)) >> 8); };
    for (int i = 0; i < count; ++i) {
        const uint32_t p = values[i];
        const uint32_t m = (p >> 24) + 1;
        const uint32_t r = (scaled(p >> 16 & 0xFF, m) >> (8 - RedBits) << RedShift) & redMask;
        const uint32_t g = (scaled(p >> 8 & 0xFF, m) >> (8 - GreenBits) << GreenShift) & greenMask;
        const uint32_t b = (scaled(p & 0xFF, m) >> (8 - BlueBits) << BlueShift) & blueMask;
        table[i] = r | g | b | (p & 0xFF000000);
    }
}

// True when the display has exactly this layout.
bool IsLayout(const NativeDisplay& f, const NativeDisplay& layout)
{
    return f.mRedMask == layout.mRedMask && f.mGreenMask == layout.mGreenMask && f.mBlueMask == layout.mBlueMask;
}

uint32_t UnpremultiplyChannel(uint32_t v, uint32_t mask, uint32_t d, int shift, int bits)
{
    return ((((v & mask) << 8) / d) & mask) << 8 >> (shift + bits);
}

} // namespace

MemoryImage::MemoryImage(GraphicsHost* app) : mApp(app)
{
    if (mApp)
        mApp->RegisterImage(this);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), mBitsChangedCount(other.mBitsChangedCount), mTextureFlags(other.mTextureFlags),
      mForced(other.mForced), mHasTrans(other.mHasTrans), mHasAlpha(other.mHasAlpha), mVolatile(other.mVolatile),
      mPurgeBits(other.mPurgeBits), mWantPal(other.mWantPal), mNativeAlphaFormat(other.mNativeAlphaFormat),
      mBitsChanged(other.mBitsChanged), mApp(other.mApp)
{
    CopyPixelsFrom(const_cast<MemoryImage&>(other));
    if (mApp)
        mApp->RegisterImage(this);
}

void MemoryImage::CopyPixelsFrom(MemoryImage& other)
{
    size_t pixels = static_cast<size_t>(other.PixelCount());
    if (other.mBits) {
        mBits = CopyArray(other.mBits, pixels + 1);
    } else if (!other.mPalette) {
        // Borrow the source's rebuilt pixels and leave it in the form it was in.
        other.GetBits();
        mBits = CopyArray(other.mBits, pixels + 1);
        other.mBits.reset();
    }
    mPalette = CopyArray(other.mPalette, 256);
    mColorIndices = CopyArray(other.mColorIndices, pixels);
    mNativeAlphaData = CopyArray(other.mNativeAlphaData, other.mPalette ? 256 : pixels);
    mNative16Data.reset();
    mRLAlphaData = CopyArray(other.mRLAlphaData, pixels);
    mRLAdditiveData = CopyArray(other.mRLAdditiveData, pixels);
}

MemoryImage::~MemoryImage()
{
    if (mApp)
        mApp->UnregisterImage(this);
}

bool MemoryImage::Is3DEnabled() const
{
    return mApp && mApp->Is3DEnabled();
}

const NativeDisplay* MemoryImage::DisplayFormat() const
{
    // Before the display has started there is no screen format to keep a picture in.
    if (!mApp || !mApp->GetDisplayDevice() || mApp->GetDisplayDevice()->mRGBBits == 0)
        return nullptr;
    return mApp->GetDisplayDevice();
}

std::unique_ptr<uint32_t[]> MemoryImage::AllocateBits() const
{
    size_t pixels = static_cast<size_t>(PixelCount());
    std::unique_ptr<uint32_t[]> bits(new uint32_t[pixels + 1]());
    bits[pixels] = kGuardWord;
    return bits;
}

void MemoryImage::BitsChanged()
{
    ++mBitsChangedCount;
    mBitsChanged = true;
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::CommitBits()
{
    if (!mBitsChanged || mForced)
        return;
    mHasAlpha = false;
    auto scan = [this](const uint32_t* values, int count) {
        mHasTrans = false;
        for (int i = 0; i < count; ++i) {
            uint32_t a = values[i] >> 24;
            if (a == 0)
                mHasTrans = true;
            else if (a != 255)
                mHasAlpha = true;
        }
    };
    if (mBits)
        scan(mBits.get(), PixelCount());
    else if (mPalette)
        scan(mPalette.get(), 256);
    else
        mHasTrans = true;
    mBitsChanged = false;
}

void MemoryImage::SetAlphaFlags(bool hasTrans, bool hasAlpha)
{
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mForced = true;
}

void MemoryImage::SetVolatile(bool isVolatile)
{
    mVolatile = isVolatile;
}

void MemoryImage::SetBits(const uint32_t* bits, int width, int height)
{
    CheckSize(width, height);
    mColorIndices.reset();
    mPalette.reset();
    mBits.reset();
    mWidth = width;
    mHeight = height;
    mBits = AllocateBits();
    if (bits)
        std::memcpy(mBits.get(), bits, static_cast<size_t>(PixelCount()) * sizeof(uint32_t));
    BitsChanged();
    CommitBits();
}

void MemoryImage::Create(int width, int height)
{
    CheckSize(width, height);
    mBits.reset();
    // A palette left from an earlier picture would be read back at the new size.
    mColorIndices.reset();
    mPalette.reset();
    mWidth = width;
    mHeight = height;
    mHasTrans = true;
    mHasAlpha = true;
    BitsChanged();
}

void MemoryImage::ClearBits()
{
    uint32_t* bits = GetBits();
    std::fill(bits, bits + PixelCount(), 0u);
    BitsChanged();
}

uint32_t* MemoryImage::GetBits()
{
    if (mBits)
        return mBits.get();
    std::unique_ptr<uint32_t[]> bits = AllocateBits();
    int pixels = PixelCount();
    if (mColorIndices && mPalette) {
        for (int i = 0; i < pixels; ++i)
            bits[i] = mPalette[mColorIndices[i]];
        mColorIndices.reset();
        mPalette.reset();
        mNativeAlphaData.reset();
        mNative16Data.reset();
    } else if (mNativeAlphaData) {
        BuildBitsFromNativeAlpha(bits.get());
    } else if (mTextureSet) {
        // The picture lives only in the renderer's textures; what cannot be read back stays 0.
        mBits = std::move(bits);
        DDInterface* device = mApp ? mApp->GetDisplayDevice() : nullptr;
        if (device && device->mD3DInterface && !device->mD3DInterface->ReadImageFromTextures(this))
            std::fill(mBits.get(), mBits.get() + pixels, 0u);
        return mBits.get();
    }
    mBits = std::move(bits);
    return mBits.get();
}

void MemoryImage::BuildBitsFromNativeAlpha(uint32_t* bits) const
{
    const NativeDisplay& f = mNativeAlphaFormat;
    int pixels = PixelCount();
    for (int i = 0; i < pixels; ++i) {
        uint32_t v = mNativeAlphaData[i];
        uint32_t a = v >> 24;
        uint32_t d = a + 1;
        uint32_t r = UnpremultiplyChannel(v, f.mRedMask, d, f.mRedShift, f.mRedBits);
        uint32_t g = UnpremultiplyChannel(v, f.mGreenMask, d, f.mGreenShift, f.mGreenBits);
        uint32_t b = UnpremultiplyChannel(v, f.mBlueMask, d, f.mBlueShift, f.mBlueBits);
        bits[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

uint32_t* MemoryImage::BuildNativeAlpha(const NativeDisplay& format)
{
    if (mNativeAlphaData)
        return mNativeAlphaData.get();
    CommitBits();
    const uint32_t* values;
    int count;
    if (mColorIndices && mPalette) {
        values = mPalette.get();
        count = 256;
    } else {
        values = GetBits();
        count = PixelCount();
    }
    std::unique_ptr<uint32_t[]> table(new uint32_t[count > 0 ? count : 1]);
    const NativeDisplay& f = format;
    if (IsLayout(f, NativeDisplay::Format565()))
        PremultiplyFixed<5, 11, 6, 5, 5, 0>(values, table.get(), count);
    else if (IsLayout(f, NativeDisplay::Format555()))
        PremultiplyFixed<5, 10, 5, 5, 5, 0>(values, table.get(), count);
    else if (IsLayout(f, NativeDisplay::Format888()))
        PremultiplyFixed<8, 16, 8, 8, 8, 0>(values, table.get(), count);
    else
        for (int i = 0; i < count; ++i) {
            uint32_t p = values[i];
            uint32_t a = p >> 24;
            uint32_t m = a + 1;
            uint32_t r = PremultiplyChannel(p, 0xFF0000, m, 24, f.mRedBits, f.mRedShift, f.mRedMask);
            uint32_t g = PremultiplyChannel(p, 0xFF00, m, 16, f.mGreenBits, f.mGreenShift, f.mGreenMask);
            uint32_t b = PremultiplyChannel(p, 0xFF, m, 8, f.mBlueBits, f.mBlueShift, f.mBlueMask);
            table[i] = r | g | b | (a << 24);
        }
    mNativeAlphaData = std::move(table);
    mNativeAlphaFormat = format;
    return mNativeAlphaData.get();
}

unsigned char* MemoryImage::BuildRLAlpha()
{
    if (mRLAlphaData)
        return mRLAlphaData.get();
    CommitBits();
    if (mColorIndices && mPalette) {
        const uint32_t* palette = mPalette.get();
        const unsigned char* indices = mColorIndices.get();
        mRLAlphaData = BuildRunLengths(mWidth, mHeight, [&](int i) { return AlphaClass(palette[indices[i]]); });
    } else {
        const uint32_t* values = mNativeAlphaData ? mNativeAlphaData.get() : GetBits();
        mRLAlphaData = BuildRunLengths(mWidth, mHeight, [&](int i) { return AlphaClass(values[i]); });
    }
    return mRLAlphaData.get();
}

unsigned char* MemoryImage::BuildRLAdditive(const NativeDisplay& format)
{
    if (mRLAdditiveData)
        return mRLAdditiveData.get();
    const uint32_t* table = BuildNativeAlpha(format);
    if (mColorIndices && mPalette) {
        const unsigned char* indices = mColorIndices.get();
        mRLAdditiveData =
            BuildRunLengths(mWidth, mHeight, [&](int i) { return (table[indices[i]] & 0xFFFFFF) != 0 ? 1 : 0; });
    } else {
        mRLAdditiveData = BuildRunLengths(mWidth, mHeight, [&](int i) { return (table[i] & 0xFFFFFF) != 0 ? 1 : 0; });
    }
    return mRLAdditiveData.get();
}

const uint16_t* MemoryImage::BuildNative16(const NativeDisplay& format)
{
    if (mNative16Data)
        return mNative16Data.get();
    if (mColorIndices && mPalette)
        return nullptr;
    const uint32_t* native = BuildNativeAlpha(format);
    if (!native)
        return nullptr;
    const int pixels = PixelCount();
    mNative16Data = std::make_unique<uint16_t[]>(size_t(pixels));
    for (int i = 0; i < pixels; ++i)
        mNative16Data[i] = uint16_t(native[i]);
    return mNative16Data.get();
}

void MemoryImage::PurgeBits()
{
    mPurgeBits = true;
    if (Is3DEnabled()) {
        if (!mTextureSet)
            return;
        mBits.reset();
        mColorIndices.reset();
        mPalette.reset();
        return;
    }
    if (!mBits && !mColorIndices)
        return;
    const NativeDisplay* format = DisplayFormat();
    if (!format)
        return;
    BuildNativeAlpha(*format);
    mBits.reset();
    if (mTextureSet) {
        mColorIndices.reset();
        mPalette.reset();
    }
}

void MemoryImage::DeleteDerivedTables()
{
    if (!mBits && !mColorIndices)
        GetBits();
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
}

void MemoryImage::DeleteNativeData()
{
    if (!mBits && !mColorIndices)
        GetBits();
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::DeleteTextures()
{
    if (mApp)
        mApp->ReleaseImageTextures(this);
}

void MemoryImage::DeleteExtraData()
{
    DeleteDerivedTables();
    DeleteTextures();
}

void MemoryImage::ApplyStorageOptions()
{
    if (mWantPal)
        Palettize();
    if (mPurgeBits)
        PurgeBits();
}

bool MemoryImage::Palettize()
{
    CommitBits();
    if (mColorIndices && mPalette)
        return true;
    const uint32_t* bits = GetBits();
    int pixels = PixelCount();
    if (pixels == 0)
        return false;
    std::unique_ptr<unsigned char[]> indices(new unsigned char[pixels]);
    std::unique_ptr<uint32_t[]> palette(new uint32_t[256]);
    if (!Quantize(bits, mWidth, mHeight, indices.get(), palette.get())) {
        mWantPal = false;
        return false;
    }
    mColorIndices = std::move(indices);
    mPalette = std::move(palette);
    mBits.reset();
    mNativeAlphaData.reset();
    mNative16Data.reset();
    mWantPal = true;
    return true;
}

bool MemoryImage::Quantize(const uint32_t* bits, int width, int height, unsigned char* indices, uint32_t* palette)
{
    // Sorted (colour, entry) pairs so each pixel costs one binary search.
    std::vector<std::pair<uint32_t, int>> sorted;
    sorted.reserve(256);
    int pixels = width * height;
    for (int i = 0; i < pixels; ++i) {
        uint32_t colour = bits[i];
        auto it = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(colour, 0),
                                   [](const auto& a, const auto& b) { return a.first < b.first; });
        if (it == sorted.end() || it->first != colour) {
            if (sorted.size() == 256)
                return false;
            int entry = static_cast<int>(sorted.size());
            palette[entry] = colour;
            it = sorted.insert(it, std::make_pair(colour, entry));
        }
        indices[i] = static_cast<unsigned char>(it->second);
    }
    // The alpha scan and the screen table read all 256 entries: repeat a real colour so the unused
    // entries cannot report a transparency the picture does not have.
    for (size_t e = sorted.size(); e < 256; ++e)
        palette[e] = sorted.empty() ? 0 : palette[0];
    return true;
}

} // namespace Olvarn
