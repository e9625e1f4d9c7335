// The process-wide holder of the built-in stand-in for the FMOD music library: a music engine of
// our own over the shared audio device, shared by its users through a use count.
#pragma once

#include <memory>

namespace Olvarn
{

class MusicEngine;

class FmodLibrary
{
public:
    // Takes a use, creating the holder on the first one. Null (and logged) when no audio device
    // can be had: the caller then stays silent and must not give a use back.
    static FmodLibrary* TakeUse();
    // Gives a use back; the last one deletes the holder.
    static void GiveBackUse();
    static int UseCount();

    ~FmodLibrary();
    MusicEngine& Engine() { return *mEngine; }
    // Started by the sound manager that uses this library for decoding and music.
    bool IsInitialized() const { return mInitialized; }
    void SetInitialized(bool initialized) { mInitialized = initialized; }

private:
    FmodLibrary() = default;

    std::unique_ptr<MusicEngine> mEngine;
    bool mInitialized = false;
};

// The holder while any use is taken, else null.
extern FmodLibrary* FMOD_INSTANCE;

} // namespace Olvarn
