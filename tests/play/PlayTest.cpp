// The play state's clocks, the level's end order, focus loss, the click road, birds and creatures
// in the level, the player's record and the bonus numbering.
#include <gtest/gtest.h>

#include "board/BoardFixture.h"
#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "data/StartupRegistrations.h"
#include "graphics/Image.h"
#include "play/CPlay.h"
#include "play/PlayHooks.h"
#include "play/PlayRegistrations.h"
#include "play/TestWater.h"
#include "resources/XMLParser.h"
#include "support/TempDir.h"
#include "world/AnimalComponents.h"
#include "world/AnimalConfig.h"
#include "world/CEnvironment.h"

using namespace tilvan;

namespace
{

struct RecordingPanel : CPlayPanel {
    std::vector<int>* pressed;
    explicit RecordingPanel(std::vector<int>* p) : pressed(p) {}
    void Init() override {}
    void SetBonusLevel(bool) override {}
    void Update(float) override {}
    void Draw(Olvarn::Graphics&) override {}
    void OnButton(int id, CCursor&) override { pressed->push_back(id); }
    void KeyDown(int, CCursor&) override {}
};

class PlayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetPlayHooksEnabled(false);
        boardtest::LoadTestTypes();
        CPlayerInfo::Instance().Reset();
        PlayMakers().panel = [this](CPlay&) { return std::make_unique<RecordingPanel>(&pressed); };
        play = std::make_unique<CPlay>(nullptr);
    }
    void TearDown() override
    {
        play.reset();
        PlayMakers().panel = nullptr;
    }
    // A board of the single up cell (0, 0) at offset (100, 100).
    void OneCellBoard()
    {
        std::array<bool, CGrid::kCells> enabled{};
        enabled[0] = true;
        play->Level().Grid().Configure(FPoint(100, 100), enabled);
    }
    CElement PieceOnCell() const
    {
        CElement e(0, 0);
        // The anchor that snaps the one-cell shape's origin onto cell (0, 0).
        e.SetPosition(100 + e.GetCenter().x, 100 + e.GetCenter().y - 35);
        return e;
    }

    // The level's pieces float on the world's water, which needs its wave picture.
    TestWater water;
    std::vector<int> pressed;
    std::unique_ptr<CPlay> play;
};

} // namespace

TEST_F(PlayTest, TheLevelFloatsItsPiecesOnTheWorldsWater)
{
    CLevel& level = play->Level();
    EXPECT_EQ(level.GetWaterLine(), level.Water().GetY());
    const int calm = level.Water().GetSurfaceY(100);
    EXPECT_GT(calm, level.Water().GetY()) << "the surface lies below the water line";
    // The water advances on the level's scaled clock.
    play->Level().Update(300, 1000);
    EXPECT_FLOAT_EQ(level.Water().GetTime(), 300);
}

TEST_F(PlayTest, ABirdUnderAFreeCursorIsCaughtOnceForItsScore)
{
    int fades = 0, scores = 0;
    auto& makers = level_effects::LevelEffectMakers();
    makers.fadeImage = [&](const CImage&, FPoint, int ms) {
        EXPECT_EQ(ms, 500);
        ++fades;
        return level_effects::EffectPtr();
    };
    makers.floatingScore = [&](int score, FPoint) {
        EXPECT_EQ(score, 250);
        ++scores;
        return level_effects::EffectPtr();
    };
    CBirdKind kind;
    kind.miny = 100;
    kind.maxy = 200;
    kind.deltay = 50;
    kind.speed = 100;
    kind.score = 250;
    CBirdController::Kinds() = {kind};
    CLevel& level = play->Level();
    level.Birds().Spawn(0);
    ASSERT_EQ(level.Birds().Birds().size(), 1u);
    Olvarn::Image picture;
    picture.mWidth = 40;
    picture.mHeight = 30;
    CBird& bird = const_cast<CBird&>(level.Birds().Birds().front());
    bird.GetImage().SetImage(&picture);
    const int x = int(bird.GetPosition().x), y = int(bird.GetPosition().y);

    EXPECT_FALSE(level.MouseDown(x, y, 1, play->Cursor())) << "no catching before the level has started";
    level.Start();
    const int before = CPlayerInfo::Instance().score;
    EXPECT_TRUE(level.MouseDown(x, y, 1, play->Cursor()));
    EXPECT_EQ(CPlayerInfo::Instance().score - before, 250);
    EXPECT_TRUE(bird.IsFinished());
    EXPECT_FALSE(level.MouseDown(x, y, 1, play->Cursor())) << "a caught bird is not caught again";
    EXPECT_EQ(fades, 1);
    EXPECT_EQ(scores, 1);
    level.Update(16, 16);
    EXPECT_TRUE(level.Birds().Birds().empty()) << "the caught bird leaves at the next step";

    makers.fadeImage = nullptr;
    makers.floatingScore = nullptr;
    CBirdController::Kinds().clear();
}

