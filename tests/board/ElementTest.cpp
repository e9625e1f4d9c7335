// Elements: rotation, motion, effects, hit tests, lights and drawing from their pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "BoardFixture.h"
#include "board/CElement.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerTestSupport.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

struct ElementTest : ::testing::Test {
    void SetUp() override { boardtest::LoadTestTypes(); }
    void TearDown() override { CElement::SetUse3D(false); }
};

struct FlagEffect : element_effects::CElementEffect {
    int updates = 0, draws = 0;
    void Update(float, CElement&) override
    {
        if (++updates == 2)
            Finish();
    }
    void DrawAbove(Olvarn::Graphics&, CElement&) override { ++draws; }
};

} // namespace

TEST_F(ElementTest, TypeLookupsThrowWithoutType)
{
    CElement none(99);
    EXPECT_EQ(none.GetType(), nullptr);
    EXPECT_THROW(none.GetShape(), std::runtime_error);
    EXPECT_THROW(none.GetImageCenter(), std::runtime_error);
    EXPECT_EQ(none.GetWidth(), 0);
    EXPECT_EQ(none.GetPositions(), 0);
    EXPECT_FALSE(none.HitTest(0, 0, 0));
    none.RotateForward();
    EXPECT_FALSE(none.IsRotating());
}

TEST_F(ElementTest, RotationsThroughSixPositions)
{
    // With two positions the masks alternate while the offsets follow the full index.
    ElementTypes()[0].offsets[3] = FPoint(7, -4);
    CElement e(0);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(e.GetRotation(), k);
        EXPECT_EQ(e.GetPositionIndex(), k % 2);
        EXPECT_EQ(e.GetShape()[0], k % 2 == 0); // cell (0, 0)
        EXPECT_EQ(e.GetShape()[5], k % 2 == 1); // cell (1, 0)
        EXPECT_FLOAT_EQ(e.GetOffset().x, k == 3 ? 7.f : 0.f);
        e.StepRotation();
    }
    EXPECT_EQ(e.GetRotation(), 0);
}

TEST_F(ElementTest, TurningAnimation)
{
    struct Case {
        int start, sign, end;
    } cases[] = {{0, -1, 5}, {5, +1, 0}, {2, +1, 3}};
    for (const auto& c : cases) {
        CElement e(1);
        e.SetRotation(c.start);
        c.sign > 0 ? e.RotateForward() : e.RotateBackward();
        e.Update(50, 50);
        EXPECT_EQ(e.GetRotation(), c.start); // the index changes only at the end
        EXPECT_NEAR(e.GetAngle(), (0.5f * c.sign + c.start) * -CElement::kAngleStep, 1e-5);
        c.sign > 0 ? e.RotateBackward() : e.RotateForward(); // ignored while turning
        CElement copy(e);
        e.Update(50, 50);
        copy.Update(50, 50);
        EXPECT_EQ(e.GetRotation(), c.end);
        EXPECT_EQ(copy.GetRotation(), c.end);
        EXPECT_FALSE(e.IsRotating());
    }
    CElement three(1);
    three.SetRotation(3);
    EXPECT_NEAR(three.GetAngle(), -3.1415f, 1e-5);
}

TEST_F(ElementTest, MoveEndsOnTarget)
{
    struct Case {
        FPoint target;
        int updates; // of 10 ms until the move ends
    } cases[] = {{{90, 120}, 100}, {{50, 0}, 1}, {{0, 70}, 1}, {{0, 0}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.target.x << "," << c.target.y);
        CElement e(1);
        e.MoveTo(c.target);
        int n = 0;
        while (e.IsMoving() && n < 1000) {
            e.Update(10, 10);
            ++n;
        }
        EXPECT_NEAR(n, c.updates, 1);
        EXPECT_FLOAT_EQ(e.GetPosition().x, c.target.x);
        EXPECT_FLOAT_EQ(e.GetPosition().y, c.target.y);
    }
}

