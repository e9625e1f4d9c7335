#include <gtest/gtest.h>

#include "BoardFixture.h"
#include "board/CPipeline.h"
#include "graphics/MemoryImage.h"

using namespace tilvan;

namespace
{

struct PipelineTest : ::testing::Test {
    void SetUp() override
    {
        boardtest::LoadTestTypes();
        Olvarn::ThreadRandom().Seed(3);
        SetBoardEvents(&events);
    }
    void TearDown() override { SetBoardEvents(nullptr); }
    std::vector<int> SpacePositions()
    {
        std::vector<int> out;
        for (const auto& pe : pipe.GetElements())
            out.push_back(pe->space_pos);
        return out;
    }
    boardtest::CountingEvents events;
    boardtest::FlatWater water;
    CPipeline pipe{&water};
};

// Type 0 is 2 slots wide, type 1 3 slots, type 2 5 slots.

} // namespace

TEST_F(PipelineTest, RefusesWaterWithoutSurface)
{
    boardtest::FlatWater missing(-1);
    try {
        CPipeline p(&missing);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("IMAGE_WATER_ANIM"), std::string::npos);
    }
}

TEST_F(PipelineTest, SlotArithmeticPendingAndOverflow)
{
    EXPECT_FLOAT_EQ(pipe.get_full_percents(), 0);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(pipe.AddElement(CElement(2), 10, 0, false)); // 8 x 5 = 40 slots
    EXPECT_EQ(pipe.free_space, 3);
    EXPECT_EQ(events.created, 8);
    EXPECT_FLOAT_EQ(pipe.get_full_percents(), 40.0f / 43);
    // Width 3 fits exactly into 40..42; the next one has no room.
    ASSERT_TRUE(pipe.AddElement(CElement(1), 10, 0, false));
    EXPECT_EQ(pipe.free_space, 0);
    ASSERT_TRUE(pipe.AddElement(CElement(0), 1000, 0, false));
    EXPECT_TRUE(pipe.is_nearly_full);
    EXPECT_EQ(pipe.GetElements().back()->space_pos, -1);
    EXPECT_FLOAT_EQ(pipe.GetElements().back()->element.GetPosition().x, 20 * 41 + 20);
    // While one waits, nothing more is added.
    EXPECT_FALSE(pipe.AddElement(CElement(0), 10, 0, false));
    EXPECT_EQ(pipe.GetElements().size(), 10u);
    // It lands without a slot: the level is lost, and stays lost.
    for (int i = 0; i < 400 && !pipe.is_full; ++i)
        pipe.Update(10);
    EXPECT_TRUE(pipe.is_full);
    EXPECT_GT(events.dropped, 0);
    pipe.RemoveElement(&pipe.GetElements()[0]->element, false, false);
    EXPECT_TRUE(pipe.is_full);
    EXPECT_FALSE(pipe.is_nearly_full); // the waiting element got the trailing slots
}

TEST_F(PipelineTest, RemovalClosesUpAndPlacesPending)
{
    for (int t : {0, 1, 2, 0})
        pipe.AddElement(CElement(t), 10, 0, false);
    EXPECT_EQ(SpacePositions(), (std::vector<int>{0, 2, 5, 10}));
    CElement stranger(0);
    EXPECT_FALSE(pipe.RemoveElement(&stranger, false, false));
    ASSERT_TRUE(pipe.RemoveElement(&pipe.GetElements()[1]->element, false, false));
    EXPECT_EQ(SpacePositions(), (std::vector<int>{0, 2, 7}));
    EXPECT_FLOAT_EQ(pipe.GetElements()[1]->target_x, 2 * 20 + 20);
    EXPECT_EQ(pipe.free_space, 43 - 9);
    EXPECT_EQ(pipe.SlotOf(8), 2);
    EXPECT_EQ(pipe.SlotOf(9), -1);
}

