// The check sum of the shipped property files, recorded in "xml.sig" by the data generator and
// compared by the game before its window opens: the reflected CRC-32 table (polynomial 0xEDB88320)
// run from 0 and not inverted at the end, so an empty file sums to 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tilvan
{

namespace detail
{
constexpr std::array<uint32_t, 256> MakeChecksumTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
inline constexpr std::array<uint32_t, 256> kChecksumTable = MakeChecksumTable();
} // namespace detail

inline uint32_t Checksum(size_t length, const unsigned char* bytes)
{
    uint32_t c = 0;
    for (size_t i = 0; i < length; ++i)
        c = detail::kChecksumTable[(c ^ bytes[i]) & 0xFFu] ^ (c >> 8);
    return c;
}

} // namespace tilvan
