// The main menu: its buttons and greeting, what each button opens, and the way out of the game.
#include "screens/CMainMenu.h"

#include "board/CElementType.h"
#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "data/DataCodecs.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Log.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/LevelResult.h"
#include "resources/ResourceManager.h"
#include "screens/CGameScreen.h"
#include "screens/COptionsDialog.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameApp.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "shell/GameTiming.h"
#include "sound/MusicInterface.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kGreetingWithName = 137;
constexpr const char* kGreetingWithoutName = "$136";
constexpr int kProfileLinkText = 141;
constexpr size_t kMaxGreeting = 4095;
constexpr int kMusicMenu = 0;
constexpr int kLastGameTrack = 5;
constexpr double kGameMusicFadeOut = 0.004;
constexpr double kMenuMusicFadeIn = 0.002;
constexpr int kOptionsDialogId = 1;
constexpr int kProfileDialogId = 3;
constexpr int kOwnDialogId = -1;
// The exit question's "no".
constexpr int kStayInGame = 1;
// The saved-game question: 0 starts over, 2 keeps the menu, anything else continues.
constexpr int kStartOver = 0;
constexpr int kKeepMenu = 2;

std::function<void(const std::string&)>& UrlOpener()
{
    static std::function<void(const std::string&)> opener;
    return opener;
}

// A window of another folder that this build lacks: the menu opens nothing and says so.
Olvarn::Dialog* Missing(const char* window)
{
    Olvarn::LogWrite(Olvarn::LogLevel::Warning, "main menu: the %s is not part of this build", window);
    return nullptr;
}

Olvarn::Dialog* OpenRecordsWindow()
{
    auto& maker = MainMenuWindows().records;
    return maker ? maker() : Missing("records window");
}

Olvarn::Dialog* OpenHelpWindow(CScreen* owner)
{
    auto& maker = MainMenuWindows().help;
    return maker ? maker(owner) : Missing("help window");
}

Olvarn::Dialog* OpenUserManagement()
{
    auto& maker = MainMenuWindows().userManagement;
    return maker ? maker() : Missing("profile window");
}

Olvarn::Dialog* OpenCreateProfileDialog(const std::string& initialName)
{
    auto& maker = MainMenuWindows().createProfile;
    return maker ? maker(initialName) : Missing("create-profile dialog");
}

void OpenUrl(const std::string& url)
{
    if (url.empty())
        return;
    if (UrlOpener()) {
        UrlOpener()(url);
        return;
    }
    // The window goes down only for an address the desktop took.
    if (CGameApp* app = services::App(); app && app->OpenUrl(url, false))
        app->MinimizeWindow();
}

} // namespace

CMainMenuWindows& MainMenuWindows()
{
    static CMainMenuWindows windows;
    return windows;
}

std::string MainMenuGreeting(const std::string* playerName)
{
    if (!playerName)
        return GetStringTable().Expand(kGreetingWithoutName);
    // The references are expanded before the name goes in, so a name holding "$" or "%" shows as typed.
    std::string format = GetStringTable().Expand(GetStringTable().GetString(kGreetingWithName));
    std::string text = SubstituteTextCodes(format, {*playerName});
    if (text.size() > kMaxGreeting)
        text.resize(kMaxGreeting);
    return text;
}

void CMainMenu::SetUrlOpener(std::function<void(const std::string&)> opener)
{
    UrlOpener() = std::move(opener);
}

CMainMenu::CMainMenu() : description(CGuiDescriptions::Instance().FindWindow("mainmenu"))
{
    StartMusic();
    CreateMenuButton(kPlay, "play");
    CreateMenuButton(kHighscores, "highscores");
    CreateMenuButton(kOptions, "options");
    CreateMenuButton(kHelp, "help");
    CreateMenuButton(kQuit, "quit");
    BuildGreeting();
    CreateProfileLink();
    CreateLogoButtons(kFirstLogo);
}

