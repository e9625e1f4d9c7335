// The property loader: declarations and files in their fixed order, required and optional files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/CLevelInfo.h"
#include "data/CPropertyLoader.h"
#include "data/CXmlDataReader.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

std::vector<std::string> gLog;

// Each test component notes its calls and the rows of its own element "t_<name>" it saw.
template <int N> struct Component {
    static const char* name;
    static void Declare(CXmlDataReader& reader)
    {
        gLog.push_back(std::string("declare ") + name);
        reader.DeclareAttribute(std::string("t_") + name, "v", "");
    }
    static void Load(CXmlDataReader& reader, Olvarn::OlvarnAppBase*)
    {
        std::string rows;
        for (int i = 0; i < reader.GetRowCount(std::string("t_") + name); ++i) {
            std::string v;
            reader.GetRow(std::string("t_") + name, i, v);
            rows += " " + v;
            if (v == "throw")
                throw "rejected";
        }
        gLog.push_back(std::string(name) + rows);
    }
};
template <int N> const char* Component<N>::name = "";

class PropertyLoading : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gLog.clear();
        CLevelDefinitions::Instance().Clear();
        const char* names[] = {"element", "animals", "bonuses", "info",    "menuimages", "logo",
                               "map",     "pearls",  "birds",   "creator", "sun",        "gui"};
        Set<0>(names);
        dir.WriteFile("properties/config.xml", "<data><t_element v='c'/><t_sun v='c'/>"
                                               "<config_drop elements='1 ' distribution='1 '/></data>");
        dir.WriteFile("properties/data.xml", "<data><t_element v='d'/><config_drop from_level='2' elements='2 ' "
                                             "distribution='1 '/></data>");
        dir.WriteFile("properties/level_config.xml",
                      "<data><level location='A' grid='1'/><level location='A' grid='1'/></data>");
    }
    void TearDown() override
    {
        for (int i = 0; i < static_cast<int>(EPropertyComponent::Count); ++i)
            SetPropertyComponent(static_cast<EPropertyComponent>(i), {});
        CLevelDefinitions::Instance().Clear();
    }
    template <int N> void Set(const char* const* names)
    {
        if constexpr (N < static_cast<int>(EPropertyComponent::Count)) {
            Component<N>::name = names[N];
            SetPropertyComponent(static_cast<EPropertyComponent>(N), {&Component<N>::Declare, &Component<N>::Load});
            Set<N + 1>(names);
        }
    }
    std::vector<std::string> Loads() const
    {
        std::vector<std::string> loads;
        for (auto& line : gLog)
            if (line.rfind("declare ", 0) != 0)
                loads.push_back(line);
        return loads;
    }

    testsupport::TempDir dir;
};

} // namespace

TEST_F(PropertyLoading, DeclaresEveryComponentInOrder)
{
    CPropertyLoader loader(nullptr);
    EXPECT_EQ(gLog, (std::vector<std::string>{"declare element", "declare animals", "declare bonuses", "declare info",
                                              "declare menuimages", "declare logo", "declare map", "declare pearls",
                                              "declare birds", "declare creator", "declare sun", "declare gui"}));
    EXPECT_EQ(loader.Reader().Schema().count("level"), 1u);
    EXPECT_FALSE(loader.Reader().IsLoaded()) << "nothing is read yet";
}

