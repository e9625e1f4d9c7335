// The process-wide holder of the built-in stand-in for the FMOD music library: a music engine of
// our own over the shared audio device, shared by its users through a use count.
#pragma once

#include "sound/MusicLibrary.h"

namespace Olvarn
{

class FmodLibrary : public MusicLibrary
{
public:
    // Takes a use, creating the holder on the first one. Null (and logged) when no audio device
    // can be had: the caller then stays silent and must not give a use back.
    static FmodLibrary* TakeUse();
    // Gives a use back; the last one deletes the holder.
    static void GiveBackUse();
    static int UseCount();

    // Started by the sound manager that uses this library for decoding and music.
    bool IsInitialized() const { return mInitialized; }
    void SetInitialized(bool initialized) { mInitialized = initialized; }

private:
    FmodLibrary() = default;
    friend class UseCountedHolder<FmodLibrary>;

    bool mInitialized = false;
};

// The holder while any use is taken, else null.
extern FmodLibrary* FMOD_INSTANCE;

} // namespace Olvarn
