// The draw-layer registry and the image sector's fan.
#include <gtest/gtest.h>

#include <cmath>

#include "ShellTestSupport.h"
#include "graphics/Graphics.h"
#include "shell/CImageSector.h"
#include "shell/CLayerObject.h"

namespace
{

std::vector<std::string>* gDrawn = nullptr;

class Named : public tilvan::CLayerObject
{
public:
    Named(std::string name, int layer, bool visible = true) : CLayerObject(visible, layer), mName(std::move(name)) {}
    Named(const Named& other) = default;
    void Draw(Olvarn::Graphics&) override { gDrawn->push_back(mName); }
    std::string mName;
};

class LayerRegistry : public testing::Test
{
protected:
    void SetUp() override
    {
        tilvan::CLayerRegistry::Instance().Clear();
        gDrawn = &mDrawn;
    }
    std::vector<std::string> DrawAll()
    {
        mDrawn.clear();
        Olvarn::Graphics g(&mCanvas);
        tilvan::CLayerRegistry::Instance().DrawAll(g);
        return mDrawn;
    }
    shelltest::RecordingImage mCanvas;
    std::vector<std::string> mDrawn;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(LayerRegistry, LowerLayersFirstAndRegistrationOrderWithinALayer)
{
    Named a("5a", 5), b("1", 1), c("5b", 5), d("3", 3);
    EXPECT_EQ(DrawAll(), (Names{"1", "3", "5a", "5b"}));
}

TEST_F(LayerRegistry, InvisibleObjectsKeepTheirPlaceAndAreSkipped)
{
    Named a("a", 1), b("b", 2, false), c("c", 3);
    EXPECT_EQ(DrawAll(), (Names{"a", "c"}));
    b.visible = true;
    EXPECT_EQ(DrawAll(), (Names{"a", "b", "c"}));
}

TEST_F(LayerRegistry, ChangingTheLayerMovesTheObjectBehindItsEquals)
{
    Named a("a", 2), b("b", 2), c("c", 2);
    a.SetLayer(2);
    EXPECT_EQ(DrawAll(), (Names{"b", "c", "a"}));
    c.SetLayer(0);
    EXPECT_EQ(DrawAll(), (Names{"c", "b", "a"}));
}

TEST_F(LayerRegistry, CopiesDrawAsTheirOwnEntriesAndDestroyedObjectsLeave)
{
    Named a("a", 1);
    {
        Named copy(a);
        EXPECT_EQ(DrawAll(), (Names{"a", "a"}));
    }
    EXPECT_EQ(DrawAll(), (Names{"a"}));
}

TEST_F(LayerRegistry, AfterClearNothingDrawsAndDestroyingAClearedObjectIsHarmless)
{
    auto early = std::make_unique<Named>("early", 1);
    tilvan::CLayerRegistry::Instance().Clear();
    EXPECT_TRUE(DrawAll().empty());
    early.reset();
    Named late("late", 1);
    EXPECT_EQ(DrawAll(), (Names{"late"}));
}

TEST(LayerImage, DrawsItsImageAtItsTruncatedPosition)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddImage("IMAGE_ROCK", 40, 30);
    tilvan::CLayerImage rock("IMAGE_ROCK", Olvarn::OlvarnVector2(10.9f, -3.7f), 4);
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    rock.Draw(g);
    ASSERT_EQ(canvas.mBlits.size(), 1u);
    EXPECT_EQ(canvas.mBlits[0].dest.mX, 10);
    // At y -3 the top three rows fall off the canvas.
    EXPECT_EQ(canvas.mBlits[0].dest.mY, 0);
    EXPECT_EQ(canvas.mBlits[0].source.mY, 3);
}

TEST(ImageSector, OneTriangleForEveryStarted45Degrees)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    Olvarn::DDImage* image = resources.AddImage("IMAGE_DIAL", 40, 20);
    tilvan::CImageSector sector(image, Olvarn::OlvarnVector2(100, 50));
    // Angle of each triangle's outer edges, in degrees.
    auto angleOf = [](const Olvarn::TriVertex& v) {
        double a = std::atan2((v.x - 100) / 20.0, -(v.y - 50) / 10.0) * 180.0 / 3.1415;
        return std::lround(a < -0.01 ? a + 360 : a);
    };
    struct Case {
        int from, to;
        std::vector<std::pair<long, long>> edges;
    };
    const std::vector<Case> cases = {
        {0, 360, {{0, 45}, {45, 90}, {90, 135}, {135, 180}, {180, 225}, {225, 270}, {270, 315}, {315, 360}}},
        {0, 90, {{0, 45}, {45, 90}}},
        {90, 0, {{0, 45}, {45, 90}}},
        {0, 100, {{0, 45}, {45, 90}, {90, 100}}},
        {30, 30, {{30, 30}}},
        {0, 500, {{0, 45}, {45, 90}, {90, 135}, {135, 180}, {180, 225}, {225, 270}, {270, 315}, {315, 360}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
        sector.SetAngles(c.from, c.to);
        ASSERT_EQ(sector.TriangleCount(), int(c.edges.size()));
        for (int i = 0; i < sector.TriangleCount(); ++i) {
            const Olvarn::TriVertex* t = sector.Triangle(i);
            EXPECT_FLOAT_EQ(t[0].x, 100);
            EXPECT_FLOAT_EQ(t[0].u, 0.5f);
            long a1 = angleOf(t[1]), a2 = angleOf(t[2]);
            if (c.edges[size_t(i)].second == 360 && a2 == 0)
                a2 = 360;
            EXPECT_EQ(a1, c.edges[size_t(i)].first);
            EXPECT_EQ(a2, c.edges[size_t(i)].second);
        }
    }
}

TEST(ImageSector, PointsLieOnTheEllipseOfTheCellWithMatchingTextureCoordinates)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    Olvarn::DDImage* image = resources.AddImage("IMAGE_DIAL", 40, 20);
    tilvan::CImageSector sector(image, Olvarn::OlvarnVector2(0, 0));
    sector.SetAngles(90, 180);
    const Olvarn::TriVertex* first = sector.Triangle(0);
    const Olvarn::TriVertex* last = sector.Triangle(1);
    EXPECT_NEAR(first[1].x, 20, 1e-3); // 90 degrees: right
    EXPECT_NEAR(first[1].y, 0, 1e-3);
    EXPECT_NEAR(first[1].u, 1.0, 1e-4);
    EXPECT_NEAR(last[2].x, 0, 1e-2); // 180 degrees: down
    EXPECT_NEAR(last[2].y, 10, 1e-3);
    EXPECT_NEAR(last[2].v, 1.0, 1e-4);

    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    sector.Draw(g);
    ASSERT_EQ(canvas.mBlits.size(), 1u);
    EXPECT_EQ(canvas.mBlits[0].dest.mWidth, 2); // triangles drawn
}
