// The main menu: the screen after start-up and after every game. Its scene, a greeting naming the
// player, the five described buttons, the profile link and the publisher logos; it opens the game,
// the records, the options, the help and the question before quitting.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/CLocalizedText.h"
#include "screens/CMainMenuScene.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CScreen.h"
#include "widgets/ButtonListener.h"

namespace Olvarn
{
class ButtonWidget;
class Dialog;
class HyperlinkWidget;
} // namespace Olvarn

namespace tilvan
{

class CScreen;

// The windows of other folders the menu opens. Each maker answers a new dialog, or null while that
// window does not exist in this build; the menu then opens nothing and logs it.
struct CMainMenuWindows {
    // The records table, its last record highlighted.
    std::function<Olvarn::Dialog*()> records;
    // The help window owned by the screen, at its first page.
    std::function<Olvarn::Dialog*(CScreen* owner)> help;
    // The profile list; the menu runs it until it is closed.
    std::function<Olvarn::Dialog*()> userManagement;
    // The first profile's dialog: no cancel, the name proposed.
    std::function<Olvarn::Dialog*(const std::string& initialName)> createProfile;
};
CMainMenuWindows& MainMenuWindows();

// The greeting: text 136 without a player; with one, text 137 with its "$N" references expanded
// first and then its "%s" taking the player's name as typed.
std::string MainMenuGreeting(const std::string* playerName);

class CMainMenu : public CScreen, public Olvarn::ButtonListener
{
public:
    enum EButton { kPlay = 2, kHighscores = 3, kOptions = 4, kHelp = 5, kQuit = 6, kProfileLink = 7, kFirstLogo = 8 };
    static constexpr int kKeyEnter = 13;
    static constexpr int kKeyEscape = 27;

    struct LogoLink {
        std::shared_ptr<Olvarn::ButtonWidget> button;
        std::string url;
    };

    CMainMenu();
    ~CMainMenu() override;

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void OnDetached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;

    // Called by the constructor with kFirstLogo.
    void CreateLogoButtons(int firstId);

    const std::vector<Olvarn::Widget*>& Buttons() const { return buttons; }
    const std::vector<LogoLink>& LogoLinks() const { return logoLinks; }
    Olvarn::HyperlinkWidget* ProfileLink() const { return profileLink; }
    const std::string& Greeting() const { return greeting; }
    float GreetingX() const { return greetingX; }
    float GreetingY() const { return greetingY; }
    CMainMenuScene& Scene() { return scene; }

    // How a logo opens its address; tests watch it instead of a browser.
    static void SetUrlOpener(std::function<void(const std::string&)> opener);

private:
    void CreateMenuButton(int id, const std::string& widgetName);
    void CreateProfileLink();
    void BuildGreeting();
    void StartMusic();
    void OpenCreateProfileIfNone();
    void Play();
    void AskQuit();

    std::vector<Olvarn::Widget*> buttons;
    std::vector<LogoLink> logoLinks;
    Olvarn::HyperlinkWidget* profileLink = nullptr;
    std::string greeting;
    float greetingX = 0;
    float greetingY = 0;
    CMainMenuScene scene;
    CGuiDescriptions::WindowDescription* description = nullptr;
};

} // namespace tilvan
