// The element creator: which piece comes next and when, from the level's chance table.
#include "board/CElementCreator.h"

#include <stdexcept>

#include "board/CElement.h"
#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "core/Random.h"

namespace tilvan
{

namespace
{
CCreatorConfig gConfig;
}

CChanceTable MakeChanceTable(const std::vector<int>& elements, const std::vector<int>& weights, int filterMaxRepeat,
                             const std::string& rowName)
{
    if (elements.size() > weights.size())
        throw std::runtime_error("Elements size is greater then distribution size!");
    CChanceTable table;
    table.filter_max_repeat = filterMaxRepeat;
    for (size_t j = 0; j < elements.size(); ++j) {
        table.ranges.push_back({elements[j], table.total, table.total + weights[j] - 1});
        table.total += weights[j];
    }
    ValidateChanceTable(table, rowName);
    return table;
}

void ValidateChanceTable(const CChanceTable& table, const std::string& rowName)
{
    const int types = static_cast<int>(ElementTypes().size());
    for (const auto& range : table.ranges) {
        if (range.element < 0 || range.element > types)
            throw std::runtime_error(rowName + ": element " + std::to_string(range.element) +
                                     " names no element type (there are " + std::to_string(types) + ")");
        if (range.last < range.first - 1)
            throw std::runtime_error(rowName + ": negative weight for element " + std::to_string(range.element));
    }
    if (table.filter_max_repeat < 0)
        throw std::runtime_error(rowName + ": filter_max_repeat below 0");
}

void ValidateCreatorLevel(const CCreatorLevel& level, const std::string& rowName)
{
    if (!(level.interval > 0))
        throw std::runtime_error(rowName + ": creation time must be above 0");
    if (!(level.speed > 0))
        throw std::runtime_error(rowName + ": fall speed must be above 0");
    if (!(level.gravity >= 0))
        throw std::runtime_error(rowName + ": gravity must not be below 0");
    if (level.table)
        ValidateChanceTable(*level.table, rowName);
}

CCreatorConfig& CElementCreator::Config()
{
    return gConfig;
}

void CElementCreator::LoadConfig(const std::vector<AttributeRow>& rows)
{
    if (rows.empty())
        return;
    const AttributeRow& row = rows[0];
    auto get = [&](const char* key) {
        auto it = row.find(key);
        return it == row.end() ? std::string() : it->second;
    };
    CCreatorConfig c;
    c.grid_full_percents = static_cast<float>(std::atof(get("grid_full_percents").c_str()));
    c.pipeline_full_percents = static_cast<float>(std::atof(get("pipeline_full_percents").c_str()));
    ParseFloatPairInto(get("chance_boost"), c.chance_boost);
    ParseFloatPairInto(get("chance_boost_2"), c.chance_boost_2);
    c.must_lose_levels = ParseIntText(get("must_lose_levels"));
    ParseFloatPairInto(get("lose_chance_boost"), c.lose_chance_boost);
    gConfig = c;
}

CElementCreator::CElementCreator(CPipeline* pipeline, const CGrid* grid) : mPipeline(pipeline), mGrid(grid) {}

void CElementCreator::Begin(const CCreatorLevel& level, CCreatorPlayer& player)
{
    mLastElem = -1;
    mMaxRepeat = -1;
    mLevel = level.number - 1;
    ApplyPlayerBoosts(level.table, player);
    mSpeed = level.speed;
    mGravity = level.gravity;
    mInterval = level.interval;
    mBonusLevel = level.bonus;
    mTimeLeft = mInterval;
}

bool CElementCreator::Tilt(CChanceTable& table, FPoint ab)
{
    if (table.ranges.size() < 2)
        return false;
    std::vector<int> w;
    for (const auto& r : table.ranges)
        w.push_back(r.last - r.first + 1);
    const int T = table.total;
    int rest = T - w[0] - w[1];
    int x = static_cast<int>(T * ab.x), y = static_cast<int>(T * ab.y);
    int rest2 = rest - x - y;
    // The tilt takes its weight from the ranges after the first two; when they have none, or less than
    // asked, the proportions are undefined or negative, and the table stays as it is.
    if (x < 0 || y < 0 || (table.ranges.size() > 2 && (rest <= 0 || rest2 < 0)))
        return false;
    w[0] += x;
    w[1] += y;
    for (size_t i = 2; i < w.size(); ++i)
        w[i] = static_cast<int>(w[i] * (static_cast<float>(rest2) / static_cast<float>(rest)));
    int s = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        table.ranges[i].first = s;
        s += w[i];
        table.ranges[i].last = s - 1;
    }
    table.total = s;
    return true;
}

void CElementCreator::ApplyPlayerBoosts(const CChanceTable* table, CCreatorPlayer& player)
{
    if (!table)
        return;
    mMaxRepeat = table->filter_max_repeat;
    mNormal = *table;
    if (player.lost_level_count >= gConfig.must_lose_levels || (player.flags & kLoseBoostFlag)) {
        player.flags |= kLoseBoostFlag;
        Tilt(mNormal, gConfig.lose_chance_boost);
    }
    mBoosted = mNormal;
    if (player.last_lost_level == player.level) {
        if (player.lost_count >= 2) {
            Tilt(mNormal, gConfig.chance_boost_2);
            mBoosted = mNormal;
        } else if (player.lost_count == 1) {
            Tilt(mBoosted, gConfig.chance_boost);
        }
    }
}

void CElementCreator::Update(float ms)
{
    if (!mPipeline)
        return;
    if (mBonusLevel) {
        if (mPipeline->CanAddBonusElement())
            CreateElement(false);
        return;
    }
    if (mPipeline->get_full_percents() == 0)
        mTimeLeft = 0;
    mTimeLeft -= ms;
    if (mTimeLeft > 0 && !mSkipped)
        return;
    mTimeLeft = mInterval;
    CreateElement(false);
}

int CElementCreator::DrawType(const CChanceTable& table)
{
    if (table.total <= 0)
        return -1;
    int type = -1;
    for (int tries = 0;;) {
        int r = Olvarn::Rand() % table.total;
        type = -1;
        for (const auto& range : table.ranges)
            if (range.first <= r && r <= range.last) {
                type = range.element - 1;
                break;
            }
        if (type == mLastElem && mLastElem != -1 && mRepeatNum >= mMaxRepeat && ++tries < 5)
            continue;
        return type;
    }
}

bool CElementCreator::CreateElement(bool onWater)
{
    if (!mEnabled || !mPipeline)
        return false;
    bool boosted = mGrid && mGrid->GetCompletion() >= gConfig.grid_full_percents &&
                   mPipeline->get_full_percents() >= gConfig.pipeline_full_percents;
    const CChanceTable& table = boosted ? mBoosted : mNormal;
    // The table drawn from is the one that must hold weight.
    if (table.total <= 0)
        return false;
    mSkipped = false;
    int type = DrawType(table);
    if (type < 0)
        return false;
    bool taken;
    if (mBonusLevel)
        taken = mPipeline->AddBonusElement(CElement(type, 0));
    else
        taken = mPipeline->AddElement(CElement(type, 8), mSpeed, mGravity, onWater);
    if (type == mLastElem) {
        ++mRepeatNum;
    } else {
        mLastElem = type;
        mRepeatNum = 0;
    }
    if (!taken)
        mSkipped = true;
    return taken;
}

void CElementCreator::ForceCreate(int typeId)
{
    if (mPipeline)
        mPipeline->AddElement(CElement(typeId, 8), mSpeed, mGravity, false);
}

} // namespace tilvan