TEST_F(PlayTest, ACollectedBonusSetsItsCreatureFreeAboveThePiece)
{
    RunStartupRegistrations({&RegisterPlay});
    ClearBonusTable();
    AddBonusRow("", 0, 0, 0, 0, 1, 0);
    for (int kind = kBonusPufferfish; kind < kBonusCrab; ++kind)
        AddBonusRow("", 0, 0, 0, 0, 1, 0);
    AddBonusRow("crab", 10, 0, 0, 200, 1, 0);
    AddBonusRow("nobody", 10, 0, 0, 300, 1, 0);
    ClearAnimalPrototypes();
    auto walker = std::make_unique<CCreeperMover>();
    walker->min_cycles = walker->max_cycles = 1;
    auto crab =
        std::make_unique<CAnimal>(EAnimalKind::Creeper, std::make_unique<CCreeperController>(), std::move(walker),
                                  std::make_unique<CRotater>(), std::make_unique<CThinker>());
    crab->id = "crab";
    AddAnimalPrototype(std::move(crab));

    CLevel& level = play->Level();
    const auto& animals = level.Environment().Aquarium().Animals();
    struct Case {
        int kind;
        size_t creatures;
        int score;
    } cases[] = {{kBonusCrab, 1, 200}, {kBonusShark, 1, 300}}; // nobody is no creature: only the score
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        CElement piece(1, c.kind);
        piece.SetPosition(300, 400);
        const int before = CPlayerInfo::Instance().score;
        CollectBonusKind(piece);
        EXPECT_EQ(CPlayerInfo::Instance().score - before, c.score);
        ASSERT_EQ(animals.size(), c.creatures);
    }
    // Released 0.7 of the piece's picture centre above it (image centre 20 20 in the test types).
    EXPECT_EQ(animals.front()->id, "crab");
    EXPECT_FLOAT_EQ(animals.front()->pos.x, 300);
    EXPECT_FLOAT_EQ(animals.front()->pos.y, 400 - 14);
    EXPECT_TRUE(animals.front()->visible);
    ClearAnimalPrototypes();
    ClearBonusTable();
}

TEST_F(PlayTest, SnailSlowsTheScaledClockOnlyAndRampsInAndOut)
{
    play->Level().Start();
    play->AddPause(0.5f, 10000);
    // (ms already run, scaled step of the next 10 ms frame)
    const std::pair<int, float> table[] = {{0, 10.0f}, {500, 7.5f}, {1000, 5.0f}, {5000, 5.0f}, {9500, 7.5f}};
    int elapsed = 0;
    for (auto [at, scaled] : table) {
        while (elapsed < at) {
            play->UpdateF(10);
            elapsed += 10;
        }
        play->UpdateF(10);
        elapsed += 10;
        EXPECT_NEAR(play->LastScaledStep(), scaled, 0.11f) << "at " << at << " ms";
    }
    while (play->GetPause() > 0)
        play->UpdateF(10);
    play->UpdateF(10);
    EXPECT_FLOAT_EQ(play->LastScaledStep(), 10.0f);
}

TEST_F(PlayTest, PauseFactorIsClampedAndAnExtensionDoesNotRampInAgain)
{
    play->AddPause(3.0f, 1000);
    play->UpdateF(10);
    EXPECT_FLOAT_EQ(play->LastScaledStep(), 10.0f);
    play->AddPause(-1.0f, 10000);
    EXPECT_FLOAT_EQ(play->GetPause(), 10990.0f);
    play->UpdateF(10);
    // Factor 0 and no second ramp-in: the frame is frozen.
    EXPECT_FLOAT_EQ(play->LastScaledStep(), 0.0f);
}

