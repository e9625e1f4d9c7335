#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "BoardFixture.h"
#include "board/CGrid.h"
#include "graphics/MemoryImage.h"

using namespace tilvan;

namespace
{

std::array<bool, CGrid::kCells> AllEnabled(bool on = true)
{
    std::array<bool, CGrid::kCells> a;
    a.fill(on);
    return a;
}

// An element whose mask origin sits exactly 35 pixels above cell (c, r) of a grid at offset, moved by
// (dx, dy): where a player's drop on that cell puts it.
CElement DropAt(int type, int rotation, FPoint offset, int c, int r, float dx = 0, float dy = 0)
{
    CElement e(type);
    e.SetRotation(rotation);
    FPoint centre = e.GetCenter();
    e.SetPosition(offset.x + c * 20 + centre.x + dx, offset.y + r * 35 - 35 + centre.y + dy);
    return e;
}

struct GridTest : ::testing::Test {
    void SetUp() override
    {
        boardtest::LoadTestTypes();
        Olvarn::ThreadRandom().Seed(7);
        SetBoardEvents(&events);
        grid.Configure(offset, AllEnabled());
    }
    void TearDown() override { SetBoardEvents(nullptr); }
    boardtest::CountingEvents events;
    FPoint offset{100, 50};
    CGrid grid;
};

} // namespace

TEST_F(GridTest, GetCellBounds)
{
    EXPECT_EQ(grid.GetCell(39, 19), &grid.GetCells()[799]);
    EXPECT_EQ(grid.GetCell(0, 20), nullptr);
    EXPECT_EQ(grid.GetCell(40, 0), nullptr);
    EXPECT_EQ(grid.GetCell(-1, 0), nullptr);
    // Geometry includes the offset; up when column + row is even.
    const CGridCell* up = grid.GetCell(2, 4);
    EXPECT_TRUE(up->up);
    EXPECT_FLOAT_EQ(up->center.x, 100 + 40 + 20);
    EXPECT_FLOAT_EQ(up->center.y, 50 + 140 + 23);
    EXPECT_FALSE(grid.GetCell(3, 4)->up);
    EXPECT_FLOAT_EQ(grid.GetCell(3, 4)->center.y, 50 + 140 + 12);
}

