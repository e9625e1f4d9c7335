// Level definitions: grids, shared locations, drop tables by level, and rows rejected at load.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/CDataError.h"
#include "data/CLevelInfo.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

class Levels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CLevelDefinitions::Instance().Clear();
        DeclareLevelSchema(reader);
    }
    void TearDown() override { CLevelDefinitions::Instance().Clear(); }

    void Load(const std::string& rows)
    {
        reader.LoadFromMemory("<data>" + rows + "</data>");
        testsupport::SaveFuzzSeed("datafile",
                                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                                      std::to_string(++seeds),
                                  "<data>" + rows + "</data>");
        LoadLevels(reader, nullptr);
    }

    CXmlDataReader reader;
    int seeds = 0;
};

std::string Level(const std::string& location, const std::string& extra = "", const std::string& grid = "1")
{
    return "<level location='" + location + "' name='L' grid='" + grid + "' " + extra + "/>";
}

} // namespace

TEST_F(Levels, GridTextRunsRowByRow)
{
    std::string grid;
    for (int row = 0; row < kGridRows; ++row) {
        std::string line(kGridColumns, '0');
        if (row == 1)
            line[2] = '1';
        grid += line + "\r\n";
    }
    grid[kGridColumns + 2 + 0] = '0';
    // Line 2, column 3 of the text: its breaks are skipped.
    grid[(kGridColumns + 2) + 2] = '1';
    grid += "1111";
    Load(Level("A", "offx='1.5' offy='-2' bonus='1' time='30' color='7'", grid));
    const CLevelInfo* level = GetLevelInfo(0);
    ASSERT_NE(level, nullptr);
    EXPECT_TRUE(level->IsCell(2, 1));
    int cells = 0;
    for (bool cell : level->grid)
        cells += cell;
    EXPECT_EQ(cells, 1) << "after the 800th cell the text is ignored";
    EXPECT_EQ(level->offx, 1.5f);
    EXPECT_EQ(level->offy, -2.0f);
    EXPECT_TRUE(level->bonus);
    EXPECT_EQ(level->time, 30);
    EXPECT_EQ(level->number, 1);
    EXPECT_EQ(GetLevelInfo(-1), nullptr);
    EXPECT_EQ(GetLevelInfo(GetLevelCount()), nullptr);
}

TEST_F(Levels, ConsecutiveLevelsShareALocation)
{
    Load(Level("A") + Level("A") + Level("B") + Level("A"));
    ASSERT_EQ(GetLocationCount(), 3);
    EXPECT_EQ(GetLevelInfo(0)->location, GetLevelInfo(1)->location);
    EXPECT_NE(GetLevelInfo(1)->location, GetLevelInfo(3)->location);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(GetLocationInfo(i)->number, i + 1);
    EXPECT_EQ(GetLevelInfo(3)->number, 4);

    // Rows of a later file refer to locations and levels by 1-based number; out of range is skipped.
    Load("<location_image location='0' image='X'/><location_image location='3' image='IMG' pos='1 2 ' z='4' "
         "max_level='9'/><location_config location='2' level_z='5' fire_pos='3 4 ' min_fish_y='10' max_fish_y='20'/>"
         "<path location='1' path='p1'/><path location='4' path='lost'/>"
         "<config_element_creation level='2' time='1.5' speed='2' gravity='0.5'/>"
         "<config_element_creation level='99' time='1'/>");
    const CLocationInfo* third = GetLocationInfo(2);
    ASSERT_EQ(third->images.size(), 1u);
    EXPECT_EQ(third->images[0].image, "IMG");
    EXPECT_EQ(third->images[0].pos.y, 2.0f);
    EXPECT_EQ(third->images[0].max_level, 9);
    EXPECT_EQ(GetLocationInfo(1)->level_z, 5);
    EXPECT_EQ(GetLocationInfo(1)->fire_pos.x, 3.0f);
    EXPECT_EQ(GetLocationInfo(1)->max_fish_y, 20);
    EXPECT_EQ(GetLocationInfo(0)->paths, (std::vector<std::string>{"p1"}));
    EXPECT_EQ(GetLevelInfo(1)->creation_time, 1.5f);
    EXPECT_EQ(GetLevelInfo(1)->gravity, 0.5f);
    EXPECT_EQ(GetLevelInfo(0)->creation_time, 0.0f);
}

