// The bit stream of Buffer: bytes fill from their least significant bit up, reads past the end give 0.
#include "core/Buffer.h"

#include <algorithm>

namespace Olvarn
{

void Buffer::Clear()
{
    mData.clear();
    mData.shrink_to_fit();
    mBitLength = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::SetData(const unsigned char* bytes, int length)
{
    if (!bytes || length < 0)
        length = 0;
    mData.assign(bytes, bytes + length);
    mBitLength = length * 8;
}

void Buffer::AppendBits(uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        if (mWriteBitPos % 8 == 0)
            mData.push_back(0);
        // Bits past the 32 a value has are written as zeros.
        if (i < 32 && ((value >> i) & 1u))
            mData[mWriteBitPos / 8] |= static_cast<unsigned char>(1u << (mWriteBitPos % 8));
        ++mWriteBitPos;
    }
    NoteWritten();
}

void Buffer::AppendByte(unsigned char b)
{
    int shift = mWriteBitPos % 8;
    if (shift == 0) {
        mData.push_back(b);
    } else {
        mData[mWriteBitPos / 8] |= static_cast<unsigned char>(b << shift);
        mData.push_back(static_cast<unsigned char>(b >> (8 - shift)));
    }
    mWriteBitPos += 8;
    NoteWritten();
}

void Buffer::AppendBool(bool b)
{
    AppendByte(b ? 1 : 0);
}

void Buffer::AppendInt32(int32_t value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        AppendByte(static_cast<unsigned char>(bits >> (8 * i)));
}

void Buffer::AppendString(const std::string& s)
{
    // A longer string would be read back as empty (or with a wrapped length) and leave its bytes in
    // the stream to be taken for what follows; cutting it keeps the stream readable.
    int length = static_cast<int>(std::min<size_t>(s.size(), kMaxStringLength));
    AppendByte(static_cast<unsigned char>(length & 0xFF));
    AppendByte(static_cast<unsigned char>(length >> 8));
    AppendBytes(reinterpret_cast<const unsigned char*>(s.data()), length);
}

void Buffer::AppendBytes(const unsigned char* bytes, int length)
{
    for (int i = 0; i < length; ++i)
        AppendByte(bytes[i]);
}

int32_t Buffer::TakeBits(int count, bool isSigned)
{
    const int64_t byteCount = static_cast<int64_t>(mData.size());
    uint32_t result = 0;
    bool lastBit = false;
    bool readAny = false;
    for (int i = 0; i < count; ++i) {
        if (mReadBitPos / 8 >= byteCount)
            break;
        lastBit = (mData[mReadBitPos / 8] >> (mReadBitPos % 8)) & 1u;
        readAny = true;
        ++mReadBitPos;
        if (lastBit && i < 32)
            result |= 1u << i;
    }
    if (isSigned && readAny && lastBit && count < 32)
        result |= ~0u << count;
    return static_cast<int32_t>(result);
}

unsigned char Buffer::TakeByte()
{
    const int64_t byteCount = static_cast<int64_t>(mData.size());
    // A trailing partial byte at an unaligned position cannot be read as a byte.
    if ((static_cast<int64_t>(mReadBitPos) + 7) / 8 >= byteCount)
        return 0;
    int index = mReadBitPos / 8;
    int shift = mReadBitPos % 8;
    unsigned char b = mData[index];
    if (shift != 0)
        b = static_cast<unsigned char>((b >> shift) | (mData[index + 1] << (8 - shift)));
    mReadBitPos += 8;
    return b;
}

bool Buffer::TakeBool()
{
    return TakeByte() != 0;
}

int32_t Buffer::TakeInt32()
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(TakeByte()) << (8 * i);
    return static_cast<int32_t>(bits);
}

std::string Buffer::TakeString()
{
    int low = TakeByte();
    int high = TakeByte();
    int length = static_cast<int16_t>(static_cast<uint16_t>(high * 256 + low));
    std::string s;
    if (length <= 0)
        return s;
    s.resize(length);
    for (int i = 0; i < length; ++i)
        s[i] = static_cast<char>(TakeByte());
    return s;
}

void Buffer::TakeBytes(unsigned char* dest, int length)
{
    for (int i = 0; i < length; ++i)
        dest[i] = TakeByte();
}

} // namespace Olvarn
