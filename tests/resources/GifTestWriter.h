// Builds small GIF files for the decoder's tests: a real LZW encoder and the block structure.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace giftest
{

struct GifSpec {
    int mWidth = 0;
    int mHeight = 0;
    // Colour indices row by row from the top (the writer reorders them when interlaced).
    std::vector<uint8_t> mIndices;
    // 0xRRGGBB entries; the table written has 2^n entries, padded with black.
    std::vector<uint32_t> mPalette;
    bool mLocalTable = false;
    bool mInterlaced = false;
    int mTransparent = -1;
    int mMinCodeSize = 8;
    // Keep coding with a full table instead of sending a clear code.
    bool mDeferredClear = false;
};

class BitWriter
{
public:
    void Put(int code, int bits)
    {
        mBuffer |= uint32_t(code) << mCount;
        mCount += bits;
        while (mCount >= 8) {
            mBytes.push_back(uint8_t(mBuffer));
            mBuffer >>= 8;
            mCount -= 8;
        }
    }
    std::vector<uint8_t> Finish()
    {
        if (mCount > 0)
            mBytes.push_back(uint8_t(mBuffer));
        return mBytes;
    }

private:
    uint32_t mBuffer = 0;
    int mCount = 0;
    std::vector<uint8_t> mBytes;
};

inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& data, int minCodeSize, bool deferredClear)
{
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1;
    int next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    BitWriter out;
    auto emit = [&](int code) {
        out.Put(code, width);
        if (next >= (1 << width) && width < 12)
            ++width;
    };
    auto reset = [&] {
        table.clear();
        next = clear + 2;
        width = minCodeSize + 1;
    };
    out.Put(clear, width);
    if (data.empty()) {
        out.Put(clear + 1, width);
        return out.Finish();
    }
    int prefix = data[0];
    for (size_t i = 1; i < data.size(); ++i) {
        int k = data[i];
        auto it = table.find({prefix, k});
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table[{prefix, k}] = next++;
        }
        if (next == 4096 && !deferredClear) {
            out.Put(clear, width);
            reset();
        }
        prefix = k;
    }
    emit(prefix);
    out.Put(clear + 1, width);
    return out.Finish();
}

inline std::vector<int> InterlacedRows(int height)
{
    std::vector<int> rows;
    const int start[4] = {0, 4, 2, 1};
    const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

inline void PutWord(std::string& s, int v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

// The colour table's size field and bytes.
inline std::pair<int, std::string> ColorTable(const std::vector<uint32_t>& palette)
{
    int bits = 0;
    while ((2 << bits) < int(palette.size()))
        ++bits;
    std::string bytes;
    for (int i = 0; i < (2 << bits); ++i) {
        uint32_t c = i < int(palette.size()) ? palette[i] : 0;
        bytes += char(c >> 16);
        bytes += char(c >> 8);
        bytes += char(c);
    }
    return {bits, bytes};
}

// Image data as sub-blocks of up to 255 bytes and the closing empty block.
inline std::string SubBlocks(const std::vector<uint8_t>& data)
{
    std::string s;
    for (size_t i = 0; i < data.size(); i += 255) {
        size_t n = std::min<size_t>(255, data.size() - i);
        s += char(n);
        s.append(reinterpret_cast<const char*>(data.data() + i), n);
    }
    s += '\0';
    return s;
}

inline std::string Header(const GifSpec& spec)
{
    std::string s = "GIF89a";
    PutWord(s, spec.mWidth);
    PutWord(s, spec.mHeight);
    if (!spec.mLocalTable && !spec.mPalette.empty()) {
        auto [bits, table] = ColorTable(spec.mPalette);
        s += char(0x80 | bits);
        s += '\0';
        s += '\0';
        s += table;
    } else {
        s += '\0';
        s += '\0';
        s += '\0';
    }
    return s;
}

// A descriptor of the first image, up to and including its packed byte and local table.
inline std::string ImageDescriptor(const GifSpec& spec)
{
    std::string s;
    if (spec.mTransparent >= 0) {
        s += "\x21\xF9\x04\x01";
        s += std::string(2, '\0');
        s += char(spec.mTransparent);
        s += '\0';
    }
    s += ',';
    PutWord(s, 0);
    PutWord(s, 0);
    PutWord(s, spec.mWidth);
    PutWord(s, spec.mHeight);
    int packed = spec.mInterlaced ? 0x40 : 0;
    std::string table;
    if (spec.mLocalTable && !spec.mPalette.empty()) {
        auto [bits, bytes] = ColorTable(spec.mPalette);
        packed |= 0x80 | bits;
        table = bytes;
    }
    s += char(packed);
    return s + table;
}

inline std::string WriteGif(const GifSpec& spec)
{
    std::vector<uint8_t> ordered;
    if (spec.mInterlaced) {
        for (int y : InterlacedRows(spec.mHeight))
            ordered.insert(ordered.end(), spec.mIndices.begin() + y * spec.mWidth,
                           spec.mIndices.begin() + (y + 1) * spec.mWidth);
    } else {
        ordered = spec.mIndices;
    }
    std::string s = Header(spec) + ImageDescriptor(spec);
    s += char(spec.mMinCodeSize);
    s += SubBlocks(LzwEncode(ordered, spec.mMinCodeSize, spec.mDeferredClear));
    return s + ";";
}

} // namespace giftest