TEST_F(PlayTest, AFullBoardWinsEvenWhenThePipelineOverflowsInTheSameFrame)
{
    OneCellBoard();
    play->Level().Start();
    ASSERT_TRUE(play->Level().Grid().InsertElement(PieceOnCell()));
    play->Level().Pipeline().is_full = true;
    play->UpdateF(10);
    EXPECT_EQ(play->Level().get_state(), CLevel::win);
    EXPECT_TRUE(play->Level().is_winning());
}

TEST_F(PlayTest, AnOverflowLosesAndTheSlowDownStopsSlowing)
{
    OneCellBoard();
    play->Level().Start();
    play->AddPause(0.5f, 10000);
    for (int i = 0; i < 150; ++i)
        play->UpdateF(10);
    ASSERT_FLOAT_EQ(play->LastScaledStep(), 5.0f);
    play->Level().Pipeline().is_full = true;
    play->UpdateF(10);
    EXPECT_EQ(play->Level().get_state(), CLevel::lose);
    play->UpdateF(10);
    EXPECT_FLOAT_EQ(play->LastScaledStep(), 10.0f);
}

TEST_F(PlayTest, LosingFocusOpensThePauseMenuAtTheNextTick)
{
    play->Level().Start();
    play->LostFocus();
    EXPECT_TRUE(play->IsInactive());
    play->Update();
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0], CPlay::kMenuButton);
    play->GotFocus();
    play->Update();
    EXPECT_EQ(pressed.size(), 1u);
}

TEST_F(PlayTest, ClickRoad)
{
    OneCellBoard();
    CElement piece = PieceOnCell();
    FPoint at = piece.GetPosition();
    struct Case {
        const char* name;
        bool started;
        int cursorState;
        int clicks;
        int toolCount;
        bool taken;
        int stateAfter;
    };
    const Case cases[] = {
        {"right button", true, CCursor::free, -1, 0, false, CCursor::free},
        {"before the start", false, CCursor::element_state, 1, 0, false, CCursor::element_state},
        {"nothing in the pipeline", true, CCursor::free, 1, 0, false, CCursor::free},
        {"piece dropped on its cell", true, CCursor::element_state, 1, 0, true, CCursor::free},
        {"lifted piece dropped", true, CCursor::octopus_element, 2, 0, true, CCursor::octopus},
        {"pufferfish without uses", true, CCursor::pufferfish, 1, 0, false, CCursor::pufferfish},
        {"hammerfish on nothing", true, CCursor::hammerfish, 1, 1, false, CCursor::hammerfish},
        {"octopus on nothing", true, CCursor::octopus, 1, 1, false, CCursor::octopus},
    };
    for (const Case& c : cases) {
        play = std::make_unique<CPlay>(nullptr);
        OneCellBoard();
        if (c.started)
            play->Level().Start();
        CPlayerInfo::Instance().bonus_count = {c.toolCount, c.toolCount, c.toolCount, c.toolCount};
        CCursor& cursor = play->Cursor();
        cursor.SetState(c.cursorState);
        if (cursor.IsCarrying())
            cursor.SetElement(piece);
        bool taken = play->Level().MouseDown(static_cast<int>(at.x), static_cast<int>(at.y), c.clicks, cursor);
        EXPECT_EQ(taken, c.taken) << c.name;
        EXPECT_EQ(cursor.GetState(), c.stateAfter) << c.name;
    }
}

namespace
{

// The rows named tag of a shipped "data" property file.
std::vector<AttributeRow> ShippedRows(const std::string& file, const std::string& tag)
{
    Olvarn::XMLParser parser;
    EXPECT_TRUE(parser.OpenFile(testsupport::SourceDir() + "/data/properties/" + file)) << file;
    std::vector<AttributeRow> rows;
    Olvarn::XMLElement e;
    while (parser.NextElement(&e))
        if (e.mType == Olvarn::XMLElement::TYPE_START && e.mValue == tag)
            rows.push_back(e.mAttributes);
    return rows;
}

} // namespace

