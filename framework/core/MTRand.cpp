// The process-wide Mersenne-twister instance and its seeding entry.
#include "core/MTRand.h"

namespace Olvarn
{

MTRand gMTRand;

void SeedRandom(uint32_t seed)
{
    gMTRand.SRand(seed);
}

} // namespace Olvarn
