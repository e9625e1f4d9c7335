// A listening TCP socket over IPv4 for small servers: bound to a port, it hands out each accepted
// connection as a Socket.
#pragma once

#include "platform/Socket.h"

namespace Olvarn
{

class Listener
{
public:
    Listener() = default;
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Listens on the address and port (port 0: the system picks one, see Port); false when the
    // system refuses (the port is taken, for one).
    bool Listen(const SocketAddress& at, int backlog = 64);
    bool IsOpen() const { return mFd >= 0; }
    // The port listened on.
    int Port() const;
    // Waits at most timeoutMs for a connection; true with the connection, non-blocking, in out.
    bool Accept(Socket& out, int timeoutMs);
    void Close();

private:
    int mFd = -1;
};

} // namespace Olvarn
