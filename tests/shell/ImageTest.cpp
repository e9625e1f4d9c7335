// The animated image object: sizes, the animation clock, and what each draw hands the graphics.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "data/CSaveObject.h"
#include "data/StartupRegistrations.h"
#include "graphics/Graphics.h"
#include "shell/CImage.h"
#include "shell/ScriptApi.h"
#include "shell/ShellRegistrations.h"
#include "support/TempDir.h"

using tilvan::CImage;

namespace
{

class Image : public testing::Test
{
protected:
    // A strip of 4 cells of 40 x 30, animated at 100 ms a frame.
    Image() : mStrip(mResources.AddImage("IMAGE_STRIP", 160, 30, 4, 1)) { mResources.Animate(mStrip, 4, 100); }

    std::vector<shelltest::RecordingImage::Blit> Draw(CImage& image, int x = 0, int y = 0)
    {
        shelltest::RecordingImage canvas;
        Olvarn::Graphics g(&canvas);
        image.DrawAt(g, x, y);
        return canvas.mBlits;
    }

    shelltest::TestApp mApp;
    shelltest::TestResources mResources;
    Olvarn::DDImage* mStrip;
};

} // namespace

TEST_F(Image, DimensionsFollowTheCellAndTheScale)
{
    CImage image("IMAGE_STRIP", 0, 0);
    EXPECT_EQ(image.GetDimensions().x, 40);
    image.SetScale(1.5f);
    EXPECT_EQ(image.GetDimensions().x, 60);
    EXPECT_EQ(image.GetDimensions().y, 45);

    CImage missing("IMAGE_NOT_THERE", 5, 6);
    EXPECT_EQ(missing.GetImage(), nullptr);
    EXPECT_EQ(missing.GetId(), "IMAGE_NOT_THERE");
    EXPECT_EQ(missing.GetDimensions().x, 1);
    EXPECT_TRUE(Draw(missing).empty());

    CImage direct(mStrip, 0, 0);
    EXPECT_EQ(direct.GetId(), "UNKNOWN ID");
}

TEST_F(Image, TheDrawnRectangleFollowsSizeScaleAndCentring)
{
    struct Case {
        const char* name;
        int flags;
        float scale;
        int w, h; // size override
        Olvarn::Rect expected;
        const char* kind;
    };
    const std::vector<Case> cases = {
        // At its own size a cell is copied, not stretched.
        {"plain", 0, 1, 0, 0, {100, 100, 40, 30}, "blit"},
        {"centred", CImage::CENTER_POS, 1, 0, 0, {80, 85, 40, 30}, "blit"},
        {"half a size is ignored", 0, 1, 80, 0, {100, 100, 40, 30}, "blit"},
        {"a size equal to the cell", 0, 1, 40, 30, {100, 100, 40, 30}, "blit"},
        {"a whole size replaces the cell", 0, 1, 80, 60, {100, 100, 80, 60}, "scaled"},
        {"scaled", 0, 1.5f, 0, 0, {100, 100, 60, 45}, "scaled"},
        {"mirrored", CImage::MIRRORED, 1, 0, 0, {100, 100, 40, 30}, "mirrored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImage image("IMAGE_STRIP", 0, 0);
        image.SetFlags(c.flags | CImage::STOP_ANIMATION);
        image.SetScale(c.scale);
        image.SetSize(c.w, c.h);
        shelltest::RecordingImage canvas;
        Olvarn::Graphics g(&canvas);
        image.DrawFrame(g, 100, 100, 0);
        ASSERT_EQ(canvas.mBlits.size(), 1u);
        EXPECT_EQ(canvas.mBlits[0].kind, c.kind);
        const Olvarn::Rect& r = canvas.mBlits[0].dest;
        EXPECT_EQ(std::vector<int>({r.mX, r.mY, r.mWidth, r.mHeight}),
                  std::vector<int>({c.expected.mX, c.expected.mY, c.expected.mWidth, c.expected.mHeight}));
    }
}

TEST_F(Image, TheClockPicksTheCellAndBackwardCountsFromTheEnd)
{
    CImage image("IMAGE_STRIP", 0, 0);
    image.Update(150);
    EXPECT_EQ(Draw(image)[0].source.mX, 40); // cell 1
    image.AddFlags(CImage::BACKWARD_ANIMATION);
    EXPECT_EQ(Draw(image)[0].source.mX, 80); // cell 2
    image.SetFlags(CImage::STOP_ANIMATION);
    EXPECT_EQ(Draw(image)[0].source.mX, 0);
}

TEST_F(Image, PlayingOnceStopsOnTheFirstCellAfterOneRun)
{
    CImage image("IMAGE_STRIP", 0, 0);
    image.AddFlags(CImage::STOP_ANIMATION);
    image.PlayAnimationOnce();
    EXPECT_TRUE(image.IsAnimatingOnce());
    EXPECT_FALSE(image.GetFlags() & CImage::STOP_ANIMATION);
    for (int i = 0; i < 3; ++i)
        image.Update(100);
    EXPECT_TRUE(image.IsAnimatingOnce());
    image.Update(100);
    EXPECT_FALSE(image.IsAnimatingOnce());
    EXPECT_TRUE(image.GetFlags() & CImage::STOP_ANIMATION);
    EXPECT_EQ(image.GetTime(), 0);
    EXPECT_EQ(Draw(image)[0].source.mX, 0);
}

TEST_F(Image, SmoothAnimationCrossFadesWithTheNeighbouringFrames)
{
    CImage image("IMAGE_STRIP", 0, 0);
    image.AddFlags(CImage::SMOOTH_ANIMATION);
    image.Update(125); // a quarter into frame 1
    std::vector<shelltest::RecordingImage::Blit> blits = Draw(image);
    ASSERT_EQ(blits.size(), 3u);
    EXPECT_EQ(blits[0].source.mX, 0); // previous frame
    EXPECT_EQ(blits[0].color.GetAlpha(), 192);
    EXPECT_EQ(blits[1].source.mX, 40); // current frame, opaque
    EXPECT_EQ(blits[1].color.GetAlpha(), 255);
    EXPECT_EQ(blits[2].source.mX, 80); // next frame
    EXPECT_EQ(blits[2].color.GetAlpha(), 63);
}

TEST_F(Image, AssigningAPictureRestartsTheClockButSetImageKeepsIt)
{
    CImage image("IMAGE_STRIP", 0, 0);
    image.Update(230);
    image.SetImage("IMAGE_STRIP");
    EXPECT_EQ(image.GetTime(), 230);
    image = std::string("IMAGE_STRIP");
    EXPECT_EQ(image.GetTime(), 0);
}

TEST_F(Image, TheScriptClassLimitsAlphaAndExposesFlagsAndSize)
{
    shelltest::CapturingScript<> script("", "");
    // Image classes live in basic hosts, which know "vector2".
    tilvan::RegisterValueTypes(script.State());
    CImage::RegisterLuaClass(script.State());
    lua_State* L = script.State();
    const char* chunk = R"(
        local i = image_class("IMAGE_STRIP")
        i.alpha = 300; local a = i.alpha
        i.alpha = -5; local b = i.alpha
        i:set_flags(image_class.center_pos); i:add_flags(image_class.mirrored); i:rem_flags(image_class.center_pos)
        i:set_size(8, 9)
        i.scale = 2
        return a .. "," .. b .. "," .. i:get_flags() .. "," .. i:get_size().y .. "," .. i:get_dimensions().x
    )";
    ASSERT_FALSE(luaL_dostring(L, chunk)) << lua_tostring(L, -1);
    EXPECT_STREQ(lua_tostring(L, -1), "255,0,2,9,80");
}

