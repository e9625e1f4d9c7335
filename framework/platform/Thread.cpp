// Thread priorities and names through POSIX.
#include "platform/Thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace Olvarn
{

namespace
{
int ThreadNice()
{
    return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
}
void SetThreadNice(int nice)
{
    // A refusal (no CAP_SYS_NICE) leaves the thread as it was, which is harmless.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice);
}
thread_local int tNormalNice = 0;
thread_local bool tRaised = false;
} // namespace

void RaiseCurrentThreadPriority()
{
    if (tRaised)
        return;
    tNormalNice = ThreadNice();
    tRaised = true;
    SetThreadNice(tNormalNice - 1);
}

void RestoreCurrentThreadPriority()
{
    if (!tRaised)
        return;
    tRaised = false;
    SetThreadNice(tNormalNice);
}

void NameCurrentThread(const char* name)
{
    char shortName[16] = {};
    std::strncpy(shortName, name, sizeof(shortName) - 1);
    pthread_setname_np(pthread_self(), shortName);
}

} // namespace Olvarn
