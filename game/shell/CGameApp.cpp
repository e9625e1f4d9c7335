// The game application.
#include "shell/CGameApp.h"

#include <typeinfo>

#include <loki/Singleton.h>

#include "data/CPropertyLoader.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "graphics/DDImage.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Window.h"
#include "resources/ResourceManager.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CLoadingScreen.h"
#include "shell/CScreen.h"
#include "shell/DataFileCheck.h"
#include "shell/GameLog.h"
#include "shell/GameServices.h"
#include "shell/IniFile.h"
#include "sound/DSoundManager.h"
#include "sound/MusicInterface.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kProductNameString = 254;
constexpr int kKeyF3 = 0x72;
constexpr int kCursorPointer = 0;
constexpr int kCursorNone = 5;

// The groups the loading thread loads while the loading screen shows.
constexpr const char* kLoadingGroups[] = {"MainMenu", "General"};

CGameApp::ScreenMaker& FirstScreenMaker()
{
    static CGameApp::ScreenMaker maker;
    return maker;
}

} // namespace

void CGameApp::SetFirstScreenMaker(ScreenMaker maker)
{
    FirstScreenMaker() = std::move(maker);
}

CGameApp& CGameApp::Instance()
{
    return Loki::SingletonHolder<CGameApp>::Instance();
}

std::string CGameApp::GameIniPath()
{
    return Olvarn::Paths::CurrentDirectory() + "/game.ini";
}

void CGameApp::RegisterPropertyComponents()
{
    CPropertyComponent gui;
    gui.declare = [](CXmlDataReader& reader) { CGuiDescriptions::DeclareSchema(reader); };
    gui.load = [](CXmlDataReader& reader, Olvarn::OlvarnAppBase* app) {
        CGuiDescriptions::Instance().Load(reader, app);
    };
    SetPropertyComponent(EPropertyComponent::GuiDescriptions, gui);
}

CGameApp::CGameApp() : mScreenHolder(this)
{
    services::InstallApp(this);
    // The string table sits below the shell, so its load failures reach the player through here.
    CStringTable::SetFailureReporter(
        [](const std::string& text) { services::ShowMessage(text, "Error", Olvarn::MB_OK | Olvarn::MB_ICONERROR); });
    RegisterPropertyComponents();
    mPropertyLoader = std::make_unique<CPropertyLoader>(this);
    mProductName = GetStringTable().GetString(kProductNameString);
    mProductVersion = kVersion;
    mTitle = mProductName + "  " + mProductVersion;
    mRegKey = kRegistryKey;
    mWidth = 1024;
    mHeight = 768;
    mColorDepth = 16;
    mOnlyAllowOneCopyToRun = true;
    mVSyncUpdates = true;
    // Hardware drawing comes on by itself on a card its acceptance test recommends.
    mAuto3D = true;
    SetCursor(kCursorNone);

    ReadLoadingLayout();
    IniFile ini = IniFile::Load(GameIniPath());
    cheats = ini.GetInt("debug", "cheats", 0) != 0;
    if (ini.GetInt("debug", "no_check", 0) == 0)
        CheckDataFiles(kSignatureFile);
}

CGameApp::~CGameApp()
{
    RemoveScreen();
    if (mResourceManager)
        mResourceManager->UnloadGroup("");
    CStringTable::SetFailureReporter(nullptr);
    services::InstallApp(nullptr);
}

void CGameApp::ReadLoadingLayout()
{
    ClearLoadingImages();
    CXmlDataReader reader;
    DeclareLoadingImageSchema(reader);
    for (const char* file : {"properties\\mainmenu.xml", "properties\\branches"}) {
        // A missing or broken layout file leaves the loading screen with fewer pictures.
        try {
            reader.LoadFile(file);
            LoadLoadingImages(reader);
        } catch (...) {
        }
        reader.Clear();
    }
}

void CGameApp::CheckDataFiles(const std::string& signatureFileName)
{
    std::string failure = FindModifiedDataFile(signatureFileName);
    if (failure.empty())
        return;
    mDataCheckFailed = true;
    LogText("Data file check failed: " + failure + "\n");
    ShowMessageBox(kModifiedFilesMessage, "Error!", Olvarn::MB_OK);
    Olvarn::OlvarnAppBase::ShutDownApp();
}

void CGameApp::CreateMainWindow()
{
    Olvarn::OlvarnAppBase::CreateMainWindow();
}

void CGameApp::OnBeforeWindowCreation()
{
    int x = 0, y = 0, width = 0, height = 0;
    if (Olvarn::Window::UsableDesktopArea(x, y, width, height) && DesktopForcesFullScreen(width, height))
        mWindowedUnavailable = true;
}

