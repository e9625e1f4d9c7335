// The process-wide holder of the built-in stand-in for the Bass music library: a music engine of
// our own over the shared audio device, shared by its users through a use count.
#pragma once

#include "sound/MusicLibrary.h"

namespace Olvarn
{

class BassLibrary : public MusicLibrary
{
public:
    // Takes a use, creating the holder on the first one. Null (and logged) when no audio device
    // can be had: the caller then stays silent and must not give a use back.
    static BassLibrary* TakeUse();
    // Gives a use back; the last one deletes the holder.
    static void GiveBackUse();
    static int UseCount();

    // Form 2 sets the global volumes through its configuration entry, form 1 through its global
    // volume entry. The built-in library is form 2; tests may switch.
    int Form() const { return mForm; }
    void SetForm(int form) { mForm = form; }

private:
    BassLibrary() = default;
    friend class UseCountedHolder<BassLibrary>;

    int mForm = 2;
};

// The holder while any use is taken, else null.
extern BassLibrary* BASS_INSTANCE;

} // namespace Olvarn