// On the campaign's widest board every piece, in every turn, can be carried onto a place that takes
// the board's rightmost column and dropped there.
TEST_F(PlayTest, EveryPieceLandsOnTheRightmostCellsOfTheWidestBoard)
{
    ClearElementTypes();
    LoadElementTypes(ShippedRows("config.xml", "element"), ShippedRows("offsets.xml", "element_offset"));
    // The board with the most cells in the grid's last column (rows of 40 flags, one row per
    // blank-separated word).
    const int lastColumn = CGrid::kColumns - 1;
    std::array<bool, CGrid::kCells> enabled{};
    FPoint offset;
    int mostOnTheRight = 0;
    for (const AttributeRow& level : ShippedRows("level_config.xml", "level")) {
        std::array<bool, CGrid::kCells> cells{};
        int onTheRight = 0, row = 0, column = 0;
        for (char ch : level.at("grid")) {
            if (ch == ' ') {
                ++row, column = 0;
                continue;
            }
            if (ch == '1') {
                cells[static_cast<size_t>(column * CGrid::kRows + row)] = true;
                onTheRight += column == lastColumn;
            }
            ++column;
        }
        if (onTheRight > mostOnTheRight) {
            mostOnTheRight = onTheRight, enabled = cells;
            offset = FPoint(std::stof(level.at("offx")), std::stof(level.at("offy")));
        }
    }
    ASSERT_GT(mostOnTheRight, 1) << "the campaign has boards as wide as the grid";
    CGrid& grid = play->Level().Grid();
    grid.Configure(offset, enabled);
    play->Level().Start();
    CCursor& cursor = play->Cursor();
    for (int type = 0; type < static_cast<int>(ElementTypes().size()); ++type) {
        CElement piece(type, 0);
        for (int k = 0; k < piece.GetPositions(); ++k) {
            piece.SetRotation(k);
            const CellMask& mask = piece.GetShape();
            int maskRight = 0;
            for (int i = 0; i < 25; ++i)
                if (mask[static_cast<size_t>(i)])
                    maskRight = std::max(maskRight, i / 5);
            // The topmost place whose cells reach the last column (shape origins lie on up cells).
            const int c = lastColumn - maskRight;
            int r = c % 2;
            while (r < CGrid::kRows && !grid.Fits(mask, c, r))
                r += 2;
            ASSERT_LT(r, CGrid::kRows) << "type " << type << " turn " << k;
            cursor.SetState(CCursor::element_state);
            cursor.SetElement(piece);
            // The mouse right of the board: the carried piece follows it as far as it may.
            FPoint centre = piece.GetCenter();
            cursor.pos = FPoint(offset.x + c * 20 + centre.x, offset.y + r * 35 + centre.y - 35);
            cursor.Update(0, 0);
            const int x = static_cast<int>(cursor.pos.x), y = static_cast<int>(cursor.pos.y);
            EXPECT_TRUE(play->Level().MouseDown(x, y, 1, cursor)) << "type " << type << " turn " << k;
            EXPECT_EQ(cursor.GetState(), CCursor::free) << "type " << type << " turn " << k;
            if (!grid.GetElements().empty()) {
                const CGridElement& placed = *grid.GetElements().back();
                EXPECT_EQ(placed.x, c) << "type " << type << " turn " << k;
                grid.RemoveElement(&placed.element);
            }
            cursor.SetState(CCursor::free);
        }
    }
}

// A carried piece is shown where a click sets it, not a row above.
TEST_F(PlayTest, ACarriedPieceIsShownWhereAClickSetsIt)
{
    OneCellBoard();
    play->Level().Start();
    CCursor& cursor = play->Cursor();
    const CElement piece = PieceOnCell();
    cursor.SetState(CCursor::element_state);
    cursor.SetElement(piece);
    cursor.pos = piece.GetPosition();
    cursor.Update(0, 0);
    const FPoint shown = cursor.DrawnCarriedPosition();
    ASSERT_TRUE(play->Level().MouseDown(static_cast<int>(cursor.pos.x), static_cast<int>(cursor.pos.y), 1, cursor));
    const CGrid& grid = play->Level().Grid();
    ASSERT_EQ(grid.GetElements().size(), 1u);
    const FPoint placed = grid.GetElements().back()->element.GetTargetPosition();
    EXPECT_FLOAT_EQ(placed.x, shown.x);
    EXPECT_FLOAT_EQ(placed.y, shown.y);
}

