// Our own GIF reader: the first image of the file, with transparency, LZW and interlacing.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "resources/ImageLib.h"

namespace ImageLib
{

namespace
{

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;
// Above this the clear code itself would not fit the 4096-entry tables.
constexpr int kMaxMinCodeSize = 11;
constexpr int kMaxGifDimension = 32767;

// Bounds-checked reading of the file's bytes.
class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    bool AtEnd() const { return mPos >= mSize; }
    bool Byte(uint8_t& out)
    {
        if (mPos >= mSize)
            return false;
        out = mData[mPos++];
        return true;
    }
    bool Word(uint16_t& out)
    {
        if (mSize - mPos < 2 || mPos > mSize)
            return false;
        out = uint16_t(mData[mPos] | (mData[mPos + 1] << 8));
        mPos += 2;
        return true;
    }
    const uint8_t* Take(size_t count)
    {
        if (mPos > mSize || mSize - mPos < count)
            return nullptr;
        const uint8_t* p = mData + mPos;
        mPos += count;
        return p;
    }
    // Appends a chain of sub-blocks (length byte, bytes; a length of 0 ends it) to out; a chain
    // cut short by the end of the file keeps what was there.
    void SubBlocks(std::vector<uint8_t>* out)
    {
        uint8_t length = 0;
        while (Byte(length) && length > 0) {
            size_t available = std::min<size_t>(length, mSize - mPos);
            if (out)
                out->insert(out->end(), mData + mPos, mData + mPos + available);
            mPos += available;
        }
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

// 256 entries so that any index byte is safe: entries past the file's table, and the transparent
// index, are transparent black.
using Palette = std::array<uint32_t, 256>;

bool ReadColorTable(ByteReader& in, uint8_t packed, Palette& palette, int& count)
{
    count = 1 << ((packed & 7) + 1);
    const uint8_t* rgb = in.Take(size_t(count) * 3);
    if (!rgb)
        return false;
    for (int i = 0; i < count; ++i)
        palette[i] = 0xFF000000u | uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    return true;
}

struct ImageDescriptor {
    int mWidth = 0;
    int mHeight = 0;
    bool mInterlaced = false;
};

// LZW decoder handing out colour indices a piece at a time, so no whole-image index buffer is
// needed; a string that does not fit the piece is kept for the next one.
class LzwDecoder
{
public:
    LzwDecoder(int minCodeSize, const std::vector<uint8_t>& data)
        : mMinCodeSize(minCodeSize), mClear(1 << minCodeSize), mEnd(mClear + 1), mData(data)
    {
        for (int i = 0; i < mClear; ++i) {
            mPrefix[i] = 0;
            mSuffix[i] = uint8_t(i);
            mFirst[i] = uint8_t(i);
            mLength[i] = 1;
        }
        Reset();
    }

    // Fills up to room indices; fewer only when the code stream has ended.
    size_t Read(uint8_t* out, size_t room)
    {
        size_t written = TakePending(out, room);
        while (written < room && !mEnded) {
            int code = NextCode();
            if (code < 0)
                break;
            written += Emit(code, out + written, room - written);
        }
        return written;
    }

private:
    void Reset()
    {
        mCodeBits = mMinCodeSize + 1;
        mNextFree = mClear + 2;
        mPrevious = -1;
    }

    // The next code whose string is to be written, or -1 at the end of decoding.
    int NextCode()
    {
        for (;;) {
            while (mBitCount < mCodeBits && mPos < mData.size()) {
                mBitBuffer |= uint64_t(mData[mPos++]) << mBitCount;
                mBitCount += 8;
            }
            if (mBitCount < mCodeBits)
                return Finish();
            int code = int(mBitBuffer & ((1u << mCodeBits) - 1));
            mBitBuffer >>= mCodeBits;
            mBitCount -= mCodeBits;

            if (code == mClear) {
                Reset();
                continue;
            }
            if (code == mEnd || code > mNextFree)
                return Finish();
            if (mPrevious < 0) {
                // After a reset only the single-byte codes mean anything.
                if (code >= mClear)
                    return Finish();
            } else if (code == mNextFree) {
                if (!AddEntry(mFirst[mPrevious]))
                    return Finish();
            } else {
                AddEntry(mFirst[code]);
            }
            mPrevious = code;
            return code;
        }
    }

    int Finish()
    {
        mEnded = true;
        return -1;
    }

    // Adds (previous, first byte); a full table stays as it is and decoding goes on with it.
    bool AddEntry(uint8_t firstByte)
    {
        if (mNextFree >= kMaxCodes)
            return false;
        mPrefix[mNextFree] = uint16_t(mPrevious);
        mSuffix[mNextFree] = firstByte;
        mFirst[mNextFree] = mFirst[mPrevious];
        mLength[mNextFree] = uint16_t(mLength[mPrevious] + 1);
        ++mNextFree;
        if (mNextFree == (1 << mCodeBits) && mCodeBits < kMaxCodeBits)
            ++mCodeBits;
        return true;
    }

    static void Unwind(const uint16_t* prefix, const uint8_t* suffix, int code, uint8_t* out, size_t length)
    {
        for (size_t i = length; i-- > 0;) {
            out[i] = suffix[code];
            code = prefix[code];
        }
    }

    size_t Emit(int code, uint8_t* out, size_t room)
    {
        size_t length = mLength[code];
        if (length <= room) {
            Unwind(mPrefix, mSuffix, code, out, length);
            return length;
        }
        Unwind(mPrefix, mSuffix, code, mPending, length);
        mPendingPos = 0;
        mPendingEnd = length;
        return TakePending(out, room);
    }

    size_t TakePending(uint8_t* out, size_t room)
    {
        size_t count = std::min(room, mPendingEnd - mPendingPos);
        std::memcpy(out, mPending + mPendingPos, count);
        mPendingPos += count;
        return count;
    }

    int mMinCodeSize;
    int mClear;
    int mEnd;
    const std::vector<uint8_t>& mData;
    size_t mPos = 0;
    uint64_t mBitBuffer = 0;
    int mBitCount = 0;
    bool mEnded = false;
    int mCodeBits = 0;
    int mNextFree = 0;
    int mPrevious = -1;
    uint16_t mPrefix[kMaxCodes];
    uint8_t mSuffix[kMaxCodes];
    uint8_t mFirst[kMaxCodes];
    uint16_t mLength[kMaxCodes];
    uint8_t mPending[kMaxCodes];
    size_t mPendingPos = 0;
    size_t mPendingEnd = 0;
};

// Row of the image that the n-th decoded row lands in.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    }
    return order;
}

std::unique_ptr<Image> DecodeImage(ByteReader& in, const ImageDescriptor& desc, const Palette& palette)
{
    uint8_t minCodeSize = 0;
    if (!in.Byte(minCodeSize) || minCodeSize > kMaxMinCodeSize)
        return nullptr;
    if (desc.mWidth > kMaxGifDimension || desc.mHeight > kMaxGifDimension)
        return nullptr;
    auto image = std::make_unique<Image>();
    if (!image->Create(desc.mWidth, desc.mHeight))
        return nullptr;

    std::vector<uint8_t> data;
    in.SubBlocks(&data);
    auto lzw = std::make_unique<LzwDecoder>(minCodeSize, data);

    // Rows are decoded one at a time straight into their place; rows the data never reaches
    // stay transparent.
    std::vector<int> order = RowOrder(desc.mHeight, desc.mInterlaced);
    std::vector<uint8_t> indices(size_t(desc.mWidth));
    for (int i = 0; i < desc.mHeight; ++i) {
        size_t count = lzw->Read(indices.data(), indices.size());
        uint32_t* row = image->GetBits() + size_t(order[size_t(i)]) * size_t(desc.mWidth);
        for (size_t x = 0; x < count; ++x)
            row[x] = palette[indices[x]];
        if (count < indices.size())
            break;
    }
    return image;
}

std::unique_ptr<Image> DecodeGif(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    const uint8_t* signature = in.Take(6);
    if (!signature || (std::memcmp(signature, "GIF87", 5) != 0 && std::memcmp(signature, "GIF89", 5) != 0))
        return nullptr;

    uint16_t screenWidth = 0, screenHeight = 0;
    uint8_t packed = 0, background = 0, aspect = 0;
    if (!in.Word(screenWidth) || !in.Word(screenHeight) || !in.Byte(packed) || !in.Byte(background) || !in.Byte(aspect))
        return nullptr;

    Palette globalPalette{};
    int globalCount = 0;
    if ((packed & 0x80) && !ReadColorTable(in, packed, globalPalette, globalCount))
        return nullptr;

    int transparent = -1;
    for (;;) {
        uint8_t introducer = 0;
        if (!in.Byte(introducer) || introducer == 0x3B)
            return nullptr;
        if (introducer == 0x21) {
            uint8_t label = 0;
            if (!in.Byte(label))
                return nullptr;
            std::vector<uint8_t> ext;
            in.SubBlocks(label == 0xF9 ? &ext : nullptr);
            if (label == 0xF9 && ext.size() >= 4 && (ext[0] & 1))
                transparent = ext[3];
            continue;
        }
        if (introducer != 0x2C)
            return nullptr;

        uint16_t left = 0, top = 0, width = 0, height = 0;
        uint8_t imagePacked = 0;
        if (!in.Word(left) || !in.Word(top) || !in.Word(width) || !in.Word(height) || !in.Byte(imagePacked))
            return nullptr;
        if (width == 0 || height == 0)
            return nullptr;
        Palette palette = globalPalette;
        if (imagePacked & 0x80) {
            palette.fill(0);
            int localCount = 0;
            if (!ReadColorTable(in, imagePacked, palette, localCount))
                return nullptr;
        }
        if (transparent >= 0)
            palette[size_t(transparent)] = 0;
        ImageDescriptor desc{width, height, (imagePacked & 0x40) != 0};
        return DecodeImage(in, desc, palette);
    }
}

} // namespace

std::unique_ptr<Image> ParseGif(const uint8_t* bytes, size_t size)
{
    return DecodeGif(bytes, size);
}

std::unique_ptr<Image> ReadGif(const std::string& fileName)
{
    return ParseFile(fileName, ParseGif);
}

} // namespace ImageLib
