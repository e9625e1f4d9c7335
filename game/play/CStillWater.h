// The level's water line as the pipeline floats pieces on it: a level surface at a fixed height,
// drawn as a band of the water picture. The scenery's animated water takes its place when the
// world draws the level.
#pragma once

#include <string>

#include "board/BoardServices.h"
#include "data/CSaveObject.h"

#include "shell/CImage.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CStillWater : public CWaterSurface, public save::CSaveObject
{
public:
    static constexpr int kSurfaceY = 640;
    static constexpr int kClassId = 115;

    // Saved as the world's "water" row (amplitude, line, time), which this line has no wave of.
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    int GetSurfaceY(int) const override { return kSurfaceY; }
    void Update(float ms);
    void DrawBack(Olvarn::Graphics& g);
    void DrawFront(Olvarn::Graphics& g);

private:
    CImage mWave{std::string()};
    float mTime = 0;
};

} // namespace tilvan
