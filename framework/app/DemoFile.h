// The demo file: a header naming the program version and random seed, the labels, the recording's
// length in updates, then the event stream byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Olvarn
{

// A named point of a recording.
struct DemoLabel {
    std::string mName;
    int32_t mUpdate = 0;

    bool operator==(const DemoLabel& other) const { return mName == other.mName && mUpdate == other.mUpdate; }
};

struct DemoFile {
    static constexpr uint32_t kMagic = 0x42BEEF78;
    static constexpr int32_t kVersion = 2;
    // The event stream is read through bit positions held in 32 bits.
    static constexpr size_t kMaxStreamBytes = 0x0FFFFFFF;

    int32_t mVersion = kVersion;
    uint32_t mSeed = 0;
    std::string mProductVersion;
    std::vector<DemoLabel> mLabels;
    int32_t mTotalUpdates = 0;
    std::vector<unsigned char> mStream;

    // The file's bytes; texts longer than their length fields are cut to fit.
    std::vector<unsigned char> Serialize() const;
    // Reads a demo made by the program whose version text is productVersion. On failure the error
    // holds the text shown to the player and the file is left as it was.
    static bool Parse(const unsigned char* bytes, size_t length, const std::string& productVersion, DemoFile& out,
                      std::string& error);
    // Parse over the file's contents; a file that cannot be read is "Demo file not found: " + path.
    static bool Load(const std::string& path, const std::string& productVersion, DemoFile& out, std::string& error);
};

} // namespace Olvarn