TEST_F(PipelineTest, PutBackChoosesNearestAndShiftsRight)
{
    for (int i = 0; i < 3; ++i)
        pipe.AddElement(CElement(0), 10, 0, false); // slots 0, 2, 4; element x 20, 60, 100
    struct Case {
        float x;
        std::vector<int> expected; // space_pos of every element, the put-back one last
    } cases[] = {
        {200, {0, 2, 4, 6}}, // right of the run: first free slot, nobody moves
        {62, {0, 4, 6, 2}},  // over the middle: takes slot 2, the rest move right
        {40, {2, 4, 6, 0}},  // 20 pixels from both the first and the second piece: the lower slot wins
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        CPipeline p(&water);
        for (int i = 0; i < 3; ++i)
            p.AddElement(CElement(0), 10, 0, false);
        CElement back(0);
        back.SetPosition(c.x, 300);
        ASSERT_TRUE(p.InsertElementAt(back, 90, 30));
        std::vector<int> got;
        for (const auto& pe : p.GetElements())
            got.push_back(pe->space_pos);
        EXPECT_EQ(got, c.expected);
        EXPECT_TRUE(p.IsInserted(&p.GetElements().back()->element));
        EXPECT_FALSE(p.IsInserted(&p.GetElements()[0]->element));
    }
    // Exactly w free slots accept, fewer refuse.
    CPipeline full(&water);
    for (int i = 0; i < 8; ++i)
        full.AddElement(CElement(2), 10, 0, false);
    full.AddElement(CElement(0), 10, 0, false); // 42 slots taken
    CElement two(0);
    EXPECT_FALSE(full.InsertElementAt(two, 90, 30));
}

TEST_F(PipelineTest, ResetClearsFadingAndFadingRefuses)
{
    pipe.AddElement(CElement(0), 10, 0, false);
    pipe.FadeOut(100);
    EXPECT_FALSE(pipe.AddElement(CElement(0), 10, 0, false));
    EXPECT_EQ(pipe.FindElementAt(20, 0), nullptr);
    EXPECT_FALSE(pipe.AddBonusElement(CElement(0)));
    pipe.Reset();
    EXPECT_FALSE(pipe.IsFading());
    EXPECT_TRUE(pipe.AddElement(CElement(0), 10, 0, false));
}

TEST_F(PipelineTest, CrabWithWiderReplacementShiftsFromTheTop)
{
    // Make type 0 the widest: the crab turns floating pieces into it and the later ones must move
    // right without being written over.
    std::swap(ElementTypes()[0], ElementTypes()[2]);
    pipe.AddElement(CElement(1), 10, 0, true); // width 3 at 0
    pipe.AddElement(CElement(1), 10, 0, true); // width 3 at 3
    pipe.AddElement(CElement(3), 10, 0, true); // width 4 at 6
    pipe.Update(10);                           // all land
    pipe.CollectWaterBonuses();
    auto pos = SpacePositions();
    EXPECT_EQ(pos, (std::vector<int>{0, 5, 10}));
    for (int s = 0; s < 15; ++s)
        EXPECT_NE(pipe.SlotOf(s), -1) << s;
    for (const auto& pe : pipe.GetElements())
        EXPECT_EQ(pe->element.GetId(), 0);
    EXPECT_EQ(events.crabReached, 3);
    EXPECT_EQ(events.crabDone, 1);
    // Nothing left to change: no sound.
    pipe.CollectWaterBonuses();
    EXPECT_EQ(events.crabDone, 1);
    boardtest::LoadTestTypes();
}

TEST_F(PipelineTest, LoadedOverlappingSlotsAreRejected)
{
    CPipelineElement a(&pipe, CElement(1), 0, 0, 0, 0, 4, 0);
    CPipelineElement b(&pipe, CElement(1), 0, 0, 0, 0, 6, 0);
    pipe.AppendLoaded(a);
    pipe.AppendLoaded(b);
    EXPECT_THROW(pipe.ReoccupySlots(), std::runtime_error);
    CPipeline ok(&water);
    CPipelineElement c(&ok, CElement(1), 0, 0, 0, 0, 7, 0);
    ok.AppendLoaded(a);
    ok.AppendLoaded(c);
    EXPECT_NO_THROW(ok.ReoccupySlots());
    EXPECT_EQ(ok.SlotOf(9), 1);
}

