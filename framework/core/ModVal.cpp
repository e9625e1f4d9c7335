#include "core/ModVal.h"
#include "platform/TextEncoding.h"

#include <cctype>
#include <fstream>

#include "core/StringUtils.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace Olvarn
{

namespace
{

struct Registry {
    std::map<std::string, ModValFile> mFiles;
    int64_t mNewestFileTime = 0;
    ModVal::MessageHandler mHandler;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

void Report(const std::string& text, const std::string& title, int flags)
{
    LogWrite((flags & 0xF0) == MB_ICONWARNING ? LogLevel::Warning : LogLevel::Error, "%s: %s", title.c_str(),
             text.c_str());
    Registry& r = TheRegistry();
    if (r.mHandler)
        r.mHandler(text, title, flags);
    else
        MessageBox::Show(text, title, flags, nullptr);
}

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The row of a macro call whose '(' stands at i, or -1 when the '(' opens no call.
int MacroRow(const std::string& line, size_t i)
{
    if (i >= 2 && line[i - 1] == 'M' && !IsLetter(line[i - 2]))
        return 0;
    if (i >= 3 && line[i - 1] >= '1' && line[i - 1] <= '9' && line[i - 2] == 'M' && !IsLetter(line[i - 3]))
        return line[i - 1] - '0';
    return -1;
}

void Store(std::vector<ModValEntry>* rows, int line, int row, int32_t intValue, double realValue)
{
    std::vector<ModValEntry>& entries = rows[row];
    if (entries.size() < static_cast<size_t>(line) + 1)
        entries.resize(static_cast<size_t>(line) + 1);
    ModValEntry& entry = entries[static_cast<size_t>(line)];
    entry.mPresent = true;
    entry.mInt = intValue;
    entry.mReal = realValue;
}

bool HasEntry(const std::vector<ModValEntry>* rows, int row, int line)
{
    const std::vector<ModValEntry>& entries = rows[row];
    return line >= 0 && static_cast<size_t>(line) < entries.size() && entries[static_cast<size_t>(line)].mPresent;
}

// Reads one file's macro calls into rows. False with the message already reported.
bool ReadFile(const std::string& path, std::vector<ModValEntry>* rows)
{
    std::ifstream in(Paths::ToNative(path), std::ios::binary);
    if (!in) {
        Report("ERROR: Unable to open " + path + " for reparsing.", "MODVAL ERROR!", MB_ICONERROR);
        return false;
    }
    std::string line;
    int lineNumber = 0;
    // Lines of any length are read whole: a call past some column is still a call.
    while (std::getline(in, line)) {
        ++lineNumber;
        bool used[ModValFile::kRows] = {};
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '(')
                continue;
            const int row = MacroRow(line, i);
            if (row < 0)
                continue;
            const char* text = line.c_str() + i + 1;
            int32_t intValue = 0;
            double realValue = 0;
            if (!ModVal::ParseIntValue(text, intValue) && !ModVal::ParseDoubleValue(text, realValue))
                continue;
            if (used[row]) {
                Report(FormatString("ERROR in %s on line %d: If you want to use more than one M() value per line, you "
                                    "must use the numbered macros (ie: M1(), M2(), M3(), etc), using each one a "
                                    "maximum of once per line.  Alternatively, you may split up your statement into "
                                    "multiple lines.",
                                    path.c_str(), lineNumber),
                       "MODVAL ERROR", MB_ICONERROR);
                return false;
            }
            Store(rows, lineNumber, row, intValue, realValue);
            used[row] = true;
        }
    }
    if (in.bad()) {
        Report("ERROR: Unable to read " + path + " for reparsing.", "MODVAL ERROR!", MB_ICONERROR);
        return false;
    }
    return true;
}

} // namespace

std::map<std::string, ModValFile>& ModVal::Files()
{
    return TheRegistry().mFiles;
}

int64_t ModVal::NewestFileTime()
{
    return TheRegistry().mNewestFileTime;
}

void ModVal::Reset()
{
    Registry& r = TheRegistry();
    for (auto& entry : r.mFiles)
        for (ModValKey* key : entry.second.mAllKeys)
            key->mRecord = nullptr;
    r.mFiles.clear();
    r.mNewestFileTime = 0;
}

void ModVal::SetMessageHandler(MessageHandler handler)
{
    TheRegistry().mHandler = std::move(handler);
}

