// Live constants: numbers in the source that a developer may edit while the program runs. A use
// wraps its number in M(...) (or M1(...) to M9(...) when a line holds several, see ModValMacros.h);
// the use registers its source file once, and ReparseChangedFiles reads every registered file again
// when one has changed, so the next pass of the code sees the new numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Olvarn
{

struct ModValFile;

// Held in a static of each use: the source path it was compiled from and, once registered, the
// record of that file.
struct ModValKey {
    const char* mPath = nullptr;
    ModValFile* mRecord = nullptr;
};

struct ModValEntry {
    bool mPresent = false;
    int32_t mInt = 0;
    double mReal = 0;
};

struct ModValFile {
    static constexpr int kRows = 10;

    ModValKey* mKey = nullptr;
    // Every use's key that points here, so that forgetting the record reaches them all.
    std::vector<ModValKey*> mAllKeys;
    bool mParsed = false;
    // Row 0 holds M(...), rows 1 to 9 M1(...) to M9(...); each is indexed by line number (from 1).
    std::vector<ModValEntry> mRows[kRows];
    // The (row, line) places the running code asked for; a re-read must still find a number at
    // each, or the file no longer matches the program and its numbers are kept.
    std::set<std::pair<int, int>> mUses;
};

class ModVal
{
public:
    // How a re-read reports: text, title and message-box flags. Without one the message goes to
    // the log and to a system message box.
    using MessageHandler = std::function<void(const std::string& text, const std::string& title, int flags)>;

    static ModValFile* Register(ModValKey& key);
    static void SetValue(int line, int row, ModValKey& key, int32_t intValue, double realValue);
    // Re-reads every registered file; true when at least one changed since the build or the last
    // re-read and every file was read without error. Failures and the "no changes" warning are
    // reported through the handler.
    static bool ReparseChangedFiles();
    static bool ParseIntValue(const char* text, int32_t& out);
    static bool ParseDoubleValue(const char* text, double& out);

    static void SetMessageHandler(MessageHandler handler);
    // The registry, by path.
    static std::map<std::string, ModValFile>& Files();
    // The entry of a registered use; null when the file or the line has none.
    static const ModValEntry* Find(const ModValKey& key, int line, int row);
    // The newest modification time seen (seconds since 1970); 0 before the first re-read.
    static int64_t NewestFileTime();
    // Forgets every file and the newest time (tests).
    static void Reset();

    // The value of a use: the number last read for its place, else the one compiled in.
    template <typename T> static T Use(ModValKey& key, int line, int row, T compiled)
    {
        static_assert(std::is_arithmetic<T>::value, "live constants are numbers");
        const ModValEntry* entry = Note(key, line, row, IntOf(compiled), RealOf(compiled));
        if (!entry || !entry->mPresent)
            return compiled;
        // A number is kept in the form it was written in; the use's own type decides what it reads.
        if (std::is_floating_point<T>::value)
            return static_cast<T>(entry->mInt != 0 ? double(entry->mInt) : entry->mReal);
        return static_cast<T>(entry->mReal != 0 ? entry->mReal : double(entry->mInt));
    }

private:
    static const ModValEntry* Note(ModValKey& key, int line, int row, int32_t intValue, double realValue);
    template <typename T> static int32_t IntOf(T value)
    {
        return std::is_floating_point<T>::value ? 0 : static_cast<int32_t>(value);
    }
    template <typename T> static double RealOf(T value)
    {
        return std::is_floating_point<T>::value ? static_cast<double>(value) : 0.0;
    }
};

} // namespace Olvarn
