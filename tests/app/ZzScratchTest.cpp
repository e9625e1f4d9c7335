#include <gtest/gtest.h>
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "AppTestSupport.h"
using namespace Olvarn;
TEST(Scratch, Blend)
{
    apptest::CountingApp app;
    app.mDDInterface = new DDInterface(&app, std::make_unique<DisplayFake>(SurfaceFormat::Xrgb8888()));
    MemoryImage src; uint32_t px = 0xFFFFFFFF; src.SetBits(&px, 1, 1);
    MemoryImage dst; dst.Create(1, 1);
    { Graphics g(&dst); g.DrawImage(&src, 0, 0); }
    DDImage dd(app.mDDInterface); dd.Create(1, 1);
    { Graphics g(&dd); g.DrawImage(&src, 0, 0); }
    printf("memory %08X dd %08X hasAlpha %d\n", dst.GetBits()[0], dd.GetBits()[0], (int)dd.mHasAlpha);
}
