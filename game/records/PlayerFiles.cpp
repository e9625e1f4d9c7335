// Reading, moving aside and backing up the player's files.
#include "records/PlayerFiles.h"

#include "platform/AtomicFile.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace tilvan
{
namespace records
{

namespace
{
// Far above any profiles, records or saved game the game writes; a larger file is not one of ours.
constexpr size_t kMaxPlayerFileBytes = 64u << 20;

bool Exists(const std::string& path)
{
    std::string bytes;
    return Olvarn::ReadWholeFile(path, bytes, kMaxPlayerFileBytes);
}
} // namespace

std::string UserDataFolder()
{
    return Olvarn::Paths::DataHome() + "/Tamberlo";
}

std::string UserDataPath(const std::string& storedPath)
{
    return UserDataFolder() + "/" + Olvarn::Paths::ToNative(storedPath);
}

std::string MoveAside(const std::string& path)
{
    for (int n = 1; n < 1000; ++n) {
        std::string target = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (Exists(target))
            continue;
        if (!Olvarn::RenameFile(path, target))
            return std::string();
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "Kept the damaged file %s as %s", path.c_str(), target.c_str());
        return target;
    }
    return std::string();
}

bool KeepBackup(const std::string& path)
{
    std::string bytes;
    if (!Olvarn::ReadWholeFile(path, bytes, kMaxPlayerFileBytes))
        return true;
    return Olvarn::WriteFileAtomically(path + ".bak", bytes);
}

CPlayerFileRead ReadPlayerFile(const std::string& path, const std::function<bool(const std::string&)>& parse)
{
    CPlayerFileRead read;
    std::string bytes;
    if (!Olvarn::ReadWholeFile(path, bytes, kMaxPlayerFileBytes))
        return read;
    if (parse(bytes)) {
        read.result = EPlayerFile::Loaded;
        return read;
    }
    read.result = EPlayerFile::Damaged;
    read.movedTo = MoveAside(path);
    // Without moving it, the next save would replace the player's only copy.
    if (read.movedTo.empty())
        return read;
    std::string backup;
    if (Olvarn::ReadWholeFile(path + ".bak", backup, kMaxPlayerFileBytes) && parse(backup)) {
        read.result = EPlayerFile::FromBackup;
        Olvarn::WriteFileAtomically(path, backup);
    }
    return read;
}

std::string DamagedFileMessage(const CPlayerFileRead& read, const std::string& path)
{
    if (read.result != EPlayerFile::Damaged && read.result != EPlayerFile::FromBackup)
        return std::string();
    std::string text = "The file " + path + " could not be read.";
    if (!read.movedTo.empty())
        text += " It was kept as " + read.movedTo + ".";
    if (read.result == EPlayerFile::FromBackup)
        text += " The last good copy was used instead.";
    return text;
}

} // namespace records
} // namespace tilvan
