// Reading and writing demo files. Every size in the file is checked against the bytes that are
// really there before it is used.
#include "app/DemoFile.h"

#include <algorithm>

#include "core/Buffer.h"
#include "platform/Directories.h"

namespace Olvarn
{

namespace
{

const char kInvalid[] = "Invalid demo file.";

// Little-endian reads over the file's bytes that fail instead of running past the end.
class ByteReader
{
public:
    ByteReader(const unsigned char* bytes, size_t length) : mBytes(bytes), mLength(length) {}

    size_t Left() const { return mLength - mPos; }
    const unsigned char* Here() const { return mBytes + mPos; }
    bool Skip(size_t count)
    {
        if (count > Left())
            return false;
        mPos += count;
        return true;
    }
    bool ReadU32(uint32_t& value)
    {
        if (Left() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(mBytes[mPos + i]) << (8 * i);
        mPos += 4;
        return true;
    }
    bool ReadU16(uint16_t& value)
    {
        if (Left() < 2)
            return false;
        value = static_cast<uint16_t>(mBytes[mPos] | (mBytes[mPos + 1] << 8));
        mPos += 2;
        return true;
    }

private:
    const unsigned char* mBytes;
    size_t mLength;
    size_t mPos = 0;
};

void PutU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The label block: a count, then each label's name and update count. A block that ends before the
// count is reached, or inside a label, is damaged.
bool ParseLabels(const unsigned char* bytes, size_t length, std::vector<DemoLabel>& labels)
{
    Buffer block;
    block.SetData(bytes, static_cast<int>(length));
    int32_t count = block.TakeInt32();
    if (block.ReadBitPos() > block.BitLength())
        return false;
    for (int32_t i = 0; i < count; ++i) {
        if (block.IsReadDone())
            return false;
        if (block.BitLength() - block.ReadBitPos() < 16)
            return false;
        int low = block.TakeByte();
        int high = block.TakeByte();
        int nameLength = static_cast<int16_t>(static_cast<uint16_t>(high * 256 + low));
        if (nameLength < 0 || block.BitLength() - block.ReadBitPos() < 8 * (nameLength + 4))
            return false;
        DemoLabel label;
        label.mName.resize(nameLength);
        for (char& c : label.mName)
            c = static_cast<char>(block.TakeByte());
        label.mUpdate = block.TakeInt32();
        labels.push_back(std::move(label));
    }
    return true;
}

std::vector<unsigned char> SerializeLabels(const std::vector<DemoLabel>& labels)
{
    Buffer block;
    block.AppendInt32(static_cast<int32_t>(labels.size()));
    for (const DemoLabel& label : labels) {
        block.AppendString(label.mName);
        block.AppendInt32(label.mUpdate);
    }
    return std::vector<unsigned char>(block.GetData(), block.GetData() + block.ByteLength());
}

} // namespace

std::vector<unsigned char> DemoFile::Serialize() const
{
    std::vector<unsigned char> out;
    PutU32(out, kMagic);
    PutU32(out, static_cast<uint32_t>(mVersion));
    PutU32(out, mSeed);
    size_t textLength = std::min<size_t>(mProductVersion.size(), 0xFFFF);
    out.push_back(static_cast<unsigned char>(textLength & 0xFF));
    out.push_back(static_cast<unsigned char>(textLength >> 8));
    out.insert(out.end(), mProductVersion.begin(), mProductVersion.begin() + textLength);
    if (mVersion > 1) {
        std::vector<unsigned char> block = SerializeLabels(mLabels);
        PutU32(out, static_cast<uint32_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    PutU32(out, static_cast<uint32_t>(mTotalUpdates));
    out.insert(out.end(), mStream.begin(), mStream.end());
    return out;
}

bool DemoFile::Parse(const unsigned char* bytes, size_t length, const std::string& productVersion, DemoFile& out,
                     std::string& error)
{
    ByteReader reader(bytes, length);
    DemoFile file;
    uint32_t magic = 0, version = 0, seed = 0;
    uint16_t textLength = 0;
    if (!reader.ReadU32(magic) || magic != kMagic || !reader.ReadU32(version) || !reader.ReadU32(seed) ||
        !reader.ReadU16(textLength) || reader.Left() < textLength) {
        error = kInvalid;
        return false;
    }
    file.mVersion = static_cast<int32_t>(version);
    file.mSeed = seed;
    file.mProductVersion.assign(reinterpret_cast<const char*>(reader.Here()), textLength);
    reader.Skip(textLength);
    if (file.mProductVersion != productVersion) {
        error = "This demo file appears to be for '" + file.mProductVersion + "'";
        return false;
    }

    if (file.mVersion > 1) {
        uint32_t blockLength = 0;
        // The block must leave room for the total updates and at least one byte of stream.
        if (!reader.ReadU32(blockLength) || blockLength >= reader.Left() || blockLength > kMaxStreamBytes ||
            !ParseLabels(reader.Here(), blockLength, file.mLabels)) {
            error = kInvalid;
            return false;
        }
        reader.Skip(blockLength);
    }

    uint32_t totalUpdates = 0;
    if (!reader.ReadU32(totalUpdates) || reader.Left() < 1 || reader.Left() > kMaxStreamBytes) {
        error = kInvalid;
        return false;
    }
    file.mTotalUpdates = static_cast<int32_t>(totalUpdates);
    file.mStream.assign(reader.Here(), reader.Here() + reader.Left());
    out = std::move(file);
    return true;
}

bool DemoFile::Load(const std::string& path, const std::string& productVersion, DemoFile& out, std::string& error)
{
    // The header and the names before the stream are a few hundred bytes at most.
    constexpr size_t kMaxFileBytes = kMaxStreamBytes + 65536;
    std::string bytes;
    if (!ReadWholeFile(path, bytes, kMaxFileBytes)) {
        error = "Demo file not found: " + path;
        return false;
    }
    return Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), productVersion, out, error);
}

} // namespace Olvarn
