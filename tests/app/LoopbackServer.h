// A one-connection HTTP server on 127.0.0.1 for the transfer tests: it records the raw request and
// plays a scripted reply. Every wait is bounded, so a faulty client cannot hang a test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httptest
{

struct ServerStep {
    enum Kind {
        Send,      // send the bytes
        Pause,     // wait the milliseconds
        WaitClose, // keep the connection open until the client closes it (at most 10 s)
    };
    Kind mKind = Send;
    std::string mBytes;
    int mMs = 0;
};

inline ServerStep Send(const std::string& bytes)
{
    return {ServerStep::Send, bytes, 0};
}
inline ServerStep Pause(int ms)
{
    return {ServerStep::Pause, std::string(), ms};
}
inline ServerStep WaitClose()
{
    return {ServerStep::WaitClose, std::string(), 0};
}

class LoopbackServer
{
public:
    // Serves that many connections one after another, each with the same script.
    explicit LoopbackServer(std::vector<ServerStep> script, int connections = 1)
        : mScript(std::move(script)), mConnections(connections)
    {
        mListenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        bind(mListenFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(mListenFd, 1);
        socklen_t size = sizeof address;
        getsockname(mListenFd, reinterpret_cast<sockaddr*>(&address), &size);
        mPort = ntohs(address.sin_port);
        mThread = std::thread([this] { Run(); });
    }
    ~LoopbackServer()
    {
        if (mThread.joinable())
            mThread.join();
        close(mListenFd);
    }

    int Port() const { return mPort; }
    std::string Url(const std::string& path = "/submit") const
    {
        return "http://127.0.0.1:" + std::to_string(mPort) + path;
    }
    // The (last) request as it arrived; waits for the server to finish.
    std::string Request()
    {
        if (mThread.joinable())
            mThread.join();
        return mRequest;
    }
    // Every request, in the order of the connections.
    std::vector<std::string> Requests()
    {
        Request();
        return mRequests;
    }
    // True when the client closed its side while the server waited for it.
    bool ClientClosed()
    {
        Request();
        return mClientClosed;
    }

    // A port on the loopback that nothing listens on (taken and given back at once).
    static int ClosedPort()
    {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        close(fd);
        return ntohs(address.sin_port);
    }

private:
    static bool WaitReadable(int fd, int ms)
    {
        pollfd entry{fd, POLLIN, 0};
        return poll(&entry, 1, ms) > 0;
    }

    // Reads the head and as much body as its Content-Length says, for at most 5 s.
    void ReadRequest(int fd)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buffer[4096];
        while (std::chrono::steady_clock::now() < end) {
            size_t head = mRequest.find("\r\n\r\n");
            if (head != std::string::npos) {
                size_t length = 0;
                size_t at = mRequest.find("Content-Length: ");
                if (at != std::string::npos && at < head)
                    length = std::stoul(mRequest.substr(at + 16));
                if (mRequest.size() >= head + 4 + length)
                    return;
            }
            if (!WaitReadable(fd, 50))
                continue;
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            mRequest.append(buffer, static_cast<size_t>(n));
        }
    }

    void Run()
    {
        for (int i = 0; i < mConnections; ++i) {
            if (!WaitReadable(mListenFd, 10000))
                return;
            int fd = accept(mListenFd, nullptr, nullptr);
            if (fd < 0)
                return;
            mRequest.clear();
            Serve(fd);
            mRequests.push_back(mRequest);
        }
    }

    void Serve(int fd)
    {
        ReadRequest(fd);
        for (const ServerStep& step : mScript) {
            if (step.mKind == ServerStep::Send) {
                send(fd, step.mBytes.data(), step.mBytes.size(), MSG_NOSIGNAL);
            } else if (step.mKind == ServerStep::Pause) {
                std::this_thread::sleep_for(std::chrono::milliseconds(step.mMs));
            } else {
                auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                char buffer[256];
                while (std::chrono::steady_clock::now() < end) {
                    if (!WaitReadable(fd, 50))
                        continue;
                    if (recv(fd, buffer, sizeof buffer, 0) <= 0) {
                        mClientClosed = true;
                        break;
                    }
                }
            }
        }
        close(fd);
    }

    std::vector<ServerStep> mScript;
    int mConnections = 1;
    std::vector<std::string> mRequests;
    int mListenFd = -1;
    int mPort = 0;
    std::string mRequest;
    bool mClientClosed = false;
    std::thread mThread;
};

} // namespace httptest
