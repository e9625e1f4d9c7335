#include <gtest/gtest.h>

#include "board/BoardConfig.h"
#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPearl.h"
#include "board/CPipeline.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CXmlDataReader.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

struct BoardConfigTest : ::testing::Test {
    void SetUp() override
    {
        ClearElementTypes();
        CLevelDefinitions::Instance().Clear();
        DeclareElementConfig(reader);
        DeclareLevelSchema(reader);
        DeclarePearlConfig(reader);
        DeclareCreatorConfig(reader);
    }
    void TearDown() override
    {
        CLevelDefinitions::Instance().Clear();
        CPearlCreator::SetCycle(1);
    }
    // Loads one file the way the property loader loads config.xml.
    void LoadConfig(const std::string& path)
    {
        reader.LoadFile(path);
        LoadElementConfig(reader);
        LoadLevels(reader, nullptr);
        LoadPearlConfig(reader);
        LoadCreatorConfig(reader);
        reader.Clear();
    }
    CXmlDataReader reader;
};

} // namespace

TEST_F(BoardConfigTest, ShippedConfigurationLoadsThroughTheDataReader)
{
    LoadConfig(testsupport::SourceDir() + "/data/properties/config.xml");
    ASSERT_EQ(ElementTypes().size(), 15u);
    EXPECT_EQ(ElementTypes()[14].width, 2);
    EXPECT_EQ(ElementTypes()[0].positions, 3);
    EXPECT_GT(CElementCreator::Config().grid_full_percents, 0);
    EXPECT_EQ(CPearlCreator::GetCycle(), 3);
    EXPECT_GE(CLevelDefinitions::Instance().drops.size(), 1u);
    EXPECT_GE(CLevelDefinitions::Instance().bonus_drops.size(), 1u);
}

TEST_F(BoardConfigTest, FaultyRowsAreNamed)
{
    const std::string types = "<element grid1=\"10000\" positions=\"1\" /><element grid1=\"11000\" positions=\"1\" />";
    struct Case {
        std::string rows;
        const char* needle;
    } cases[] = {
        {types + "<config_drop from_level=\"1\" elements=\"1 2 3 \" distribution=\"5 5 5 \" filter_max_repeat=\"1\" />",
         "config_drop row 0: element 3"},
        {types + "<config_drop from_level=\"1\" elements=\"1 \" distribution=\"5 \" filter_max_repeat=\"1\" />"
                 "<config_bonus_drop from_level=\"1\" elements=\"9 \" distribution=\"5 \" filter_max_repeat=\"1\" />",
         "config_bonus_drop row 0"},
        {types + "<element grid1=\"10000\" positions=\"0\" />", "element row 2"},
        {types + "<element grid1=\"00000\" positions=\"1\" />", "config.xml: element row 2: grid1 covers no cell"},
        {types + "<pearl_creator cycle=\"0\" />", "cycle must be at least 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.needle);
        ClearElementTypes();
        CLevelDefinitions::Instance().Clear();
        testsupport::TempDir dir;
        dir.WriteFile("config.xml", "<?xml version=\"1.0\"?>\n<data>" + c.rows + "</data>");
        try {
            LoadConfig(dir.File("config.xml"));
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.needle), std::string::npos) << e.what();
        }
        reader.Clear();
    }
}

TEST_F(BoardConfigTest, LevelValuesAreCheckedBeforeAGameStarts)
{
    LoadConfig(testsupport::SourceDir() + "/data/properties/config.xml");
    CLevelInfo level;
    level.number = 3;
    level.speed = 40;
    level.gravity = 10;
    level.creation_time = 0; // would make a piece every update
    level.drop_table = &CLevelDefinitions::Instance().drops.front();
    CLevelDefinitions::Instance().levels.push_back(level);
    EXPECT_THROW(ValidateLevelData(), std::runtime_error);
    CCreatorPlayer player;
    CElementCreator creator(nullptr, nullptr);
    try {
        creator.Begin(level, player);
        ADD_FAILURE();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("level 3"), std::string::npos);
    }
    CLevelDefinitions::Instance().levels.back().creation_time = 2000;
    EXPECT_NO_THROW(ValidateLevelData());
}

TEST_F(BoardConfigTest, ConstantsReachTheBoard)
{
    RegisterBoardProperties();
    testsupport::TempDir dir;
    dir.WriteFile("constants.xml", "<?xml version=\"1.0\"?>\n<data>"
                                   "<constant group=\"grid_blink\" name=\"blink_time\" value=\"300\" />"
                                   "<constant group=\"grid_blink\" name=\"max_blink_pause\" value=\"4000\" />"
                                   "<constant group=\"bonus_level\" name=\"element_vel\" value=\"-35.5\" />"
                                   "</data>");
    CConstantsRegistry::Instance().Load(dir.File("constants.xml"));
    EXPECT_EQ(CGrid::BlinkTime(), 300);
    EXPECT_EQ(CGrid::MaxBlinkPause(), 4000);
    EXPECT_FLOAT_EQ(CPipeline::BonusElementVelocity(), -35.5f);
    CGrid::SetBlinkConstants(500, 10000);
    CPipeline::SetBonusElementVelocity(0);
}