TEST_F(PipelineTest, FloatingRowDriftsAndDropsOff)
{
    // Pictures are absent here, so the cell and image widths are 0 and pieces are placed at their
    // left edges; the drift and the drop rule are what is checked.
    CPipeline::SetBonusElementVelocity(-100);
    EXPECT_TRUE(pipe.CanAddBonusElement());
    ASSERT_TRUE(pipe.AddBonusElement(CElement(0)));
    auto& row = pipe.GetBonusElements();
    EXPECT_FLOAT_EQ(row.front().GetPosition().x, 20); // left edge at 0
    EXPECT_FLOAT_EQ(row.front().GetPosition().y, 605);
    pipe.Update(100); // 10 pixels left: its right edge (x - cx + 0) is now below 0
    EXPECT_TRUE(row.empty());
    CPipeline::SetBonusElementVelocity(0);
    pipe.AddBonusElement(CElement(0));
    pipe.Update(5000);
    EXPECT_EQ(row.size(), 1u);
    EXPECT_TRUE(pipe.IsInWater(&row.front()));
    EXPECT_EQ(pipe.FindElementAt(20, 605), &row.front());
    EXPECT_TRUE(pipe.RemoveElement(&row.front(), false, false));
}

TEST_F(PipelineTest, FloatingRowStopsAt877)
{
    CPipeline::SetBonusElementVelocity(0);
    CElement e(0);
    pipe.AddBonusElement(e);
    pipe.GetBonusElements().back().SetPosition(876.9f + 20, 600);
    EXPECT_TRUE(pipe.CanAddBonusElement());
    pipe.GetBonusElements().back().SetPosition(877 + 20, 600);
    EXPECT_FALSE(pipe.CanAddBonusElement());
}

TEST_F(PipelineTest, FloatingRowTravelsAsATrain)
{
    // 60-pixel pictures (image_center x is 20): each piece's left edge is x - 20, right edge x + 40.
    Olvarn::MemoryImage picture;
    picture.Create(60, 30);
    SetBoardImageLookup([&](const std::string& id) { return id == "IMAGE_TEST_WIDE" ? &picture : nullptr; });
    ElementTypes()[0].mImageId = "IMAGE_TEST_WIDE";
    CPipeline::SetBonusElementVelocity(100);
    auto& row = pipe.GetBonusElements();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(pipe.AddBonusElement(CElement(0)));
    std::vector<float> xs;
    for (const auto& e : row)
        xs.push_back(e.GetPosition().x);
    EXPECT_EQ(xs, (std::vector<float>{20, 80, 140})); // side by side from x = 0
    // Only the newest moves by itself; the older ones stand until pushed.
    pipe.Update(100);
    EXPECT_FLOAT_EQ(row[2].GetPosition().x, 150);
    EXPECT_FLOAT_EQ(row[1].GetPosition().x, 80);
    // Drive it backwards: the newest pushes the others, each right edge on the next one's left edge.
    CPipeline::SetBonusElementVelocity(-100);
    pipe.Update(500); // newest at 100
    EXPECT_FLOAT_EQ(row[2].GetPosition().x, 100);
    EXPECT_FLOAT_EQ(row[1].GetPosition().x, 40);
    EXPECT_FLOAT_EQ(row[0].GetPosition().x, -20);
    // A gap left by a taken piece stays until the newer part reaches the older.
    ASSERT_TRUE(pipe.RemoveElement(&row[1], false, false));
    pipe.Update(100);
    EXPECT_FLOAT_EQ(row[1].GetPosition().x, 90);
    EXPECT_FLOAT_EQ(row[0].GetPosition().x, -20);
    // The oldest leaves once its right edge (x - 20 + 60) is below 0.
    pipe.Update(1000);
    EXPECT_EQ(row.size(), 1u);
    for (auto& e : row)
        e.SetTremble(false);
    ElementTypes()[0].mImageId.clear();
    SetBoardImageLookup(nullptr);
    CPipeline::SetBonusElementVelocity(0);
}