CMainMenu::~CMainMenu()
{
    if (!records::SavePlayerFiles(CProfiles::Instance(), CRecords::Instance()))
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The profiles or the records could not be written");
    for (Olvarn::Widget* widget : buttons) {
        if (widget->mParent)
            widget->mParent->RemoveWidget(widget);
        delete widget;
    }
    for (LogoLink& link : logoLinks)
        if (link.button->mParent)
            link.button->mParent->RemoveWidget(link.button.get());
    if (Olvarn::ResourceManager* resources = services::Resources())
        resources->UnloadGroup("MainMenu");
}

void CMainMenu::StartMusic()
{
    Olvarn::MusicInterface* music = services::Music();
    if (!music)
        return;
    for (int track = kMusicMenu + 1; track <= kLastGameTrack; ++track)
        music->FadeOut(track, true, kGameMusicFadeOut);
    if (!music->IsPlaying(kMusicMenu))
        music->FadeIn(kMusicMenu, 0, kMenuMusicFadeIn, false);
}

void CMainMenu::CreateMenuButton(int id, const std::string& widgetName)
{
    const CGuiDescriptions::WidgetDescription* d = description ? description->FindWidget(widgetName) : nullptr;
    if (!d)
        return;
    auto* button = new CGameButton(id, this);
    if (Olvarn::Font* font = services::FindFont(d->font.empty() ? "FONT_MAINMENU" : d->font))
        button->SetFont(font);
    for (int index = 0; index < 3; ++index)
        button->SetColor(index, d->color);
    button->ShowHandCursor(true);
    button->mButtonImage = services::FindImage(d->image);
    button->mOverImage = services::FindImage(d->imageOver);
    button->mDownImage = services::FindImage(d->imagePress);
    button->mLabel = d->text.Get();
    Olvarn::Image* normal = button->mButtonImage;
    float width = d->width == -1 ? float(normal ? normal->GetWidth() : 0) : d->width;
    float height = d->height == -1 ? float(normal ? normal->GetHeight() : 0) : d->height;
    float x = d->xCentered ? d->x - width / 2 : d->x;
    button->Resize(int(x), int(d->y), int(width), int(height));
    buttons.push_back(button);
}

void CMainMenu::BuildGreeting()
{
    CProfile* profile = CProfiles::Instance().GetCurrentProfile();
    greeting = MainMenuGreeting(profile ? &profile->name : nullptr);
    if (Olvarn::Font* font = services::FindFont("FONT_GREET")) {
        greetingX = 512 - float(font->TextWidth(greeting)) / 2;
        greetingY = float(font->Height()) * 1.5f;
    }
}

void CMainMenu::CreateProfileLink()
{
    profileLink = new Olvarn::HyperlinkWidget(kProfileLink, this);
    profileLink->mLabel = GetStringTable().GetString(kProfileLinkText);
    if (Olvarn::Font* font = services::FindFont("FONT_HYPERLINK"))
        profileLink->SetFont(font);
    profileLink->mLinkColor = Olvarn::Color(255, 255, 255, 255);
    profileLink->mLinkOverColor = Olvarn::Color(255, 255, 0, 255);
    int width = 0, height = 0;
    // Measured with the font it is drawn in, so the whole label fits; "FONT_TEXT" when that is missing.
    Olvarn::Font* measure = services::FindFont("FONT_HYPERLINK");
    if (!measure)
        measure = services::FindFont("FONT_TEXT");
    if (measure) {
        width = measure->TextWidth(profileLink->mLabel);
        height = measure->Height();
    }
    profileLink->Resize(512 - width / 2, int(greetingY + 10), width, height);
    buttons.push_back(profileLink);
}

void CMainMenu::CreateLogoButtons(int firstId)
{
    int id = firstId;
    for (const CMainMenuLogoRow& row : MainMenuConfig().logoRows) {
        auto button = std::make_shared<Olvarn::ButtonWidget>(id++, this);
        Olvarn::Image* image = services::FindImage(row.image);
        button->mButtonImage = image;
        button->mOverImage = image;
        button->mDownImage = image;
        button->mDisabledImage = image;
        button->ShowHandCursor(true);
        if (image)
            button->Resize(int(row.x), int(row.y), image->GetWidth(), image->GetHeight());
        if (row.hyperlink.empty())
            button->SetDisabled(true);
        logoLinks.push_back({button, row.hyperlink});
    }
}

