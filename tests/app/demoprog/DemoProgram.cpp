// A framework application driven by scripted input, for the determinism check.
//   demo_program record DEMO [SCRIPT]   runs the script (a number choosing its moves) and records it
//   demo_program play DEMO              replays a recording
// OLVARN_DEMO_CHECK names the file that receives the state hash of every update and a frame hash
// every 100 updates. The program keeps the folder it was started in; its time runs as fast as the
// machine allows (sleeping only moves the clock), so a few thousand updates take well under a second.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "core/Buffer.h"
#include "core/Color.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "platform/AppMessage.h"
#include "platform/Clock.h"
#include "widgets/Dialog.h"
#include "widgets/DialogButton.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

using namespace Olvarn;

namespace
{

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kScriptEnd = 3000;
constexpr int kDialogId = 7;

uint64_t Mix(uint64_t hash, uint64_t value)
{
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash * 0x100000001b3ULL;
}

uint64_t MixText(uint64_t hash, const std::string& text)
{
    for (unsigned char c : text)
        hash = Mix(hash, c);
    return Mix(hash, text.size());
}

// Sleeping moves the clock on at once; the tick count starts from the real one, so every run has
// its own seed.
class FastClock : public Clock
{
public:
    FastClock() : mBase(SystemClock::Instance().TickCount()) {}
    int NowMs() override { return mNow; }
    uint32_t TickCount() override { return mBase + static_cast<uint32_t>(mNow.load()); }
    void SleepMs(int ms) override
    {
        if (ms > 0)
            mNow += ms;
    }

private:
    uint32_t mBase;
    std::atomic<int> mNow{0};
};

// Takes every input, draws from the project generator each update and reads settings, the
// clipboard and a file on cue; everything it sees goes into its hash.
class ScriptWidget : public Widget
{
public:
    explicit ScriptWidget(OlvarnAppBase* app) : mApp(app) {}

    bool AcceptsFocus() override { return true; }
    void OnMouseMove(int x, int y) override { Note(1, x, y); }
    void OnMouseDown(int x, int y, int clickCode) override
    {
        Widget::OnMouseDown(x, y, clickCode);
        Note(2, x, y, clickCode);
    }
    void OnMouseUp(int x, int y, int clickCode) override
    {
        Widget::OnMouseUp(x, y, clickCode);
        Note(3, x, y, clickCode);
    }
    void OnMouseWheel(int delta) override { Note(4, delta); }
    void OnKeyDown(int key) override { Note(5, key); }
    void OnKeyUp(int key) override { Note(6, key); }
    void OnMouseEnter() override { Note(7); }
    void OnMouseLeave() override { Note(8); }
    void OnChar(char c) override
    {
        Note(9, static_cast<unsigned char>(c));
        switch (c) {
        case 'v':
            mApp->CopyToClipboard("clip " + std::to_string(mApp->mUpdateCount));
            break;
        case 'c':
            mHash = MixText(mHash, mApp->GetClipboardText());
            break;
        case 'f': {
            Buffer buffer;
            bool ok = mApp->ReadBufferFromFile("demo_input.txt", buffer, true);
            mHash = Mix(mHash, ok);
            for (int i = 0; i < buffer.ByteLength(); ++i)
                mHash = Mix(mHash, buffer.GetData()[i]);
            break;
        }
        case 'q': {
            // A dialog's nested loop inside the handling of a played event.
            Dialog* dialog = mApp->ShowDialog(kDialogId, true, "", "", "Ok", Dialog::BUTTONS_FOOTER);
            int result = dialog->RunUntilClosed(true);
            mHash = Mix(mHash, static_cast<uint64_t>(result));
            mHash = Mix(mHash, static_cast<uint64_t>(mApp->mUpdateCount));
            break;
        }
        default:
            break;
        }
    }
    void Update() override
    {
        mHash = Mix(mHash, static_cast<uint64_t>(Rand()));
        if (mApp->mUpdateCount % 250 == 0) {
            uint32_t counter = 0;
            bool found = mApp->ReadRegistryDWORD("Counter", counter);
            mHash = Mix(Mix(mHash, found), counter);
            mHash = Mix(mHash, mApp->WriteRegistryDWORD("Counter", counter + 1));
        }
        Invalidate();
    }
    void Draw(Graphics& g) override
    {
        g.SetColor(Color(static_cast<int>(mHash & 0xFF), static_cast<int>((mHash >> 8) & 0xFF), 64));
        g.FillRect(0, 0, mWidth, mHeight);
        g.SetColor(Color(255, 255, 255));
        g.FillRect(mLastX - 2, mLastY - 2, 5, 5);
        for (int i = 0; i < 8; ++i) {
            g.SetColor(Color(static_cast<int>((mHash >> (i * 8)) & 0xFF), 32 * i, 255 - 32 * i));
            g.FillRect(i * 40, kHeight - 20, 40, 20);
        }
    }

