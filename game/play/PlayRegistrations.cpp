// The play folder's registrations: the saved classes of play, the fire's rows, the script classes
// of play and the events script as the board's and the player's hook host.
#include "play/PlayRegistrations.h"

#include <luabind/luabind.hpp>

#include "board/BoardScript.h"
#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "data/StartupRegistrations.h"
#include "play/CPlay.h"
#include "play/PlayHooks.h"
#include "play/PlaySave.h"
#include "records/RecordsWindows.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

bool gHooks = true;

struct BonusScriptNames {
};

void RegisterPlayScriptClasses(lua_State* L)
{
    using namespace luabind;
    module(
        L)[class_<BonusScriptNames>("bonus_class")
               .enum_("kinds")[value("none", kBonusNone), value("pufferfish", kBonusPufferfish),
                               value("hammerfish", kBonusHammerfish), value("snail", kBonusSnail),
                               value("octopus", kBonusOctopus), value("crab", kBonusCrab), value("shark", kBonusShark),
                               value("goldy", kBonusGoldy)],
           class_<CLevel>("level_class")
               .enum_("states")[value("win", CLevel::win), value("lose", CLevel::lose), value("danger", CLevel::danger),
                                value("ending", CLevel::ending), value("normal", CLevel::normal)]
               .def("is_bonus", &CLevel::is_bonus)
               .def("get_state", &CLevel::get_state)
               .def("get_number", &CLevel::get_number)
               .def("is_winning", &CLevel::is_winning),
           class_<CCursor>("cursor_class")
               .enum_("states")[value("free", CCursor::free), value("element_state", CCursor::element_state),
                                value("hammerfish", CCursor::hammerfish), value("pufferfish", CCursor::pufferfish),
                                value("octopus", CCursor::octopus), value("octopus_element", CCursor::octopus_element)]
               .property("state", &CCursor::GetState),
           def("get_fire_upgrade_cost", &get_fire_upgrade_cost)];
}

// The player's level and record and the current pipeline behind the bonuses. The creature a bonus
// sets free comes with the world.
class CPlayBonusServices : public CBonusServices
{
public:
    int PlayerLevel() const override { return CPlayerInfo::Instance().level; }
    float PipelineFullness() const override
    {
        CPipeline* pipeline = CLevel::CurrentPipeline();
        return pipeline ? pipeline->get_full_percents() : 1.0f;
    }
    void Collect(const CElement&, int kind) override
    {
        CPlayerInfo& player = CPlayerInfo::Instance();
        ++player.statistic.bonuses;
        player.AddScore(GetBonusScore(kind), true);
        if (kind >= kBonusPufferfish && kind <= kBonusOctopus)
            player.AddBonusCount(BonusTypeToSlot(kind), 1);
    }
};

// The board's hooks go to the events script and its score and pearls to the player's record.
void InstallBoardEvents()
{
    static CScriptBoardEvents events(
        CEventsScript::Instance(),
        CScriptBoardEvents::PlayerLink{[] {
                                           CPlayerInfo::Instance().AddPearls(1);
                                           return CPlayerInfo::Instance().points;
                                       },
                                       [](int score) { CPlayerInfo::Instance().AddScore(score, true); },
                                       [](int freeSpace, int count) {
                                           CPlayerInfo::Instance().free_space = freeSpace;
                                           CPlayerInfo::Instance().elements_num = count;
                                       }});
    SetBoardEvents(&events);
}

} // namespace

bool PlayHooksEnabled()
{
    return gHooks;
}

void SetPlayHooksEnabled(bool on)
{
    gHooks = on;
}

void RegisterPlay(CStartupRegistrations& steps)
{
    AddPlaySaveRegistrations(steps);
    steps.Add(EStartupStep::FolderComponents, [] {
        SetFireConfiguration(&CFire::DeclareConfig,
                             [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { CFire::LoadConfig(r); });
        CEventsScript::AddBindings(&RegisterPlayScriptClasses);
        static CPlayBonusServices bonuses;
        SetBonusServices(&bonuses);
        CPlayerInfo::SetPearlHook([](int points) { CallPlayHook("on_pearl_count_changed", 0, points, false); });
        // The level's end and the game's end show the records' windows, which award and record.
        RecordsWindowMakers() = CRecordsWindowMakers{
            [](int levelIndex) { RunStatisticsWindow(levelIndex); },
            [](bool completed, int timeLeftMs) { RunBonusStatisticsWindow(completed, timeLeftMs); },
            [](bool highlight) { RunRecordsWindow(highlight); }};
        CMouseListener::SetCursorAccess([](int setTo) {
            if (setTo >= 0)
                services::SetAppCursor(setTo);
            return services::AppCursor();
        });
    });
}

// The events script is made on its first use; the board's hooks need it only once play runs.
void InstallPlayEvents()
{
    InstallBoardEvents();
}

} // namespace tilvan