TEST_F(GridTest, CellAtPoint)
{
    struct Case {
        int x, y; // grid-local
        int c, r; // -1: none
    } cases[] = {
        {20, 30, 0, 0},                                        // the middle of up-cell (0, 0)
        {2, 33, 0, 0},                                         // just right of its left edge
        {2, 2, -1, 0},                                         // left of it: the down-cell of column -1, outside
        {40, 5, 1, 0},                                         // down-cell (1, 0) near its top
        {30, 30, 0, 0},     {46, 30, 2, 0},    {60, 40, 2, 1}, // row 1: (2, 1) is down
        {799, 699, 39, 19}, {400, 701, -1, 0},                 // just below row 19
        {0, -10, -1, 0},                                       // above the origin: no longer row 0
        {-5, 20, -1, 0},                                       // left of the origin
        {-19, 34, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        CGridCell* cell = grid.CellAtPoint(c.x + 100, c.y + 50);
        if (c.c < 0) {
            EXPECT_EQ(cell, nullptr);
        } else {
            EXPECT_EQ(cell, grid.GetCell(c.c, c.r));
        }
    }
}

TEST_F(GridTest, SnapAcceptanceBox)
{
    struct Case {
        int type, rotation;
        float dx, dy;
        bool inserted;
    } cases[] = {
        {0, 0, 0, 0, true},       {0, 0, 18, 0, true},      {0, 0, -18, 5, true},    {0, 0, -18, 15.5f, false},
        {0, 0, 18.01f, 0, false}, {0, 0, 0, 15.51f, false}, {0, 0, 0, -15.5f, true}, {1, 0, 9, -9, true},
        {1, 1, 0, 0, true},       {2, 0, -17, 10, true},    {3, 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " rot " << c.rotation << " d " << c.dx << "," << c.dy);
        grid.Configure(offset, AllEnabled());
        CElement e = DropAt(c.type, c.rotation, offset, 10, 6, c.dx, c.dy);
        bool outside = true;
        EXPECT_EQ(grid.InsertElement(e, nullptr, &outside), c.inserted);
        EXPECT_FALSE(outside);
        if (c.inserted) {
            ASSERT_EQ(grid.GetElements().size(), 1u);
            EXPECT_EQ(grid.GetElements()[0]->x, 10);
            EXPECT_EQ(grid.GetElements()[0]->y, 6);
        }
    }
}

TEST_F(GridTest, OddLatticePointSnapsToNearestNeighbour)
{
    // Lattice point (11, 6) has an odd column + row: the drop goes to the nearest even neighbour, and
    // snaps only when that neighbour is inside the acceptance box (2 left and 15 down is nearest to
    // the cell below, 20 pixels off).
    struct Case {
        float dx, dy;
        int c, r; // -1: no snap
    } cases[] = {{-2, 0, 10, 6}, {2, 0, 12, 6}, {-2, 15, -1, 0}, {0, 0, -1, 0}, {0, 10, -1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        grid.Configure(offset, AllEnabled());
        bool inserted = grid.InsertElement(DropAt(0, 0, offset, 11, 6, c.dx, c.dy));
        ASSERT_EQ(inserted, c.c >= 0);
        if (inserted) {
            EXPECT_EQ(grid.GetElements()[0]->x, c.c);
            EXPECT_EQ(grid.GetElements()[0]->y, c.r);
        }
    }
}

TEST_F(GridTest, FitsAtEdgesAndOverDisabledCells)
{
    auto enabled = AllEnabled();
    enabled[5 * 20 + 5] = false; // (5, 5) disabled
    struct Case {
        int type, c, r;
        bool inserted, outside;
    } cases[] = {
        {2, 36, 0, true, false},  // bar of four ending at column 39
        {2, 38, 0, false, false}, // runs off the right edge, partly on the board
        {0, 0, 0, true, false},   {0, 39, 19, true, false}, {1, 4, 5, false, false}, // covers (5, 5)
        {3, 0, 18, true, false},                                                     // hexagon in the last two rows
        {3, 0, 19, false, false}, // its lower half is below the board
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.c << "," << c.r);
        grid.Configure(offset, enabled);
        CElement e = DropAt(c.type, 0, offset, c.c, c.r);
        bool outside = false;
        EXPECT_EQ(grid.InsertElement(e, nullptr, &outside), c.inserted);
        EXPECT_EQ(outside, c.outside);
    }
}

TEST_F(GridTest, OutsideFlag)
{
    auto enabled = AllEnabled(false);
    enabled[20 * 20 + 10] = true;
    grid.Configure(offset, enabled);
    bool outside = false;
    // Over disabled cells only: outside.
    EXPECT_FALSE(grid.InsertElement(DropAt(0, 0, offset, 2, 2), nullptr, &outside));
    EXPECT_TRUE(outside);
    // Left of the grid: outside and no notification.
    int failed = events.failed;
    CElement left(0);
    left.SetPosition(offset.x - 1, 300);
    EXPECT_FALSE(grid.InsertElement(left, nullptr, &outside));
    EXPECT_TRUE(outside);
    EXPECT_EQ(events.failed, failed);
    // Over an occupied enabled cell: neither fit nor outside.
    ASSERT_TRUE(grid.InsertElement(DropAt(0, 0, offset, 20, 10)));
    EXPECT_FALSE(grid.InsertElement(DropAt(0, 0, offset, 20, 10), nullptr, &outside));
    EXPECT_FALSE(outside);
    // A turning element is refused.
    CElement turning = DropAt(1, 0, offset, 20, 10);
    turning.RotateForward();
    EXPECT_FALSE(grid.InsertElement(turning));
}

TEST_F(GridTest, InsertionMarksCellsScoresAndRests)
{
    CElement e = DropAt(3, 0, offset, 4, 2);
    ASSERT_TRUE(grid.InsertElement(e));
    for (int c = 4; c < 7; ++c)
        for (int r = 2; r < 4; ++r)
            EXPECT_FALSE(grid.GetCell(c, r)->free) << c << "," << r;
    EXPECT_TRUE(grid.GetCell(7, 2)->free);
    EXPECT_EQ(events.inserted, 1);
    EXPECT_EQ(events.score, 10);
    EXPECT_FLOAT_EQ(grid.GetCompletion(), 6.0f / 800);
    // The copy comes to rest 35 pixels lower.
    CElement& placed = grid.GetElements()[0]->element;
    for (int i = 0; i < 100 && placed.IsMoving(); ++i)
        placed.Update(10, 10);
    EXPECT_FLOAT_EQ(placed.GetPosition().x, e.GetPosition().x);
    EXPECT_FLOAT_EQ(placed.GetPosition().y, e.GetPosition().y + 35);
}

TEST_F(GridTest, PearlsShownAtThresholdAndCollectedUnderPieces)
{
    auto enabled = AllEnabled(false);
    for (int c = 0; c < 10; ++c)
        enabled[c * 20] = true; // ten cells of row 0
    grid.Configure(offset, enabled);
    grid.AddPearl();
    grid.AddPearl();
    grid.GetPearls()[0]->min_percent = 0.4f;
    grid.GetPearls()[1]->min_percent = 0.9f;
    ASSERT_TRUE(grid.InsertElement(DropAt(2, 0, offset, 0, 0))); // four cells
    EXPECT_FLOAT_EQ(grid.GetCompletion(), 0.4f);
    CGridPearl& shown = *grid.GetPearls()[0];
    ASSERT_TRUE(shown.pearl.IsShown());
    EXPECT_FALSE(grid.GetPearls()[1]->pearl.IsShown());
    EXPECT_EQ(shown.y, 0);
    EXPECT_GE(shown.x, 4);
    // The waiting pearl's cell is left alone; covering the shown one collects it once.
    int c = shown.x;
    bool taken = false;
    CElement one = DropAt(0, c % 2, offset, c % 2 ? c - 1 : c, 0);
    ASSERT_TRUE(grid.InsertElement(one, &taken));
    EXPECT_TRUE(taken);
    EXPECT_EQ(events.pearls, 1);
    EXPECT_EQ(grid.GetPearls().size(), 1u);
}

TEST_F(GridTest, RemovalFreesCellsAndClearsFull)
{
    auto enabled = AllEnabled(false);
    enabled[0] = enabled[20] = true;
    grid.Configure(offset, enabled);
    ASSERT_TRUE(grid.InsertElement(DropAt(1, 0, offset, 0, 0)));
    grid.Update(10);
    EXPECT_TRUE(grid.IsFull());
    CElement stranger(1);
    EXPECT_FALSE(grid.RemoveElement(&stranger));
    EXPECT_TRUE(grid.IsFull());
    const CElement* placed = &grid.GetElements()[0]->element;
    EXPECT_EQ(grid.ElementAt(static_cast<int>(offset.x + 20), static_cast<int>(offset.y + 25)), placed);
    EXPECT_TRUE(grid.RemoveElement(placed));
    EXPECT_FALSE(grid.IsFull());
    EXPECT_TRUE(grid.GetCell(0, 0)->free);
    EXPECT_TRUE(grid.GetCell(1, 0)->free);
    EXPECT_FLOAT_EQ(grid.GetCompletion(), 0);
}

TEST_F(GridTest, CanPlaceAnywhereAgreesWithExhaustiveSearch)
{
    // Random boards at several fill levels: the bit-column search must agree with trying every
    // up-cell in every rotation one by one, and must leave the rotation alone.
    Olvarn::Random rng(99);
    for (int round = 0; round < 50; ++round) {
        auto enabled = AllEnabled();
        for (auto&& b : enabled)
            b = rng.Next() % 100 < 90;
        grid.Configure(offset, enabled);
        int fill = rng.Next() % 100;
        for (int i = 0; i < CGrid::kCells; ++i)
            if (rng.Next() % 100 < fill)
                const_cast<CGridCell&>(grid.GetCells()[i]).free = false;
        for (int type = 0; type < 4; ++type) {
            CElement e(type);
            e.SetRotation(rng.Next() % 6);
            int before = e.GetRotation();
            bool expected = false;
            int fit[3] = {-1, -1, -1};
            for (int step = 1; step <= 6 && !expected; ++step) {
                CElement t(type);
                t.SetRotation((before + step) % 6);
                for (int c = 0; c < 40 && !expected; ++c)
                    for (int r = 0; r < 20 && !expected; ++r)
                        if ((c + r) % 2 == 0 && grid.Fits(t.GetShape(), c, r)) {
                            expected = true;
                            fit[0] = t.GetRotation(), fit[1] = c, fit[2] = r;
                        }
            }
            ASSERT_EQ(grid.CanPlaceAnywhere(e), expected) << "round " << round << " type " << type;
            int got[3] = {-1, -1, -1};
            grid.FindFit(e, got[0], got[1], got[2]);
            EXPECT_EQ(std::vector<int>(got, got + 3), std::vector<int>(fit, fit + 3));
            EXPECT_EQ(e.GetRotation(), before);
        }
    }
    // A board without a free enabled cell takes nothing.
    grid.Configure(offset, AllEnabled(false));
    CElement one(0);
    EXPECT_FALSE(grid.CanPlaceAnywhere(one));
}

TEST_F(GridTest, BlinkWaitsForAnElement)
{
    CGrid::SetBlinkConstants(500, 1000);
    CGrid g;
    g.Configure(offset, AllEnabled());
    g.Update(1500);
    EXPECT_LT(g.GetBlinkTimer(), 0);
    ASSERT_TRUE(g.InsertElement(DropAt(0, 0, offset, 0, 0)));
    g.Update(10);
    EXPECT_FLOAT_EQ(g.GetBlinkTimer(), 1000);
    CGrid::SetBlinkConstants(500, 10000);
}

TEST_F(GridTest, BoardWithoutCellsDoesNotDivide)
{
    grid.Configure(offset, AllEnabled(false));
    grid.AddPearl();
    grid.UpdateCompletion();
    EXPECT_FLOAT_EQ(grid.GetCompletion(), 0);
    EXPECT_FALSE(grid.GetPearls()[0]->pearl.IsShown());
    EXPECT_EQ(grid.GetBackground().mImage, nullptr);
}

TEST_F(GridTest, BackgroundExtent)
{
    auto enabled = AllEnabled(false);
    for (int c = 3; c <= 36; ++c)
        for (int r = 2; r <= 17; ++r)
            enabled[c * 20 + r] = true;
    grid.Configure(offset, enabled);
    ASSERT_NE(grid.GetBackground().mImage, nullptr);
    EXPECT_EQ(grid.GetBackground().mImage->GetWidth(), 740);
    EXPECT_EQ(grid.GetBackground().mImage->GetHeight(), 630);
    EXPECT_FLOAT_EQ(grid.GetBackground().mPosition.x, offset.x + 40);
    EXPECT_FLOAT_EQ(grid.GetBackground().mPosition.y, offset.y + 35);
    auto& bg = grid.GetBackground();
    struct Fade {
        float total, left;
        int alpha;
    } fades[] = {{1000, 500, 128}, {1000, 0, 0}, {0, 0, -1}, {1000, 1000, 255}};
    for (const auto& f : fades) {
        bg.mFadeTotal = f.total;
        bg.mFadeLeft = f.left;
        EXPECT_EQ(bg.FadeAlpha(), f.alpha);
    }
}

TEST_F(GridTest, EdgePicturesTowardMissingNeighbours)
{
    auto enabled = AllEnabled(false);
    auto on = [&](int c, int r) { enabled[c * 20 + r] = true; };
    on(0, 0);   // up, at the left and top of the board
    on(1, 0);   // down, right of it
    on(39, 1);  // up, at the right edge
    on(20, 19); // down, in the last row
    on(21, 19); // up, sharing a slanted edge with it
    on(21, 18); // down, touching (21, 19) only at a corner
    grid.Configure(offset, enabled);
    using V = std::vector<std::string>;
    struct Case {
        int c, r;
        V ids;
    } cases[] = {
        {0, 0, {"IMAGE_GRID_TRI_UP", "IMAGE_GRID_TRI_EDGE03", "IMAGE_GRID_TRI_EDGE01"}},
        {1, 0, {"IMAGE_GRID_TRI_DOWN", "IMAGE_GRID_TRI_EDGE05", "IMAGE_GRID_TRI_EDGE04"}},
        {39, 1, {"IMAGE_GRID_TRI_UP", "IMAGE_GRID_TRI_EDGE03", "IMAGE_GRID_TRI_EDGE02", "IMAGE_GRID_TRI_EDGE01"}},
        {20, 19, {"IMAGE_GRID_TRI_DOWN", "IMAGE_GRID_TRI_EDGE06", "IMAGE_GRID_TRI_EDGE04"}},
        {21, 19, {"IMAGE_GRID_TRI_UP", "IMAGE_GRID_TRI_EDGE02", "IMAGE_GRID_TRI_EDGE01"}},
        {21, 18, {"IMAGE_GRID_TRI_DOWN", "IMAGE_GRID_TRI_EDGE06", "IMAGE_GRID_TRI_EDGE05", "IMAGE_GRID_TRI_EDGE04"}},
        {5, 5, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.c << "," << c.r);
        auto got = CGridBackground::CellPictures(grid.GetCells(), c.c, c.r);
        EXPECT_EQ(V(got.begin(), got.end()), c.ids);
    }
}
