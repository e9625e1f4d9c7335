// HTTP transfers against a real server on the loopback: request bytes, reply framings, status
// codes, failures, abort and the exchange's deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/HTTPTransfer.h"
#include "app/LoopbackServer.h"

using namespace httptest;
using Olvarn::HTTPTransfer;

namespace
{

// Polls as an owner would; gives up after maxMs so a hung worker fails the test instead of hanging.
int WaitForResult(HTTPTransfer& transfer, int maxMs = 10000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (transfer.GetResult() == HTTPTransfer::kRunning && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return transfer.GetResult();
}

const std::string kOkHead = "HTTP/1.1 200 OK\r\n";

} // namespace

TEST(HTTPTransferTest, FormPostSendsExactlyTheRequestBytes)
{
    LoopbackServer server({Send(kOkHead + "Content-Length: 2\r\n\r\nok")});
    HTTPTransfer transfer;
    transfer.Post(server.Url("/scores/submit.php"), "name=a%20b&score=12");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kDone);
    EXPECT_EQ(transfer.GetContent(), "ok");
    EXPECT_EQ(server.Request(), "POST /scores/submit.php HTTP/1.0\r\n"
                                "Content-Type: application/x-www-form-urlencoded\r\n"
                                "User-Agent: Mozilla/4.0 (compatible; brisvek)\r\n"
                                "Host: 127.0.0.1\r\n"
                                "Content-Length: 19\r\n"
                                "Connection: close\r\n"
                                "\r\n"
                                "name=a%20b&score=12");
}

TEST(HTTPTransferTest, RawRequestIsSentUnchanged)
{
    const std::string request = "GET /x HTTP/1.1\r\nHost: anything\r\nX-Odd:  value \r\n\r\n";
    LoopbackServer server({Send(kOkHead + "Content-Length: 0\r\n\r\n")});
    HTTPTransfer transfer;
    transfer.SendRawRequest(server.Url(""), request);
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kDone);
    EXPECT_EQ(transfer.GetContent(), "");
    EXPECT_EQ(server.Request(), request);
}

// Each reply is played by a real server; only a 200 reply read to its proper end is result 0.
TEST(HTTPTransferTest, RepliesEndInTheirResults)
{
    struct Case {
        const char* name;
        std::vector<ServerStep> script;
        int result;
        std::string content;
    };
    const std::vector<Case> cases = {
        {"length, server keeps the connection open",
         {Send(kOkHead + "Content-Length: 5\r\n\r\nhello"), WaitClose()},
         0,
         "hello"},
        {"length, head and body in pieces",
         {Send("HTTP/1.1 20"), Pause(30), Send("0 OK\r\nContent-Len"), Pause(30), Send("gth: 5\r\n\r\nhe"), Pause(30),
          Send("llo")},
         0,
         "hello"},
        {"header names in any case", {Send(kOkHead + "content-LENGTH: 3\r\n\r\nabc"), WaitClose()}, 0, "abc"},
        {"chunked, chunks 4 and A",
         {Send(kOkHead + "Transfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n"), Pause(30),
          Send("A\r\npedia in c\r\n0\r\n\r\n"), WaitClose()},
         0,
         "Wikipedia in c"},
        {"chunked with extensions and a trailer",
         {Send(kOkHead + "transfer-encoding: Chunked\r\n\r\n3;name=v\r\nabc\r\n0\r\nX-Sum: 1\r\n\r\n")},
         0,
         "abc"},
        {"close-delimited", {Send("HTTP/1.0 200 OK\r\nServer: t\r\n\r\nto the end")}, 0, "to the end"},
        {"status 404", {Send("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope")}, 3, ""},
        {"status 302", {Send("HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n")}, 4, ""},
        {"status 500 not yet followed by headers", {Send("HTTP/1.1 500 Oops\r\n"), WaitClose()}, 4, ""},
        {"closed before the status line", {}, 6, ""},
        {"status line cut short", {Send("HTTP/1.1")}, 6, ""},
        {"status line without three digits", {Send("HTTP/1.1 20\r\n\r\n")}, 6, ""},
        {"not HTTP", {Send("SSH-2.0-OpenSSH\r\n")}, 6, ""},
        {"headers never end", {Send(kOkHead + "Content-Length: 5\r\n")}, 6, ""},
        {"body shorter than its length", {Send(kOkHead + "Content-Length: 10\r\n\r\nhello")}, 6, ""},
        {"chunked without the last chunk", {Send(kOkHead + "Transfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n")}, 6, ""},
        {"chunk data not followed by a line end",
         {Send(kOkHead + "Transfer-Encoding: chunked\r\n\r\n2\r\nabXY0\r\n\r\n")},
         6,
         ""},
        {"chunk size beyond any limit",
         {Send(kOkHead + "Transfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF1\r\n")},
         6,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.script);
        HTTPTransfer transfer;
        transfer.Post(server.Url(), "x=1");
        EXPECT_EQ(WaitForResult(transfer), c.result);
        EXPECT_EQ(transfer.GetContent(), c.content);
        transfer.Reset();
        EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kIdle);
    }
}

