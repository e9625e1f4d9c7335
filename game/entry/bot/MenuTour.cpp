// tamberlo-menu-tour: presses every button of the main menu through the game's own input path (mouse
// and key messages into the application's queue), checks what each one opens, changes the music
// volume in the options, and ends the game through the quit question. One line per check; exit 0
// only when every check held and the settings file kept the new volume.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../GameRegistrations.h"
#include "BotInput.h"
#include "app/OlvarnAppBase.h"
#include "core/Random.h"
#include "data/CStringTable.h"
#include "graphics/Image.h"
#include "platform/AppMessage.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "play/CLevel.h"
#include "play/CPlay.h"
#include "records/CCreateProfileDialog.h"
#include "screens/CGameScreen.h"
#include "screens/CMainMenu.h"
#include "screens/CMapWindow.h"
#include "screens/COptionsDialog.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameApp.h"
#include "shell/CGameButton.h"
#include "shell/CHelpWindow.h"
#include "shell/GameServices.h"
#include "widgets/Checkbox.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/Slider.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace
{

using namespace tilvan;

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kMapMenuCaption = 353;
constexpr int kMapPlayCaption = 355;
constexpr double kNewMusicVolume = 0.3;
// How long a step may take, in seconds of real time (the game's clock runs as fast as it can): the
// first one waits for the start-up loading.
constexpr double kLoadingSeconds = 120;
constexpr double kStepSeconds = 20;

class FastClock : public Olvarn::Clock
{
public:
    int NowMs() override { return now += 1; }
    uint32_t TickCount() override { return static_cast<uint32_t>(now); }
    void SleepMs(int ms) override { now += ms; }

private:
    int now = 1000;
};

// One step of the tour: it acts once, then waits until its check holds (or gives up).
struct Step {
    std::string name;
    std::function<void()> act;
    std::function<bool()> done;
};

class Tour : public Olvarn::Widget
{
public:
    Tour(CGameApp& app, int pauseMs) : app(app), pauseMs(pauseMs) { Resize(0, 0, 1, 1); }

    void Update() override;
    void Build();
    // The last step ends the game, so its check runs once the main loop has stopped.
    void Conclude()
    {
        if (finished || current + 1 != steps.size() || !acted)
            return;
        bool ok = steps[current].done();
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", steps[current].name.c_str());
        failures += ok ? 0 : 1;
        finished = true;
    }

    int failures = 0;
    bool finished = false;

private:
    void Post(Olvarn::AppMessageKind kind, int x, int y, int64_t buttons = 0)
    {
        bot::PostMouse(app, kind, x, y, buttons);
    }
    void Click(Olvarn::Widget* w)
    {
        if (!w) {
            Fail("nothing to click");
            return;
        }
        int x = 0, y = 0;
        w->ToRootCoords(w->mWidth / 2, w->mHeight / 2, x, y);
        Post(Olvarn::AppMessageKind::MouseMove, x, y);
        Post(Olvarn::AppMessageKind::LButtonDown, x, y, 1);
        Post(Olvarn::AppMessageKind::LButtonUp, x, y);
    }
    // Grabs the slider's thumb and lets it go where the value is `value`.
    void Drag(Olvarn::Slider* slider, double value)
    {
        if (!slider || !slider->mThumbImage) {
            Fail("no slider");
            return;
        }
        int thumb = slider->mThumbImage->GetWidth();
        int x0 = 0, y = 0, x1 = 0;
        slider->ToRootCoords(int((slider->mWidth - thumb) * slider->mValue) + thumb / 2, slider->mHeight / 2, x0, y);
        slider->ToRootCoords(int(std::lround((slider->mWidth - thumb) * value)) + thumb / 2, slider->mHeight / 2, x1,
                             y);
        Post(Olvarn::AppMessageKind::MouseMove, x0, y);
        Post(Olvarn::AppMessageKind::LButtonDown, x0, y, 1);
        Post(Olvarn::AppMessageKind::MouseMove, (x0 + x1) / 2, y, 1);
        Post(Olvarn::AppMessageKind::MouseMove, x1, y, 1);
        Post(Olvarn::AppMessageKind::LButtonUp, x1, y);
    }
    void Key(int key)
    {
        Olvarn::AppMessage m;
        m.mKind = Olvarn::AppMessageKind::KeyDown;
        m.mParam1 = key;
        app.QueueMessage(m);
    }
    void Fail(const std::string& why)
    {
        std::printf("FAIL %s: %s (menu %d, game %d, dialogs %zu)\n", steps[current].name.c_str(), why.c_str(),
                    Menu() != nullptr, Game() != nullptr, app.mDialogMap.size());
        std::fflush(stdout);
        ++failures;
    }

    CMainMenu* Menu() const { return dynamic_cast<CMainMenu*>(app.ScreenHolder().Current()); }
    CGameScreen* Game() const { return dynamic_cast<CGameScreen*>(app.ScreenHolder().Current()); }
    bool HelpShown() const
    {
        for (auto& [id, dialog] : app.mDialogMap)
            if (dynamic_cast<CHelpWindow*>(dialog))
                return true;
        return false;
    }
    bool MenuShown() const { return Menu() && app.mDialogMap.empty() && !app.ScreenHolder().Pending(); }
    COptionsDialog* Options() const { return dynamic_cast<COptionsDialog*>(app.FindDialog(COptionsDialog::kDialogId)); }
    CDialogBuilder* Question() const
    {
        return dynamic_cast<CDialogBuilder*>(app.FindDialog(CDialogBuilder::kDialogId));
    }
    Olvarn::Widget* MenuButton(int id) const
    {
        if (CMainMenu* menu = Menu())
            for (Olvarn::Widget* w : menu->Buttons())
                if (auto* b = dynamic_cast<Olvarn::ButtonWidget*>(w); b && b->mId == id)
                    return b;
        return nullptr;
    }
    Olvarn::Widget* MapButton(int caption) const
    {
        std::string label = GetStringTable().GetString(caption);
        for (Olvarn::Widget* w : app.mWidgetManager->mChildren)
            if (auto* b = dynamic_cast<CGameButton*>(w); b && b->mLabel == label)
                return b;
        return nullptr;
    }
    Olvarn::Widget* MapMenuButton() const { return MapButton(kMapMenuCaption); }
    CPlay* Play() const { return Game() ? dynamic_cast<CPlay*>(Game()->State()) : nullptr; }
    // A window another folder has not built yet: the click opens nothing and the menu stays.
    void AddAbsentWindowStep(const std::string& name, int buttonId, bool present)
    {
        steps.push_back({name + (present ? " opens its window" : " opens nothing while its window is absent"),
                         [this, buttonId] {
                             Click(buttonId == CMainMenu::kProfileLink ? Menu()->ProfileLink() : MenuButton(buttonId));
                         },
                         [this, present] {
                             if (!present)
                                 return MenuShown();
                             if (app.mDialogMap.empty())
                                 return false;
                             // The window is closed again for the next step.
                             services::CloseDialog(app.mDialogMap.begin()->second);
                             return true;
                         }});
    }

    CGameApp& app;
    int pauseMs;
    std::vector<Step> steps;
    size_t current = 0;
    bool acted = false;
    int waited = 0;
    int settle = 0;
    double oldMusic = 0;
    bool clicked = false;
    std::chrono::steady_clock::time_point stepStart;
};

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void Tour::Build()
{
    steps.push_back({"the main menu is the first screen; a first start asks for a name", [] {},
                     [this] {
                         // The proposed name is taken.
                         auto* named =
                             dynamic_cast<CCreateProfileDialog*>(app.FindDialog(CCreateProfileDialog::kDialogId));
                         if (named && named->OkButton() && app.mMessageQueue.empty())
                             Click(named->OkButton());
                         return MenuShown();
                     }});
    steps.push_back({"shot: menu", [] {}, [] { return true; }});
    steps.push_back({"options opens the options dialog", [this] { Click(MenuButton(CMainMenu::kOptions)); },
                     [this] { return Options() != nullptr; }});
    steps.push_back({"shot: options", [] {}, [] { return true; }});
    steps.push_back({"dragging the music slider changes the music at once",
                     [this] {
                         oldMusic = services::MusicVolume();
                         Drag(Options()->MusicSlider(), kNewMusicVolume);
                     },
                     [this] { return std::abs(services::MusicVolume() - kNewMusicVolume) < 0.011; }});
    steps.push_back({"cancel puts the old volume back", [this] { Click(Options()->ContinueButton()); },
                     [this] { return MenuShown() && services::MusicVolume() == oldMusic; }});
    steps.push_back(
        {"options again", [this] { Click(MenuButton(CMainMenu::kOptions)); }, [this] { return Options() != nullptr; }});
    steps.push_back({"the new music volume is kept by OK", [this] { Drag(Options()->MusicSlider(), kNewMusicVolume); },
                     [this] { return services::MusicVolume() == services::StoredVolume(services::MusicVolume()); }});
    steps.push_back({"OK closes the options", [this] { Click(Options()->MenuButton()); },
                     [this] { return MenuShown() && std::abs(services::MusicVolume() - kNewMusicVolume) < 0.011; }});
    AddAbsentWindowStep("high scores", CMainMenu::kHighscores, bool(MainMenuWindows().records));
    AddAbsentWindowStep("help", CMainMenu::kHelp, bool(MainMenuWindows().help));
    AddAbsentWindowStep("the profile link", CMainMenu::kProfileLink, bool(MainMenuWindows().userManagement));
    steps.push_back({"quit asks exit_game", [this] { Click(MenuButton(CMainMenu::kQuit)); },
                     [this] { return Question() != nullptr; }});
    steps.push_back({"shot: quit", [] {}, [] { return true; }});
    steps.push_back(
        {"its No keeps the menu", [this] { Click(Question()->RightButton()); }, [this] { return MenuShown(); }});
    steps.push_back({"Enter acts as play", [this] { Key(kKeyEnter); },
                     [this] { return Game() && dynamic_cast<CMapWindow*>(Game()->State()) && MapMenuButton(); }});
    steps.push_back({"the map's menu button returns to the main menu", [this] { Click(MapMenuButton()); },
                     [this] { return MenuShown(); }});
    steps.push_back({"shot: menu2", [] {}, [] { return true; }});
    steps.push_back({"play opens the game screen at the level map", [this] { Click(MenuButton(CMainMenu::kPlay)); },
                     [this] { return Game() && dynamic_cast<CMapWindow*>(Game()->State()) && MapMenuButton(); }});
    steps.push_back({"the map's play button starts a level", [this] { Click(MapButton(kMapPlayCaption)); },
                     [this] {
                         // The level's own messages before it starts are answered as they come; the
                         // rules offered at the first level are closed with Escape.
                         if (HelpShown() && !clicked) {
                             Key(kKeyEscape);
                             clicked = true;
                             return false;
                         }
                         if (CDialogBuilder* box = Question(); box && !clicked) {
                             Click(box->CenterButton() ? box->CenterButton() : box->LeftButton());
                             clicked = true;
                             return false;
                         }
                         if (app.mMessageQueue.empty())
                             clicked = false;
                         CPlay* play = Play();
                         return play && play->Level().get_state() == CLevel::normal && !play->IsBusy();
                     }});
    steps.push_back({"Escape in the level opens the options, which pause it", [this] { Key(kKeyEscape); },
                     [this] { return Options() && Play() && Play()->IsBusy(); }});
    steps.push_back({"shot: options in a level", [] {}, [] { return true; }});
    steps.push_back({"their Continue goes back to the level", [this] { Click(Options()->ContinueButton()); },
                     [this] { return !Options() && Play() && !Play()->IsBusy(); }});
    steps.push_back({"Escape again", [this] { Key(kKeyEscape); }, [this] { return Options() != nullptr; }});
    steps.push_back({"their Main menu leaves the level for the main menu", [this] { Click(Options()->MenuButton()); },
                     [this] { return MenuShown(); }});
    steps.push_back({"Escape asks exit_game", [this] { Key(kKeyEscape); }, [this] { return Question() != nullptr; }});
    steps.push_back({"its Yes ends the game", [this] { Click(Question()->LeftButton()); },
                     [this] { return app.mShutdown.load(); }});
}

void Tour::Update()
{
    app.mLastUserInputTick = app.GetClock().NowMs();
    if (finished || current >= steps.size())
        return;
    if (!app.mMessageQueue.empty())
        return;
    // Let the game take in what the last messages did.
    if (settle > 0) {
        --settle;
        return;
    }
    Step& step = steps[current];
    if (!acted) {
        acted = true;
        waited = 0;
        stepStart = std::chrono::steady_clock::now();
        step.act();
        settle = 5;
        return;
    }
    if (step.name.rfind("shot: ", 0) == 0) {
        // A few frames to draw what the last step opened; then the picture stands while a
        // screenshot is taken from outside.
        if (++waited < 30)
            return;
        std::printf("%s\n", step.name.c_str());
        std::fflush(stdout);
        if (pauseMs > 0)
            app.GetClock().SleepMs(pauseMs);
    }
    if (step.done()) {
        std::printf("ok   %s\n", step.name.c_str());
        std::fflush(stdout);
    } else if (Seconds(std::chrono::steady_clock::now() - stepStart) <
               (current == 0 ? kLoadingSeconds : kStepSeconds)) {
        return;
    } else {
        // Later steps build on this one: the tour ends here.
        Fail("it did not happen");
        finished = true;
        app.Quit();
        return;
    }
    ++current;
    acted = false;
    if (current == steps.size())
        finished = true;
}

double StoredMusicVolume()
{
    Olvarn::SettingsStore store(Olvarn::SettingsStore::PathForKey(CGameApp::kRegistryKey));
    store.Load();
    Olvarn::SettingsStore::Value value;
    if (!store.Get("MusicVolume", value) || value.mData.size() != 4)
        return -1;
    return (value.mData[0] | value.mData[1] << 8) / 100.0;
}

} // namespace

