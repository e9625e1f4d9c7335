// The bit stream of Olvarn::Buffer: bit order, byte splitting, integer and string forms, reading past the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Buffer.h"

using Olvarn::Buffer;

namespace
{

std::vector<unsigned char> Bytes(const Buffer& b)
{
    if (!b.GetData())
        return {};
    return std::vector<unsigned char>(b.GetData(), b.GetData() + b.ByteLength());
}

Buffer FromBytes(const std::vector<unsigned char>& bytes)
{
    Buffer b;
    b.SetData(bytes.data(), static_cast<int>(bytes.size()));
    return b;
}

} // namespace

TEST(Buffer, EmptyBufferReadsZeros)
{
    Buffer b;
    EXPECT_TRUE(b.IsReadDone());
    EXPECT_EQ(b.ByteLength(), 0);
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_EQ(b.TakeByte(), 0);
    EXPECT_EQ(b.TakeString(), "");
    EXPECT_EQ(b.TakeBits(7, true), 0);
    EXPECT_EQ(b.TakeInt32(), 0);
    EXPECT_FALSE(b.TakeBool());
    EXPECT_EQ(b.ReadBitPos(), 0);
}

TEST(Buffer, BitsThenByteSplitsTheByteAcrossTwoBytes)
{
    Buffer b;
    b.AppendBits(5, 3);
    b.AppendByte(255);
    EXPECT_EQ(Bytes(b), (std::vector<unsigned char>{253, 7}));
    EXPECT_EQ(b.BitLength(), 11);
    EXPECT_EQ(b.ByteLength(), 2);

    EXPECT_EQ(b.TakeBits(3, false), 5);
    EXPECT_EQ(b.TakeByte(), 255);
    EXPECT_TRUE(b.IsReadDone());
}

