// The crash report windows and the report upload.
#include "app/CrashReportWindows.h"

#include <algorithm>
#include <iostream>

#include "app/DemoFile.h"
#include "app/HTTPTransfer.h"
#include "app/OlvarnAppBase.h"
#include "graphics/Graphics.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/VideoSystem.h"
#include "resources/SysFont.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

// The attachment is the recorded demo: at most a demo stream and its header.
constexpr size_t kMaxAttachmentBytes = DemoFile::kMaxStreamBytes + 65536;

CrashReporter::FieldsHook& FieldsHookSlot()
{
    static CrashReporter::FieldsHook hook;
    return hook;
}

} // namespace

const char* const CrashReporter::kHeaderText = "An unexpected error has occured!";
const char* const CrashReporter::kDetailsHeaderText =
    "Please help out by providing as much information as you can about this crash.";
const char* const CrashReporter::kConnectionFailureText = "Failed to connect to server.";

std::string CrashReporter::BuildUploadRequest(const Upload& upload)
{
    const std::string boundary = "---------------------------7d3e1f30eec";
    std::string body;
    auto part = [&](const std::string& name, const std::string& value) {
        body +=
            "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    for (const auto& [name, value] : upload.mFields)
        part(name, value);
    part("prod", upload.mProduct);
    part("version", upload.mVersion);
    part("usertext", upload.mUserText);
    part("errortitle", upload.mErrorTitle);
    part("errortext", upload.mErrorText);
    if (upload.mAttachFile) {
        body += "--" + boundary + "\r\n" +
                "Content-Disposition: form-data; name=\"demofile\"; filename=\"brisvek.dmo\"\r\n" +
                "Content-Type: application/octet-stream\r\n\r\n" + upload.mAttachment + "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    std::string request = "POST /brondel_error.php HTTP/1.1\r\n";
    request += "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n";
    request += "User-Agent: Mozilla/4.0 (compatible; brisvek)\r\n";
    request += "Host: " + upload.mServer + "\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n";
    return request + body;
}

void CrashReporter::UploadThread(const Upload& upload, HTTPTransfer& transfer)
{
    transfer.SendRawRequest(upload.mServer, BuildUploadRequest(upload));
}

// ---- The text box ----

CrashTextBox::CrashTextBox(Font* font, const std::string& text, bool framed) : mFont(font->Clone()), mFramed(framed)
{
    // Lines end in carriage return and line feed in the report; the drawing wants line feeds.
    SetText(text);
    mAcceptsMouse = framed;
}

CrashTextBox::~CrashTextBox() = default;

void CrashTextBox::SetText(const std::string& text)
{
    mText = text;
    mText.erase(std::remove(mText.begin(), mText.end(), '\r'), mText.end());
    Invalidate();
}

void CrashTextBox::Draw(Graphics& g)
{
    if (mFramed) {
        g.SetColor(Color(255, 255, 255));
        g.FillRect(0, 0, mWidth, mHeight);
        g.SetColor(Color(128, 128, 128));
        g.DrawRect(0, 0, mWidth - 1, mHeight - 1);
    }
    g.SetFont(mFont.get());
    g.SetColor(Color(0, 0, 0));
    const int inset = mFramed ? 3 : 0;
    mTextHeight = g.MeasureWrappedHeight(mWidth - 2 * inset, mText, -1);
    GraphicsStateSaver saver(g);
    g.IntersectClip(inset, inset, mWidth - 2 * inset, mHeight - 2 * inset);
    g.DrawTextWrapped(Rect(inset, inset - mScroll, mWidth - 2 * inset, mTextHeight + mHeight), mText, -1, -1);
}

void CrashTextBox::OnMouseWheel(int delta)
{
    // Positive turns are away from the player: the text moves down, earlier lines come into view.
    const int step = mFont->LineSpacing() * 3;
    mScroll -= delta > 0 ? step : -step;
    mScroll = std::max(0, std::min(mScroll, std::max(0, mTextHeight - mHeight + 6)));
    Invalidate();
}

// ---- The windows ----

CrashReportWindows::CrashReportWindows(OlvarnAppBase* app, HTTPTransfer& transfer, const CrashReporter::Upload& upload)
    : mTransfer(transfer), mUpload(upload)
{
    mTextFont = std::make_unique<SysFont>(app, "Tahoma", 8);
    mBoldFont = std::make_unique<SysFont>(app, "Arial", 9, 0, true);
    mReportFont = std::make_unique<SysFont>(app, "Courier New", 8);
    Resize(0, 0, 400, 300);
    ShowPage(Page::Crash);
}

CrashReportWindows::~CrashReportWindows()
{
    ClearPage();
}

const char* CrashReportWindows::Caption() const
{
    switch (mPage) {
    case Page::Crash:
        return "Fatal Error!";
    case Page::Details:
        return "Error Details";
    default:
        return "Submitting Report";
    }
}

void CrashReportWindows::ClearPage()
{
    for (Widget* widget : mPageWidgets) {
        RemoveWidget(widget);
        mRetired.emplace_back(widget);
    }
    mPageWidgets.clear();
    mUserText = nullptr;
    mProgressBox = nullptr;
}

CrashTextBox* CrashReportWindows::AddText(const std::string& text, bool framed, int x, int y, int width, int height)
{
    auto* box = new CrashTextBox(framed ? mReportFont.get() : mBoldFont.get(), text, framed);
    box->Resize(x, y, width, height);
    AddWidget(box);
    mPageWidgets.push_back(box);
    return box;
}

ButtonWidget* CrashReportWindows::AddButton(int id, const std::string& label, int x, int y, int width, int height)
{
    auto* button = new ButtonWidget(id, this);
    button->mLabel = label;
    button->SetFont(mBoldFont.get());
    button->Resize(x, y, width, height);
    AddWidget(button);
    mPageWidgets.push_back(button);
    return button;
}

ButtonWidget* CrashReportWindows::FindButton(int id) const
{
    for (Widget* widget : mPageWidgets)
        if (auto* button = dynamic_cast<ButtonWidget*>(widget))
            if (button->mId == id)
                return button;
    return nullptr;
}

void CrashReportWindows::ShowPage(Page page)
{
    ClearPage();
    mPage = page;
    switch (page) {
    case Page::Crash:
        AddText(CrashReporter::kHeaderText, false, 8, 8, 384, 84);
        AddText(mUpload.mErrorText, true, 8, 92, 384, 168);
        if (!mUpload.mServer.empty()) {
            AddButton(kSendReport, "Send Report", 8, 268, 188, 24);
            AddButton(kCloseNow, "Close Now", 204, 268, 188, 24);
        } else {
            AddButton(kCloseNow, "Close Now", 8, 268, 384, 24);
        }
        break;
    case Page::Details: {
        AddText(CrashReporter::kDetailsHeaderText, false, 8, 8, 384, 84);
        mUserText = new EditWidget(0, nullptr);
        mUserText->SetFont(mTextFont.get());
        mUserText->Resize(8, 92, 384, 24);
        AddWidget(mUserText);
        mPageWidgets.push_back(mUserText);
        if (mManager)
            mManager->SetFocusWidget(mUserText);
        AddButton(kContinue, "Continue", 8, 268, 188, 24);
        AddButton(kAbortDetails, "Abort", 204, 268, 188, 24);
        break;
    }
    case Page::Progress:
        mProgressText = "Please Wait";
        mProgressBox = AddText(mProgressText, false, 24, 10, 224, 24);
        AddButton(kAbortUpload, "Abort", 72, 36, 96, 22);
        break;
    case Page::Failed:
        AddText(CrashReporter::kConnectionFailureText, false, 24, 10, 224, 24);
        AddButton(kRetry, "Retry", 24, 36, 96, 22);
        AddButton(kCancel, "Cancel", 128, 36, 96, 22);
        break;
    }
    Invalidate();
}

void CrashReportWindows::OnButtonRelease(int id)
{
    switch (id) {
    case kSendReport:
        ShowPage(Page::Details);
        break;
    case kCloseNow:
    case kAbortDetails:
    case kCancel:
        mExit = true;
        break;
    case kContinue:
        mUpload.mUserText = mUserText ? mUserText->mText : std::string();
        StartUpload();
        break;
    case kAbortUpload:
        mTransfer.Abort();
        break;
    case kRetry:
        StartUpload();
        break;
    default:
        break;
    }
}

void CrashReportWindows::StartUpload()
{
    mProgressCounter = 0;
    mUpdates = 0;
    ShowPage(Page::Progress);
    CrashReporter::UploadThread(mUpload, mTransfer);
}

void CrashReportWindows::WatchUpload()
{
    switch (mTransfer.GetResult()) {
    case HTTPTransfer::kIdle:
    case HTTPTransfer::kRunning:
        break;
    case HTTPTransfer::kDone:
    case HTTPTransfer::kAborted:
        mExit = true;
        break;
    default:
        mTransfer.Reset();
        ShowPage(Page::Failed);
        break;
    }
}

void CrashReportWindows::Update()
{
    mRetired.clear();
    Widget::Update();
    if (mPage != Page::Progress)
        return;
    ++mUpdates;
    if (mUpdates % 2 == 0)
        WatchUpload();
    if (mPage == Page::Progress && mUpdates % 100 == 0) {
        ++mProgressCounter;
        mProgressText = "Please Wait";
        for (int i = 0; i < mProgressCounter % 10; ++i)
            mProgressText += " .";
        mProgressBox->SetText(mProgressText);
    }
}

void CrashReportWindows::Draw(Graphics& g)
{
    g.SetColor(Color(212, 208, 200));
    g.FillRect(0, 0, mWidth, mHeight);
}

// ---- The helper's window ----

CrashReportApp::CrashReportApp()
{
    mTitle = "Fatal Error!";
    mWidth = 400;
    mHeight = 300;
    mNoSound = true;
    mOnlyAllowOneCopyToRun = false;
    mCmdLineParsed = true;
    mAutoStartLoadingThread = false;
}

CrashReportApp::~CrashReportApp()
{
    if (mWindows)
        mWidgetManager->RemoveWidget(mWindows.get());
}

void CrashReportApp::Open(const CrashReporter::Upload& upload, HTTPTransfer& transfer)
{
    mWindows = std::make_unique<CrashReportWindows>(this, transfer, upload);
    mWidgetManager->AddWidget(mWindows.get());
}

bool CrashReportApp::UpdateAppTick()
{
    bool result = OlvarnAppBase::UpdateAppTick();
    if (mWindows && mWindows->ShouldExit() && !mShutdown)
        ShutDownApp();
    return result;
}

void CrashReporter::SetFieldsHook(FieldsHook hook)
{
    FieldsHookSlot() = std::move(hook);
}

CrashReporter::Upload CrashReporter::MakeUpload(const std::string& title, const std::string& report,
                                                const std::string& attachment)
{
    Upload upload;
    upload.mServer = sServer;
    upload.mProduct = Product();
    upload.mVersion = Version();
    upload.mErrorTitle = title;
    upload.mErrorText = report;
    if (const FieldsHook& hook = FieldsHookSlot())
        upload.mFields = hook(report);
    upload.mAttachFile = !attachment.empty();
    if (upload.mAttachFile && !ReadWholeFile(attachment, upload.mAttachment, kMaxAttachmentBytes)) {
        LogWrite(LogLevel::Warning, "crash report: cannot read the attachment %s; its part goes empty",
                 attachment.c_str());
        upload.mAttachment.clear();
    }
    return upload;
}

void CrashReporter::ShowCrashWindow(const std::string& title, const std::string& report, const std::string& attachment)
{
    if (VideoSystem::IsHeadless()) {
        std::cerr << title << ": the program crashed; the report is in " << ReportPath() << "\n";
        if (!attachment.empty())
            std::cerr << "The recorded demo is in " << attachment << "\n";
        return;
    }
    const Upload upload = MakeUpload(title, report, attachment);
    {
        CrashReportApp app;
        app.InitApp();
        app.CopyToClipboard(report);
        app.Open(upload, HTTPTransfer::Global());
        app.RunApp();
    }
    HTTPTransfer::Global().Reset();
}

} // namespace Olvarn
