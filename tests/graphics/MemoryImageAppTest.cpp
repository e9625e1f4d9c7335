// A memory image and its application: registration for the whole life, the application's saturation
// table, and the storage operations the application applies to every image.
#include <gtest/gtest.h>

#include "TestImages.h"
#include "app/OlvarnAppBase.h"
#include "graphics/MemoryImage.h"

using namespace Olvarn;
using namespace graphicstest;

TEST(MemoryImageApplication, RegisteredFromConstructionToDestruction)
{
    OlvarnAppBase app;
    {
        MemoryImage image(&app);
        EXPECT_EQ(app.mMemoryImageSet.count(&image), 1u);
        MemoryImage copy(image);
        EXPECT_EQ(copy.mApp, &app);
        EXPECT_EQ(app.mMemoryImageSet.count(&copy), 1u);
        EXPECT_EQ(image.SaturationTable(), app.mAdd8BitMaxTable);
    }
    EXPECT_TRUE(app.mMemoryImageSet.empty());
}

TEST(MemoryImageApplication, ReleasingDerivedDataKeepsEveryPicture)
{
    OlvarnAppBase app;
    MemoryImage image(&app);
    uint32_t pixels[2] = {Argb(255, 1, 2, 3), Argb(128, 4, 5, 6)};
    image.SetBits(pixels, 2, 1);
    image.BuildRLAlpha();
    // No display has started: purging has no screen format to keep the picture in, so the pixels stay.
    image.PurgeBits();
    ASSERT_NE(image.mBits, nullptr);
    app.ReleaseImageDerivedData();
    EXPECT_EQ(image.mRLAlphaData, nullptr);
    EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{pixels[0], pixels[1]}));
}
