// The built-in FMOD stand-in: created with the first use, deleted with the last.
#include "sound/FmodLibrary.h"

namespace Olvarn
{

FmodLibrary* FMOD_INSTANCE = nullptr;

namespace
{
UseCountedHolder<FmodLibrary> gHolder(FMOD_INSTANCE);
} // namespace

FmodLibrary* FmodLibrary::TakeUse()
{
    return gHolder.TakeUse();
}

void FmodLibrary::GiveBackUse()
{
    gHolder.GiveBackUse();
}

int FmodLibrary::UseCount()
{
    return gHolder.UseCount();
}

} // namespace Olvarn
