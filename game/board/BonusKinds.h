// The bonus kinds, the bonus table read from the "bonus" rows, and the one conversion between the
// three numberings the game uses: bonus kinds, the player's tool slots and the cursor's tool states.
#pragma once

#include <string>
#include <vector>

namespace tilvan
{

class CXmlDataReader;

enum EBonusKind {
    kBonusNone = 0,
    kBonusPufferfish = 1,
    kBonusHammerfish = 2,
    kBonusSnail = 3,
    kBonusOctopus = 4,
    kBonusCrab = 5,
    kBonusShark = 6,
    kBonusGoldy = 7,
    // Only as a construction argument: draw a kind at random.
    kBonusRandom = 8
};

// The player's tool slots.
enum EToolSlot { kSlotPufferfish = 0, kSlotSnail = 1, kSlotHammerfish = 2, kSlotOctopus = 3, kNoSlot = 4 };

// The cursor's states that carry a tool (the others carry nothing or a piece).
enum ECursorState {
    kCursorFree = 0,
    kCursorElement = 1,
    kCursorHammerfish = 2,
    kCursorPufferfish = 3,
    kCursorOctopus = 4,
    kCursorOctopusElement = 6
};

int BonusTypeToSlot(int kind);
int BonusSlotToType(int slot);
// The tool slot a cursor state uses; -1 for a state without a tool.
int CursorStateToSlot(int state);
// The cursor state that carries a slot's tool; free for the snail (used from the panel) and others.
int SlotToCursorState(int slot);
// The hook code "on_bonus_used" gets for a cursor state: the kind of the tool, -1 without one.
int CursorStateToBonusKind(int state);

struct CBonusRow {
    std::vector<std::string> animals;
    int lo = 0, hi = -1;
    int from_level = 0;
    float min_percent = 0;
    int cost = 0, count = 0, score = 0;
};

void DeclareBonusConfig(CXmlDataReader& reader);
void LoadBonusConfig(CXmlDataReader& reader);
// Appends one row as the "bonus" rows give it (tests and the loader).
void AddBonusRow(const std::string& animals, int chance, int cost, int count, int score, int fromLevel,
                 float minPercent);
void ClearBonusTable();
const std::vector<CBonusRow>& BonusTable();
int BonusTotalChance();

int GetBonusCost(int kind);
int GetBonusCount(int kind);
int GetBonusScore(int kind);

// Twenty draws over the table; the last that qualifies for the level index and pipeline fullness
// counts. The fullness is 1 when no pipeline is published.
int PickRandomBonusKind(int levelIndex, float pipelineFullness);

class CElement;

// What a new piece's random bonus and a collected bonus reach of the game: the player's level and
// record and the current pipeline's fullness. Play installs it; without it, random draws give none
// and collecting only clears the piece's bonus.
class CBonusServices
{
public:
    virtual ~CBonusServices() = default;
    virtual int PlayerLevel() const = 0;
    // The current pipeline's fullness, 1 without a pipeline.
    virtual float PipelineFullness() const = 0;
    // Statistic, creature, score and tool of a collected bonus.
    virtual void Collect(const CElement& e, int kind) = 0;
};
void SetBonusServices(CBonusServices* services);
int DrawBonusForNewPiece();
void CollectBonusKind(const CElement& e);

} // namespace tilvan
