// Decides which piece comes next and when: draws a type from the level's chance table at every
// interval, with a filter against long runs of one type, tilted toward the first two types for a
// player who keeps losing, and hands the piece to the pipeline or the bonus level's floating row.
#pragma once

#include <string>
#include <vector>

#include "board/CElementType.h"
#include "data/CSaveObject.h"

namespace tilvan
{

class CPipeline;
class CGrid;
class CLevelInfo;

struct CChanceRange {
    int element = 0; // type id + 1; 0 makes nothing
    int first = 0, last = -1;
};

struct CChanceTable {
    std::vector<CChanceRange> ranges;
    int total = 0;
    int from_level = 0;
    int filter_max_repeat = 0;
};

// Builds a table from a drop row's element ids and weights, checking every id names an existing
// type (or is 0). Throws std::runtime_error naming rowName otherwise.
CChanceTable MakeChanceTable(const std::vector<int>& elements, const std::vector<int>& weights, int filterMaxRepeat,
                             const std::string& rowName);
void ValidateChanceTable(const CChanceTable& table, const std::string& rowName);

// What the creator needs of a level definition.
struct CCreatorLevel {
    int number = 1; // 1-based
    bool bonus = false;
    float speed = 0, gravity = 0, interval = 0;
    const CChanceTable* table = nullptr;
};
// Throws std::runtime_error for values the creator cannot run with (interval or speed not above 0,
// gravity or repeat limit below 0).
void ValidateCreatorLevel(const CCreatorLevel& level, const std::string& rowName);

// The player's record as the tilts read it.
struct CCreatorPlayer {
    int lost_level_count = 0;
    int last_lost_level = -1;
    int level = 0;
    int lost_count = 0;
    int flags = 0;
};
inline constexpr int kLoseBoostFlag = 0x1;

struct CCreatorConfig {
    float grid_full_percents = 0, pipeline_full_percents = 0;
    FPoint chance_boost, chance_boost_2;
    int must_lose_levels = 0;
    FPoint lose_chance_boost;
};

class CElementCreator : public save::CSaveObject
{
public:
    static constexpr int kClassId = 113;
    int Save() override;
    // Reads level, last piece, repeat count, time left and the refusal flag; the tables and rates
    // come back with Restore.
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    // After Load: the tables, rates and bonus flag of the loaded level, the time left as loaded.
    void Restore(const CLevelInfo& level, CCreatorPlayer& player);
    int GetLevel() const { return mLevel; }

    CElementCreator(CPipeline* pipeline, const CGrid* grid);

    static void LoadConfig(const std::vector<AttributeRow>& rows);
    static CCreatorConfig& Config();

    void Begin(const CCreatorLevel& level, CCreatorPlayer& player);
    // With a level definition; throws std::runtime_error for values or tables it cannot run.
    void Begin(const CLevelInfo& level, CCreatorPlayer& player);
    void ApplyPlayerBoosts(const CChanceTable* table, CCreatorPlayer& player);
    // Shifts weight toward the first two ranges by (a, b) of the total; returns false and leaves the
    // table alone when the other ranges cannot give that much.
    static bool Tilt(CChanceTable& table, FPoint ab);
    void Update(float ms);
    bool CreateElement(bool onWater);
    void ForceCreate(int typeId);
    // One draw with the repeat filter, without creating; -1 for no piece.
    int DrawType(const CChanceTable& table);

    void SetEnabled(bool on) { mEnabled = on; }
    // The countdown to the next piece; 0 brings one at the next update.
    void SetTimeLeft(float ms) { mTimeLeft = ms; }
    bool IsEnabled() const { return mEnabled; }
    const CChanceTable& NormalTable() const { return mNormal; }
    const CChanceTable& BoostedTable() const { return mBoosted; }
    int LastElement() const { return mLastElem; }
    int RepeatCount() const { return mRepeatNum; }
    float TimeLeft() const { return mTimeLeft; }
    bool SkippedCreation() const { return mSkipped; }

private:
    bool mEnabled = true;
    CPipeline* mPipeline;
    const CGrid* mGrid;
    CChanceTable mNormal, mBoosted;
    float mSpeed = 0, mGravity = 0, mInterval = 0;
    int mLastElem = -1;
    int mMaxRepeat = 0;
    int mRepeatNum = 0;
    bool mSkipped = false;
    float mTimeLeft = 0;
    bool mBonusLevel = false;
    int mLevel = -1;
};

} // namespace tilvan
