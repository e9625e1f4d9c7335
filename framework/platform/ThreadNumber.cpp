// Thread numbers from the kernel.
#include "platform/ThreadNumber.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace Olvarn
{

uint32_t CurrentThreadNumber()
{
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

} // namespace Olvarn
