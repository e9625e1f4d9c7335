// One HTTP exchange on a worker thread of its own, polled by its owner for the result and the body.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "app/HttpResponseParser.h"
#include "core/Buffer.h"

namespace Olvarn
{

class Socket;

class HTTPTransfer
{
public:
    // Result codes.
    static constexpr int kDone = 0;
    static constexpr int kIdle = 1;
    static constexpr int kRunning = 2;
    static constexpr int kNotFound = 3;
    static constexpr int kOtherStatus = 4;
    static constexpr int kAborted = 5;
    // The socket failed, or the reply was cut short, malformed, too large or too late.
    static constexpr int kSocketError = 6;
    static constexpr int kHostNotFound = 7;
    static constexpr int kConnectFailed = 8;
    static constexpr int kSendFailed = 9;

    // Every exchange ends by this time unless the owner gives another.
    static constexpr int kDefaultDeadlineMs = 60000;
    // A demo stores a reply as a stream string.
    static constexpr size_t kMaxRecordedContent = Buffer::kMaxStringLength;

    HTTPTransfer();
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // The process's shared transfer (the crash report upload uses it).
    static HTTPTransfer& Global();

    void Post(const std::string& url, const std::string& formBody) { PostForm(url, formBody); }
    void PostForm(const std::string& url, const std::string& formBody);
    void SendRawRequest(const std::string& url, const std::string& request);
    void ParseUrl(const std::string& url);
    void Reset();
    void Abort();
    // The result and the content follow a demo: a recording notes every change the owner sees, a
    // replay opens no connection and takes them from the recording.
    int GetResult() const;
    // Empty while the transfer runs. While a demo is recorded, cut to what the demo holds
    // (kMaxRecordedContent bytes), so the run and its replay see the same reply.
    std::string GetContent() const;
    void WaitUntilDone() const;

    // Host, port and path of a URL: the scheme and "//" are dropped, the path starts at the first
    // '/' after the host ("/" when there is none), and a ':' in the host gives the port (0 when
    // it is no number in 1..65535).
    static void SplitUrl(const std::string& url, std::string& host, int& port, std::string& path);
    // The form POST as sent: request line, headers, an empty line and the body, every line ended
    // by carriage return and line feed.
    static std::string BuildFormRequest(const std::string& host, const std::string& path, const std::string& formBody);

    // Limits of the next exchanges: the whole exchange's time and the reply's sizes.
    void SetDeadlineMs(int ms) { mDeadlineMs = ms; }
    void SetLimits(const HttpResponseParser::Limits& limits) { mLimits = limits; }

    int GetTransferId() const { return mTransferId; }
    const std::string& GetHost() const { return mHost; }
    int GetPort() const { return mPort; }
    const std::string& GetPath() const { return mPath; }
    bool IsActive() const { return mActive.load(); }

private:
    void StartWorker();
    void WorkerThread();
    // Steps of the worker; each false ends the exchange with the result it has set.
    bool Connect(Socket& socket, int64_t deadline);
    bool SendRequest(Socket& socket, int64_t deadline);
    void ReceiveReply(Socket& socket, int64_t deadline);
    // Waits in 100 ms slices until the socket is ready, stop is set (true: the caller checks stop)
    // or the deadline passes; false with result 6 when the socket fails or time runs out.
    bool WaitForSocket(Socket& socket, bool read, bool write, int64_t deadline);
    void Fail(int result);
    void JoinWorker();

    int mTransferId = 0;
    std::string mRequest;
    std::string mUrl;
    std::string mHost;
    int mPort = 80;
    std::string mPath;
    mutable std::mutex mContentLock;
    void SyncStatusWithDemo() const;

    mutable std::string mContent;
    mutable std::atomic<bool> mActive{false};
    mutable int mLastSyncedResult = kIdle;
    std::atomic<bool> mThreadRunning{false};
    std::atomic<bool> mStop{false};
    std::atomic<bool> mAborted{false};
    mutable std::atomic<int> mResult{kIdle};
    int mDeadlineMs = kDefaultDeadlineMs;
    HttpResponseParser::Limits mLimits;
    std::thread mWorker;
};

} // namespace Olvarn