TEST_F(Image, SavingAndLoadingKeepEverythingButAlphaAndPlayOnce)
{
    tilvan::RunStartupRegistrations({tilvan::RegisterShell});
    ASSERT_TRUE(tilvan::save::CSaveObjectRegistry::Instance().IsRegistered(CImage::kClassId));
    testsupport::TempDir dir;
    CImage saved("IMAGE_STRIP", 12, 34);
    saved.Update(123.5f);
    saved.SetFlags(CImage::MIRRORED | CImage::CENTER_POS);
    saved.SetScale(1.5f);
    saved.SetSize(80, 60);
    saved.SetAlpha(100);
    saved.PlayAnimationOnce();
    saved.Update(20);
    tilvan::CXmlDataWriter& writer = tilvan::save::SaveWriter();
    ASSERT_TRUE(writer.Open(dir.File("image.xml"), false, ""));
    int row = saved.Save();
    ASSERT_TRUE(writer.Close());

    tilvan::CXmlDataReader& reader = tilvan::save::SaveReader();
    reader.LoadFile(dir.File("image.xml"));
    CImage loaded(static_cast<Olvarn::Image*>(nullptr), 0, 0);
    loaded.Load(row);
    reader.Clear();
    EXPECT_EQ(loaded.GetImage(), mStrip);
    EXPECT_EQ(loaded.GetId(), "IMAGE_STRIP");
    EXPECT_EQ(loaded.GetPosition().x, 12);
    EXPECT_EQ(loaded.GetPosition().y, 34);
    EXPECT_EQ(loaded.GetTime(), 20);
    EXPECT_EQ(loaded.GetFlags(), CImage::MIRRORED | CImage::CENTER_POS);
    EXPECT_EQ(loaded.GetScale(), 1.5f);
    EXPECT_EQ(loaded.GetSize().x, 80);
    EXPECT_EQ(loaded.GetDimensions().x, 60);
    EXPECT_EQ(loaded.GetAlpha(), 255);
    EXPECT_FALSE(loaded.IsAnimatingOnce());
}
