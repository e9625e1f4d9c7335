// Paths on POSIX: /proc/self/exe, the XDG folders and a case-insensitive look-up.
#include "platform/Paths.h"

#include <dirent.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace Olvarn
{

namespace
{

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// $HOME, or the home the password database gives the user. Never a shared folder such as /tmp:
// any local user could make the folders there first and plant our settings.
std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return home;
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int err;
    while ((err = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (err == 0 && found && found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    throw std::runtime_error("Your home folder is unknown: HOME is not set and the password database has no "
                             "entry for this user. Set HOME (or XDG_CONFIG_HOME, XDG_DATA_HOME and "
                             "XDG_CACHE_HOME) to a folder of your own.");
}

std::string EnvOr(const char* name, const std::string& fallbackBelowHome)
{
    const char* value = std::getenv(name);
    if (value && *value == '/')
        return value;
    return HomeFolder() + "/" + fallbackBelowHome;
}

// The entry of folder whose name equals name ignoring case; "" when none.
std::string FindIgnoringCase(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return "";
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

} // namespace

std::string Paths::ToNative(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string Paths::Resolve(const std::string& path)
{
    std::string native = ToNative(path);
    if (native.empty() || Exists(native))
        return native;
    std::string built;
    size_t pos = 0;
    if (native[0] == '/') {
        built = "/";
        pos = 1;
    }
    while (pos <= native.size()) {
        size_t slash = native.find('/', pos);
        std::string part = native.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        pos = slash == std::string::npos ? native.size() + 1 : slash + 1;
        if (part.empty() || part == "." || part == "..") {
            built += part + (slash == std::string::npos ? "" : "/");
            continue;
        }
        std::string candidate = built + part;
        if (!Exists(candidate)) {
            std::string match = FindIgnoringCase(built.empty() ? "." : built, part);
            if (match.empty())
                return native;
            candidate = built + match;
        }
        built = candidate + (slash == std::string::npos ? "" : "/");
    }
    return built;
}

std::string Paths::ExecutablePath()
{
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return "";
    return std::string(buffer.data(), static_cast<size_t>(n));
}

bool Paths::ChangeDirectory(const std::string& folder)
{
    return chdir(ToNative(folder).c_str()) == 0;
}

std::string Paths::CurrentDirectory()
{
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size()))
        return "";
    return buffer.data();
}

namespace
{

std::mutex gProductLock;
std::string gProductFolderName = "OlvarnApp";

} // namespace

void Paths::SetProductFolderName(const std::string& productName)
{
    // The name becomes one path element: nothing that climbs or nests.
    bool usable = !productName.empty() && productName != "." && productName != ".." &&
                  productName.find_first_of("/\\") == std::string::npos && productName.find('\0') == std::string::npos;
    std::lock_guard<std::mutex> lock(gProductLock);
    gProductFolderName = usable ? productName : "OlvarnApp";
}

std::string Paths::ProductFolderName()
{
    std::lock_guard<std::mutex> lock(gProductLock);
    return gProductFolderName;
}

std::string Paths::ProductDataFolder()
{
    return DataHome() + "/" + ProductFolderName();
}

std::string Paths::ProductCacheFolder()
{
    return CacheHome() + "/" + ProductFolderName();
}

std::string Paths::ConfigHome()
{
    return EnvOr("XDG_CONFIG_HOME", ".config");
}

std::string Paths::DataHome()
{
    return EnvOr("XDG_DATA_HOME", ".local/share");
}

std::string Paths::CacheHome()
{
    return EnvOr("XDG_CACHE_HOME", ".cache");
}

std::string Paths::RuntimeDir()
{
    const char* value = std::getenv("XDG_RUNTIME_DIR");
    return value && *value == '/' ? value : "/tmp";
}

bool Paths::MakeFolders(const std::string& folder)
{
    std::string native = ToNative(folder);
    for (size_t pos = 1; pos <= native.size(); ++pos) {
        if (pos == native.size() || native[pos] == '/') {
            std::string prefix = native.substr(0, pos);
            if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace Olvarn
