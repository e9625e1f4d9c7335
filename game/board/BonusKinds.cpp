// The bonus table and the conversions between kinds, tool slots and cursor states.
#include "board/BonusKinds.h"

#include <cctype>

#include "board/CElement.h"
#include "core/Random.h"
#include "data/CXmlDataReader.h"

namespace tilvan
{

namespace
{

std::vector<CBonusRow> gRows;
CBonusServices* gServices = nullptr;
int gTotal = 0;

const CBonusRow* RowOf(int kind)
{
    if (kind < 0 || kind > kBonusGoldy || kind >= static_cast<int>(gRows.size()))
        return nullptr;
    return &gRows[static_cast<size_t>(kind)];
}

} // namespace

int BonusTypeToSlot(int kind)
{
    switch (kind) {
    case kBonusPufferfish:
        return kSlotPufferfish;
    case kBonusSnail:
        return kSlotSnail;
    case kBonusHammerfish:
        return kSlotHammerfish;
    case kBonusOctopus:
        return kSlotOctopus;
    default:
        return kNoSlot;
    }
}

int BonusSlotToType(int slot)
{
    switch (slot) {
    case kSlotPufferfish:
        return kBonusPufferfish;
    case kSlotSnail:
        return kBonusSnail;
    case kSlotHammerfish:
        return kBonusHammerfish;
    case kSlotOctopus:
        return kBonusOctopus;
    default:
        return kBonusNone;
    }
}

int CursorStateToSlot(int state)
{
    switch (state) {
    case kCursorHammerfish:
        return kSlotHammerfish;
    case kCursorPufferfish:
        return kSlotPufferfish;
    case kCursorOctopus:
        return kSlotOctopus;
    default:
        return -1;
    }
}

int SlotToCursorState(int slot)
{
    switch (slot) {
    case kSlotHammerfish:
        return kCursorHammerfish;
    case kSlotPufferfish:
        return kCursorPufferfish;
    case kSlotOctopus:
        return kCursorOctopus;
    default:
        return kCursorFree;
    }
}

int CursorStateToBonusKind(int state)
{
    int slot = CursorStateToSlot(state);
    return slot < 0 ? -1 : BonusSlotToType(slot);
}

void DeclareBonusConfig(CXmlDataReader& reader)
{
    for (const char* name : {"animals", "chance", "cost", "count", "score", "from_level", "min_percent"})
        reader.DeclareAttribute("bonus", name, "");
}

void LoadBonusConfig(CXmlDataReader& reader)
{
    for (int i = 0, n = reader.GetRowCount("bonus"); i < n; ++i) {
        std::string animals;
        int chance = 0, cost = 0, count = 0, score = 0, fromLevel = 0;
        float minPercent = 0;
        reader.GetRow("bonus", i, animals, chance, cost, count, score, fromLevel, minPercent);
        AddBonusRow(animals, chance, cost, count, score, fromLevel, minPercent);
    }
}

void AddBonusRow(const std::string& animals, int chance, int cost, int count, int score, int fromLevel,
                 float minPercent)
{
    CBonusRow row;
    std::string word;
    for (char c : animals + " ") {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            row.animals.push_back(word);
            word.clear();
        }
    }
    // A negative chance would make the ranges overlap; it counts as none.
    if (chance < 0)
        chance = 0;
    row.lo = gTotal;
    gTotal += chance;
    row.hi = gTotal - 1;
    row.from_level = fromLevel - 1 < 0 ? 0 : fromLevel - 1;
    row.min_percent = minPercent;
    row.cost = cost;
    row.count = count;
    row.score = score;
    gRows.push_back(row);
}

void ClearBonusTable()
{
    gRows.clear();
    gTotal = 0;
}

const std::vector<CBonusRow>& BonusTable()
{
    return gRows;
}

int BonusTotalChance()
{
    return gTotal;
}

int GetBonusCost(int kind)
{
    const CBonusRow* row = RowOf(kind);
    return row ? row->cost : 0;
}

int GetBonusCount(int kind)
{
    const CBonusRow* row = RowOf(kind);
    return row ? row->count : 0;
}

int GetBonusScore(int kind)
{
    const CBonusRow* row = RowOf(kind);
    return row ? row->score : 0;
}

void SetBonusServices(CBonusServices* services)
{
    gServices = services;
}

int DrawBonusForNewPiece()
{
    return gServices ? PickRandomBonusKind(gServices->PlayerLevel(), gServices->PipelineFullness()) : kBonusNone;
}

void CollectBonusKind(const CElement& e)
{
    if (gServices)
        gServices->Collect(e, e.GetBonusKind());
}

int PickRandomBonusKind(int levelIndex, float fullness)
{
    if (gTotal <= 0)
        return kBonusNone;
    int result = kBonusNone;
    for (int draw = 0; draw < 20; ++draw) {
        int r = Olvarn::Rand() % gTotal;
        for (size_t kind = 0; kind < gRows.size(); ++kind) {
            const CBonusRow& row = gRows[kind];
            if (r < row.lo || r > row.hi)
                continue;
            if (levelIndex >= row.from_level && row.min_percent <= fullness && kind <= kBonusGoldy)
                result = static_cast<int>(kind);
            break;
        }
    }
    return result;
}

} // namespace tilvan
