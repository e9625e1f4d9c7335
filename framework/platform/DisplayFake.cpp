// The test double of the display: all state in memory, every outside answer settable.
#include "platform/DisplayFake.h"

namespace Olvarn
{

namespace
{

int LowestBit(uint32_t mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int BitCount(uint32_t mask)
{
    mask >>= LowestBit(mask);
    int bits = 0;
    while (mask) {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

uint32_t Widen(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = LowestBit(mask);
    int bits = BitCount(mask);
    return (((pixel & mask) >> shift) << (8 - bits)) & 0xFF;
}

} // namespace

void ReadSurfacePixels(Surface& surface, std::vector<uint32_t>& out)
{
    out.clear();
    SurfaceLock lock;
    if (DisplayFailed(surface.Lock(lock)))
        return;
    const SurfaceFormat& f = lock.mFormat;
    out.resize(size_t(lock.mWidth) * size_t(lock.mHeight));
    for (int y = 0; y < lock.mHeight; ++y) {
        const uint8_t* row = lock.mBits + ptrdiff_t(y) * lock.mPitch;
        for (int x = 0; x < lock.mWidth; ++x) {
            uint32_t p = f.mBitsPerPixel == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                               : reinterpret_cast<const uint32_t*>(row)[x];
            out[size_t(y) * lock.mWidth + x] =
                0xFF000000u | Widen(p, f.mRedMask) << 16 | Widen(p, f.mGreenMask) << 8 | Widen(p, f.mBlueMask);
        }
    }
    surface.Unlock();
}

DisplayResult DisplayFake::SetCooperativeLevel(DisplayWindow* window, bool fullScreen)
{
    if (DisplayFailed(mCooperativeLevelResult))
        return mCooperativeLevelResult;
    mFullScreen = fullScreen;
    if (!fullScreen)
        mModeBits = 0;
    return DisplayError::Ok;
}

DisplayResult DisplayFake::SetDisplayMode(int width, int height, int bitsPerPixel)
{
    if (DisplayFailed(mDisplayModeResult))
        return mDisplayModeResult;
    if (bitsPerPixel != 16 && bitsPerPixel != 32)
        return DisplayError::InvalidMode;
    mModeWidth = width;
    mModeHeight = height;
    mModeBits = bitsPerPixel;
    return DisplayError::Ok;
}

DisplayResult DisplayFake::RestoreDisplayMode()
{
    mModeBits = 0;
    return DisplayError::Ok;
}

DisplayResult DisplayFake::GetMonitorFrequency(int& hz)
{
    hz = mMonitorFrequency;
    return mMonitorFrequencyResult;
}

DisplayResult DisplayFake::GetScanLine(int& line)
{
    ++mScanLineReads;
    if (mScanLines.empty())
        return DisplayError::Unsupported;
    auto [result, value] = mScanLines.front();
    mScanLines.pop_front();
    line = value;
    return result;
}

DisplayResult DisplayFake::WaitForVerticalBlank()
{
    ++mVerticalBlankWaits;
    return DisplayError::Ok;
}

DisplayResult DisplayFake::GetScreenFormat(SurfaceFormat& out)
{
    if (mFullScreen && mModeBits == 16)
        out = mDesktopFormat.mBitsPerPixel == 16 ? mDesktopFormat : SurfaceFormat::Rgb565();
    else if (mFullScreen && mModeBits == 32)
        out = SurfaceFormat::Xrgb8888();
    else
        out = mDesktopFormat;
    return DisplayError::Ok;
}

DisplayResult DisplayFake::Present(Surface& primary)
{
    if (primary.IsLost())
        return DisplayError::SurfaceLost;
    ReadSurfacePixels(primary, mPresented);
    if (mPresented.empty())
        return DisplayError::SurfaceBusy;
    mPresentedWidth = primary.GetWidth();
    mPresentedHeight = primary.GetHeight();
    ++mPresentCount;
    return DisplayError::Ok;
}

DisplayDeviceIdentity DisplayFake::GetDeviceIdentity() const
{
    DisplayDeviceIdentity id;
    id.mDescription = "In-memory test display";
    id.mDriverVersion = 1;
    id.mGuid[0] = 0xFA;
    return id;
}

DisplayResult DisplayFake::BeforeCreateSurface(const SurfaceDesc& desc)
{
    return mCreateHook ? mCreateHook(desc) : DisplayError::Ok;
}

} // namespace Olvarn
