// The path helper: backslash paths of the framework to the OS, the executable's folder and the
// user's folders.
#pragma once

#include <string>

namespace Olvarn
{

class Paths
{
public:
    // A framework path ("properties\\resources.xml") as the OS takes it: every '\' becomes '/'.
    static std::string ToNative(const std::string& path);
    // ToNative, and when that file is missing, the first entry of each folder level whose name
    // matches ignoring case (data files keep the case their authors wrote, not the case on disk).
    static std::string Resolve(const std::string& path);

    // Full path of the running executable ("" when it cannot be read).
    static std::string ExecutablePath();
    static bool ChangeDirectory(const std::string& folder);
    static std::string CurrentDirectory();

    // $XDG_CONFIG_HOME (default ~/.config), $XDG_DATA_HOME (~/.local/share),
    // $XDG_CACHE_HOME (~/.cache); $XDG_RUNTIME_DIR, or /tmp when unset. The home is $HOME or,
    // when unset, the user's entry in the password database; without either these throw
    // std::runtime_error with a text for the user.
    static std::string ConfigHome();
    static std::string DataHome();
    static std::string CacheHome();
    static std::string RuntimeDir();

    // Makes the folder and all its parents; true when it exists afterwards.
    static bool MakeFolders(const std::string& folder);
};

} // namespace Olvarn
