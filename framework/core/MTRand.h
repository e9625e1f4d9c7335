// The framework's Mersenne-twister generator: only seeded (start-up, demo playback), never drawn from.
#pragma once

#include <cstdint>

namespace Olvarn
{

class MTRand
{
public:
    static constexpr int kStateSize = 624;
    static constexpr uint32_t kDefaultSeed = 4357;

    constexpr MTRand() { SRand(kDefaultSeed); }

    // The 1998 reference MT19937 seeding; a seed of 0 means the default seed.
    constexpr void SRand(uint32_t seed)
    {
        mMT[0] = seed == 0 ? kDefaultSeed : seed;
        for (int i = 1; i < kStateSize; ++i)
            mMT[i] = 69069u * mMT[i - 1]; // unsigned, so the product wraps modulo 2^32
        mIndex = kStateSize;
    }

    constexpr uint32_t Word(int i) const { return mMT[i]; }
    // The next word to use; kStateSize means the whole state is regenerated before a draw.
    constexpr int Index() const { return mIndex; }

private:
    uint32_t mMT[kStateSize] = {};
    int32_t mIndex = kStateSize;
};

// The one process-wide instance; constant-initialised, so it is ready before any static constructor.
extern MTRand gMTRand;

// Seeds the process-wide instance.
void SeedRandom(uint32_t seed);

} // namespace Olvarn