    uint64_t mHash = 1;

private:
    void Note(int kind, int a = 0, int b = 0, int c = 0)
    {
        mHash = Mix(Mix(Mix(Mix(mHash, kind), static_cast<uint32_t>(a)), static_cast<uint32_t>(b)),
                    static_cast<uint32_t>(c));
        if (kind <= 3) {
            mLastX = a;
            mLastY = b;
        }
    }

    OlvarnAppBase* mApp;
    int mLastX = 0, mLastY = 0;
};

class DemoProgram : public OlvarnAppBase
{
public:
    explicit DemoProgram(uint32_t script) : mScript(script)
    {
        SetClock(&mFastClock);
        mProductName = "DemoProgram";
        mProductVersion = "DemoProgram 1";
        mRegKey = "Olvarn\\DemoProgram";
        mWidth = kWidth;
        mHeight = kHeight;
        mNoSound = true;
        mOnlyAllowOneCopyToRun = false;
        mCmdLineParsed = true;
        mVSyncUpdates = true;
    }
    ~DemoProgram() override
    {
        // The clock outlives the base destructor's last reads.
        OlvarnAppBase::ShutDownApp();
        if (mWidget) {
            mWidgetManager->RemoveWidget(mWidget);
            delete mWidget;
        }
        SetClock(nullptr);
    }

    bool KeepCurrentDirectory(const std::string&) override { return true; }

    void LoadResourcesInBackground() override
    {
        // Real time, so the hand-over falls on another update in every run.
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + static_cast<int>(mFastClock.TickCount() % 20)));
    }

    void OnLoadingFinished() override
    {
        Buffer buffer;
        bool ok = ReadBufferFromFile("demo_config.txt", buffer, true);
        mWidget->mHash = Mix(mWidget->mHash, ok ? static_cast<uint64_t>(buffer.ByteLength()) : 7);
    }

    void OnInitDone() override
    {
        mWidget = new ScriptWidget(this);
        mWidget->Resize(0, 0, kWidth, kHeight);
        mWidgetManager->AddWidget(mWidget);
        mWidgetManager->SetFocusWidget(mWidget);
    }

    void UpdateAppOnce() override
    {
        OlvarnAppBase::UpdateAppOnce();
        if (mRecordingDemo)
            RunScript();
        // A replay that lost its close still ends.
        if (mUpdateCount > kScriptEnd + 2000)
            ShutDownApp();
    }

    // Scripted messages reach the window procedure at the next pass of the loop, as real ones do:
    // after the update whose hash has been written.
    bool PumpStep(bool& updated) override
    {
        std::vector<AppMessage> pending;
        pending.swap(mPending);
        for (const AppMessage& message : pending)
            WindowProc(message);
        return OlvarnAppBase::PumpStep(updated);
    }

    uint64_t DemoStateHash() override { return Mix(OlvarnAppBase::DemoStateHash(), mWidget ? mWidget->mHash : 0); }

