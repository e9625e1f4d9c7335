// The level map's caption: the level's number and name put into text 142, which is data, so its codes
// are filled and never handed to printf; a name holding codes shows as written.
#include <gtest/gtest.h>

#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "data/CStringTable.h"
#include "screens/CMapWindow.h"
#include "shell/ShellTestSupport.h"

using namespace tilvan;

namespace
{

class Host : public CGameStateHost
{
public:
    void SetState(CGameState* next) override { delete next; }
    void ReturnToMainMenu() override {}
    bool IsLoaded() const override { return true; }
    bool LoadingFailed() const override { return false; }
    void AbortLoading() override {}
};

} // namespace

TEST(MapCaption, TheLevelsNameShowsAsWrittenWhateverCodesItHolds)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    GetStringTable().Set(142, "Level %i: %s (%d%%)");
    struct Case {
        std::string name, caption;
    } cases[] = {
        {"First Thaw", "Level 1: First Thaw (%d%)"},
        {"Reef %s %n %i 100%", "Level 1: Reef %s %n %i 100% (%d%)"},
        {std::string(2000, 'x'), "Level 1: " + std::string(2000, 'x') + " (%d%)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        CLevelDefinitions::Instance().Clear();
        CLevelDefinitions::Instance().levels.emplace_back();
        AssignLocalized(CLevelDefinitions::Instance().levels.back().name, c.name);
        CPlayerInfo::Instance().Reset();
        CPlayerInfo::Instance().level = 0;
        Host host;
        CMapWindow map(&host, true);
        map.Activate();
        EXPECT_EQ(map.Caption(), c.caption);
        map.Deactivate();
    }
    CLevelDefinitions::Instance().Clear();
}