void CGameApp::OnInitDone()
{
    IniFile ini = IniFile::Load(GameIniPath());
    if (ini.GetInt("debug", "fps", 0) != 0) {
        mDeveloperKeysOn = true;
        HandleDeveloperKey(kKeyF3);
        mDeveloperKeysOn = false;
    }
    mWidgetManager->mApp = this;
    LoadResourceManifest();
    if (!mResourceManager->LoadGroup("Init")) {
        mLoadingFailed = true;
        ReportResourceError(true);
        Olvarn::OlvarnAppBase::ShutDownApp();
        return;
    }
    int total = 0;
    for (const char* group : kLoadingGroups)
        total += mResourceManager->CountGroupResources(group);
    mNumLoadingThreadTasks = total;
    mWidgetManager->AddWidget(&mScreenHolder);
    SetScreen(new CLoadingScreen());
    if (mMusicInterface)
        mMusicInterface->SetVolume(100.0);
}

bool CGameApp::LoadGroupInSteps(const std::string& group)
{
    mResourceManager->BeginGroupLoad(group);
    while (mResourceManager->LoadNextPending()) {
        ++mCompletedLoadingThreadTasks;
        if (mShutdown)
            return false;
        // The bar is redrawn from the counters; the main thread invalidates the loading screen in
        // its own update, so this thread touches no widget.
    }
    return !mResourceManager->HasFailed();
}

void CGameApp::LoadResourcesInBackground()
{
    for (const char* group : kLoadingGroups) {
        if (!LoadGroupInSteps(group)) {
            if (mShutdown)
                return;
            mLoadingFailed = true;
            ReportResourceError(false);
            ShutDownApp();
            return;
        }
    }
}

void CGameApp::OnLoadingFinished()
{
    static const char* const kTracks[] = {"music\\mainmenu.ogg",  "music\\music1day.ogg",   "music\\music1night.ogg",
                                          "music\\music2day.ogg", "music\\music2night.ogg", "music\\bonus.ogg"};
    if (mMusicInterface)
        for (int id = 0; id < 6; ++id)
            if (!mMusicInterface->LoadMusic(id, kTracks[id]))
                Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s cannot be played", kTracks[id]);

    static const std::pair<int, const char*> kCursors[] = {{0, "IMAGE_GUI_CURSOR_NORMAL"},
                                                           {3, "IMAGE_GUI_CURSOR_TEXT"},
                                                           {2, "IMAGE_GUI_CURSOR_DRAG"},
                                                           {1, "IMAGE_GUI_CURSOR_HAND"}};
    for (const auto& [index, id] : kCursors)
        SetCursorImage(index, mResourceManager->FindImage(id));

    if (mMusicInterface)
        mMusicInterface->SetVolume(GetMusicVolume());
    if (mSoundManager)
        mSoundManager->SetMasterVolume(GetSfxVolume());

    mPropertyLoader->Load();
    SetCursor(kCursorPointer);
    // Without an installed first screen the finished loading screen stays.
    if (!mLoadingFailed && !mShutdown && FirstScreenMaker())
        SetScreen(FirstScreenMaker()());
    // The start-up group holds the loading screen's pictures: it goes once another screen has
    // taken over, never while the loading screen still draws them.
    CScreen* next = mScreenHolder.Pending() ? mScreenHolder.Pending() : mScreenHolder.Current();
    if (!mLoadingFailed && !dynamic_cast<CLoadingScreen*>(next))
        mResourceManager->UnloadGroup("Init");
    LogText("Loading finished\n");
}

void CGameApp::ShutDownApp()
{
    if (!shutdownBlocked)
        Olvarn::OlvarnAppBase::ShutDownApp();
}

void CGameApp::Quit()
{
    Olvarn::OlvarnAppBase::ShutDownApp();
}

void CGameApp::OnAppActivated()
{
    if (CScreen* screen = mScreenHolder.Current()) {
        screen->OnFocusGained();
        screen->AddPause(true);
    }
}

void CGameApp::OnAppDeactivated()
{
    if (CScreen* screen = mScreenHolder.Current()) {
        screen->OnFocusLost();
        screen->AddPause(false);
    }
}

uint64_t CGameApp::DemoStateHash()
{
    CStateHash hash(OlvarnAppBase::DemoStateHash());
    if (CScreen* screen = mScreenHolder.Current()) {
        // Which screen plays, by its class's name, which the same program names alike in every run.
        for (const char* c = typeid(*screen).name(); *c; ++c)
            hash.AddInt(*c);
        screen->AddStateHash(hash);
    }
    return hash.Value();
}

int CGameApp::GetSoundId(const std::string& name)
{
    return mResourceManager ? mResourceManager->FindSoundId(name) : -1;
}

void CGameApp::SetScreen(CScreen* screen)
{
    mScreenHolder.SetScreen(screen);
}

void CGameApp::FocusScreen()
{
    if (CScreen* screen = mScreenHolder.Current())
        mWidgetManager->SetFocusWidget(screen);
}

void CGameApp::AddScreenPause(bool add)
{
    if (CScreen* screen = mScreenHolder.Current())
        screen->AddPause(add);
}

void CGameApp::MinimizeWindow()
{
    if (mMainWindow)
        mMainWindow->Minimize();
}

void CGameApp::RemoveScreen()
{
    mScreenHolder.RemoveScreen();
}

} // namespace tilvan
