// The player's record: score and pearls, tools, counters, the level statistic and the snapshot.
#include "board/CPlayerInfo.h"

#include <cstdio>

#include "board/BonusKinds.h"
#include "data/CLevelInfo.h"
#include "data/DataCodecs.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

namespace
{

int gScoreToPearl = 5000;
CPlayerInfo::PearlHook gPearlHook;

std::vector<bool> BonusFlagsOfLevels()
{
    std::vector<bool> flags;
    for (const CLevelInfo& level : CLevelDefinitions::Instance().levels)
        flags.push_back(level.bonus);
    return flags;
}

bool ValidSlot(int slot)
{
    return slot >= 0 && slot < 4;
}

// Four numbers, each followed by one blank, and one blank more.
template <typename T> std::string FourText(const std::array<T, 4>& values)
{
    std::string text;
    for (T v : values)
        text += std::to_string(static_cast<int>(v)) + " ";
    return text + " ";
}

template <typename T> std::array<T, 4> ParseFour(const std::string& text)
{
    std::vector<int> list;
    ParseIntList(text, list);
    std::array<T, 4> out{};
    for (size_t i = 0; i < 4 && i < list.size(); ++i)
        out[i] = static_cast<T>(list[i]);
    return out;
}

} // namespace

std::string FormatStatistic(const CLevelStatistic& s)
{
    char text[64];
    std::snprintf(text, sizeof text, "%i %i %f %i %i %i %i", s.score, s.pearls, static_cast<double>(s.time), s.bonuses,
                  s.bonus_lost ? 1 : 0, s.bonus_used ? 1 : 0, s.feedback ? 1 : 0);
    return text;
}

CLevelStatistic ParseStatistic(const std::string& text)
{
    CLevelStatistic s;
    int lost = 0, used = 0, feedback = 0;
    std::sscanf(text.c_str(), "%i %i %f %i %i %i %i", &s.score, &s.pearls, &s.time, &s.bonuses, &lost, &used,
                &feedback);
    s.bonus_lost = lost != 0;
    s.bonus_used = used != 0;
    s.feedback = feedback != 0;
    return s;
}

CPlayerInfo& CPlayerInfo::Instance()
{
    static CPlayerInfo player;
    return player;
}

CPlayerInfo::CPlayerInfo() : pearl_creator(BonusFlagsOfLevels()) {}

void CPlayerInfo::SetScoreToPearl(int score)
{
    gScoreToPearl = score;
}

int CPlayerInfo::ScoreToPearl()
{
    return gScoreToPearl;
}

void CPlayerInfo::SetPearlHook(PearlHook hook)
{
    gPearlHook = std::move(hook);
}

CLevelStartSnapshot& CPlayerInfo::Snapshot()
{
    static CLevelStartSnapshot snapshot;
    return snapshot;
}

void CPlayerInfo::Reset()
{
    for (int slot = 0; slot < 4; ++slot) {
        bonus_used[static_cast<size_t>(slot)] = false;
        bonus_count[static_cast<size_t>(slot)] = ::tilvan::GetBonusCount(BonusSlotToType(slot));
    }
    start_level = score = level = points = fire_level = free_space = elements_num = 0;
    lost_count = lost_level_count = consecutively_win_count = flags = 0;
    is_bonus_level = new_record = false;
    custom_data.clear();
    statistic = CLevelStatistic();
    currentLevel = nullptr;
    last_lost_level = -1;
    pearl_creator.Reset(BonusFlagsOfLevels());
}

void CPlayerInfo::AddScore(int amount, bool withPearls)
{
    statistic.score += amount;
    int old = score;
    score = old + amount;
    // A "player" group without a usable score per pearl earns no pearls rather than dividing by 0.
    if (!withPearls || gScoreToPearl <= 0)
        return;
    int n = score / gScoreToPearl - old / gScoreToPearl;
    if (n == 0)
        return;
    if (n > 0)
        statistic.pearls += n;
    points += n;
    if (gPearlHook)
        gPearlHook(points);
    if (currentLevel)
        currentLevel->OnScorePearls(n);
}

void CPlayerInfo::AddPearls(int n)
{
    points += n;
    if (n > 0)
        statistic.pearls += n;
}

int CPlayerInfo::GetBonusCount(int slot) const
{
    return ValidSlot(slot) ? bonus_count[static_cast<size_t>(slot)] : 0;
}

void CPlayerInfo::AddBonusCount(int slot, int n)
{
    if (!ValidSlot(slot))
        return;
    int& c = bonus_count[static_cast<size_t>(slot)];
    c += n;
    if (c < 0)
        c = 0;
}

