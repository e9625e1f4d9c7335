// The HTTP worker: connect, send the request, read the reply through the response parser.
#include "app/HTTPTransfer.h"

#include <algorithm>
#include <chrono>

#include "app/OlvarnAppBase.h"
#include "platform/CrashHandler.h"
#include "platform/Socket.h"
#include "platform/Thread.h"

namespace Olvarn
{

namespace
{

std::atomic<int> gNextTransferId{1};

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr int kSliceMs = 100;

} // namespace

HTTPTransfer::HTTPTransfer() : mTransferId(gNextTransferId++) {}

HTTPTransfer::~HTTPTransfer()
{
    mStop = true;
    mAborted = true;
    JoinWorker();
}

HTTPTransfer& HTTPTransfer::Global()
{
    static HTTPTransfer transfer;
    return transfer;
}

void HTTPTransfer::JoinWorker()
{
    if (mWorker.joinable())
        mWorker.join();
}

void HTTPTransfer::SplitUrl(const std::string& url, std::string& host, int& port, std::string& path)
{
    port = 80;
    size_t n = url.find("//");
    n = n == std::string::npos ? 0 : n + 2;
    size_t s = url.find('/', n);
    if (s == std::string::npos) {
        host = url.substr(n);
        path = "/";
    } else {
        host = url.substr(n, s - n);
        path = url.substr(s);
    }
    size_t colon = host.find(':');
    if (colon != std::string::npos) {
        // Digits only and within the port range; anything else is port 0, which cannot connect.
        std::string digits = host.substr(colon + 1);
        long value = 0;
        bool ok = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                ok = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        port = ok && value <= 65535 ? static_cast<int>(value) : 0;
        host.resize(colon);
    }
}

std::string HTTPTransfer::BuildFormRequest(const std::string& host, const std::string& path,
                                           const std::string& formBody)
{
    std::string request = "POST " + path + " HTTP/1.0\r\n";
    request += "Content-Type: application/x-www-form-urlencoded\r\n";
    request += "User-Agent: Mozilla/4.0 (compatible; brisvek)\r\n";
    request += "Host: " + host + "\r\n";
    request += "Content-Length: " + std::to_string(formBody.size()) + "\r\n";
    request += "Connection: close\r\n";
    request += "\r\n";
    return request + formBody;
}

void HTTPTransfer::Reset()
{
    if (mWorker.joinable() || mActive.load()) {
        mStop = true;
        mAborted = true;
        WaitUntilDone();
        JoinWorker();
    }
    mTransferId = gNextTransferId++;
    mResult = kIdle;
    // The idle state is what a new transfer starts from; a recording notes the next change from it.
    mLastSyncedResult = kIdle;
    mStop = false;
    mAborted = false;
    {
        std::lock_guard<std::mutex> lock(mContentLock);
        mContent.clear();
    }
    mUrl.clear();
    mRequest.clear();
    mPath.clear();
}

void HTTPTransfer::ParseUrl(const std::string& url)
{
    Reset();
    mTransferId = gNextTransferId++;
    mUrl = url;
    SplitUrl(url, mHost, mPort, mPath);
    mStop = false;
    mAborted = false;
    mResult = kRunning;
}

void HTTPTransfer::PostForm(const std::string& url, const std::string& formBody)
{
    ParseUrl(url);
    // A blank or control character in the host or path would break the request line or add
    // header lines of the URL's choosing: such a request is not sent.
    auto unsafe = [](const std::string& s) {
        return std::any_of(s.begin(), s.end(),
                           [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
    };
    if (unsafe(mHost) || unsafe(mPath)) {
        mResult = kSendFailed;
        return;
    }
    mRequest = BuildFormRequest(mHost, mPath, formBody);
    StartWorker();
}

void HTTPTransfer::SendRawRequest(const std::string& url, const std::string& request)
{
    ParseUrl(url);
    mRequest = request;
    StartWorker();
}

void HTTPTransfer::StartWorker()
{
    mActive = true;
    // A replay's result comes from the recording; nothing is sent.
    if (gOlvarnApp && gOlvarnApp->mPlayingDemo)
        return;
    mThreadRunning = true;
    mWorker = std::thread([this] { WorkerThread(); });
}

void HTTPTransfer::Abort()
{
    mAborted = true;
    mStop = true;
}

int HTTPTransfer::GetResult() const
{
    SyncStatusWithDemo();
    return mResult.load();
}

void HTTPTransfer::SyncStatusWithDemo() const
{
    OlvarnAppBase* app = gOlvarnApp;
    if (!app)
        return;
    if (app->mPlayingDemo) {
        int result = 0;
        std::string content;
        if (!app->TakeHttpResult(mTransferId, result, content))
            return;
        mLastSyncedResult = result;
        {
            std::lock_guard<std::mutex> lock(mContentLock);
            mContent = content;
        }
        mResult = result;
        if (result != kRunning)
            mActive = false;
        return;
    }
    const int result = mResult.load();
    if (!app->mRecordingDemo || result == mLastSyncedResult)
        return;
    std::string content;
    if (result != kRunning) {
        std::lock_guard<std::mutex> lock(mContentLock);
        content = mContent;
    }
    if (app->RecordHttpResult(mTransferId, result, content))
        mLastSyncedResult = result;
}

std::string HTTPTransfer::GetContent() const
{
    if (mResult.load() == kRunning)
        return std::string();
    SyncStatusWithDemo();
    std::lock_guard<std::mutex> lock(mContentLock);
    // A demo holds a reply only up to a stream string's length; the recorded run sees what its
    // replay will see.
    if (gOlvarnApp && gOlvarnApp->mRecordingDemo && mContent.size() > kMaxRecordedContent)
        return mContent.substr(0, kMaxRecordedContent);
    return mContent;
}

void HTTPTransfer::WaitUntilDone() const
{
    if (gOlvarnApp && gOlvarnApp->mPlayingDemo) {
        // No worker runs in a replay: the recorded result is due now or never comes.
        SyncStatusWithDemo();
        mActive = false;
        return;
    }
    while (mActive.load()) {
        SyncStatusWithDemo();
        if (!mActive.load())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void HTTPTransfer::Fail(int result)
{
    // The first failure is the one reported.
    int running = kRunning;
    mResult.compare_exchange_strong(running, result);
    mStop = true;
}

bool HTTPTransfer::WaitForSocket(Socket& socket, bool read, bool write, int64_t deadline)
{
    while (!mStop) {
        int64_t left = deadline - NowMs();
        if (left <= 0) {
            Fail(kSocketError);
            return false;
        }
        switch (socket.WaitFor(read, write, static_cast<int>(left < kSliceMs ? left : kSliceMs))) {
        case Socket::Wait::Ready:
            return true;
        case Socket::Wait::Failed:
            Fail(kSocketError);
            return false;
        case Socket::Wait::TimedOut:
            break;
        }
    }
    return true;
}

bool HTTPTransfer::Connect(Socket& socket, int64_t deadline)
{
    uint32_t address = 0;
    if (Socket::Resolve(mHost, address) != Socket::Lookup::Found) {
        Fail(kHostNotFound);
        return false;
    }
    if (!socket.StartConnect(SocketAddress{address, mPort})) {
        Fail(kConnectFailed);
        return false;
    }
    if (!WaitForSocket(socket, false, true, deadline)) {
        // A refused connection shows as an error on the socket: that is a failed connect.
        mResult = kConnectFailed;
        return false;
    }
    if (mStop)
        return false;
    if (socket.ConnectFailed()) {
        Fail(kConnectFailed);
        return false;
    }
    return true;
}

bool HTTPTransfer::SendRequest(Socket& socket, int64_t deadline)
{
    size_t sent = 0;
    while (sent < mRequest.size() && !mStop) {
        if (!WaitForSocket(socket, false, true, deadline) || mStop)
            return false;
        long n = socket.Send(mRequest.data() + sent, mRequest.size() - sent);
        if (n < 0) {
            Fail(kSendFailed);
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    mRequest.erase(0, sent);
    return !mStop;
}

void HTTPTransfer::ReceiveReply(Socket& socket, int64_t deadline)
{
    HttpResponseParser parser(mLimits);
    char buffer[4096];
    while (!mStop) {
        if (!WaitForSocket(socket, true, false, deadline) || mStop)
            return;
        long n = socket.Receive(buffer, sizeof buffer);
        if (n == -2)
            continue;
        if (n < 0) {
            Fail(kSocketError);
            return;
        }
        HttpResponseParser::State state = n == 0 ? parser.Finish() : parser.Feed(buffer, static_cast<size_t>(n));
        // A status other than 200 ends the exchange at once; its body is not read.
        if (parser.StatusKnown() && parser.Status() != 200) {
            Fail(parser.Status() == 404 ? kNotFound : kOtherStatus);
            return;
        }
        if (state == HttpResponseParser::State::Failed) {
            Fail(kSocketError);
            return;
        }
        if (state == HttpResponseParser::State::Done) {
            std::lock_guard<std::mutex> lock(mContentLock);
            mContent = parser.Body();
            return;
        }
    }
}

void HTTPTransfer::WorkerThread()
{
    NameCurrentThread("http");
    CrashHandler::PrepareThread();
    const int64_t deadline = NowMs() + mDeadlineMs;
    {
        Socket socket;
        if (!socket.Create())
            Fail(kSocketError);
        else if (!mStop && Connect(socket, deadline) && SendRequest(socket, deadline))
            ReceiveReply(socket, deadline);
    }
    if (mAborted) {
        mResult = kAborted;
        mStop = true;
    } else {
        // Only a reply read to its proper end leaves the result running here.
        int running = kRunning;
        mResult.compare_exchange_strong(running, kDone);
    }
    mThreadRunning = false;
    mActive = false;
}

} // namespace Olvarn
