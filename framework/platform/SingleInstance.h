// One running copy per product: an exclusive lock on a file in the runtime folder, and a local
// socket on which a later start tells the running copy to come to the front.
#pragma once

#include <string>

namespace Olvarn
{

class SingleInstance
{
public:
    enum class Result {
        First,          // this process holds the instance now
        AlreadyRunning, // another process holds it
        Unavailable     // the lock could not be made at all (the caller decides; the process runs)
    };

    // name: the instance's name, such as the product name followed by "Mutex".
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Result Acquire();
    // Sends the notice to the running copy; false when it could not be reached.
    bool Notify(const std::string& notice);
    // Takes waiting notices without blocking; answers how many equal the given text.
    int PollNotices(const std::string& notice);

    // Files used for a name, the name with unsafe bytes as '_', in a folder of this user's own:
    // $XDG_RUNTIME_DIR, else $XDG_CACHE_HOME/instances, else $TMPDIR (or /tmp)/olvarn-<uid>, the
    // last two made with mode 0700 and used only while they are ours and closed to others.
    // "" when there is no such folder.
    static std::string LockPath(const std::string& name);
    static std::string SocketPath(const std::string& name);

private:
    std::string mName;
    int mLockFd = -1;
    int mSocketFd = -1;
    bool mOwnsSocketFile = false;
};

} // namespace Olvarn