ModValFile* ModVal::Register(ModValKey& key)
{
    if (key.mRecord)
        return key.mRecord;
    auto inserted = TheRegistry().mFiles.emplace(key.mPath ? key.mPath : "", ModValFile());
    ModValFile& record = inserted.first->second;
    if (inserted.second)
        record.mKey = &key;
    record.mAllKeys.push_back(&key);
    key.mRecord = &record;
    return &record;
}

void ModVal::SetValue(int line, int row, ModValKey& key, int32_t intValue, double realValue)
{
    if (line < 0 || row < 0 || row >= ModValFile::kRows)
        return;
    ModValFile* record = key.mRecord ? key.mRecord : Register(key);
    Store(record->mRows, line, row, intValue, realValue);
}

const ModValEntry* ModVal::Find(const ModValKey& key, int line, int row)
{
    if (!key.mRecord || row < 0 || row >= ModValFile::kRows || !HasEntry(key.mRecord->mRows, row, line))
        return nullptr;
    return &key.mRecord->mRows[row][static_cast<size_t>(line)];
}

const ModValEntry* ModVal::Note(ModValKey& key, int line, int row, int32_t intValue, double realValue)
{
    if (row < 0 || row >= ModValFile::kRows || line < 0)
        return nullptr;
    ModValFile* record = key.mRecord ? key.mRecord : Register(key);
    if (record->mUses.emplace(row, line).second && !HasEntry(record->mRows, row, line))
        SetValue(line, row, key, intValue, realValue);
    return Find(key, line, row);
}

bool ModVal::ParseIntValue(const char* text, int32_t& out)
{
    out = 0;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    uint32_t value = 0;
    bool hex = false;
    for (;; ++i) {
        const char c = text[i];
        if (c == ')') {
            out = static_cast<int32_t>(negative ? 0u - value : value);
            return true;
        }
        if (!hex && (c == 'x' || c == 'X') && i == 1 && text[0] == '0' && value == 0) {
            hex = true;
            continue;
        }
        const int digit = hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return false;
        value = value * (hex ? 16u : 10u) + static_cast<uint32_t>(digit);
    }
}

bool ModVal::ParseDoubleValue(const char* text, double& out)
{
    out = 0;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    double value = 0;
    while (text[i] >= '0' && text[i] <= '9')
        value = value * 10 + (text[i++] - '0');
    if (text[i] == '.') {
        ++i;
        double weight = 0.1;
        while (text[i] >= '0' && text[i] <= '9') {
            value += (text[i++] - '0') * weight;
            weight /= 10;
        }
    }
    if (text[i] == 'f')
        ++i;
    if (text[i] != ')')
        return false;
    out = negative ? -value : value;
    return true;
}

bool ModVal::ReparseChangedFiles()
{
    Registry& r = TheRegistry();
    if (r.mNewestFileTime == 0)
        r.mNewestFileTime = FileWriteTime(Paths::ExecutablePath());
    bool changed = false;
    std::string list;
    for (auto& entry : r.mFiles) {
        const std::string& path = entry.first;
        ModValFile& record = entry.second;
        record.mParsed = true;
        const int64_t t = FileWriteTime(path);
        if (t > r.mNewestFileTime) {
            r.mNewestFileTime = t;
            changed = true;
        }
        if (!list.empty())
            list += "\r\n  ";
        list += path;
        // The file is read aside and taken over only when it still fits the running code, so a
        // file that vanished, lost lines or holds a broken number leaves the old numbers in place.
        std::vector<ModValEntry> rows[ModValFile::kRows];
        if (!ReadFile(path, rows))
            return false;
        for (const auto& use : record.mUses) {
            if (HasEntry(rows, use.first, use.second))
                continue;
            Report(FormatString("ERROR in %s on line %d: no %s value is there any more (lines were added or removed, "
                                "or the number cannot be read). The file's values are kept as they were.",
                                path.c_str(), use.second,
                                use.first == 0 ? "M()" : FormatString("M%d()", use.first).c_str()),
                   "MODVAL ERROR", MB_ICONERROR);
            return false;
        }
        for (int row = 0; row < ModValFile::kRows; ++row)
            record.mRows[row].swap(rows[row]);
    }
    if (changed)
        return true;
    if (list.empty())
        list = "none";
    Report("WARNING: No file changes detected.  Files parsed: \r\n  " + list, "MODVAL WARNING!", MB_ICONWARNING);
    return false;
}

} // namespace Olvarn