// The branches of the road that change the board, the pipeline or a tool count.
TEST_F(PlayTest, ClickRoadToolsAndPutBack)
{
    struct Case {
        const char* name;
        int cursorState;
        bool pieceOnBoard;
        bool clickLeftOfBoard;
        bool taken;
        int stateAfter;
        int toolsLeft;
        size_t boardPiecesAfter;
        size_t pipelinePiecesAfter;
    };
    const Case cases[] = {
        {"hammerfish breaks a board piece", CCursor::hammerfish, true, false, true, CCursor::hammerfish, 0, 0, 0},
        {"octopus lifts a board piece", CCursor::octopus, true, false, true, CCursor::octopus_element, 0, 0, 0},
        {"pufferfish on a taken cell", CCursor::pufferfish, true, false, false, CCursor::pufferfish, 1, 1, 0},
        // The click still goes on to the fire and the effects: the level does not take it.
        {"a drop left of the board goes back to the pipeline", CCursor::element_state, false, true, false,
         CCursor::free, 1, 0, 1},
        {"a lifted piece dropped left of the board keeps the octopus", CCursor::octopus_element, false, true, false,
         CCursor::octopus, 1, 0, 1},
    };
    for (const Case& c : cases) {
        play = std::make_unique<CPlay>(nullptr);
        OneCellBoard();
        play->Level().Start();
        CPlayerInfo::Instance().bonus_count = {1, 1, 1, 1};
        CElement piece = PieceOnCell();
        if (c.pieceOnBoard) {
            ASSERT_TRUE(play->Level().Grid().InsertElement(piece)) << c.name;
            // The piece slides onto its cells first.
            play->Level().Grid().Update(2000);
        }
        CCursor& cursor = play->Cursor();
        cursor.SetState(c.cursorState);
        if (cursor.IsCarrying())
            cursor.SetElement(piece);
        // Over the piece's cell, or far to the left of the board (which starts at x = 100).
        FPoint at = c.clickLeftOfBoard ? FPoint(20, piece.GetPosition().y) : play->Level().Grid().GetCell(0, 0)->center;
        if (cursor.IsCarrying())
            cursor.Element().SetPosition(at.x, at.y);
        bool taken = play->Level().MouseDown(static_cast<int>(at.x), static_cast<int>(at.y), 1, cursor);
        EXPECT_EQ(taken, c.taken) << c.name;
        EXPECT_EQ(cursor.GetState(), c.stateAfter) << c.name;
        int slot = c.cursorState == CCursor::hammerfish   ? kSlotHammerfish
                   : c.cursorState == CCursor::pufferfish ? kSlotPufferfish
                                                          : kSlotOctopus;
        EXPECT_EQ(CPlayerInfo::Instance().GetBonusCount(slot), c.toolsLeft) << c.name;
        EXPECT_EQ(play->Level().Grid().GetElements().size(), c.boardPiecesAfter) << c.name;
        EXPECT_EQ(play->Level().Pipeline().GetElements().size(), c.pipelinePiecesAfter) << c.name;
    }
}

TEST(PlayerInfoTest, ScoreEarnsPearlsPerMultipleAndCountersFollowLosses)
{
    CPlayerInfo& p = CPlayerInfo::Instance();
    p.Reset();
    CPlayerInfo::SetScoreToPearl(5000);
    const struct {
        int from, add;
        bool pearls;
        int gained;
    } table[] = {{4990, 20, true, 1}, {4990, 10000, true, 2}, {4990, 20, false, 0}};
    for (const auto& t : table) {
        p.score = t.from;
        p.points = 0;
        p.AddScore(t.add, t.pearls);
        EXPECT_EQ(p.points, t.gained) << t.from << " + " << t.add;
    }
    CPlayerInfo::SetScoreToPearl(0);
    p.AddScore(100000, true);
    EXPECT_EQ(p.points, 0) << "no score per pearl earns none rather than dividing by zero";
    CPlayerInfo::SetScoreToPearl(5000);

    for (int level : {4, 5, 5}) {
        p.level = level;
        p.StartLevel();
        p.EndLevel(false);
    }
    // 4 starts a run, 5 is adjacent, 5 again is the same level.
    EXPECT_EQ(p.lost_level_count, 1);
    EXPECT_EQ(p.lost_count, 2);
    p.EndLevel(true);
    EXPECT_EQ(p.lost_count, 2) << "no level in progress: nothing changes";
}

