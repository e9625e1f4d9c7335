// The wave picture the world's water needs under every level a test builds, installed for the
// fixture's lifetime.
#pragma once

#include "graphics/Image.h"
#include "world/CWater.h"

namespace tilvan
{

class TestWater
{
public:
    TestWater()
    {
        wave.mWidth = 64 * CWater::kCels;
        wave.mHeight = 160;
        wave.mNumCols = CWater::kCels;
        CWater::SetPictureLookup([this](const std::string& id) { return id == kWaterImageId ? &wave : nullptr; });
    }
    ~TestWater() { CWater::SetPictureLookup(nullptr); }
    TestWater(const TestWater&) = delete;
    TestWater& operator=(const TestWater&) = delete;

private:
    Olvarn::Image wave;
};

} // namespace tilvan
