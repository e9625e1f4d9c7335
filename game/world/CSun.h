// The sun: a listed light with a turning, pulsing disc and halo whose waves come from the "sun" row.
#pragma once

#include "shell/CImage.h"
#include "world/CLight.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CXmlDataReader;

// One cycle of a triangle wave: from (a) at the start to (b) at the middle and back.
struct CSunWave {
    float a = 0;
    float b = 0;
    int cycle = 0;
    float ValueAt(float t) const;
    // A timer past the cycle starts over; a cycle of 0 or less never wraps.
    float Wrap(float t) const;
};

struct CSunConfig {
    float intensity = 0;
    float acc = 0;
    float back_acc = 0;
    CSunWave scaling, back_scaling, alpha, back_alpha;
};

class CSun : public CLight
{
public:
    CSun(float x, float y);
    ~CSun() override = default;

    void Update(float ms);
    void Draw(Olvarn::Graphics& g);

    float SunScale() const { return sunImage.GetScale(); }
    int SunAlpha() const { return sunImage.GetAlpha(); }
    float HaloScale() const { return haloImage.GetScale(); }
    int HaloAlpha() const { return haloImage.GetAlpha(); }
    float Angle() const { return angle; }
    float ScalingTimer() const { return scalingTimer; }

    static void DeclareConfig(CXmlDataReader& reader);
    static void LoadConfig(CXmlDataReader& reader);
    static CSunConfig& Config();

private:
    CImage sunImage;
    CImage haloImage;
    float angle = 0;
    float haloAngle = 0;
    float scalingTimer = 0;
    float haloScalingTimer = 0;
    float alphaTimer = 0;
    float haloAlphaTimer = 0;
};

} // namespace tilvan