private:
    // The script's own generator; the program's is the one under test.
    int Next(int range)
    {
        mScript = mScript * 1103515245u + 12345u;
        return static_cast<int>((mScript >> 8) % static_cast<uint32_t>(range));
    }

    void Send(AppMessageKind kind, int64_t param1 = 0, int64_t param2 = 0)
    {
        AppMessage message;
        message.mKind = kind;
        message.mWindow = AppWindowRole::Main;
        message.mParam1 = param1;
        message.mParam2 = param2;
        mPending.push_back(message);
    }

    void Mouse(AppMessageKind kind, int x, int y)
    {
        Send(kind, 0,
             static_cast<int64_t>((static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF)));
    }

    void Type(char c)
    {
        int key = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
        Send(AppMessageKind::KeyDown, key);
        Send(AppMessageKind::Char, static_cast<unsigned char>(c));
        Send(AppMessageKind::KeyUp, key);
    }

    void RunScript()
    {
        const int u = mUpdateCount;
        if (u >= kScriptEnd) {
            if (u == kScriptEnd)
                Send(AppMessageKind::Close);
            return;
        }
        if (u % 5 == 0) {
            // Mostly small steps, now and then a jump, and sometimes outside the window to the left
            // or above, where a captured mouse reports negative positions.
            int roll = Next(20);
            if (roll == 0) {
                mX = -1 - Next(40);
                mY = -1 - Next(40);
            } else if (roll < 4) {
                mX = Next(kWidth);
                mY = Next(kHeight);
            } else {
                mX = std::max(0, std::min(kWidth - 1, mX + Next(21) - 10));
                mY = std::max(0, std::min(kHeight - 1, mY + Next(21) - 10));
            }
            Mouse(AppMessageKind::MouseMove, mX, mY);
        }
        if (u % 37 == 0)
            Mouse(AppMessageKind::LButtonDown, mX, mY);
        if (u % 37 == 3)
            Mouse(AppMessageKind::LButtonUp, mX, mY);
        if (u % 101 == 0)
            Mouse(AppMessageKind::LButtonDblClk, mX, mY);
        if (u % 53 == 0) {
            Mouse(AppMessageKind::RButtonDown, mX, mY);
            Mouse(AppMessageKind::RButtonUp, mX, mY);
        }
        if (u % 89 == 0) {
            Mouse(AppMessageKind::MButtonDown, mX, mY);
            Mouse(AppMessageKind::MButtonUp, mX, mY);
        }
        if (u % 211 == 0)
            Send(AppMessageKind::MouseWheel, (Next(2) ? 120 : -240));
        if (u % 71 == 0)
            Type(static_cast<char>("abdeghijklmnoprstuwxyz"[Next(22)]));
        if (u % 700 == 300) {
            Type('v');
            Type('c');
        }
        if (u % 1000 == 500)
            Type('f');
        if (u == 1210)
            Type('q');
        if (u == 1250) {
            // The scripted user answers the dialog with its button.
            if (auto* dialog = FindDialog(kDialogId); dialog && dialog->mFirstButton) {
                Widget* button = dialog->mFirstButton;
                int x = button->mX + button->mWidth / 2, y = button->mY + button->mHeight / 2;
                Mouse(AppMessageKind::MouseMove, x, y);
                Mouse(AppMessageKind::LButtonDown, x, y);
                Mouse(AppMessageKind::LButtonUp, x, y);
                mX = x;
                mY = y;
            }
        }
        if (u == 1500)
            Send(AppMessageKind::Activate, 0);
        if (u == 1510)
            Send(AppMessageKind::Activate, 1);
        if (u == 1700)
            Send(AppMessageKind::Size, kSizeMinimized);
        if (u == 1720)
            Send(AppMessageKind::Size, 0);
    }

    FastClock mFastClock;
    std::vector<AppMessage> mPending;
    uint32_t mScript;
    ScriptWidget* mWidget = nullptr;
    int mX = kWidth / 2, mY = kHeight / 2;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[1], "record") != 0 && std::strcmp(argv[1], "play") != 0)) {
        std::fprintf(stderr, "usage: demo_program record|play DEMO [SCRIPT]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const bool record = std::strcmp(argv[1], "record") == 0;
    DemoProgram app(argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1u);
    app.ApplyCommandLineSwitch(record ? "-record" : "-play", "");
    app.ApplyCommandLineSwitch("-demofile", argv[2]);
    app.InitApp();
    app.RunApp();
    return 0;
}