TEST_F(ElementTest, FadeOutAndEffects)
{
    CElement e(1);
    auto effect = std::make_shared<FlagEffect>();
    e.AddEffect(effect);
    CElement copy(e);
    e.Update(10, 10);
    copy.Update(10, 10); // shared: one step of both holders advances it twice, and it finishes
    EXPECT_EQ(effect->updates, 2);
    EXPECT_EQ(e.GetEffects().size(), 1u); // still drawn until the holder's next update
    e.Update(10, 10);
    EXPECT_TRUE(e.GetEffects().empty());

    e.AddEffect(std::make_shared<FlagEffect>());
    e.FadeOut(200);
    EXPECT_TRUE(e.GetEffects().empty());
    for (int expected : {191, 127, 63, 0}) {
        e.Update(50, 50);
        EXPECT_EQ(e.GetAlpha(), expected);
    }
    EXPECT_FALSE(e.IsFading());
}

TEST_F(ElementTest, TrembleOnlyIn3D)
{
    Olvarn::ThreadRandom().Seed(5);
    CElement e(1);
    e.SetTremble(true);
    e.Update(100, 100);
    EXPECT_FLOAT_EQ(e.GetAngle(), 0);
    CElement::SetUse3D(true);
    EXPECT_NE(e.GetAngle(), 0);
    EXPECT_LE(std::fabs(e.GetAngle()), CElement::kTrembleAmplitude);
    e.SetTremble(false);
    EXPECT_FLOAT_EQ(e.GetAngle(), 0);
}

TEST_F(ElementTest, HitTestAgainstMask)
{
    // Type 1 rotation 0: up (0, 0) and down (1, 0); centre (30, 17). Placed so the mask box starts at
    // (100, 200).
    CElement e(1);
    e.SetPosition(130, 217);
    struct Case {
        float x, y, reach;
        bool hit;
    } cases[] = {
        {120, 225, 0, true},     // inside the up cell
        {140, 5 + 200, 0, true}, // inside the down cell near its top
        {101, 202, 0, false},    // top-left corner: outside the up triangle
        {157, 202, 0, true},     // top right of the down cell
        {159, 202, 0, false},    // past its slanted edge
        {161, 230, 0, false},    // right of the down cell, in the next column's strip
        {99, 220, 0, false},     // left of the mask box
        {120, 199, 0, false},    // above it
        {120, 240, 0, false},    // second row: empty
        {135, 222, 8, true},     // pulled onto the position
        {101, 202, 8, false},    // far corner: pulled 8 pixels only, still outside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " reach " << c.reach);
        EXPECT_EQ(e.HitTest(c.x, c.y, c.reach), c.hit);
    }
    // Turned, the mask turns with it: rotation 1 is the vertical diamond (0, 0) and (0, 1).
    e.SetRotation(1);
    e.SetPosition(100 + 20, 200 + 35);
    EXPECT_TRUE(e.HitTest(120, 260, 0));
    EXPECT_FALSE(e.HitTest(150, 220, 0));
}

TEST_F(ElementTest, LightCellWeights)
{
    struct Case {
        int d;
        int one;
        float oneWeight;
        int other;
        float otherWeight;
    } cases[] = {
        {0, 5, 1, 6, 0.01f / 45.01f},
        {90, 3, 1, 4, 0.01f / 45.01f},
        {22, 4, 1 - 23 / 45.01f, 5, 1 - 22 / 45.01f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.d);
        auto cells = CElement::LightCellsForDirection(c.d);
        auto weightOf = [&](int cell) {
            return cell == cells.odd ? cells.oddWeight : (cell == cells.even ? cells.evenWeight : -1.f);
        };
        EXPECT_NEAR(weightOf(c.one), c.oneWeight, 1e-5);
        EXPECT_NEAR(weightOf(c.other), c.otherWeight, 1e-5);
    }
}