TEST(Buffer, AlignedWritesAreThePlainBytes)
{
    Buffer b;
    b.AppendInt32(258);
    b.AppendByte(0xAB);
    b.AppendBool(true);
    b.AppendBool(false);
    b.AppendInt32(-2);
    EXPECT_EQ(Bytes(b), (std::vector<unsigned char>{2, 1, 0, 0, 0xAB, 1, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(Buffer, TakeBitsSignExtendsFromTheLastBitRead)
{
    struct Case {
        uint32_t value;
        int count;
        bool isSigned;
        int32_t expected;
    };
    const Case cases[] = {
        {6, 3, true, -2},
        {6, 3, false, 6},
        {2, 3, true, 2},
        {1, 1, true, -1},
        {0x800, 12, true, -2048},
        {0x7FF, 12, true, 2047},
        {0xFFFFFFFFu, 32, true, -1},
        {0x80000000u, 32, false, INT32_MIN},
        {0x1F, 5, false, 31},
    };
    for (const Case& c : cases) {
        Buffer b;
        b.AppendBits(c.value, c.count);
        EXPECT_EQ(b.TakeBits(c.count, c.isSigned), c.expected) << c.value << " in " << c.count << " bits";
        EXPECT_EQ(b.ReadBitPos(), c.count);
    }
}

TEST(Buffer, TakeBitsReadsToTheLastByteThenStops)
{
    Buffer b;
    b.AppendBits(5, 3);
    b.AppendByte(255);
    // The 5 bits past the bit length inside the second byte read as zeros and advance the position.
    EXPECT_EQ(b.TakeBits(16, false), 253 | (7 << 8));
    EXPECT_EQ(b.ReadBitPos(), 16);
    EXPECT_EQ(b.TakeBits(1, true), 0);
    EXPECT_EQ(b.ReadBitPos(), 16);

    // A read that runs out part way keeps what it read, without sign extension from unread bits.
    b.SeekFront();
    b.TakeBits(12, false);
    EXPECT_EQ(b.TakeBits(8, false), 0);
    EXPECT_EQ(b.ReadBitPos(), 16);
}

TEST(Buffer, TakeByteNeedsAWholeByteOfData)
{
    Buffer b;
    b.AppendBits(5, 3);
    b.AppendByte(255);
    b.TakeBits(3, false);
    EXPECT_EQ(b.TakeByte(), 255);
    EXPECT_EQ(b.ReadBitPos(), 11);
    // Bits 11..15 exist in memory but are not a whole byte: zero, and the position stays.
    EXPECT_EQ(b.TakeByte(), 0);
    EXPECT_EQ(b.ReadBitPos(), 11);
    EXPECT_EQ(b.TakeBits(5, false), 0);
    EXPECT_EQ(b.ReadBitPos(), 16);
}

// Every form read back after 0..7 leading bits, so each crosses byte boundaries at every offset.
TEST(Buffer, EveryFormRoundTripsAtEveryBitOffset)
{
    const char textBytes[] = "h\xE9llo\n\0x";
    const std::string text(textBytes, sizeof textBytes - 1);
    const unsigned char raw[] = {0, 0x80, 0xFF, 0x7F};
    for (int offset = 0; offset < 8; ++offset) {
        Buffer b;
        b.AppendBits(0x55, offset);
        b.AppendByte(0xC3);
        b.AppendBool(true);
        b.AppendInt32(INT32_MIN + 12345);
        b.AppendString(text);
        b.AppendBytes(raw, 4);
        b.AppendBits(0x2A5, 10);
        b.AppendString("");

        SCOPED_TRACE(offset);
        EXPECT_EQ(b.TakeBits(offset, false), static_cast<int32_t>(0x55u & ((1u << offset) - 1)));
        EXPECT_EQ(b.TakeByte(), 0xC3);
        EXPECT_TRUE(b.TakeBool());
        EXPECT_EQ(b.TakeInt32(), INT32_MIN + 12345);
        EXPECT_EQ(b.TakeString(), text);
        unsigned char back[4] = {};
        b.TakeBytes(back, 4);
        EXPECT_EQ(std::vector<unsigned char>(back, back + 4), std::vector<unsigned char>(raw, raw + 4));
        EXPECT_EQ(b.TakeBits(10, false), 0x2A5);
        EXPECT_EQ(b.TakeString(), "");
        EXPECT_TRUE(b.IsReadDone());
        EXPECT_EQ(b.BitLength(), b.WriteBitPos());
    }
}

TEST(Buffer, StringLengthIsASigned16BitNumber)
{
    const std::string longest(32767, 'q');
    Buffer whole;
    whole.AppendString(longest);
    EXPECT_EQ(whole.TakeString(), longest);
    EXPECT_TRUE(whole.IsReadDone());

    // A stored length of 40000 reads as negative: empty, only the two length bytes consumed.
    Buffer stored = FromBytes({0x40, 0x9C, 'a', 'b', 'c'});
    EXPECT_EQ(stored.TakeString(), "");
    EXPECT_EQ(stored.ReadBitPos(), 16);
    EXPECT_EQ(stored.TakeByte(), 'a');
}

TEST(Buffer, OverlongStringIsCutSoTheStreamStaysReadable)
{
    for (size_t length : {32768u, 40000u, 70000u}) {
        Buffer b;
        b.AppendString(std::string(length, 'z'));
        b.AppendInt32(77);
        EXPECT_EQ(b.TakeString(), std::string(32767, 'z')) << length;
        EXPECT_EQ(b.TakeInt32(), 77) << length;
        EXPECT_TRUE(b.IsReadDone());
    }
}

TEST(Buffer, StringCutShortByTheEndReadsZeros)
{
    Buffer b = FromBytes({5, 0, 'a', 'b'});
    EXPECT_EQ(b.TakeString(), std::string("ab\0\0\0", 5));
}

TEST(Buffer, SetDataSeekFrontAndClear)
{
    const unsigned char data[] = {1, 2, 3};
    Buffer b;
    b.SetData(data, 3);
    EXPECT_EQ(b.BitLength(), 24);
    EXPECT_FALSE(b.IsReadDone());
    EXPECT_NE(b.GetData(), data) << "the buffer keeps its own copy";
    EXPECT_EQ(b.TakeByte(), 1);
    EXPECT_EQ(b.TakeByte(), 2);
    b.SeekFront();
    EXPECT_EQ(b.ReadBitPos(), 0);
    EXPECT_EQ(b.TakeByte(), 1);

    // SetData leaves the positions alone.
    b.SetData(data, 2);
    EXPECT_EQ(b.ReadBitPos(), 8);
    EXPECT_EQ(b.BitLength(), 16);

    b.Clear();
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_EQ(b.BitLength(), 0);
    EXPECT_EQ(b.ReadBitPos(), 0);
    EXPECT_EQ(b.WriteBitPos(), 0);
    b.AppendByte(9);
    EXPECT_EQ(Bytes(b), std::vector<unsigned char>{9});
}

// Every read from every position of short buffers: no read leaves the array (the sanitizer build
// checks the memory side) and each gives zeros once the data runs out.
TEST(Buffer, ReadsFromEveryPositionStayInsideTheData)
{
    for (int length = 0; length <= 3; ++length) {
        std::vector<unsigned char> bytes(length, 0xFF);
        for (int skip = 0; skip <= 8 * length + 2; ++skip) {
            for (int op = 0; op < 5; ++op) {
                Buffer b = FromBytes(bytes);
                b.TakeBits(skip, false);
                unsigned char dest[6] = {};
                switch (op) {
                case 0:
                    b.TakeBits(40, true);
                    break;
                case 1:
                    b.TakeInt32();
                    break;
                case 2:
                    b.TakeString();
                    break;
                case 3:
                    b.TakeBytes(dest, 6);
                    break;
                default:
                    b.TakeBool();
                    break;
                }
                EXPECT_LE(b.ReadBitPos(), 8 * length) << length << " " << skip << " " << op;
                b.TakeBits(8 * length, false);
                EXPECT_TRUE(b.IsReadDone());
                EXPECT_EQ(b.TakeByte(), 0);
                EXPECT_EQ(b.TakeBits(1, false), 0);
            }
        }
    }
}
