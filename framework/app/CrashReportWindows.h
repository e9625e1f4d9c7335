// The crash report windows as widgets: the report with "Send Report" and "Close Now", the details
// window where the player says what happened, and the progress of the upload with Retry after a
// failure. They run in the report helper's own small window, one at a time.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/CrashReporter.h"
#include "app/OlvarnAppBase.h"
#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Olvarn
{

class ButtonWidget;
class EditWidget;
class Font;
class HTTPTransfer;
class OlvarnAppBase;

// Read-only text over several lines, word-wrapped, scrolled with the mouse wheel.
class CrashTextBox : public Widget
{
public:
    CrashTextBox(Font* font, const std::string& text, bool framed);
    ~CrashTextBox() override;
    void Draw(Graphics& g) override;
    void OnMouseWheel(int delta) override;
    const std::string& GetText() const { return mText; }
    void SetText(const std::string& text);

private:
    std::unique_ptr<Font> mFont;
    std::string mText;
    bool mFramed = false;
    int mScroll = 0;
    int mTextHeight = 0;
};

class CrashReportWindows : public Widget, public ButtonListener
{
public:
    enum class Page { Crash, Details, Progress, Failed };
    enum ButtonId { kSendReport = 1, kCloseNow, kContinue, kAbortDetails, kAbortUpload, kRetry, kCancel };

    // app (may be null) gives the system fonts their application; transfer carries the upload.
    CrashReportWindows(OlvarnAppBase* app, HTTPTransfer& transfer, const CrashReporter::Upload& upload);
    ~CrashReportWindows() override;

    // Every update (10 ms): the upload is watched every 20 ms, the progress dots move every second.
    void Update() override;
    void Draw(Graphics& g) override;
    void OnButtonRelease(int id) override;

    Page GetPage() const { return mPage; }
    // Set when the windows are done: closed, finished, aborted or given up.
    bool ShouldExit() const { return mExit; }
    // The caption of the page's window.
    const char* Caption() const;
    const std::string& ProgressText() const { return mProgressText; }
    const CrashReporter::Upload& GetUpload() const { return mUpload; }
    // The widgets of the current page, for tests.
    ButtonWidget* FindButton(int id) const;
    EditWidget* UserTextEdit() const { return mUserText; }

private:
    void ShowPage(Page page);
    void ClearPage();
    CrashTextBox* AddText(const std::string& text, bool framed, int x, int y, int width, int height);
    ButtonWidget* AddButton(int id, const std::string& label, int x, int y, int width, int height);
    void StartUpload();
    void WatchUpload();

    HTTPTransfer& mTransfer;
    CrashReporter::Upload mUpload;
    Page mPage = Page::Crash;
    std::atomic<bool> mExit{false};
    std::unique_ptr<Font> mTextFont;
    std::unique_ptr<Font> mBoldFont;
    std::unique_ptr<Font> mReportFont;
    std::vector<Widget*> mPageWidgets;
    // Widgets of a page left while one of its buttons was still reporting its click; they are
    // deleted at the next update, when no code of theirs runs.
    std::vector<std::unique_ptr<Widget>> mRetired;
    EditWidget* mUserText = nullptr;
    CrashTextBox* mProgressBox = nullptr;
    std::string mProgressText;
    int mUpdates = 0;
    int mProgressCounter = 0;
};

// The report helper's application: one 400 x 300 window with the pages, no sound, no settings;
// its main loop ends when the pages are done.
class CrashReportApp : public OlvarnAppBase
{
public:
    CrashReportApp();
    ~CrashReportApp() override;
    // After InitApp: puts the pages into the window.
    void Open(const CrashReporter::Upload& upload, HTTPTransfer& transfer);
    CrashReportWindows* Windows() const { return mWindows.get(); }

    void LoadSettings() override {}
    void SaveSettings() override {}
    bool UpdateAppTick() override;

private:
    std::unique_ptr<CrashReportWindows> mWindows;
};

} // namespace Olvarn