TEST_F(ElementTest, TurnedPictureDrawsLikeTheTurnedDraw)
{
    // A picture with an opaque body, a soft edge and a gradient, drawn at every rotation step both
    // ways onto the same background: the cached copy must give the same pixels.
    Olvarn::MemoryImage picture;
    picture.Create(60, 40);
    uint32_t* bits = picture.GetBits();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            uint32_t alpha = (x < 3 || y < 3) ? 0x60 : 0xFF;
            bits[y * 60 + x] = (alpha << 24) | (uint32_t(x * 4) << 16) | (uint32_t(y * 6) << 8) | 0x40;
        }
    picture.BitsChanged();
    SetBoardImageLookup([&](const std::string& id) { return id == "IMAGE_TEST_TURNED" ? &picture : nullptr; });
    ElementTypes()[1].mImageId = "IMAGE_TEST_TURNED";
    ElementTypes()[1].image_center = FPoint(23, 17);
    for (int rotation = 1; rotation < 6; ++rotation) {
        SCOPED_TRACE(rotation);
        Olvarn::MemoryImage direct, cached;
        for (auto* frame : {&direct, &cached}) {
            frame->Create(160, 160);
            uint32_t* f = frame->GetBits();
            for (int i = 0; i < 160 * 160; ++i)
                f[i] = 0xFF204080;
            frame->BitsChanged();
        }
        CElement e(1);
        e.SetRotation(rotation);
        e.SetPosition(80.6f, 79.2f);
        CElement::SetTurnedPictureCache(false);
        {
            Olvarn::Graphics g(&direct);
            e.Draw(g);
        }
        CElement::SetTurnedPictureCache(true);
        {
            Olvarn::Graphics g(&cached);
            e.Draw(g);
        }
        const uint32_t* a = direct.GetBits();
        const uint32_t* b = cached.GetBits();
        int worst = 0, changed = 0;
        for (int i = 0; i < 160 * 160; ++i) {
            changed += a[i] != 0xFF204080;
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
        }
        EXPECT_GT(changed, 1500); // the piece was drawn
        EXPECT_LE(worst, 2);
    }
    ElementTypes()[1].mImageId.clear();
    SetBoardImageLookup(nullptr);
    CElement::ClearTurnedPictures();
}

TEST_F(ElementTest, PiecesDrawFromTheirGroupAfterItWasUnloadedAndLoadedAgain)
{
    // The types are read before the group "Game" loads; its unload deletes the pictures. A type
    // that kept the first pictures would draw freed memory after the reload.
    restest::TestApp app;
    testsupport::TempDir dir;
    restest::WriteSolidPng(dir.File("piece.png"), 60, 40, 0xFF30A050);
    dir.WriteFile("resources.xml", "<?xml version=\"1.0\"?>\n<ResourceManifest>\n<Resources id=\"Game\">\n"
                                   "<Image path=\"" +
                                       dir.File("piece.png") +
                                       "\" id=\"IMAGE_TEST_PIECE\" nopal />\n</Resources>\n</ResourceManifest>\n");
    Olvarn::ResourceManager manager(&app);
    ASSERT_TRUE(manager.ReadManifest(dir.File("resources.xml")));
    SetBoardImageLookup([&](const std::string& id) -> Olvarn::Image* { return manager.FindImage(id); });
    ElementTypes()[1].mImageId = "IMAGE_TEST_PIECE";
    ElementTypes()[1].image_center = FPoint(20, 20);

    // The colour at the piece's centre after drawing it at rest at each rotation (turned copies are cached).
    auto drawn = [&] {
        std::vector<uint32_t> colours;
        for (int rotation : {0, 2}) {
            Olvarn::MemoryImage frame;
            frame.Create(120, 120);
            CElement e(1);
            e.SetRotation(rotation);
            e.SetPosition(60, 60);
            {
                Olvarn::Graphics g(&frame);
                e.Draw(g);
            }
            // The green channel: the picture's is 0xA0, the empty frame's 0.
            colours.push_back((frame.GetBits()[60 * 120 + 60] >> 8 & 0xFF) > 0x90);
        }
        return colours;
    };
    ASSERT_TRUE(manager.LoadGroup("Game")) << manager.ErrorMessage();
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{1, 1}));
    manager.UnloadGroup("Game");
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{0, 0})) << "no picture, nothing drawn";
    ASSERT_TRUE(manager.LoadGroup("Game")) << manager.ErrorMessage();
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{1, 1}));

    manager.UnloadGroup("");
    ElementTypes()[1].mImageId.clear();
    SetBoardImageLookup(nullptr);
    CElement::ClearTurnedPictures();
}