TEST_F(PropertyLoading, ReadsTheFilesInTheirOrder)
{
    dir.WriteFile("properties/animals.xml", "<data><t_animals v='a'/></data>");
    dir.WriteFile("properties/gui.xml", "<data><t_gui v='g'/></data>");
    dir.WriteFile("properties/mainmenu.xml", "<data/>");
    dir.WriteFile("properties/branches", "<data><t_logo v='b'/><constant group='t_branch' name='n' value='1'/></data>");
    CPropertyLoader loader(nullptr);
    loader.SetBaseFolder(dir.Path());
    loader.Load();
    EXPECT_EQ(Loads(),
              (std::vector<std::string>{"element c", "pearls", "creator", "sun c", // config.xml
                                        "element d",                               // data.xml
                                        "animals a", "bonuses", "birds", // animals.xml (offsets, locations missing)
                                        "info", "gui g", "map",          // gui.xml
                                        "menuimages", "gui",             // mainmenu.xml
                                        "logo b", "menuimages"}));       // branches
    // Level rows of level_config.xml see the tables of config.xml and data.xml.
    ASSERT_EQ(GetLevelCount(), 2);
    const auto& drops = CLevelDefinitions::Instance().drops;
    EXPECT_EQ(GetLevelInfo(0)->drop_table, &drops[0]);
    EXPECT_EQ(GetLevelInfo(1)->drop_table, &drops[1]);
    EXPECT_FALSE(loader.Reader().IsLoaded());
}

TEST_F(PropertyLoading, AMissingRequiredFileStopsTheLoad)
{
    std::remove(dir.File("properties/data.xml").c_str());
    CPropertyLoader loader(nullptr);
    loader.SetBaseFolder(dir.Path());
    std::string error;
    try {
        loader.Load();
    } catch (const char* text) {
        error = text;
    }
    EXPECT_EQ(error, "Unable to load XML document into the parser");
    EXPECT_EQ(Loads(), (std::vector<std::string>{"element c", "pearls", "creator", "sun c"}));
    EXPECT_EQ(GetLevelCount(), 0) << "level_config.xml is not read";
}

TEST_F(PropertyLoading, AComponentThatRejectsAnOptionalFileSkipsOnlyTheRestOfIt)
{
    dir.WriteFile("properties/gui.xml", "<data><t_info v='throw'/></data>");
    dir.WriteFile("properties/mainmenu.xml", "<data><t_menuimages v='m'/></data>");
    dir.WriteFile("properties/animals.xml", "<data><t_animals v='broken'");
    CPropertyLoader loader(nullptr);
    loader.SetBaseFolder(dir.Path());
    loader.Load();
    std::vector<std::string> loads = Loads();
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "gui"), 1) << "only mainmenu.xml's GUI descriptions run";
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "map"), 0);
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "animals broken"), 0);
    EXPECT_NE(std::find(loads.begin(), loads.end(), "menuimages m"), loads.end());
}

TEST_F(PropertyLoading, EachOptionalFileThatIsMissingOrRejectedLogsOneLine)
{
    dir.WriteFile("properties/gui.xml", "<data><t_info v='throw'/></data>");
    dir.WriteFile("properties/animals.xml", "<data>\n<t_animals v='broken'");
    dir.WriteFile("properties/mainmenu.xml", "<data/>");
    dir.WriteFile("properties/branches", "<data/>");
    dir.WriteFile("properties/offsets.xml", "<data/>");
    dir.WriteFile("properties/constants.xml", "<data/>");
    testsupport::LogCapture log;
    CPropertyLoader loader(nullptr);
    loader.SetBaseFolder(dir.Path());
    loader.Load();
    const std::string text = log.Text();
    EXPECT_EQ(log.Lines(), 3u) << text;
    EXPECT_NE(text.find("properties\\gui.xml: rejected (the rest of the file is skipped)"), std::string::npos) << text;
    EXPECT_NE(text.find("properties\\animals.xml:2: "), std::string::npos) << text;
    EXPECT_NE(text.find("properties\\locations.xml: cannot be read"), std::string::npos) << text;
}

TEST_F(PropertyLoading, ARequiredFileWithBadLevelDataStopsTheLoad)
{
    dir.WriteFile("properties/level_config.xml", "<data><level location='A' grid='000'/></data>");
    CPropertyLoader loader(nullptr);
    loader.SetBaseFolder(dir.Path());
    testsupport::LogCapture log;
    EXPECT_THROW(loader.Load(), std::runtime_error);
    EXPECT_NE(log.Text().find("level_config.xml: "), std::string::npos) << log.Text();
}
