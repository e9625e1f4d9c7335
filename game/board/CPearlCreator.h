// Which levels of a game are pearl levels: one per block of "cycle" levels, never a bonus level.
#pragma once

#include <set>
#include <vector>

#include "board/CElementType.h"
#include "data/CSaveObject.h"

namespace tilvan
{

class CPearlCreator : public save::CSaveObject
{
public:
    static constexpr int kClassId = 117;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    // levelIsBonus: one flag per level of the level list, in order.
    explicit CPearlCreator(const std::vector<bool>& levelIsBonus = {});

    void Reset(const std::vector<bool>& levelIsBonus);
    bool IsPearlLevel(int level) const { return mLevels.count(level) != 0; }
    const std::set<int>& GetLevels() const { return mLevels; }
    void SetLevels(const std::set<int>& levels) { mLevels = levels; }

    // The shared cycle from row 0 of "pearl_creator"; throws std::runtime_error for a cycle below 1.
    static void LoadConfig(const std::vector<AttributeRow>& rows);
    static int GetCycle();
    static void SetCycle(int cycle);

private:
    std::set<int> mLevels;
};

} // namespace tilvan