TEST(BonusKindsTest, ThreeNumberingsConvertOneWay)
{
    // kind, slot, cursor state
    const int table[][3] = {{kBonusPufferfish, kSlotPufferfish, kCursorPufferfish},
                            {kBonusSnail, kSlotSnail, kCursorFree},
                            {kBonusHammerfish, kSlotHammerfish, kCursorHammerfish},
                            {kBonusOctopus, kSlotOctopus, kCursorOctopus}};
    for (const auto& row : table) {
        EXPECT_EQ(BonusTypeToSlot(row[0]), row[1]);
        EXPECT_EQ(BonusSlotToType(row[1]), row[0]);
        EXPECT_EQ(SlotToCursorState(row[1]), row[2]);
        if (row[2] != kCursorFree) {
            EXPECT_EQ(CursorStateToSlot(row[2]), row[1]);
            EXPECT_EQ(CursorStateToBonusKind(row[2]), row[0]);
        }
    }
    for (int kind : {kBonusNone, kBonusCrab, kBonusShark, kBonusGoldy, kBonusRandom})
        EXPECT_EQ(BonusTypeToSlot(kind), kNoSlot);
    EXPECT_EQ(CursorStateToBonusKind(kCursorElement), -1);
}

TEST(BonusKindsTest, RandomDrawHonoursChanceLevelAndFullness)
{
    ClearBonusTable();
    AddBonusRow("", 0, 0, 0, 0, 1, 0);
    AddBonusRow("pufferfish", 10, 2, 1, 100, 5, 0.5f);
    // Only kind 1 can be drawn; it needs level index 4 and a half-full pipeline.
    EXPECT_EQ(PickRandomBonusKind(3, 1.0f), kBonusNone);
    EXPECT_EQ(PickRandomBonusKind(4, 0.4f), kBonusNone);
    EXPECT_EQ(PickRandomBonusKind(4, 0.5f), kBonusPufferfish);
    EXPECT_EQ(GetBonusCost(kBonusPufferfish), 2);
    EXPECT_EQ(GetBonusScore(9), 0);
    ClearBonusTable();
    EXPECT_EQ(PickRandomBonusKind(10, 1.0f), kBonusNone);
}

TEST_F(PlayTest, TheCrabsCatchBurstsIntoSplintersAndShowsItsBonusScore)
{
    struct Spread {
        int lifeMs;
        float factor;
        int maxCount;
    };
    std::vector<Spread> spreads;
    std::vector<int> scores;
    auto& makers = level_effects::LevelEffectMakers();
    const auto saved = makers;
    makers.spread = [&](const CElement&, int lifeMs, float factor, int maxCount) {
        spreads.push_back({lifeMs, factor, maxCount});
        return nullptr;
    };
    makers.floatingScore = [&](int score, FPoint) {
        scores.push_back(score);
        return nullptr;
    };
    ClearBonusTable();
    AddBonusRow("", 0, 0, 0, 0, 1, 0);
    AddBonusRow("pufferfish", 10, 2, 1, 100, 5, 0.5f);
    const int before = CPlayerInfo::Instance().score;

    play->Level().ShowCrabCatch(CElement(1, kBonusNone));
    play->Level().ShowCrabCatch(CElement(1, kBonusPufferfish));

    ASSERT_EQ(spreads.size(), 2u);
    EXPECT_EQ(spreads[0].lifeMs, 3000);
    EXPECT_EQ(spreads[0].factor, 0.5f);
    EXPECT_EQ(spreads[0].maxCount, 12);
    EXPECT_EQ(scores, std::vector<int>{100}) << "only a piece with a bonus scores";
    EXPECT_EQ(CPlayerInfo::Instance().score, before + 100);
    makers = saved;
    ClearBonusTable();
}
