// The level's water line as the pipeline floats pieces on it: a level surface at a fixed height,
// drawn as a band of the water picture. The scenery's animated water takes its place when the
// world draws the level.
#pragma once

#include "board/BoardServices.h"
#include <string>

#include "shell/CImage.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CStillWater : public CWaterSurface
{
public:
    static constexpr int kSurfaceY = 640;

    int GetSurfaceY(int) const override { return kSurfaceY; }
    void Update(float ms);
    void DrawBack(Olvarn::Graphics& g);
    void DrawFront(Olvarn::Graphics& g);

private:
    CImage mWave{std::string()};
};

} // namespace tilvan
