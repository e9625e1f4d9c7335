// A growable byte array written and read as one stream of bits: the carrier of demo streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Olvarn
{

// Stream bit p lives in byte p / 8 as bit p % 8, least significant bit first; integers are
// little-endian. Reading never fails: past the end it yields zeros.
class Buffer
{
public:
    Buffer() = default;
    virtual ~Buffer() = default;

    void Clear();
    void SeekFront() { mReadBitPos = 0; }
    // Replaces the bytes; positions stay where they are (callers clear first).
    void SetData(const unsigned char* bytes, int length);
    // Valid until the next write or clear; null when empty.
    const unsigned char* GetData() const { return mData.empty() ? nullptr : mData.data(); }
    int ByteLength() const { return (mBitLength + 7) / 8; }
    int BitLength() const { return mBitLength; }
    int ReadBitPos() const { return mReadBitPos; }
    int WriteBitPos() const { return mWriteBitPos; }
    bool IsReadDone() const { return mReadBitPos >= mBitLength; }

    // Writes the low count (1..32) bits of value.
    void AppendBits(uint32_t value, int count);
    void AppendByte(unsigned char b);
    void AppendBool(bool b);
    void AppendInt32(int32_t value);
    // A 16-bit little-endian length, then the bytes; longer strings are cut to 32767 bytes.
    void AppendString(const std::string& s);
    void AppendBytes(const unsigned char* bytes, int length);

    // Reads count bits; with isSigned the result is sign-extended from the last bit read.
    int32_t TakeBits(int count, bool isSigned);
    unsigned char TakeByte();
    bool TakeBool();
    int32_t TakeInt32();
    std::string TakeString();
    void TakeBytes(unsigned char* dest, int length);

    // The longest string AppendString keeps whole: TakeString reads its length as signed 16 bits.
    static constexpr int kMaxStringLength = 32767;

private:
    void NoteWritten() { mBitLength = mWriteBitPos > mBitLength ? mWriteBitPos : mBitLength; }

    std::vector<unsigned char> mData;
    int32_t mBitLength = 0;
    int32_t mReadBitPos = 0;
    int32_t mWriteBitPos = 0;
};

} // namespace Olvarn
