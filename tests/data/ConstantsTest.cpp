// The constants registry: groups over several files, handlers in name order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/CConstantsRegistry.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{
std::vector<std::string> gCalls;
CConstantsRegistry::Group gLastB;

void HandleB(CConstantsRegistry::Group& group)
{
    gCalls.push_back("t_b");
    gLastB = group;
}
void HandleA(CConstantsRegistry::Group& group)
{
    gCalls.push_back("t_a:" + group["x"]);
}
void HandleAOther(CConstantsRegistry::Group&)
{
    gCalls.push_back("second handler");
}
} // namespace

TEST(Constants, FilesMergeAndEveryHandlerRunsAfterEachFile)
{
    static CConstantsRegistrar b("t_b", &HandleB);
    static CConstantsRegistrar a("t_a", &HandleA);
    static CConstantsRegistrar again("t_a", &HandleAOther);
    testsupport::TempDir dir;
    dir.WriteFile("one.xml", "<data><constant group='t_a' name='x' value='1'/><constant group='t_a' name='x' "
                             "value='2'/><constant group='t_c' name='url' value='http://h/'/></data>");
    dir.WriteFile("two.xml", "<data><constant group='t_b' name='y' value='3'/><constant group='t_a' name='x' "
                             "value='4'/></data>");
    auto& registry = CConstantsRegistry::Instance();

    gCalls.clear();
    registry.Load(dir.File("one.xml"));
    auto mine = [] {
        std::vector<std::string> calls;
        for (auto& c : gCalls)
            if (c.rfind("t_", 0) == 0 || c == "second handler")
                calls.push_back(c);
        return calls;
    };
    // Name order; a handler whose group has no rows still runs, with an empty group.
    EXPECT_EQ(mine(), (std::vector<std::string>{"t_a:2", "t_b"}));
    EXPECT_TRUE(gLastB.empty());
    EXPECT_EQ(registry.Get("t_c", "url"), "http://h/");

    gCalls.clear();
    registry.Load(dir.File("two.xml"));
    EXPECT_EQ(mine(), (std::vector<std::string>{"t_a:4", "t_b"}));
    EXPECT_EQ(gLastB["y"], "3");
    EXPECT_EQ(registry.Get("t_c", "url"), "http://h/") << "values of earlier files stay";

    // A file that cannot be read changes nothing and calls no one.
    gCalls.clear();
    dir.WriteFile("bad.xml", "<data><constant group='t_a' name='x' value='9'/>");
    registry.Load(dir.File("bad.xml"));
    registry.Load(dir.File("missing.xml"));
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(registry["t_a"]["x"], "4");

    int value = 7;
    registry.GetInt("t_b", "y", value);
    EXPECT_EQ(value, 3);
    registry.GetInt("t_b", "absent", value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(registry.Groups().at("t_b").count("absent"), 1u);
}

TEST(Constants, AnUnreadableConstantsFileIsLoggedAndChangesNothing)
{
    testsupport::TempDir dir;
    dir.WriteFile("broken.xml", "<data><constant group='t_log' name='x' value='1'/><constant");
    testsupport::LogCapture log;
    auto& registry = CConstantsRegistry::Instance();
    registry.Load(dir.File("broken.xml"));
    registry.Load(dir.File("missing.xml"));
    EXPECT_EQ(registry.Get("t_log", "x"), "");
    EXPECT_EQ(log.Lines(), 2u) << log.Text();
    EXPECT_NE(log.Text().find("broken.xml:1:"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("missing.xml: cannot be read"), std::string::npos) << log.Text();
}
