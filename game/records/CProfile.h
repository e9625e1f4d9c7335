// One player's profile: name, progress on the map, hints, medals per level, the crown and where the
// player's one saved game lies.
#pragma once

#include <map>
#include <string>

#include "data/CSaveObject.h"

namespace tilvan
{

class CProfile : public save::CSaveObject
{
public:
    static constexpr size_t kMaxNameLength = 20;
    enum EMedal { kFishMedal = 1, kStarMedal = 2, kSunMedal = 4 };

    CProfile() = default;
    explicit CProfile(std::string profileName) : name(std::move(profileName)) {}

    // One "profile" row through the save writer; its row number.
    int Save() override;
    // The row of the save reader; attributes that are missing read as 0, false or "".
    void Load(int row) override;

    // The level's medal bits; a level never asked for gets an entry 0, so it is listed when saved.
    int GetMedals(int level);
    void AddMedals(int level, int bits);
    bool HasCrown() const { return crown; }
    void SetCrown() { crown = true; }

    bool HasSavedGame() const { return is_saved && save_file_num >= 0; }
    // Writes the game into the profile's save file, taking freeNumber when it has none yet. The
    // profile counts as saved only when the file is in place.
    bool SaveGame(save::CSaveObject& game, int freeNumber);
    // Restores the saved game; false when there is none or it is damaged. A damaged save is moved
    // aside (kept for the player) and the profile no longer has one, so the game starts from the map.
    bool LoadGame(save::CSaveObject& game, std::string* problem = nullptr);
    // Removes the save file and its backup; the profile has no save afterwards.
    void DeleteSavedGame();

    // The medal list as stored: level, blank, bits, blank for each level in order, one more blank.
    std::string MedalsText() const;
    void SetMedalsText(const std::string& text);

    std::string name;
    int max_level = 0;
    bool is_saved = false;
    bool show_hints = true;
    int save_file_num = -1;
    std::string save_path;
    std::map<int, int> medals;
    bool crown = false;
};

} // namespace tilvan
