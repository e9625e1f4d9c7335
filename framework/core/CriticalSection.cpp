// The critical section on a recursive mutex, as re-entrant as the callers expect.
#include "core/CriticalSection.h"

namespace Olvarn
{

void CriticalSection::Enter()
{
    mMutex.lock();
}

void CriticalSection::Leave()
{
    mMutex.unlock();
}

bool CriticalSection::TryEnter()
{
    return mMutex.try_lock();
}

} // namespace Olvarn
