// The single-instance lock (flock) and the notice socket (a Unix datagram socket).
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/Paths.h"

namespace Olvarn
{

namespace
{

std::string SafeName(const std::string& name)
{
    std::string out;
    for (unsigned char c : name)
        out += (std::isalnum(c) || c == '-' || c == '.') ? static_cast<char>(c) : '_';
    if (out.empty() || out[0] == '.')
        out = "_" + out;
    return out;
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A folder only this user can enter: ours, a real folder (no link), closed to everyone else.
bool IsPrivateFolder(const std::string& path)
{
    struct stat info {
    };
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

// Makes the folder 0700 when it is missing; true when it is private afterwards.
bool MakePrivateFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(path);
}

// Where this user's instance files live. The session's runtime folder is per user by definition;
// without one, a shared /tmp must not be used directly, since anyone may plant a link or hold a lock
// of the same name there. "" when no private place exists.
std::string InstanceFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/')
        return runtime;
    std::string cache;
    try {
        cache = Paths::CacheHome();
    } catch (const std::runtime_error&) {
        // No home: the private folder below still serves.
    }
    if (!cache.empty() && Paths::MakeFolders(cache) && MakePrivateFolder(cache + "/instances"))
        return cache + "/instances";
    const char* tmp = std::getenv("TMPDIR");
    std::string user = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/olvarn-" + std::to_string(geteuid());
    return MakePrivateFolder(user) ? user : "";
}

std::string InstanceFile(const std::string& name, const char* suffix)
{
    std::string folder = InstanceFolder();
    return folder.empty() ? "" : folder + "/" + SafeName(name) + suffix;
}

} // namespace

SingleInstance::SingleInstance(const std::string& name) : mName(name) {}

SingleInstance::~SingleInstance()
{
    if (mSocketFd >= 0) {
        close(mSocketFd);
        if (mOwnsSocketFile)
            unlink(SocketPath(mName).c_str());
    }
    if (mLockFd >= 0)
        close(mLockFd); // releases the lock
}

std::string SingleInstance::LockPath(const std::string& name)
{
    return InstanceFile(name, ".lock");
}

std::string SingleInstance::SocketPath(const std::string& name)
{
    return InstanceFile(name, ".sock");
}

SingleInstance::Result SingleInstance::Acquire()
{
    if (mLockFd >= 0)
        return Result::First;
    std::string lockPath = LockPath(mName);
    if (lockPath.empty())
        return Result::Unavailable;
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Unavailable;
    // Only our own lock file can tell that our instance runs; anyone else's proves nothing.
    struct stat info {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        return Result::Unavailable;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Result::AlreadyRunning : Result::Unavailable;
    }
    mLockFd = fd;

    // Holding the lock, any socket file left at the path is a dead copy's and may go.
    sockaddr_un address;
    std::string socketPath = SocketPath(mName);
    if (!MakeAddress(socketPath, address))
        return Result::First;
    unlink(socketPath.c_str());
    mSocketFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (mSocketFd >= 0 && bind(mSocketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        mOwnsSocketFile = true;
    } else if (mSocketFd >= 0) {
        close(mSocketFd);
        mSocketFd = -1;
    }
    return Result::First;
}

bool SingleInstance::Notify(const std::string& notice)
{
    sockaddr_un address;
    if (!MakeAddress(SocketPath(mName), address))
        return false;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ssize_t sent =
        sendto(fd, notice.data(), notice.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    close(fd);
    return sent == static_cast<ssize_t>(notice.size());
}

int SingleInstance::PollNotices(const std::string& notice)
{
    if (mSocketFd < 0)
        return 0;
    int count = 0;
    char buffer[512];
    for (;;) {
        ssize_t n = recv(mSocketFd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n < 0)
            break;
        if (static_cast<size_t>(n) == notice.size() && std::memcmp(buffer, notice.data(), notice.size()) == 0)
            ++count;
    }
    return count;
}

} // namespace Olvarn
