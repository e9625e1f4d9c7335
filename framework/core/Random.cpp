// The per-thread instances of the project random generator.
#include "core/Random.h"

namespace Olvarn
{

Random& ThreadRandom()
{
    thread_local Random random;
    return random;
}

void SeedRand(uint32_t seed)
{
    ThreadRandom().Seed(seed);
}

int Rand()
{
    return ThreadRandom().Next();
}

} // namespace Olvarn
