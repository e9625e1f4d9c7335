// A TCP connection over IPv4 for the HTTP worker: non-blocking, waited on in short slices so the
// owner can stop it between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Olvarn
{

// An IPv4 address and port in the host's byte order.
struct SocketAddress {
    uint32_t mAddress = 0;
    int mPort = 0;
};

class Socket
{
public:
    enum class Wait { Ready, TimedOut, Failed };
    enum class Lookup { Found, NotFound };

    Socket() = default;
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // True when the host is written as a dotted IPv4 address (read without any name look-up).
    static bool ParseDottedAddress(const std::string& host, uint32_t& address);
    // A dotted address as it stands, otherwise the first IPv4 address the resolver gives.
    static Lookup Resolve(const std::string& host, uint32_t& address);

    // A non-blocking TCP socket; false when the system refuses one.
    bool Create();
    bool IsOpen() const { return mFd >= 0; }
    // Starts connecting; false when the attempt failed at once. Completion is seen by waiting for
    // writing and then asking ConnectFailed.
    bool StartConnect(const SocketAddress& to);
    // After the socket became writable: true when the connection was refused or failed.
    bool ConnectFailed();
    // Waits at most timeoutMs for the socket to become readable (read) or writable (write); an
    // error condition on the socket is Failed.
    Wait WaitFor(bool read, bool write, int timeoutMs);
    // Bytes sent (0 when the socket cannot take any now), or -1 on an error. Never raises SIGPIPE.
    long Send(const char* data, size_t length);
    // Bytes read, 0 when the peer closed the connection, -1 on an error, -2 when nothing is there yet.
    long Receive(char* data, size_t capacity);
    void Close();

private:
    friend class Listener;
    // Takes over a connected descriptor (an accepted connection).
    void Adopt(int fd)
    {
        Close();
        mFd = fd;
    }

    int mFd = -1;
};

} // namespace Olvarn
