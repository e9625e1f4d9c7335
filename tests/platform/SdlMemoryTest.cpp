// SDL's allocator with frame-sized blocks on huge pages: blocks of both kinds keep their bytes through
// growing and shrinking, zeroed blocks are zero, and each is freed by the allocator that made it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/SdlMemory.h"

using namespace Olvarn;

namespace
{

bool Holds(const void* p, size_t bytes, uint8_t value)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < bytes; i += 4093)
        if (b[i] != value)
            return false;
    return b[bytes - 1] == value;
}

TEST(SdlMemoryTest, BlocksKeepTheirBytesAcrossBothAllocators)
{
    // A block from before the switch is still freed by the C library.
    void* before = SDL_malloc(100);
    ASSERT_NE(before, nullptr);
    UseFramePagesForSdl();
    UseFramePagesForSdl();

    const size_t small = 1000, large = size_t(3) << 20;
    struct Step {
        size_t from, to;
    };
    // Small to large, large to larger, large to smaller but still large, large to small.
    const Step steps[] = {{small, large}, {large, large + 12345}, {large, (size_t(3) << 20) / 2}, {large, small}};
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.from) + " to " + std::to_string(s.to));
        void* p = SDL_malloc(s.from);
        ASSERT_NE(p, nullptr);
        std::memset(p, 0x5A, s.from);
        p = SDL_realloc(p, s.to);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(Holds(p, s.from < s.to ? s.from : s.to, 0x5A));
        std::memset(p, 0x33, s.to);
        SDL_free(p);
    }
    void* zeroed = SDL_calloc(3, large);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(Holds(zeroed, 3 * large, 0));
    SDL_free(zeroed);
    EXPECT_EQ(SDL_calloc(SIZE_MAX / 2, 4), nullptr) << "an overflowing count is refused";
    SDL_free(before);
    SDL_free(nullptr);
}

} // namespace