int main(int argc, char** argv)
{
    bool show = false;
    int pauseMs = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--show")
            show = true;
        else if (a == "--pause-ms" && i + 1 < argc)
            pauseMs = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: tamberlo-menu-tour [--show [--pause-ms N]]\n");
            return 2;
        }
    }
    tilvan::RegisterGameFolders();
    std::string path = Olvarn::Paths::ExecutablePath();
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        Olvarn::Paths::ChangeDirectory(path.substr(0, cut));
    Olvarn::SeedRand(1);

    tilvan::CGameApp& app = tilvan::CGameApp::Instance();
    static FastClock fast;
    if (!show)
        app.SetClock(&fast);
    app.mOnlyAllowOneCopyToRun = false;
    app.InitApp();
    if (!show)
        app.mUpdateMultiplier = 20;
    Tour tour(app, show ? pauseMs : 0);
    tour.Build();
    if (app.mWidgetManager)
        app.mWidgetManager->AddWidget(&tour);
    app.RunApp();
    tour.Conclude();
    if (app.mWidgetManager)
        app.mWidgetManager->RemoveWidget(&tour);
    app.RemoveScreen();
    double stored = StoredMusicVolume();
    bool kept = std::abs(stored - kNewMusicVolume) < 0.001;
    std::printf("%s  the settings file keeps the music volume (%.2f)\n", kept ? "ok  " : "FAIL", stored);
    return tour.finished && tour.failures == 0 && kept ? 0 : 1;
}
