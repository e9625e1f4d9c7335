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

    // The running program's own folder name under the user's data and cache folders: the
    // application's product name, set when it starts ("OlvarnApp" until then, and for a name that
    // is no single folder name). So each program on the framework keeps its own files.
    static void SetProductFolderName(const std::string& productName);
    static std::string ProductFolderName();
    // DataHome() and CacheHome() with the product's folder name.
    static std::string ProductDataFolder();
    static std::string ProductCacheFolder();

    // Makes the folder and all its parents; true when it exists afterwards.
    static bool MakeFolders(const std::string& folder);
};

} // namespace Olvarn
