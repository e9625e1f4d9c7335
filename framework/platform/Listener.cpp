// The listening socket on POSIX.
#include "platform/Listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Olvarn
{

Listener::~Listener()
{
    Close();
}

bool Listener::Listen(const SocketAddress& at, int backlog)
{
    Close();
    mFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (mFd < 0)
        return false;
    int on = 1;
    setsockopt(mFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(at.mPort));
    address.sin_addr.s_addr = htonl(at.mAddress);
    if (bind(mFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(mFd, backlog) != 0) {
        Close();
        return false;
    }
    return true;
}

int Listener::Port() const
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (mFd < 0 || getsockname(mFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool Listener::Accept(Socket& out, int timeoutMs)
{
    if (mFd < 0)
        return false;
    pollfd waiting{mFd, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) <= 0)
        return false;
    int fd = accept4(mFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return false;
    out.Adopt(fd);
    return true;
}

void Listener::Close()
{
    if (mFd >= 0)
        close(mFd);
    mFd = -1;
}

} // namespace Olvarn
