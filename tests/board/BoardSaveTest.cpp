// Saves of the board: round trips, damaged saves, and the exact rows the format has.
#include <gtest/gtest.h>

#include "BoardFixture.h"
#include "board/BoardSave.h"
#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "data/CSaveObject.h"
#include "data/DataCodecs.h"
#include "shell/CImage.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

struct BoardSaveTest : ::testing::Test {
    void SetUp() override
    {
        boardtest::LoadTestTypes();
        Olvarn::ThreadRandom().Seed(77);
        RegisterBoardSaveClasses();
        // The pictures' rows, as the shell registers them at start-up.
        if (!save::CSaveObjectRegistry::Instance().IsRegistered(CImage::kClassId))
            save::CSaveObjectRegistry::Instance().Register(nullptr, CImage::kClassId, &CImage::DeclareReaderSchema,
                                                           &CImage::DeclareWriterSchema);
    }
    // The rows of a saved file, the transform undone.
    std::string SavedText(const std::string& path)
    {
        std::string bytes = dir.ReadFile("save.dat");
        XmlDataCrypt(bytes);
        return bytes;
    }
    template <typename T> std::string SaveToFile(T& root)
    {
        std::string error;
        EXPECT_TRUE(save::WriteSaveFile(dir.File("save.dat"), root, &error)) << error;
        return dir.File("save.dat");
    }
    testsupport::TempDir dir;
};

std::array<bool, CGrid::kCells> Board()
{
    std::array<bool, CGrid::kCells> a;
    for (int i = 0; i < CGrid::kCells; ++i)
        a[i] = i < 780; // the last column is not part of this board
    return a;
}

} // namespace

TEST_F(BoardSaveTest, GridRoundTrip)
{
    CGrid grid;
    grid.Configure(FPoint(40.5f, 12), Board());
    CElement e(3);
    e.SetRotation(2);
    for (int c : {0, 10, 20}) {
        FPoint centre = e.GetCenter();
        e.SetPosition(40.5f + c * 20 + centre.x, 12 + 2 * 35 - 35 + centre.y);
        grid.InsertElement(e);
    }
    ASSERT_GE(grid.GetElements().size(), 2u);
    grid.AddPearl();
    grid.GetPearls()[0]->min_percent = 0;
    grid.UpdateCompletion();
    grid.GetPearls()[0]->pearl.Update(700);
    grid.Update(10);

    CGrid loaded;
    std::string error;
    ASSERT_EQ(save::LoadSaveFile(SaveToFile(grid), loaded, &error), save::ESaveLoad::Loaded) << error;
    EXPECT_FLOAT_EQ(loaded.GetOffset().x, 40.5f);
    EXPECT_EQ(loaded.IsFull(), grid.IsFull());
    EXPECT_FLOAT_EQ(loaded.GetCompletion(), grid.GetCompletion());
    for (int i = 0; i < CGrid::kCells; ++i) {
        EXPECT_EQ(loaded.GetCells()[i].free, grid.GetCells()[i].free) << i;
        EXPECT_EQ(loaded.GetCells()[i].enabled, grid.GetCells()[i].enabled) << i;
        EXPECT_FLOAT_EQ(loaded.GetCells()[i].center.x, grid.GetCells()[i].center.x);
    }
    ASSERT_EQ(loaded.GetElements().size(), grid.GetElements().size());
    for (size_t i = 0; i < grid.GetElements().size(); ++i) {
        const auto& a = *grid.GetElements()[i];
        const auto& b = *loaded.GetElements()[i];
        EXPECT_EQ(b.x, a.x);
        EXPECT_EQ(b.y, a.y);
        EXPECT_EQ(b.element.GetId(), a.element.GetId());
        EXPECT_EQ(b.element.GetRotation(), 2);
        EXPECT_FLOAT_EQ(b.element.GetPosition().y, a.element.GetPosition().y);
        EXPECT_EQ(b.element.IsMoving(), a.element.IsMoving());
    }
    ASSERT_EQ(loaded.GetPearls().size(), 1u);
    const CPearl& p = loaded.GetPearls()[0]->pearl;
    EXPECT_TRUE(p.IsShown());
    EXPECT_FLOAT_EQ(p.GetTime(), grid.GetPearls()[0]->pearl.GetTime());
    EXPECT_EQ(loaded.GetPearls()[0]->x, grid.GetPearls()[0]->x);
    // A removal on the loaded board frees the cells of the loaded piece.
    EXPECT_TRUE(loaded.RemoveElement(&loaded.GetElements()[0]->element));
}