void CMainMenu::OnAttached(Olvarn::WidgetManager* manager)
{
    CScreen::OnAttached(manager);
    manager->SendToBack(this);
    for (Olvarn::Widget* widget : buttons)
        manager->AddWidget(widget);
    for (LogoLink& link : logoLinks)
        manager->AddWidget(link.button.get());
    scene.Build();
    OpenCreateProfileIfNone();
}

void CMainMenu::OnDetached(Olvarn::WidgetManager* manager)
{
    for (Olvarn::Widget* widget : buttons)
        if (widget->mParent)
            manager->RemoveWidget(widget);
    for (LogoLink& link : logoLinks)
        if (link.button->mParent)
            manager->RemoveWidget(link.button.get());
    CScreen::OnDetached(manager);
}

void CMainMenu::OpenCreateProfileIfNone()
{
    if (CProfiles::Instance().GetCount() != 0)
        return;
    std::string name = GetStringTable().Expand(CConstantsRegistry::Instance().Get("records", "player"));
    if (Olvarn::Dialog* dialog = OpenCreateProfileDialog(name))
        services::OpenDialog(dialog, kProfileDialogId);
}

void CMainMenu::Update()
{
    BuildGreeting();
    CScreen::Update();
    // The scene draws random numbers: it lives in whole updates, which a replay repeats exactly.
    scene.Update(kUpdateStepMs);
    Invalidate();
}

void CMainMenu::Draw(Olvarn::Graphics& g)
{
    g.SetColor(Olvarn::Color(0, 0, 0, 255));
    g.FillRect(0, 0, mWidth, mHeight);
    CLayerRegistry::Instance().DrawAll(g);
    scene.DrawFrontWater(g);
    if (Olvarn::Font* font = services::FindFont("FONT_GREET")) {
        g.SetFont(font);
        g.DrawStringUncolored(greeting, int(greetingX), int(greetingY));
    }
}

void CMainMenu::OnKeyDown(int key)
{
    if (key == kKeyEscape)
        OnButtonRelease(kQuit);
    else if (key == kKeyEnter)
        OnButtonRelease(kPlay);
}

void CMainMenu::Play()
{
    int answer = kStartOver;
    if (CGameScreen::CanContinue()) {
        answer = services::RunDialog(new CDialogBuilder("continue", false), CDialogBuilder::kDialogId, true);
        if (answer == kKeepMenu)
            return;
    }
    if (CGameApp* app = services::App())
        app->SetScreen(new CGameScreen(answer != kStartOver));
}

void CMainMenu::AskQuit()
{
    int answer = services::RunDialog(new CDialogBuilder("exit_game", false), CDialogBuilder::kDialogId, true);
    if (answer == kStayInGame)
        return;
    SaveOffsetsFile("");
    if (CGameApp* app = services::App())
        app->Quit();
}

void CMainMenu::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    switch (id) {
    case kPlay:
        Play();
        return;
    case kHighscores:
        if (Olvarn::Dialog* dialog = OpenRecordsWindow())
            services::OpenDialog(dialog, kOwnDialogId);
        return;
    case kOptions:
        services::OpenDialog(new COptionsDialog(nullptr, "options"), kOptionsDialogId);
        return;
    case kHelp:
        if (Olvarn::Dialog* dialog = OpenHelpWindow(this))
            services::OpenDialog(dialog, kOwnDialogId);
        return;
    case kQuit:
        AskQuit();
        return;
    case kProfileLink:
        // The greeting follows the profile chosen there at the next update.
        if (Olvarn::Dialog* dialog = OpenUserManagement())
            services::RunDialog(dialog, kOwnDialogId, false);
        return;
    default:
        for (const LogoLink& link : logoLinks) {
            if (link.button && link.button->mId == id) {
                OpenUrl(link.url);
                return;
            }
        }
    }
}

} // namespace tilvan
