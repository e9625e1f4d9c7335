// Path splitting, joining and resolving on strings, and the directory walks built on the platform layer.
#include "core/PathUtils.h"

#include <algorithm>
#include <vector>

#include "platform/Directories.h"

namespace Olvarn
{

namespace
{

constexpr bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

constexpr bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EndsWithSeparator(const std::string& s)
{
    return !s.empty() && IsSeparator(s.back());
}

// Position of the last '\' or '/', or npos.
size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

// The resolving state: the base directory as it climbs, always ending in a separator while not empty.
struct Resolver {
    std::string mWork;
    char mSeparator = '/';

    bool AtRoot() const { return mWork.size() == 1; }

    void ClimbUp()
    {
        // Above the root is the root.
        if (AtRoot())
            return;
        const size_t trailing = mWork.size() - 1;
        const size_t before = trailing == 0 ? std::string::npos : mWork.find_last_of("\\/", trailing - 1);
        const size_t start = before == std::string::npos ? 0 : before + 1;
        // A base that already climbs past what it knows ("..\") can only climb further.
        if (mWork.compare(start, trailing - start, "..") == 0)
            mWork += std::string("..") + mSeparator;
        else
            mWork.erase(start);
    }

    // Takes the leading "." and ".." segments off rest, and the first other one with them.
    void Consume(std::string& rest)
    {
        while (!mWork.empty()) {
            const size_t end = rest.find_first_of("\\/");
            if (end == std::string::npos)
                return;
            const std::string segment = rest.substr(0, end);
            rest.erase(0, end + 1);
            if (segment == "..") {
                ClimbUp();
            } else if (segment.empty()) {
                mWork.assign(1, mSeparator);
                return;
            } else if (segment != ".") {
                mWork += segment + mSeparator;
                return;
            }
        }
    }
};

} // namespace

std::string ResolveRelativePath(const std::string& path, const std::string& base)
{
    if (path.size() >= 2 && path[1] == ':')
        return path;

    Resolver resolver;
    const bool backslash = path.find('\\') != std::string::npos || base.find('\\') != std::string::npos;
    resolver.mSeparator = backslash ? '\\' : '/';

    resolver.mWork = base;
    std::string drive;
    if (base.size() >= 2 && IsAsciiLetter(base[0]) && base[1] == ':') {
        drive = base.substr(0, 2);
        resolver.mWork.erase(0, 2);
    }
    if (!resolver.mWork.empty() && !EndsWithSeparator(resolver.mWork))
        resolver.mWork += resolver.mSeparator;

    std::string rest = path;
    resolver.Consume(rest);

    std::string result = drive + resolver.mWork + rest;
    const char other = backslash ? '/' : '\\';
    std::replace(result.begin(), result.end(), other, resolver.mSeparator);
    return result;
}

std::string PathFileName(const std::string& path, bool withoutExtension)
{
    const size_t separator = LastSeparator(path);
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = path.rfind('.');
    if (!withoutExtension || dot == std::string::npos || dot < nameStart)
        return path.substr(nameStart);
    return path.substr(nameStart, dot - nameStart);
}

std::string PathDirectory(const std::string& path, bool withSeparator)
{
    const size_t separator = LastSeparator(path);
    if (separator == std::string::npos)
        return std::string();
    return path.substr(0, withSeparator ? separator + 1 : separator);
}

std::string StripTrailingSeparator(const std::string& path)
{
    return EndsWithSeparator(path) ? path.substr(0, path.size() - 1) : path;
}

std::string EnsureTrailingSeparator(const std::string& path, bool backslash)
{
    if (path.empty() || EndsWithSeparator(path))
        return path;
    return path + (backslash ? '\\' : '/');
}

void MakeDirectories(const std::string& path)
{
    // Both separators count: a path under the user's folders is written with '/', and those
    // folders may not exist yet on a fresh system.
    for (size_t i = 1; i < path.size(); ++i)
        if (IsSeparator(path[i]) && !IsSeparator(path[i - 1]))
            MakeDirectory(path.substr(0, i));
    if (!path.empty())
        MakeDirectory(path);
}

bool DeleteDirectoryTree(const std::string& dir)
{
    if (dir.size() < 2)
        return false;
    const std::string prefix = EndsWithSeparator(dir) ? dir : dir + '\\';
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(prefix, entries))
        return false;

    bool ok = true;
    for (const DirectoryEntry& entry : entries) {
        const std::string child = prefix + entry.mName;
        if (!(entry.mIsDirectory ? DeleteDirectoryTree(child) : RemoveFile(child)))
            ok = false;
    }
    if (!RemoveEmptyDirectory(dir))
        ok = false;
    return ok;
}

} // namespace Olvarn
