// The record of the game in progress: level, score, pearls, tools, win and loss counters, the
// statistic of the current level, script data and the level-start snapshot for a replay.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>

#include "board/CElementCreator.h"
#include "board/CPearl.h"
#include "board/CPearlCreator.h"
#include "data/CSaveObject.h"

namespace tilvan
{

struct CLevelStatistic {
    int score = 0;
    int pearls = 0;
    float time = 0;
    int bonuses = 0;
    bool bonus_lost = false;
    bool bonus_used = false;
    bool feedback = false;
};

struct CLevelStartSnapshot {
    int fire_level = 0, score = 0, level = 0;
    bool is_bonus_level = false;
    int points = 0, free_space = 0, elements_num = 0;
    std::array<int, 4> bonus_count{};
};

// What the record tells the level being played: a score that earned pearls. The level installs itself.
class CPlayerLevel
{
public:
    virtual ~CPlayerLevel() = default;
    virtual void OnScorePearls(int pearls) = 0;
};

class CPlayerInfo : public save::CSaveObject
{
public:
    static constexpr int kClassId = 3;

    enum EFlags {
        lose_boost = 0x1,
        first_help_shown = 0x2,
        bonus_level_described = 0x4,
        level_in_progress = 0x8,
        fire_used = 0x10,
        wood_used = 0x20,
        next_ice_used = 0x40,
        start_game_told = 0x80,
        last_level_told = 0x100,
        second_help_shown = 0x200
    };

    static CPlayerInfo& Instance();

    CPlayerInfo();
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    // The "player" constants: score per pearl. Zero or less earns no pearls.
    static void SetScoreToPearl(int score);
    static int ScoreToPearl();

    void Reset();
    void AddScore(int amount, bool withPearls);
    void AddPearls(int n);
    void AddPlayTime(float ms) { statistic.time += ms; }
    int GetBonusCount(int slot) const;
    void AddBonusCount(int slot, int n);
    bool CanAffordBonus(int slot) const;
    void BuyBonus(int slot);
    bool IsBonusUsed(int slot) const;
    void SetBonusUsed(int slot);
    bool IsPearlLevel(int level) const { return pearl_creator.IsPearlLevel(level); }
    bool IsInCustomData(int v) const { return custom_data.count(v) != 0; }
    void InsertCustomData(int v) { custom_data.insert(v); }
    void StartLevel();
    void EndLevel(bool won);
    void TakeLevelStartSnapshot();
    void RestoreLevelStartSnapshot();
    static CLevelStartSnapshot& Snapshot();

    bool HasFlag(int bit) const { return (flags & bit) != 0; }
    void SetFlag(int bit) { flags |= bit; }

    // The creator's view of the record and back (the lose boost is set on the copy).
    CCreatorPlayer CreatorView() const;
    void TakeCreatorFlags(const CCreatorPlayer& view) { flags = view.flags; }

    void SetCurrentLevel(CPlayerLevel* level) { currentLevel = level; }
    // Only the level that set itself may withdraw; a newer level stays.
    void WithdrawCurrentLevel(CPlayerLevel* level)
    {
        if (currentLevel == level)
            currentLevel = nullptr;
    }
    CPlayerLevel* GetCurrentLevel() const { return currentLevel; }

    // Where the record's pearl-count hook goes (the events script, installed by play).
    using PearlHook = std::function<void(int points)>;
    static void SetPearlHook(PearlHook hook);

    CPearlCreator pearl_creator;
    CLevelStatistic statistic;
    std::string name = "Player";
    int score = 0;
    int last_lost_level = -1;
    int lost_count = 0;
    int lost_level_count = 0;
    int consecutively_win_count = 0;
    int flags = 0;
    int level = 0;
    int start_level = 0;
    bool is_bonus_level = false;
    int points = 0;
    int fire_level = 0;
    int free_space = 0;
    int elements_num = 0;
    bool new_record = false;
    std::array<int, 4> bonus_count{};
    std::array<bool, 4> bonus_used{};
    std::set<int> custom_data;

private:
    CPlayerLevel* currentLevel = nullptr;
};

// The statistic as the save writes it ("%i %i %f %i %i %i %i") and reads it back.
std::string FormatStatistic(const CLevelStatistic& s);
CLevelStatistic ParseStatistic(const std::string& text);

} // namespace tilvan
