// The water's drawing passes, surface and saved row.
#include "world/CWater.h"

#include <cmath>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

std::function<Olvarn::Image*()>& PictureLookup()
{
    static std::function<Olvarn::Image*()> lookup;
    return lookup;
}

Olvarn::Image* WavePicture()
{
    if (PictureLookup())
        return PictureLookup()();
    return services::FindImage(kWaterImageId);
}

constexpr const char* kAttributes[] = {"amplitude", "y", "time"};

} // namespace

void CWater::SetPictureLookup(std::function<Olvarn::Image*()> lookup)
{
    PictureLookup() = std::move(lookup);
}

int CWater::StartCel(float offsetMs) const
{
    return int((time + offsetMs) / float(kCelMs)) % kCels;
}

void CWater::DrawRow(Olvarn::Graphics& g, Olvarn::Image* image, int alpha, int startX, int destY, int destH,
                     int cel) const
{
    const int w = image->GetCellWidth();
    const int h = image->GetCellHeight();
    if (w <= 0)
        return;
    g.SetColor(Olvarn::Color(255, 255, 255, alpha));
    for (int x = startX; x <= 1024; x += w, cel = (cel + 1) % kCels)
        g.DrawImageRegionScaled(image, Olvarn::Rect(x, destY, w, destH), Olvarn::Rect(w * cel, 0, w - 1, h));
}

void CWater::DrawBack(Olvarn::Graphics& g) const
{
    Olvarn::Image* image = WavePicture();
    if (!image)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetModulateImages(true);
    const int h = image->GetCellHeight();
    DrawRow(g, image, 120, -100, y - 5, int(float(h) * 0.7f), StartCel(400));
    DrawRow(g, image, 200, -252, y, int(float(h) * 0.85f), StartCel(0));
    g.SetModulateImages(false);
}

void CWater::DrawFront(Olvarn::Graphics& g) const
{
    Olvarn::Image* image = WavePicture();
    if (!image)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetModulateImages(true);
    DrawRow(g, image, 120, 0, y + 10, image->GetCellHeight(), StartCel(800));
    g.SetModulateImages(false);
}

int CWater::GetSurfaceY(int x) const
{
    Olvarn::Image* image = WavePicture();
    if (!image || image->GetCellWidth() <= 0)
        return -1;
    const int w = image->GetCellWidth();
    const int k = (x / w + int(time) / kCelMs) % kCels;
    const float a = float(amplitude) * std::cos(float(k) * 6.283f / 22.0f);
    const float b = std::cos(float(x - 48 % w) / float(w) * 12.566f);
    return y + amplitude + 10 - int(b * a);
}

int CWater::Save()
{
    return save::SaveWriter().WriteRow(kElement, amplitude, y, time);
}

void CWater::Load(int row)
{
    save::SaveReader().GetRow(kElement, row, amplitude, y, time);
}

void CWater::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    for (const char* a : kAttributes)
        reader.DeclareAttribute(kElement, a, "");
}

void CWater::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    for (const char* a : kAttributes)
        writer.DeclareAttribute(kElement, a);
}

} // namespace tilvan
