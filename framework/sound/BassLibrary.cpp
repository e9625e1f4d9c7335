// The built-in BASS stand-in: created with the first use, deleted with the last.
#include "sound/BassLibrary.h"

namespace Olvarn
{

BassLibrary* BASS_INSTANCE = nullptr;

namespace
{
UseCountedHolder<BassLibrary> gHolder(BASS_INSTANCE);
} // namespace

BassLibrary* BassLibrary::TakeUse()
{
    return gHolder.TakeUse();
}

void BassLibrary::GiveBackUse()
{
    gHolder.GiveBackUse();
}

int BassLibrary::UseCount()
{
    return gHolder.UseCount();
}

} // namespace Olvarn