TEST_F(Levels, DropTablesBuildRangesAndFollowTheLevel)
{
    Load("<config_drop from_level='1' elements='1 2 3 ' distribution='50 30 20 ' filter_max_repeat='2'/>"
         "<config_drop from_level='5' elements='1 2 3' distribution='50 30 20' />"
         "<config_drop from_level='10' elements='4 ' distribution='5 6 '/>"
         "<config_bonus_drop from_level='0' elements='7 ' distribution='1 '/>");
    const auto& drops = CLevelDefinitions::Instance().drops;
    ASSERT_EQ(drops.size(), 3u);
    ASSERT_EQ(drops[0].ranges.size(), 3u);
    EXPECT_EQ(drops[0].ranges[2].element, 3);
    EXPECT_EQ(drops[0].ranges[2].first, 80);
    EXPECT_EQ(drops[0].ranges[2].last, 99);
    EXPECT_EQ(drops[0].total, 100);
    EXPECT_EQ(drops[0].filter_max_repeat, 2);
    EXPECT_EQ(drops[1].ranges.size(), 2u) << "without the final blanks the last numbers are not taken";
    EXPECT_EQ(drops[1].total, 80);
    EXPECT_EQ(drops[1].from_level, 4);
    EXPECT_EQ(drops[2].total, 5) << "extra weights are ignored";

    std::string rows;
    for (int i = 0; i < 11; ++i)
        rows += Level("A", i == 10 ? "bonus='1'" : "");
    Load(rows);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const CDropTable* expected = i < 4 ? &drops[0] : i < 9 ? &drops[1] : &drops[2];
        EXPECT_EQ(GetLevelInfo(i)->drop_table, expected);
    }
    EXPECT_EQ(GetLevelInfo(10)->drop_table, &CLevelDefinitions::Instance().bonus_drops[0]);
}

TEST_F(Levels, LevelsBeforeAnyDropTableHaveNone)
{
    Load(Level("A") + "<config_drop from_level='1' elements='1 ' distribution='1 '/>");
    EXPECT_EQ(GetLevelInfo(0)->drop_table, nullptr) << "a file's drop rows come after its level rows";
}

TEST_F(Levels, BadRowsAreRejectedNamingTheirPlace)
{
    struct Case {
        const char* name;
        std::string rows;
        std::string error;
    } cases[] = {
        {"fewer weights than elements", "<config_drop elements='1 2 ' distribution='5 '/>",
         "Elements size is greater then distribution size!"},
        {"weights adding up to 0",
         "<config_drop elements='1 ' distribution='3 '/><config_drop elements='1 2 ' distribution='0 0 '/>",
         "data: config_drop row 2, distribution: the weights add up to 0"},
        {"bonus table without weights", "<config_bonus_drop/>",
         "data: config_bonus_drop row 1, distribution: the weights add up to 0"},
        {"grid without a cell", Level("A") + Level("A", "", "0000 x"),
         "data: level row 2, grid: no cell of the grid is enabled"},
        {"weights past the int range", "<config_drop elements='1 2 ' distribution='2147483647 1 '/>",
         "data: config_drop row 1, distribution: the weights add up past the int range"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLevelDefinitions::Instance().Clear();
        std::string error;
        try {
            Load(c.rows);
        } catch (const char* text) {
            error = text;
        } catch (const CDataError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        for (const CDropTable& table : CLevelDefinitions::Instance().drops)
            EXPECT_GT(table.total, 0);
    }
}
