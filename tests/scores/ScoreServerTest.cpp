// The score server on a loopback port, and the game's submission against it and against servers
// that are down, slow or answer garbage.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ScoreRequest.h"
#include "ScoreServer.h"
#include "data/DataCodecs.h"
#include "platform/Listener.h"
#include "records/CProfile.h"
#include "records/CRecords.h"
#include "records/RecordsExchange.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{
// A score server of the test's own on a port the system picks.
class RunningServer
{
public:
    RunningServer() : mServer(mStore)
    {
        EXPECT_TRUE(mStore.Open(mDir.File("scores.db")));
        EXPECT_TRUE(mServer.Listen("127.0.0.1", 0));
        // Clients that never finish their request hold the one connection no longer than this.
        mServer.SetRequestDeadlineMs(300);
        mThread = std::thread([this] { mServer.Serve(mStop); });
    }
    ~RunningServer()
    {
        mStop = true;
        mThread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(mServer.Port()) + "/any/path"; }
    scores::ScoreServer& Server() { return mServer; }

private:
    testsupport::TempDir mDir;
    scores::ScoreStore mStore;
    scores::ScoreServer mServer;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

// A listener that answers each connection with fixed bytes after a pause (or never).
class FakeServer
{
public:
    FakeServer(std::string reply, int pauseMs) : mReply(std::move(reply)), mPauseMs(pauseMs)
    {
        EXPECT_TRUE(mListener.Listen(Olvarn::SocketAddress{0x7F000001u, 0}));
        mThread = std::thread([this] {
            while (!mStop) {
                Olvarn::Socket c;
                if (!mListener.Accept(c, 50))
                    continue;
                char buffer[4096];
                c.WaitFor(true, false, 500);
                c.Receive(buffer, sizeof buffer);
                for (int waited = 0; waited < mPauseMs && !mStop; waited += 10)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                c.Send(mReply.data(), mReply.size());
            }
        });
    }
    ~FakeServer()
    {
        mStop = true;
        mThread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(mListener.Port()) + "/"; }

private:
    Olvarn::Listener mListener;
    std::string mReply;
    int mPauseMs;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

const uint64_t kNow = SystemTimeTicks();

CRecordsSubmission::EState RunSubmission(CRecords& records, const std::string& url, int deadlineMs = 3000)
{
    records.submission.SetDeadlineMs(deadlineMs);
    records.submission.Start(records, url, kNow);
    for (int i = 0; i < 1000; ++i) {
        CRecordsSubmission::EState state = records.submission.Poll(records);
        if (state != CRecordsSubmission::EState::Running)
            return state;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return records.submission.State();
}

std::string Post(scores::ScoreServer& server, const std::string& body)
{
    return server.Answer("POST /scores HTTP/1.0\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
                         1700000000);
}
} // namespace

TEST(ScoreServer, GameSubmitsAndReadsTheTables)
{
    testsupport::TempDir home;
    setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    RunningServer server;
    CRecords records("Player", false);
    CProfile ann("Ann+/=");
    ann.SetCrown();
    records.AddResult(ann, 700, 0, kNow - 5 * records::kMinuteTicks);
    records.AddResult(ann, 300, 0, kNow);
    ASSERT_EQ(RunSubmission(records, server.Url()), CRecordsSubmission::EState::Succeeded);
    EXPECT_TRUE(records.send_records.empty());
    EXPECT_TRUE(records.local[0].sended);
    EXPECT_EQ(records.daily[0].name, "Ann+/=") << "the raw body keeps '+'";
    EXPECT_EQ(records.daily[0].score, 700);
    EXPECT_TRUE(records.daily[0].crown);
    EXPECT_TRUE(records.daily[1].generated) << "one entry per name";
    EXPECT_EQ(records.global[0].score, 700);

    // A second player; the tables come back best first.
    CProfile bo("Bo");
    records.AddResult(bo, 900, 0, kNow);
    ASSERT_EQ(RunSubmission(records, server.Url()), CRecordsSubmission::EState::Succeeded);
    EXPECT_EQ(records.daily[0].name, "Bo");
    EXPECT_EQ(records.daily[1].name, "Ann+/=");
}

TEST(ScoreServer, DownSlowOrGarbage)
{
    struct Case {
        const char* what;
        std::string reply;
        int pauseMs;
        CRecordsSubmission::EState state;
    } cases[] = {
        {"slow", "HTTP/1.0 200 OK\r\n\r\n0\n0\n", 2000, CRecordsSubmission::EState::Failed},
        {"error status", "HTTP/1.0 500 Oops\r\n\r\n", 0, CRecordsSubmission::EState::Failed},
        {"not HTTP", "\x01\x02garbage", 0, CRecordsSubmission::EState::Failed},
        {"garbage body", "HTTP/1.0 200 OK\r\n\r\n<html>no tables</html>", 0, CRecordsSubmission::EState::Succeeded},
        {"count too large", "HTTP/1.0 200 OK\r\n\r\n99999\nEvil\n1\n", 0, CRecordsSubmission::EState::Succeeded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeServer fake(c.reply, c.pauseMs);
        CRecords records("Player", false);
        CProfile ann("Ann");
        records.AddResult(ann, 700, 0, kNow);
        EXPECT_EQ(RunSubmission(records, fake.Url(), 500), c.state);
        // Whatever came back, the tables keep their placeholders.
        EXPECT_TRUE(records.daily[0].generated);
        EXPECT_EQ(records.send_records.size(), c.state == CRecordsSubmission::EState::Failed ? 1u : 0u);
    }
    // Nothing listening.
    uint16_t freePort;
    {
        Olvarn::Listener probe;
        ASSERT_TRUE(probe.Listen(Olvarn::SocketAddress{0x7F000001u, 0}));
        freePort = static_cast<uint16_t>(probe.Port());
    }
    CRecords records("Player", false);
    CProfile ann("Ann");
    records.AddResult(ann, 700, 0, kNow);
    EXPECT_EQ(RunSubmission(records, "http://127.0.0.1:" + std::to_string(freePort) + "/"),
              CRecordsSubmission::EState::Failed);
    EXPECT_EQ(records.send_records.size(), 1u);
    // No url, no server: fails at once, the queue stays.
    EXPECT_EQ(RunSubmission(records, ""), CRecordsSubmission::EState::Failed);
    EXPECT_EQ(records.send_records.size(), 1u);
}

TEST(ScoreServer, RefusesWhatItCannotHold)
{
    testsupport::TempDir dir;
    scores::ScoreStore store;
    ASSERT_TRUE(store.Open(dir.File("s.db")));
    scores::ScoreServer server(store);
    auto status = [](const std::string& response) { return response.substr(0, response.find("\r\n")); };
    std::string longName = "0\n1\n" + std::string(65, 'n') + "\n1\n0\n0\n0\n0\n";
    std::string tooMany = "101\n";
    struct Case {
        const char* what;
        std::string request;
        const char* status;
    } cases[] = {
        {"body over 64 KiB", "POST / HTTP/1.0\r\nContent-Length: 70000\r\n\r\n", "HTTP/1.0 413 Payload Too Large"},
        {"head over 8 KiB", "POST / HTTP/1.0\r\n" + std::string(9000, 'x'), "HTTP/1.0 413 Payload Too Large"},
        {"cut short", "POST / HTTP/1.0\r\nContent-Length: 10\r\n\r\nData", "HTTP/1.0 400 Bad Request"},
        {"not HTTP", std::string("\0\1\2\3\r\n\r\n", 8), "HTTP/1.0 400 Bad Request"},
        {"two lengths", "POST / HTTP/1.0\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab",
         "HTTP/1.0 400 Bad Request"},
        {"get", "GET / HTTP/1.0\r\n\r\n", "HTTP/1.0 405 Method Not Allowed"},
        {"name over 64 bytes",
         "POST / HTTP/1.0\r\nContent-Length: " + std::to_string(records::EncodeSubmissionBody(longName).size()) +
             "\r\n\r\n" + records::EncodeSubmissionBody(longName),
         "HTTP/1.0 400 Bad Request"},
        {"count over 100",
         "POST / HTTP/1.0\r\nContent-Length: " + std::to_string(records::EncodeSubmissionBody(tooMany).size()) +
             "\r\n\r\n" + records::EncodeSubmissionBody(tooMany),
         "HTTP/1.0 400 Bad Request"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(status(server.Answer(c.request, 1700000000)), c.status);
    }
    // Groups are read to the end whatever the count line says.
    std::string reply = Post(server, records::EncodeSubmissionBody("0\n1\nA\n5\n0\n0\n0\n0\nB\n9\n0\n0\n0\n1\n"));
    EXPECT_EQ(status(reply), "HTTP/1.0 200 OK");
    EXPECT_NE(reply.find("\r\n\r\n0\n2\nB\n9\n0\n0\n0\n1\nA\n5\n"), std::string::npos) << reply;
}

TEST(ScoreServer, SurvivesGarbageOnTheWire)
{
    RunningServer server;
    uint32_t seed = 34;
    for (int i = 0; i < 30; ++i) {
        Olvarn::Socket s;
        ASSERT_TRUE(s.Create());
        s.StartConnect(Olvarn::SocketAddress{0x7F000001u, server.Server().Port()});
        ASSERT_EQ(s.WaitFor(false, true, 2000), Olvarn::Socket::Wait::Ready);
        std::string junk(1 + i * 97, '\0');
        for (char& c : junk) {
            seed = seed * 214013u + 2531011u;
            c = static_cast<char>(seed >> 16);
        }
        if (i % 3 == 0)
            junk = "POST / HTTP/1.0\r\nContent-Length: 5\r\n\r\n" + junk;
        s.Send(junk.data(), junk.size());
        // Half the clients hang up at once.
        if (i % 2)
            continue;
        s.WaitFor(true, false, 2000);
    }
    CRecords records("Player", false);
    CProfile ann("Ann");
    records.AddResult(ann, 10, 0, kNow);
    EXPECT_EQ(RunSubmission(records, server.Url()), CRecordsSubmission::EState::Succeeded);
}
