// The settings file: parsing, writing and the atomic replace.
#include "platform/SettingsStore.h"
#include "platform/TextEncoding.h"

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace Olvarn
{

namespace
{

constexpr const char* kHeader = "OlvarnSettings 1";

unsigned char LowerByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

std::string Escape(const unsigned char* data, size_t size)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = data[i];
        if (c < '!' || c > '~' || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Unescape(const std::string& text, std::vector<unsigned char>& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(static_cast<unsigned char>(text[i]));
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int hi = HexDigitValue(text[i + 1]), lo = HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
        i += 2;
    }
    return out.size() <= SettingsStore::kMaxValueBytes;
}

bool ParseHex(const std::string& text, std::vector<unsigned char>& out)
{
    if (text.size() % 2 != 0 || text.size() / 2 > SettingsStore::kMaxValueBytes)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = HexDigitValue(text[i]), lo = HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

bool ParseDWord(const std::string& text, std::vector<unsigned char>& out)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu)
        return false;
    out.resize(4);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
    return true;
}

// One "kind name value" line; false when it is not one.
bool ParseLine(const std::string& line, std::string& name, SettingsStore::Value& value)
{
    size_t first = line.find(' ');
    size_t second = first == std::string::npos ? std::string::npos : line.find(' ', first + 1);
    if (second == std::string::npos || line.find(' ', second + 1) != std::string::npos)
        return false;
    std::string kind = line.substr(0, first);
    std::string text = line.substr(second + 1);
    std::vector<unsigned char> nameBytes;
    if (!Unescape(line.substr(first + 1, second - first - 1), nameBytes) || nameBytes.empty())
        return false;
    name.assign(nameBytes.begin(), nameBytes.end());
    if (kind == "dword") {
        value.mType = SettingsStore::kDWord;
        return ParseDWord(text, value.mData);
    }
    if (kind == "string") {
        value.mType = SettingsStore::kString;
        return Unescape(text, value.mData);
    }
    if (kind == "binary") {
        value.mType = SettingsStore::kBinary;
        return ParseHex(text, value.mData);
    }
    return false;
}

std::string FormatLine(const std::string& name, const SettingsStore::Value& value)
{
    std::string out;
    std::string escapedName = Escape(reinterpret_cast<const unsigned char*>(name.data()), name.size());
    const std::vector<unsigned char>& d = value.mData;
    if (value.mType == SettingsStore::kDWord && d.size() == 4) {
        uint32_t v = d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<uint32_t>(d[3]) << 24);
        return "dword " + escapedName + " " + std::to_string(v);
    }
    if (value.mType == SettingsStore::kString)
        return "string " + escapedName + " " + Escape(d.data(), d.size());
    static const char kHex[] = "0123456789abcdef";
    out = "binary " + escapedName + " ";
    for (unsigned char c : d) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

} // namespace

bool SettingsStore::NameLess::operator()(const std::string& a, const std::string& b) const
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = LowerByte(static_cast<unsigned char>(a[i]));
        unsigned char cb = LowerByte(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

std::string SettingsStore::PathForKey(const std::string& key)
{
    std::string path = Paths::ConfigHome();
    std::string part;
    std::string native = Paths::ToNative(key) + "/";
    for (char c : native) {
        if (c != '/') {
            part += c;
            continue;
        }
        if (!part.empty() && part != "." && part != "..")
            path += "/" + part;
        part.clear();
    }
    return path + "/settings";
}

SettingsStore::ValueMap SettingsStore::Parse(const std::string& bytes)
{
    ValueMap values;
    size_t pos = 0;
    bool header = true;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            break; // the last line lost its end: the file was cut, so the line may be too
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (header) {
            if (line != kHeader)
                return values;
            header = false;
            continue;
        }
        std::string name;
        Value value;
        if (ParseLine(line, name, value))
            values[name] = std::move(value);
    }
    return values;
}

std::string SettingsStore::Serialize(const ValueMap& values)
{
    std::string out = std::string(kHeader) + "\r\n";
    for (const auto& [name, value] : values)
        out += FormatLine(name, value) + "\r\n";
    return out;
}

void SettingsStore::Load()
{
    mValues.clear();
    // Without O_NONBLOCK a FIFO in the file's place would hold start-up in open() for ever.
    int fd = ::open(mPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return; // no settings yet
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        mLastError = "settings ignored: " + mPath + " is not a regular file";
        LogWrite(LogLevel::Warning, "%s", mLastError.c_str());
        return;
    }
    std::string bytes(kMaxFileBytes, '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, &bytes[done], bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    mValues = Parse(bytes);
}

bool SettingsStore::Save()
{
    size_t slash = mPath.rfind('/');
    std::string folder = slash == std::string::npos ? "." : mPath.substr(0, slash);
    if (!Paths::MakeFolders(folder)) {
        mLastError = "cannot make the folder of " + mPath + ": " + std::strerror(errno);
        return false;
    }
    return WriteFileAtomically(mPath, Serialize(mValues), &mLastError);
}

bool SettingsStore::Get(const std::string& name, Value& out) const
{
    auto it = mValues.find(name);
    if (it == mValues.end())
        return false;
    out = it->second;
    return true;
}

void SettingsStore::Set(const std::string& name, uint32_t type, const unsigned char* data, size_t size)
{
    Value value;
    value.mType = type;
    value.mData.assign(data, data + size);
    // Re-insert so a name written in another case takes the new spelling.
    mValues.erase(name);
    mValues.emplace(name, std::move(value));
}

bool SettingsStore::Remove(const std::string& name)
{
    return mValues.erase(name) > 0;
}

} // namespace Olvarn
