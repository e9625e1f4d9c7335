// The settings of one application key (what the registry held on the original platform): named
// DWORD, string and binary values in one small text file, always rewritten whole and atomically.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Olvarn
{

class SettingsStore
{
public:
    // Value types, numbered as the framework's callers know them.
    static constexpr uint32_t kString = 1;
    static constexpr uint32_t kBinary = 3;
    static constexpr uint32_t kDWord = 4;
    // Largest file and value read back; anything beyond is not ours.
    static constexpr size_t kMaxFileBytes = 1 << 20;
    static constexpr size_t kMaxValueBytes = 64 * 1024;

    struct Value {
        uint32_t mType = kBinary;
        std::vector<unsigned char> mData;
    };

    // Names compare without regard to case, as the registry's do.
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using ValueMap = std::map<std::string, Value, NameLess>;

    explicit SettingsStore(std::string filePath) : mPath(std::move(filePath)) {}

    // The file of a key such as "Quendril\\Tamberlo": $XDG_CONFIG_HOME/Quendril/Tamberlo/settings.
    // Empty, "." and ".." parts of the key are dropped so a key never leaves the config folder.
    static std::string PathForKey(const std::string& key);

    // Reads the file; a missing, truncated or foreign file leaves every unreadable value absent.
    void Load();
    // Writes every value to a temporary file beside the real one, syncs it and renames it over the
    // real one. False (with the reason in LastError) when any step failed; the old file then stays.
    bool Save();

    bool Get(const std::string& name, Value& out) const;
    void Set(const std::string& name, uint32_t type, const unsigned char* data, size_t size);
    bool Remove(const std::string& name);
    const ValueMap& Values() const { return mValues; }
    const std::string& Path() const { return mPath; }
    const std::string& LastError() const { return mLastError; }

    // The file format, apart from the file: a header line "OlvarnSettings 1", then one value a line,
    // "dword NAME 123", "string NAME TEXT" or "binary NAME HEX", names and texts with bytes outside
    // '!'..'~' and '%' written as %XX; lines end in CR LF. Lines that do not parse, and a last line
    // without its line end (a cut file), are skipped.
    static ValueMap Parse(const std::string& bytes);
    static std::string Serialize(const ValueMap& values);

private:
    std::string mPath;
    ValueMap mValues;
    std::string mLastError;
};

} // namespace Olvarn
