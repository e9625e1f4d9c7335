// The crash report windows driven as the player would: pages, buttons, the upload with its
// progress, failure and retry, against a server on the loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/AppTestSupport.h"
#include "app/CrashReportWindows.h"
#include "app/LoopbackServer.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

using namespace Olvarn;
using Page = CrashReportWindows::Page;

namespace
{

CrashReporter::Upload SampleUpload(const std::string& server)
{
    CrashReporter::Upload upload;
    upload.mServer = server;
    upload.mProduct = "Tamberlo";
    upload.mVersion = "1.01";
    upload.mErrorTitle = "Exception at 0001:00001000";
    upload.mErrorText = "Exception: Access Violation (code 0xc0000005)\r\nModule: tamberlo\r\n";
    return upload;
}

// Updates every 10 ms of real time until the page changes or the windows are done (at most maxMs).
void UpdateWhile(CrashReportWindows& windows, Page page, int maxMs = 10000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (windows.GetPage() == page && !windows.ShouldExit() && std::chrono::steady_clock::now() < end) {
        windows.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

struct Fixture {
    apptest::CountingApp app;
    HTTPTransfer transfer;
};

} // namespace

TEST(CrashReportWindowsTest, WithoutServerOnlyCloseNowAcrossTheWidth)
{
    Fixture f;
    CrashReportWindows windows(&f.app, f.transfer, SampleUpload(""));
    EXPECT_EQ(windows.GetPage(), Page::Crash);
    EXPECT_STREQ(windows.Caption(), "Fatal Error!");
    EXPECT_EQ(windows.FindButton(CrashReportWindows::kSendReport), nullptr);
    ButtonWidget* close = windows.FindButton(CrashReportWindows::kCloseNow);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->mWidth, 384);
    EXPECT_EQ(close->mLabel, "Close Now");
    windows.OnButtonRelease(CrashReportWindows::kCloseNow);
    EXPECT_TRUE(windows.ShouldExit());
}

// Real clicks through the widget manager: a page change removes the very button that reports the
// click, which must outlive its own report.
TEST(CrashReportWindowsTest, ClicksThroughTheWidgetManagerChangePages)
{
    Fixture f;
    CrashReportWindows windows(&f.app, f.transfer, SampleUpload("127.0.0.1:1"));
    f.app.mWidgetManager->AddWidget(&windows);
    auto click = [&](int x, int y) {
        f.app.mWidgetManager->OnMouseMove(x, y);
        f.app.mWidgetManager->OnMouseDown(x, y, 1);
        f.app.mWidgetManager->OnMouseUp(x, y, 1);
        windows.Update();
    };
    click(100, 280); // "Send Report"
    EXPECT_EQ(windows.GetPage(), Page::Details);
    click(300, 280); // "Abort"
    EXPECT_TRUE(windows.ShouldExit());
    f.app.mWidgetManager->RemoveWidget(&windows);
}

TEST(CrashReportWindowsTest, SendReportUploadsTheUsersTextAndEnds)
{
    httptest::LoopbackServer server({httptest::Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    Fixture f;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    CrashReportWindows windows(&f.app, f.transfer, SampleUpload(host));
    ASSERT_NE(windows.FindButton(CrashReportWindows::kSendReport), nullptr);
    EXPECT_EQ(windows.FindButton(CrashReportWindows::kCloseNow)->mWidth, 188);
    windows.OnButtonRelease(CrashReportWindows::kSendReport);
    EXPECT_EQ(windows.GetPage(), Page::Details);
    EXPECT_STREQ(windows.Caption(), "Error Details");
    ASSERT_NE(windows.UserTextEdit(), nullptr);
    for (char c : std::string("It froze after level 3"))
        windows.UserTextEdit()->OnChar(c);
    windows.OnButtonRelease(CrashReportWindows::kContinue);
    EXPECT_EQ(windows.GetPage(), Page::Progress);
    UpdateWhile(windows, Page::Progress);
    EXPECT_TRUE(windows.ShouldExit());
    EXPECT_EQ(f.transfer.GetResult(), HTTPTransfer::kDone);
    CrashReporter::Upload expected = SampleUpload(host);
    expected.mUserText = "It froze after level 3";
    EXPECT_EQ(server.Request(), CrashReporter::BuildUploadRequest(expected));
}

TEST(CrashReportWindowsTest, FailureOffersRetryWhichSendsTheWholeRequestAgain)
{
    httptest::LoopbackServer server({httptest::Send("HTTP/1.1 500 Oops\r\n\r\n")}, 2);
    Fixture f;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    CrashReportWindows windows(&f.app, f.transfer, SampleUpload(host));
    windows.OnButtonRelease(CrashReportWindows::kSendReport);
    windows.OnButtonRelease(CrashReportWindows::kContinue);
    UpdateWhile(windows, Page::Progress);
    ASSERT_EQ(windows.GetPage(), Page::Failed);
    EXPECT_EQ(f.transfer.GetResult(), HTTPTransfer::kIdle); // reset for the retry
    windows.OnButtonRelease(CrashReportWindows::kRetry);
    EXPECT_EQ(windows.GetPage(), Page::Progress);
    UpdateWhile(windows, Page::Progress);
    ASSERT_EQ(windows.GetPage(), Page::Failed);
    windows.OnButtonRelease(CrashReportWindows::kCancel);
    EXPECT_TRUE(windows.ShouldExit());
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], requests[1]);
    EXPECT_EQ(requests[0], CrashReporter::BuildUploadRequest(SampleUpload(host)));
}

TEST(CrashReportWindowsTest, ProgressDotsCountSecondsAndAbortEnds)
{
    httptest::LoopbackServer server({httptest::WaitClose()});
    Fixture f;
    CrashReportWindows windows(&f.app, f.transfer, SampleUpload("127.0.0.1:" + std::to_string(server.Port())));
    windows.OnButtonRelease(CrashReportWindows::kSendReport);
    windows.OnButtonRelease(CrashReportWindows::kContinue);
    EXPECT_EQ(windows.ProgressText(), "Please Wait");
    for (int second = 1; second <= 11; ++second) {
        for (int i = 0; i < 100; ++i)
            windows.Update();
        SCOPED_TRACE(second);
        std::string expected = "Please Wait";
        for (int dot = 0; dot < second % 10; ++dot)
            expected += " .";
        EXPECT_EQ(windows.ProgressText(), expected);
    }
    EXPECT_EQ(windows.GetPage(), Page::Progress);
    windows.OnButtonRelease(CrashReportWindows::kAbortUpload);
    UpdateWhile(windows, Page::Progress, 3000);
    EXPECT_TRUE(windows.ShouldExit());
    EXPECT_EQ(f.transfer.GetResult(), HTTPTransfer::kAborted);
}

TEST(CrashReportWindowsTest, HelperApplicationRunsUntilThePagesAreDone)
{
    HTTPTransfer transfer;
    CrashReportApp app;
    app.InitApp();
    app.Open(SampleUpload(""), transfer);
    ASSERT_NE(app.Windows(), nullptr);
    EXPECT_EQ(app.mWidth, 400);
    EXPECT_EQ(app.mHeight, 300);
    // The player's click arrives after a few frames; the main loop then ends by itself.
    std::atomic<bool> returned{false};
    std::thread clicker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        app.Windows()->OnButtonRelease(CrashReportWindows::kCloseNow);
        for (int i = 0; i < 500 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned)
            app.ShutDownApp(); // a hung loop fails the test below instead of hanging it
    });
    auto start = std::chrono::steady_clock::now();
    app.RunApp();
    returned = true;
    clicker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(app.Windows()->ShouldExit());
}
