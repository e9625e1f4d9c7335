// The player's own files (profiles, records, saved games): where they lie, how a damaged one is
// kept aside for the player and how the last good one stays as a backup.
#pragma once

#include <functional>
#include <string>

namespace tilvan
{
namespace records
{

// "$XDG_DATA_HOME/Tamberlo"; the stored paths ("saves/profiles.xml", "saves/3") are below it.
std::string UserDataFolder();
// The file of a stored path, e.g. "saves/3".
std::string UserDataPath(const std::string& storedPath);

enum class EPlayerFile { Loaded, Missing, Damaged, FromBackup };

struct CPlayerFileRead {
    EPlayerFile result = EPlayerFile::Missing;
    // Where a damaged file was moved ("" when nothing was moved).
    std::string movedTo;
};

// Reads the file and hands its bytes to parse. A file that parse refuses is moved aside (never
// over another file) and the backup beside it is tried in its place.
CPlayerFileRead ReadPlayerFile(const std::string& path, const std::function<bool(const std::string&)>& parse);

// Moves a damaged file to "<path>.damaged", "<path>.damaged-2", ...; the new name, or "" when it
// could not be moved.
std::string MoveAside(const std::string& path);

// Copies the file as it is now to "<path>.bak" before it is replaced; true when there was nothing to
// keep or the copy is written.
bool KeepBackup(const std::string& path);

// The text the player is shown about a file that was moved aside.
std::string DamagedFileMessage(const CPlayerFileRead& read, const std::string& path);

} // namespace records
} // namespace tilvan
