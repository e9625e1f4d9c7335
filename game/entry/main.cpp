// The program entry: the log, the random generator, the game application, and the outcome as the
// exit code. Every failure is shown titled "Error" and ends the program with a non-zero code.
#include <cstdio>
#include <exception>
#include <string>

#include "GameRegistrations.h"
#include "app/CrashReporter.h"
#include "core/Random.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "shell/CGameApp.h"
#include "shell/GameEntry.h"
#include "shell/IniFile.h"

namespace
{

tilvan::CGameApp* gApp = nullptr;

void ShowError(const std::string& text)
{
    Olvarn::MessageBox::Show(text, "Error", Olvarn::MB_OK | Olvarn::MB_ICONERROR, nullptr);
}

// After a failure the application still shuts down in order: threads stopped, desktop mode and
// settings restored, screens deleted.
void ShutDownAfterFailure()
{
    if (gApp) {
        gApp->Quit();
        gApp->RemoveScreen();
    }
}

// Data files lie beside the executable; reading "game.ini" and the signature file happens before
// the framework's own change of folder, so the entry changes first.
void ChangeToProgramFolder()
{
    std::string path = Olvarn::Paths::ExecutablePath();
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        Olvarn::Paths::ChangeDirectory(path.substr(0, cut));
}

int RunGame()
{
    tilvan::CGameApp& app = tilvan::CGameApp::Instance();
    gApp = &app;
    app.InitApp();
    app.RunApp();
    app.RemoveScreen();
    return app.DataCheckFailed() || app.mLoadingFailed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The crash report helper is this same program started with a private switch.
    int helperExit = 0;
    if (Olvarn::CrashReporter::RunHelperIfAsked(argc, argv, helperExit))
        return helperExit;
    // A termination request is noted from the very start, so it always ends the program in order.
    Olvarn::Process::InstallTerminationHandler();
    Olvarn::Process::SetArguments(argc, argv);
    // Without a home folder there is nowhere to keep the player's files or a crash report: say so and stop.
    std::string dataHome;
    try {
        dataHome = Olvarn::Paths::DataHome();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return 1;
    }
    Olvarn::CrashReporter::InstallFilter(dataHome + "/Tamberlo");
    tilvan::RegisterGameFolders();
    ChangeToProgramFolder();
    if (tilvan::IniFile::Load(tilvan::CGameApp::GameIniPath()).GetInt("debug", "log", 0) != 0)
        std::freopen("output.txt", "w", stdout);
    Olvarn::SeedRand(Olvarn::SystemClock::Instance().TickCount());
    return tilvan::RunGuarded(RunGame, ShowError, ShutDownAfterFailure);
}