TEST(HTTPTransferTest, AbortEndsAWaitOnASilentServer)
{
    LoopbackServer server({WaitClose()});
    HTTPTransfer transfer;
    transfer.Post(server.Url(), "x=1");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kRunning);
    EXPECT_EQ(transfer.GetContent(), "");
    auto start = std::chrono::steady_clock::now();
    transfer.Abort();
    EXPECT_EQ(WaitForResult(transfer, 2000), HTTPTransfer::kAborted);
    transfer.WaitUntilDone();
    // One wait slice, with room for a loaded machine.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_TRUE(server.ClientClosed());
}

TEST(HTTPTransferTest, SilentServerRunsIntoTheDeadline)
{
    LoopbackServer server({WaitClose()});
    HTTPTransfer transfer;
    transfer.SetDeadlineMs(300);
    transfer.Post(server.Url(), "x=1");
    EXPECT_EQ(WaitForResult(transfer, 5000), HTTPTransfer::kSocketError);
    EXPECT_TRUE(server.ClientClosed());
}

TEST(HTTPTransferTest, BodyAboveTheLimitFails)
{
    LoopbackServer server({Send(kOkHead + "\r\n" + std::string(100, 'z'))});
    HTTPTransfer transfer;
    Olvarn::HttpResponseParser::Limits limits;
    limits.mMaxBodyBytes = 64;
    transfer.SetLimits(limits);
    transfer.Post(server.Url(), "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kSocketError);
    EXPECT_EQ(transfer.GetContent(), "");
}

TEST(HTTPTransferTest, ConnectionFailuresHaveTheirResults)
{
    HTTPTransfer transfer;
    transfer.Post("http://127.0.0.1:" + std::to_string(httptest::LoopbackServer::ClosedPort()) + "/", "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kConnectFailed);
    // An empty host resolves to nothing, without asking any name server.
    transfer.Post("http://:80/", "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kHostNotFound);
    // A port that is no number cannot be connected to.
    transfer.Post("http://127.0.0.1:http/", "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kConnectFailed);
    // A URL that would smuggle header lines into the form request is not sent at all.
    LoopbackServer server({Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    transfer.Post(server.Url("/a HTTP/1.0\r\nX-Evil: 1\r\n\r\n"), "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kSendFailed);
    transfer.Post(server.Url("/ok"), "x=1");
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kDone);
    EXPECT_EQ(server.Request().rfind("POST /ok HTTP/1.0\r\n", 0), 0u);
}

TEST(HTTPTransferTest, UrlSplitsIntoHostPortAndPath)
{
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"http://scores.example:8080/a/b", "scores.example", 8080, "/a/b"},
        {"scores.example", "scores.example", 80, "/"},
        {"http://scores.example", "scores.example", 80, "/"},
        {"http://10.0.0.1/x?y=1", "10.0.0.1", 80, "/x?y=1"},
        {"host:99999/", "host", 0, "/"},
        {"host:/p", "host", 0, "/p"},
        {"", "", 80, "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string host, path;
        int port = -1;
        HTTPTransfer::SplitUrl(c.url, host, port, path);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(path, c.path);
    }
}

TEST(HTTPTransferTest, EveryStartedTransferTakesTwoIds)
{
    HTTPTransfer transfer;
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kIdle);
    int first = transfer.GetTransferId();
    transfer.ParseUrl("http://127.0.0.1/");
    EXPECT_EQ(transfer.GetTransferId(), first + 2);
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kRunning);
    transfer.Reset();
    EXPECT_EQ(transfer.GetTransferId(), first + 3);
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kIdle);
}
