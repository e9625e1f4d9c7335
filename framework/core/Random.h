// The project's one random generator: the C-library linear congruential generator that demos replay.
#pragma once

#include <cstdint>

namespace Olvarn
{

// state = state * 214013 + 2531011 (mod 2^32); a draw is (state >> 16) & 0x7FFF.
class Random
{
public:
    static constexpr int kMax = 32767;

    constexpr explicit Random(uint32_t seed = 1) : mState(seed) {}

    void Seed(uint32_t seed) { mState = seed; }
    int Next()
    {
        mState = mState * 214013u + 2531011u;
        return static_cast<int>((mState >> 16) & 0x7FFF);
    }
    uint32_t State() const { return mState; }

private:
    uint32_t mState = 1;
};

// The calling thread's generator. Each thread has its own (as the C library's rand had), so a worker
// thread that draws never shifts the main thread's sequence that a demo replays. It starts seeded
// with 1, like rand() before any srand().
Random& ThreadRandom();

// srand and rand on the calling thread's generator. (SeedRandom seeds MTRand, which draws nothing.)
inline constexpr int kRandMax = Random::kMax;
void SeedRand(uint32_t seed);
int Rand();

} // namespace Olvarn
