// TCP connections on POSIX sockets.
#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Olvarn
{

Socket::~Socket()
{
    Close();
}

bool Socket::ParseDottedAddress(const std::string& host, uint32_t& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

Socket::Lookup Socket::Resolve(const std::string& host, uint32_t& address)
{
    if (ParseDottedAddress(host, address))
        return Lookup::Found;
    if (host.empty() || host.find('\0') != std::string::npos)
        return Lookup::NotFound;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return Lookup::NotFound;
    Lookup result = Lookup::NotFound;
    for (addrinfo* it = found; it; it = it->ai_next) {
        if (it->ai_family == AF_INET && it->ai_addr) {
            address = ntohl(reinterpret_cast<sockaddr_in*>(it->ai_addr)->sin_addr.s_addr);
            result = Lookup::Found;
            break;
        }
    }
    freeaddrinfo(found);
    return result;
}

bool Socket::Create()
{
    Close();
    mFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    return mFd >= 0;
}

bool Socket::StartConnect(const SocketAddress& to)
{
    if (mFd < 0 || to.mPort <= 0 || to.mPort > 65535)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(to.mPort));
    address.sin_addr.s_addr = htonl(to.mAddress);
    if (connect(mFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
        return true;
    return errno == EINPROGRESS || errno == EINTR;
}

bool Socket::ConnectFailed()
{
    int error = 0;
    socklen_t size = sizeof(error);
    if (getsockopt(mFd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return true;
    return error != 0;
}

Socket::Wait Socket::WaitFor(bool read, bool write, int timeoutMs)
{
    if (mFd < 0)
        return Wait::Failed;
    pollfd entry{};
    entry.fd = mFd;
    entry.events = static_cast<short>((read ? POLLIN : 0) | (write ? POLLOUT : 0));
    int n = poll(&entry, 1, timeoutMs);
    if (n < 0)
        return errno == EINTR ? Wait::TimedOut : Wait::Failed;
    if (n == 0)
        return Wait::TimedOut;
    // A peer that closed shows as readable (the read then sees the end); only an error with
    // nothing readable is a failure of the socket itself.
    if ((entry.revents & (POLLERR | POLLNVAL)) && !(entry.revents & POLLIN))
        return Wait::Failed;
    if (entry.revents & (POLLIN | POLLOUT | POLLHUP))
        return Wait::Ready;
    return Wait::TimedOut;
}

long Socket::Send(const char* data, size_t length)
{
    if (mFd < 0)
        return -1;
    ssize_t n = send(mFd, data, length, MSG_NOSIGNAL);
    if (n >= 0)
        return static_cast<long>(n);
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

long Socket::Receive(char* data, size_t capacity)
{
    if (mFd < 0)
        return -1;
    ssize_t n = recv(mFd, data, capacity, 0);
    if (n >= 0)
        return static_cast<long>(n);
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? -2 : -1;
}

void Socket::Close()
{
    if (mFd >= 0) {
        close(mFd);
        mFd = -1;
    }
}

} // namespace Olvarn
