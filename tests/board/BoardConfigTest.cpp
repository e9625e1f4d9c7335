// Board configuration from the property files: element types, creator and pearl settings, level checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "board/BoardConfig.h"
#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPearl.h"
#include "board/CPearlCreator.h"
#include "board/CPipeline.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CPropertyLoader.h"
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
        ValidateLevelData(); // as the loader does once every file is read
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

TEST_F(BoardConfigTest, LevelRowsOfEveryFileAreCheckedOnceAllFilesAreRead)
{
    // Levels and tables in a file read after config.xml were never checked before.
    const std::string creation = "<config_element_creation level='1' time='1500' speed='40' gravity='10'/>";
    const struct {
        const char* name;
        std::string levelRows;
        std::string needle; // empty: accepted
    } cases[] = {
        {"valid level", "<level location='A' grid='1'/>" + creation, ""},
        {"no creation values", "<level location='A' grid='1'/>",
         "level_config.xml: level row 0: creation time must be above 0"},
        {"second row falls upwards",
         "<level location='A' grid='1'/><level location='A' grid='1'/>" + creation +
             "<config_element_creation level='2' time='1500' speed='-1' gravity='10'/>",
         "level_config.xml: level row 1: fall speed"},
        {"bonus table naming no element type",
         "<config_bonus_drop from_level='1' elements='99 ' distribution='5 '/><level location='A' grid='1' "
         "bonus='1'/>" +
             creation,
         "level_config.xml: config_bonus_drop row 0: element 99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearElementTypes();
        CLevelDefinitions::Instance().Clear();
        testsupport::TempDir dir;
        std::filesystem::create_directories(dir.File("properties"));
        std::filesystem::copy_file(testsupport::SourceDir() + "/data/properties/config.xml",
                                   dir.File("properties/config.xml"));
        dir.WriteFile("properties/data.xml", "<data/>");
        dir.WriteFile("properties/level_config.xml", "<data>" + c.levelRows + "</data>");
        RegisterBoardProperties();
        CPropertyLoader loader(nullptr);
        loader.SetBaseFolder(dir.Path());
        std::string error;
        try {
            loader.Load();
        } catch (const std::exception& e) {
            error = e.what();
        }
        for (int i = 0; i < static_cast<int>(EPropertyComponent::Count); ++i)
            SetPropertyComponent(static_cast<EPropertyComponent>(i), {});
        if (c.needle.empty())
            EXPECT_EQ(error, "");
        else
            EXPECT_NE(error.find(c.needle), std::string::npos) << error;
    }
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
