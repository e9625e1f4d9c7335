// Small element types and a flat water for the board tests.
#pragma once

#include <string>
#include <vector>

#include "board/BoardServices.h"
#include "board/CElementType.h"
#include "core/Random.h"

namespace boardtest
{

// Type 0: one up triangle (positions 2: the second position is the down triangle at column 1).
// Type 1: a diamond of two cells in a row. Type 2: a bar of four cells. Type 3: a hexagon.
inline void LoadTestTypes()
{
    tilvan::ClearElementTypes();
    auto row = [](const std::string& g1, const std::string& g2, const std::string& c1, const std::string& c2,
                  int positions) {
        tilvan::AttributeRow r;
        for (int k = 0; k < 6; ++k) {
            r["grid" + std::to_string(k + 1)] = k % 2 ? g2 : g1;
            r["center" + std::to_string(k + 1)] = k % 2 ? c2 : c1;
        }
        r["positions"] = std::to_string(positions);
        r["image_center"] = "20 20";
        r["score"] = "10";
        r["sink_depth"] = "5";
        return r;
    };
    tilvan::LoadElementTypes(
        {row("10000", "01000", "20 23", "40 12", 2), row("11000", "10000 10000", "30 17", "20 35", 2),
         row("11110", "11110", "50 17", "50 17", 1), row("11100 11100", "11100 11100", "40 35", "40 35", 1)},
        {});
}

class FlatWater : public tilvan::CWaterSurface
{
public:
    explicit FlatWater(int y = 600) : mY(y) {}
    int GetSurfaceY(int) const override { return mY; }

private:
    int mY;
};

struct CountingEvents : tilvan::CBoardEvents {
    int inserted = 0, failed = 0, pearls = 0, created = 0, dropped = 0, score = 0;
    void OnInsertElement(const tilvan::CElement&, bool ok) override { ok ? ++inserted : ++failed; }
    void OnPearlCollected() override { ++pearls; }
    void OnCreateElement(const tilvan::CElement&) override { ++created; }
    void OnDropElement(const tilvan::CElement&) override { ++dropped; }
    void AddScore(int s) override { score += s; }
    int crabReached = 0, crabDone = 0;
    void OnCrabReached(const tilvan::CElement&) override { ++crabReached; }
    void OnCrabDone() override { ++crabDone; }
};

} // namespace boardtest
