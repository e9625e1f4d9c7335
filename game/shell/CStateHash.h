// A running hash of the game's state for the replay check: a recording and its replay add the same
// values in the same order, so any value that went another way changes the hash of that update.
#pragma once

#include <cstdint>
#include <cstring>

namespace tilvan
{

class CStateHash
{
public:
    explicit CStateHash(uint64_t seed = kSeed) : mValue(seed) {}

    void AddInt(int64_t value)
    {
        uint64_t bits = static_cast<uint64_t>(value);
        for (int i = 0; i < 8; ++i) {
            mValue ^= (bits >> (8 * i)) & 0xFF;
            mValue *= kPrime;
        }
    }
    void AddBool(bool value) { AddInt(value ? 1 : 0); }
    // By its bits: a replay must compute exactly what the recording did, not something close to it.
    void AddFloat(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        AddInt(bits);
    }
    void AddDouble(double value)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        AddInt(static_cast<int64_t>(bits));
    }

    uint64_t Value() const { return mValue; }

private:
    static constexpr uint64_t kSeed = 0xcbf29ce484222325ULL;
    static constexpr uint64_t kPrime = 0x100000001b3ULL;
    uint64_t mValue;
};

} // namespace tilvan
