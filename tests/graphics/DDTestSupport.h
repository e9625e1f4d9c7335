// A display device on the in-memory fake display, and pixel helpers for the display tests.
#pragma once

#include <memory>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"

namespace ddtest
{

struct FakeDevice {
    explicit FakeDevice(const Olvarn::SurfaceFormat& desktop = Olvarn::SurfaceFormat::Xrgb8888(), int width = 64,
                        int height = 48)
    {
        auto display = std::make_unique<Olvarn::DisplayFake>(desktop);
        fake = display.get();
        dd = std::make_unique<Olvarn::DDInterface>(nullptr, Olvarn::DisplayOptions(), std::move(display));
        dd->mOptions.mWidth = width;
        dd->mOptions.mHeight = height;
    }
    Olvarn::DDInterface::InitResult Start(bool windowed = true) { return dd->Init(nullptr, windowed); }

    Olvarn::DisplayFake* fake = nullptr;
    std::unique_ptr<Olvarn::DDInterface> dd;
};

// The raw pixels of a surface, row by row, as stored.
inline std::vector<uint32_t> RawPixels(Olvarn::Surface& s)
{
    std::vector<uint32_t> out;
    Olvarn::SurfaceLock lock;
    if (Olvarn::DisplayFailed(s.Lock(lock)))
        return out;
    for (int y = 0; y < lock.mHeight; ++y)
        for (int x = 0; x < lock.mWidth; ++x) {
            const uint8_t* row = lock.mBits + y * lock.mPitch;
            out.push_back(lock.mFormat.mBitsPerPixel == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                           : reinterpret_cast<const uint32_t*>(row)[x]);
        }
    s.Unlock();
    return out;
}

inline void FillRaw(Olvarn::Surface& s, uint32_t value)
{
    Olvarn::SurfaceLock lock;
    if (Olvarn::DisplayFailed(s.Lock(lock)))
        return;
    for (int y = 0; y < lock.mHeight; ++y)
        for (int x = 0; x < lock.mWidth; ++x) {
            uint8_t* row = lock.mBits + y * lock.mPitch;
            if (lock.mFormat.mBitsPerPixel == 16)
                reinterpret_cast<uint16_t*>(row)[x] = uint16_t(value);
            else
                reinterpret_cast<uint32_t*>(row)[x] = value;
        }
    s.Unlock();
}

// A picture of w x h pixels, each made by f(x, y).
template <typename F> std::vector<uint32_t> Picture(int w, int h, F f)
{
    std::vector<uint32_t> v;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            v.push_back(f(x, y));
    return v;
}

} // namespace ddtest
