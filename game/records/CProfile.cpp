// A profile's row in the profiles file and its saved game.
#include "records/CProfile.h"

#include <vector>

#include "data/DataCodecs.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "records/PlayerFiles.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

int CProfile::Save()
{
    return SaveWriter().WriteRow("profile", Base64EncodeString(name), max_level, is_saved, save_file_num, save_path,
                                 show_hints, MedalsText(), crown);
}

void CProfile::Load(int row)
{
    medals.clear();
    std::string encodedName, maxLevel, saved, number, path, hints, medalsText, hasCrown;
    SaveReader().GetRow("profile", row, encodedName, maxLevel, saved, number, path, hints, medalsText, hasCrown);
    name = Base64DecodeToString(encodedName.c_str());
    max_level = ParseInt(maxLevel);
    is_saved = ParseInt(saved) != 0;
    save_file_num = ParseInt(number);
    save_path = path;
    show_hints = ParseInt(hints) != 0;
    SetMedalsText(medalsText);
    crown = ParseInt(hasCrown) != 0;
}

int CProfile::GetMedals(int level)
{
    return medals[level];
}

void CProfile::AddMedals(int level, int bits)
{
    medals[level] |= bits;
}

std::string CProfile::MedalsText() const
{
    std::vector<int> numbers;
    for (const auto& [level, bits] : medals) {
        numbers.push_back(level);
        numbers.push_back(bits);
    }
    return IntListText(numbers) + " ";
}

void CProfile::SetMedalsText(const std::string& text)
{
    medals.clear();
    std::vector<int> numbers;
    ParseIntList(text, numbers);
    // An unpaired last number is dropped; a later pair for a level replaces the earlier one.
    for (size_t i = 0; i + 1 < numbers.size(); i += 2)
        medals[numbers[i]] = numbers[i + 1];
}

bool CProfile::SaveGame(save::CSaveObject& game, int freeNumber)
{
    if (save_file_num < 0) {
        save_file_num = freeNumber;
        save_path = "saves/" + std::to_string(save_file_num);
    }
    std::string path = records::UserDataPath(save_path);
    records::KeepBackup(path);
    std::string error;
    if (!save::WriteSaveFile(path, game, &error)) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "The game could not be saved: %s", error.c_str());
        return false;
    }
    is_saved = true;
    return true;
}

bool CProfile::LoadGame(save::CSaveObject& game, std::string* problem)
{
    if (!HasSavedGame())
        return false;
    std::string path = records::UserDataPath(save_path);
    std::string error;
    switch (save::LoadSaveFile(path, game, &error)) {
    case save::ESaveLoad::Loaded:
        return true;
    case save::ESaveLoad::Missing:
        // Offering "continue" again would only fail again.
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "The saved game %s is missing", path.c_str());
        is_saved = false;
        return false;
    case save::ESaveLoad::Damaged:
        break;
    }
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "The saved game %s is damaged: %s", path.c_str(), error.c_str());
    records::CPlayerFileRead read;
    read.result = records::EPlayerFile::Damaged;
    read.movedTo = records::MoveAside(path);
    if (problem)
        *problem = records::DamagedFileMessage(read, path);
    // Without the file moved, deleting would lose it; it is then only no longer offered.
    if (read.movedTo.empty()) {
        is_saved = false;
        return false;
    }
    DeleteSavedGame();
    return false;
}

void CProfile::DeleteSavedGame()
{
    if (!save_path.empty()) {
        std::string path = records::UserDataPath(save_path);
        Olvarn::RemoveFile(path);
        Olvarn::RemoveFile(path + ".bak");
    }
    save_file_num = -1;
    is_saved = false;
    save_path.clear();
}

} // namespace tilvan
