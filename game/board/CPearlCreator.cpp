// Pearl levels: the shared cycle from the property files and the draw of one level per block.
#include "board/CPearlCreator.h"

#include <stdexcept>
#include <string>

#include "core/Random.h"

namespace tilvan
{

namespace
{
int gCycle = 1;
}

int CPearlCreator::GetCycle()
{
    return gCycle;
}
void CPearlCreator::SetCycle(int cycle)
{
    gCycle = cycle;
}

void CPearlCreator::LoadConfig(const std::vector<AttributeRow>& rows)
{
    if (rows.empty())
        return;
    auto it = rows[0].find("cycle");
    int cycle = ParseIntText(it == rows[0].end() ? "" : it->second);
    // Blocks of levels are counted by the cycle; 0 or less would never advance.
    if (cycle < 1)
        throw std::runtime_error("pearl_creator row 0: cycle must be at least 1, not " + std::to_string(cycle));
    gCycle = cycle;
}

CPearlCreator::CPearlCreator(const std::vector<bool>& levelIsBonus)
{
    Reset(levelIsBonus);
}

void CPearlCreator::Reset(const std::vector<bool>& levelIsBonus)
{
    mLevels.clear();
    const int count = static_cast<int>(levelIsBonus.size());
    const int cycle = gCycle;
    if (cycle < 1)
        return;
    for (int b = 0; b < count; b += cycle) {
        bool anyOrdinary = false;
        for (int n = b; n < b + cycle && n < count; ++n)
            anyOrdinary = anyOrdinary || !levelIsBonus[n];
        if (!anyOrdinary)
            continue;
        int n;
        do
            n = Olvarn::Rand() % cycle + b;
        while (n >= count || levelIsBonus[n]);
        mLevels.insert(n);
    }
}

} // namespace tilvan
