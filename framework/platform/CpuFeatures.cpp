#include "platform/CpuFeatures.h"

namespace Olvarn
{

bool CpuHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

} // namespace Olvarn