TEST_F(BoardSaveTest, DamagedSavesAreReportedNotTaken)
{
    // Pieces that claim the same slots cannot both be restored.
    boardtest::FlatWater water;
    CPipeline pipe(&water);
    pipe.AppendLoaded(CPipelineElement(&pipe, CElement(1), 30, 600, 0, 0, 4, 110));
    pipe.AppendLoaded(CPipelineElement(&pipe, CElement(1), 70, 600, 0, 0, 5, 130));
    std::string path = SaveToFile(pipe);
    CPipeline loaded(&water);
    std::string error;
    EXPECT_EQ(save::LoadSaveFile(path, loaded, &error), save::ESaveLoad::Damaged);
    EXPECT_NE(error.find("slot"), std::string::npos) << error;
    // A board whose cell flags are cut short.
    CGrid grid;
    grid.Configure(FPoint(0, 0), Board());
    std::string bytes = dir.ReadFile(SaveToFile(grid).substr(dir.Path().size() + 1));
    XmlDataCrypt(bytes);
    size_t at = bytes.find("empty_cells=\"") + 13;
    bytes.erase(at, 20);
    XmlDataCrypt(bytes);
    CGrid damaged;
    EXPECT_EQ(save::LoadSaveBytes(bytes, damaged, &error), save::ESaveLoad::Damaged);
    EXPECT_NE(error.find("1600"), std::string::npos) << error;
}

TEST_F(BoardSaveTest, PipelineAndCreatorRoundTrip)
{
    boardtest::FlatWater water;
    CPipeline pipe(&water);
    pipe.AddElement(CElement(0), 100, 10, false);
    pipe.AddElement(CElement(2), 100, 10, false);
    pipe.AddBonusElement(CElement(1));
    for (int i = 0; i < 600; ++i)
        pipe.Update(10);
    ASSERT_TRUE(pipe.IsInWater(&pipe.GetElements()[0]->element));
    CElement back(1);
    back.SetPosition(10, 300);
    pipe.InsertElementAt(back, 90, 30);

    CPipeline loaded(&water);
    std::string error;
    ASSERT_EQ(save::LoadSaveFile(SaveToFile(pipe), loaded, &error), save::ESaveLoad::Loaded) << error;
    ASSERT_EQ(loaded.GetElements().size(), 3u);
    for (int slot = 0; slot < CPipeline::kSlots; ++slot)
        EXPECT_EQ(loaded.SlotOf(slot), pipe.SlotOf(slot)) << slot;
    EXPECT_EQ(loaded.free_space, pipe.free_space);
    EXPECT_TRUE(loaded.IsInserted(&loaded.GetElements()[2]->element));
    EXPECT_TRUE(loaded.IsInWater(&loaded.GetElements()[0]->element));
    EXPECT_EQ(loaded.GetBonusElements().size(), 1u);

    CGrid grid;
    CElementCreator creator(&pipe, &grid);
    CChanceTable t = MakeChanceTable({1, 2}, {1, 1}, 3, "t");
    CCreatorPlayer player;
    creator.Begin(CCreatorLevel{4, false, 50, 10, 1000, &t}, player);
    creator.Update(10);
    creator.Update(400);
    CElementCreator restored(&pipe, &grid);
    ASSERT_EQ(save::LoadSaveFile(SaveToFile(creator), restored, &error), save::ESaveLoad::Loaded) << error;
    EXPECT_EQ(restored.GetLevel(), 3);
    EXPECT_EQ(restored.LastElement(), creator.LastElement());
    EXPECT_FLOAT_EQ(restored.TimeLeft(), creator.TimeLeft());
}

TEST_F(BoardSaveTest, RowsHoldTheFormatsTextByteForByte)
{
    const std::string header = "<?xml version=\"1.0\"?>\n<data>\n";
    // The picture's own "image" row comes first; the owner's "image" attribute holds its row.
    const std::string image = "\t<image pos=\"100. 50. \" time=\"0.\" flags=\"0\" dimensions=\"1. 1. \" scale=\"1.\" "
                              "size=\"0. 0. \" id=\"IMAGE_PEARL\"/>\n";
    CPearl pearl;
    pearl.SetPosition(FPoint(100, 50));
    SaveToFile(pearl);
    EXPECT_EQ(SavedText("save.dat"), header + image +
                                         "\t<pearl pos=\"100. 50. \" image=\"0\" enabled=\"0\" time=\"10000.\" "
                                         "dead=\"0\"/>\n</data>");

    // A list of child rows ends with one more blank: "0 1  ", and " " when empty.
    boardtest::FlatWater water;
    CPipeline empty(&water);
    SaveToFile(empty);
    EXPECT_NE(SavedText("save.dat").find("<pipeline elements=\" \" bonus_elements=\" \""), std::string::npos)
        << SavedText("save.dat");
    CPipeline pipe(&water);
    pipe.AddElement(CElement(0), 100, 10, false);
    pipe.AddElement(CElement(2), 100, 10, false);
    SaveToFile(pipe);
    const std::string text = SavedText("save.dat");
    EXPECT_NE(text.find("<pipeline elements=\"0 1  \" bonus_elements=\" \""), std::string::npos) << text;
    EXPECT_NE(text.find("<pipeline_element element=\"0\" "), std::string::npos) << text;
    EXPECT_NE(text.find("<pipeline_element element=\"1\" "), std::string::npos) << text;
    // Each element's "image" names its picture's row, in the order they were saved.
    EXPECT_NE(text.find(" image=\"0\" rotate_sign="), std::string::npos) << text;
    EXPECT_NE(text.find(" image=\"1\" rotate_sign="), std::string::npos) << text;
    EXPECT_EQ(text.find(" image=\"\""), std::string::npos) << text;
}
