// What the two music-library stand-ins share: a music engine of our own over the shared audio
// device, and a process-wide holder that makes a library with its first use and deletes it with
// its last.
#pragma once

#include <memory>
#include <mutex>

namespace Olvarn
{

class MusicEngine;

class MusicLibrary
{
public:
    virtual ~MusicLibrary();
    MusicEngine& Engine() { return *mEngine; }

protected:
    MusicLibrary();
    // False (and logged) when no audio device can be had.
    bool StartEngine();

private:
    std::unique_ptr<MusicEngine> mEngine;

    template <typename Library> friend class UseCountedHolder;
};

// Keeps the library named by `instance` (a process-wide pointer its callers read) while any use is
// taken. Library derives from MusicLibrary and lets the holder make it.
template <typename Library> class UseCountedHolder
{
public:
    constexpr explicit UseCountedHolder(Library*& instance) : mInstance(instance) {}
    UseCountedHolder(const UseCountedHolder&) = delete;
    UseCountedHolder& operator=(const UseCountedHolder&) = delete;

    // Takes a use, making the library on the first one. Null, with no use taken, when no audio
    // device can be had.
    Library* TakeUse()
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (!mInstance) {
            std::unique_ptr<Library> made(new Library());
            if (!made->StartEngine())
                return nullptr;
            mInstance = made.release();
        }
        ++mUses;
        return mInstance;
    }
    // Gives a use back; the last one deletes the library.
    void GiveBackUse()
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (--mUses <= 0) {
            mUses = 0;
            delete mInstance;
            mInstance = nullptr;
        }
    }
    int UseCount()
    {
        std::lock_guard<std::mutex> lock(mMutex);
        return mUses;
    }

private:
    std::mutex mMutex;
    int mUses = 0;
    Library*& mInstance;
};

} // namespace Olvarn
