// The sun's waves, drawing and configuration row.
#include "world/CSun.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace tilvan
{

namespace
{

constexpr float kDegreesToRadians = 0.017452778f;
constexpr const char* kAttributes[] = {"intensity",    "acc",          "back_acc",          "scaling",
                                       "back_scaling", "scaling_time", "back_scaling_time", "alpha",
                                       "back_alpha",   "alpha_time",   "back_alpha_time"};

} // namespace

float CSunWave::ValueAt(float t) const
{
    if (cycle <= 0)
        return a;
    const float h = float(cycle) / 2.0f;
    if (t >= float(cycle / 2))
        return b + (t - h) * (a - b) / h;
    return a + t * (b - a) / h;
}

float CSunWave::Wrap(float t) const
{
    if (cycle > 0 && t > float(cycle))
        return float(int(t) % cycle);
    return t;
}

CSunConfig& CSun::Config()
{
    static CSunConfig config;
    return config;
}

CSun::CSun(float x_, float y_)
    : CLight(x_, y_, Olvarn::Color(255, 255, 255, int(Config().intensity * 255.0f))), sunImage("IMAGE_SUN"),
      haloImage("IMAGE_SUN_BACK")
{
    sunImage.AddFlags(CImage::CENTER_POS);
    haloImage.AddFlags(CImage::CENTER_POS);
}

void CSun::Update(float ms)
{
    const CSunConfig& c = Config();
    scalingTimer = c.scaling.Wrap(scalingTimer + ms);
    haloScalingTimer = c.back_scaling.Wrap(haloScalingTimer + ms);
    alphaTimer = c.alpha.Wrap(alphaTimer + ms);
    haloAlphaTimer = c.back_alpha.Wrap(haloAlphaTimer + ms);
    sunImage.SetScale(c.scaling.ValueAt(scalingTimer));
    haloImage.SetScale(c.back_scaling.ValueAt(haloScalingTimer));
    sunImage.SetAlpha(int(c.alpha.ValueAt(alphaTimer)));
    haloImage.SetAlpha(int(c.back_alpha.ValueAt(haloAlphaTimer)));
    sunImage.Update(ms);
    haloImage.Update(ms);
    angle += ms * c.acc / 1000.0f;
    haloAngle += ms * c.back_acc / 1000.0f;
}

void CSun::Draw(Olvarn::Graphics& g)
{
    haloImage.DrawRotated(g, int(x), int(y), haloAngle, -1, -1);
    sunImage.DrawRotated(g, int(x), int(y), angle, -1, -1);
}

void CSun::DeclareConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("sun");
    for (const char* a : kAttributes)
        reader.DeclareAttribute("sun", a, "");
}

void CSun::LoadConfig(CXmlDataReader& reader)
{
    const std::vector<std::string>* row = reader.FindRow("sun", 0);
    if (!row)
        return;
    CSunConfig& c = Config();
    // A shorter row keeps the values it does not reach.
    const size_t n = row->size();
    auto text = [&](size_t i) { return (*row)[i].c_str(); };
    if (n > 0)
        c.intensity = ParseFloat(text(0));
    if (n > 1)
        c.acc = ParseFloat(text(1)) * kDegreesToRadians;
    if (n > 2)
        c.back_acc = ParseFloat(text(2)) * kDegreesToRadians;
    if (n > 3)
        ParseFloatPair(text(3), c.scaling.a, c.scaling.b);
    if (n > 4)
        ParseFloatPair(text(4), c.back_scaling.a, c.back_scaling.b);
    if (n > 5)
        c.scaling.cycle = ParseInt(text(5));
    if (n > 6)
        c.back_scaling.cycle = ParseInt(text(6));
    if (n > 7)
        ParseFloatPair(text(7), c.alpha.a, c.alpha.b);
    if (n > 8)
        ParseFloatPair(text(8), c.back_alpha.a, c.back_alpha.b);
    if (n > 9)
        c.alpha.cycle = ParseInt(text(9));
    if (n > 10)
        c.back_alpha.cycle = ParseInt(text(10));
}

} // namespace tilvan