bool CPlayerInfo::CanAffordBonus(int slot) const
{
    return points >= ::tilvan::GetBonusCost(BonusSlotToType(slot));
}

void CPlayerInfo::BuyBonus(int slot)
{
    int cost = ::tilvan::GetBonusCost(BonusSlotToType(slot));
    if (points < cost)
        return;
    points -= cost;
    AddBonusCount(slot, 1);
}

bool CPlayerInfo::IsBonusUsed(int slot) const
{
    return ValidSlot(slot) && bonus_used[static_cast<size_t>(slot)];
}

void CPlayerInfo::SetBonusUsed(int slot)
{
    if (ValidSlot(slot))
        bonus_used[static_cast<size_t>(slot)] = true;
    statistic.bonus_used = true;
}

void CPlayerInfo::StartLevel()
{
    flags |= level_in_progress;
    statistic = CLevelStatistic();
}

void CPlayerInfo::EndLevel(bool won)
{
    if (!(flags & level_in_progress))
        return;
    if (won) {
        ++consecutively_win_count;
        lost_level_count = 0;
        lost_count = 0;
    } else {
        consecutively_win_count = 0;
        if (level != last_lost_level) {
            if (level - last_lost_level == 1)
                ++lost_level_count;
            else
                lost_level_count = 0;
            last_lost_level = level;
            lost_count = 0;
        }
        ++lost_count;
    }
    flags &= ~level_in_progress;
}

void CPlayerInfo::TakeLevelStartSnapshot()
{
    CLevelStartSnapshot& s = Snapshot();
    s.fire_level = fire_level;
    s.score = score;
    s.level = level;
    s.is_bonus_level = is_bonus_level;
    s.points = points;
    s.free_space = free_space;
    s.elements_num = elements_num;
    s.bonus_count = bonus_count;
}

void CPlayerInfo::RestoreLevelStartSnapshot()
{
    const CLevelStartSnapshot& s = Snapshot();
    fire_level = s.fire_level;
    score = s.score;
    level = s.level;
    is_bonus_level = s.is_bonus_level;
    points = s.points;
    free_space = s.free_space;
    elements_num = s.elements_num;
    bonus_count = s.bonus_count;
}

CCreatorPlayer CPlayerInfo::CreatorView() const
{
    CCreatorPlayer view;
    view.lost_level_count = lost_level_count;
    view.last_lost_level = last_lost_level;
    view.level = level;
    view.lost_count = lost_count;
    view.flags = flags;
    return view;
}

int CPlayerInfo::Save()
{
    const CLevelStartSnapshot& s = Snapshot();
    std::vector<int> custom(custom_data.begin(), custom_data.end());
    return SaveWriter().WriteRow("player", FormatStatistic(statistic), consecutively_win_count, flags, lost_level_count,
                                 save::Child(pearl_creator), name, last_lost_level, lost_count, score, level,
                                 is_bonus_level, points, fire_level, free_space, elements_num, FourText(bonus_count),
                                 FourText(bonus_used), IntListText(custom), s.fire_level, s.score, s.level,
                                 s.is_bonus_level, s.points, s.free_space, s.elements_num, FourText(s.bonus_count),
                                 start_level);
}

void CPlayerInfo::Load(int row)
{
    new_record = false;
    CLevelStartSnapshot& s = Snapshot();
    std::string stat, pearls, counts, used, custom, savedCounts;
    SaveReader().GetRow("player", row, stat, consecutively_win_count, flags, lost_level_count, pearls, name,
                        last_lost_level, lost_count, score, level, is_bonus_level, points, fire_level, free_space,
                        elements_num, counts, used, custom, s.fire_level, s.score, s.level, s.is_bonus_level, s.points,
                        s.free_space, s.elements_num, savedCounts, start_level);
    statistic = ParseStatistic(stat);
    // The pearl levels are a child "pearl_creator" row; an older save carries the list inline, which
    // always ends in a blank. Both load, and the child row is what is written.
    if (pearls.find(' ') != std::string::npos) {
        std::vector<int> list;
        ParseIntList(pearls, list);
        pearl_creator.SetLevels(std::set<int>(list.begin(), list.end()));
    } else if (!pearls.empty()) {
        save::LoadChildObject(pearls, pearl_creator);
    }
    bonus_count = ParseFour<int>(counts);
    bonus_used = ParseFour<bool>(used);
    s.bonus_count = ParseFour<int>(savedCounts);
    std::vector<int> list;
    ParseIntList(custom, list);
    custom_data = std::set<int>(list.begin(), list.end());
}

} // namespace tilvan
