// The still water: a band below the surface and the animated water picture along it.
#include "play/CStillWater.h"

#include "core/Color.h"
#include "graphics/Graphics.h"
#include "shell/GameServices.h"

namespace tilvan
{

void CStillWater::Update(float ms)
{
    if (!mWave.GetImage())
        mWave.SetImage(kWaterImageId);
    mWave.Update(ms);
    mTime += ms;
}

int CStillWater::Save()
{
    return save::SaveWriter().WriteRow("water", 0, kSurfaceY, mTime);
}

void CStillWater::Load(int row)
{
    int amplitude = 0, y = 0;
    save::SaveReader().GetRow("water", row, amplitude, y, mTime);
}

void CStillWater::DrawBack(Olvarn::Graphics& g)
{
    g.SetColor(Olvarn::Color(18, 52, 96, 255));
    g.FillRect(0, kSurfaceY, services::ScreenWidth(), services::ScreenHeight() - kSurfaceY);
}

void CStillWater::DrawFront(Olvarn::Graphics& g)
{
    if (!mWave.GetImage())
        return;
    int w = static_cast<int>(mWave.GetDimensions().x);
    int h = static_cast<int>(mWave.GetDimensions().y);
    if (w <= 1)
        return;
    for (int x = 0; x < services::ScreenWidth(); x += w)
        mWave.DrawAt(g, x, kSurfaceY - h / 2);
}

} // namespace tilvan
