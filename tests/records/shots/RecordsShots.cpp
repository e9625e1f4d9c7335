// records-shots: opens one of the records' windows in the game's own window with made-up profiles,
// results and a finished level, so that it can be looked at and captured. The player's files go to a
// scratch folder (XDG_DATA_HOME), never to the real ones.
//   records-shots records|users|create|statistics|bonus
#include <cstdio>
#include <cstdlib>
#include <string>

#include "GameRegistrations.h"
#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "platform/Paths.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/RecordsWindows.h"
#include "shell/CGameApp.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace
{

using namespace tilvan;

void MakeProfilesAndResults()
{
    CProfiles& profiles = CProfiles::Instance();
    for (const char* name : {"Mira", "J\xF6rg \xC5ngstr\xF6m", "Bea", "Teodor"})
        if (!profiles.FindProfile(name))
            profiles.AddProfile(name, false);
    profiles.SetCurrentProfile("Mira");
    CProfile& mira = *profiles.FindProfile("Mira");
    for (int level = 0; level < 6; ++level)
        mira.AddMedals(level, level % 3 == 0 ? 7 : 3);
    mira.SetCrown();

    CRecords& records = CRecords::Instance();
    records.Reset();
    const struct {
        const char* name;
        int score;
    } results[] = {{"Mira", 48210},   {"Bea", 40075},  {"J\xF6rg \xC5ngstr\xF6m", 36900},
                   {"Teodor", 21040}, {"Mira", 18400}, {"Bea", 9950},
                   {"Teodor", 4200}};
    for (const auto& r : results)
        records.AddResult(*profiles.FindProfile(r.name), r.score, GetLevelCount(), SystemTimeTicks());
}

class Driver : public Olvarn::Widget
{
public:
    Driver(CGameApp& app, std::string what) : app(app), what(std::move(what)) { Resize(0, 0, 1, 1); }

    void Update() override
    {
        if (!app.mLoaded || ++updates < 50 || opened)
            return;
        opened = true;
        MakeProfilesAndResults();
        CPlayerInfo& player = CPlayerInfo::Instance();
        player.score = 52300;
        player.statistic.score = 6400;
        player.statistic.time = 143000;
        player.statistic.bonuses = 4;
        player.statistic.pearls = 7;
        std::fprintf(stderr, "records-shots: %s open\n", what.c_str());
        if (what == "records") {
            // The online tabs show; nothing connects until one is clicked.
            CConstantsRegistry::Instance().Get("records", "url") = "http://127.0.0.1:9/scores";
            CRecords::Instance().last_record = 3;
            RunRecordsWindow(true);
        } else if (what == "users") {
            RunUserManagement();
        } else if (what == "create") {
            RunCreateProfile(false, "Player");
        } else if (what == "statistics") {
            player.points = 60;
            CProfiles::Instance().SetCurrentProfile("Bea");
            RunStatisticsWindow(GetLevelCount() - 1);
        } else if (what == "bonus") {
            RunBonusStatisticsWindow(true, 41500);
        }
        app.Quit();
    }

private:
    CGameApp& app;
    std::string what;
    int updates = 0;
    bool opened = false;
};

} // namespace

int main(int argc, char** argv)
{
    std::string what = argc > 1 ? argv[1] : "";
    if (what != "records" && what != "users" && what != "create" && what != "statistics" && what != "bonus") {
        std::fprintf(stderr, "usage: records-shots records|users|create|statistics|bonus\n");
        return 2;
    }
    tilvan::RegisterGameFolders();
    std::string path = Olvarn::Paths::ExecutablePath();
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        Olvarn::Paths::ChangeDirectory(path.substr(0, cut));
    tilvan::CGameApp& app = tilvan::CGameApp::Instance();
    app.mOnlyAllowOneCopyToRun = false;
    app.InitApp();
    Driver driver(app, what);
    if (app.mWidgetManager)
        app.mWidgetManager->AddWidget(&driver);
    app.RunApp();
    if (app.mWidgetManager)
        app.mWidgetManager->RemoveWidget(&driver);
    app.RemoveScreen();
    return 0;
}
