// The water's drawing passes, surface and saved row.
#include "world/CWater.h"

#include <algorithm>
#include <cmath>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

std::function<Olvarn::Image*(const std::string&)>& PictureLookup()
{
    static std::function<Olvarn::Image*(const std::string&)> lookup;
    return lookup;
}

Olvarn::Image* FindWavePicture(const std::string& id)
{
    if (PictureLookup())
        return PictureLookup()(id);
    return services::FindImage(id);
}

// More heights than the three rows of the passes means the rows are being drawn at changing sizes;
// the oldest is dropped rather than letting the cache grow.
constexpr size_t kMaxScaledRows = 6;

constexpr const char* kAttributes[] = {"amplitude", "y", "time"};

} // namespace

CWater::CWater() = default;
CWater::~CWater() = default;

void CWater::SetPictureLookup(std::function<Olvarn::Image*(const std::string& id)> lookup)
{
    PictureLookup() = std::move(lookup);
}

Olvarn::Image* CWater::Picture() const
{
    if (night)
        if (Olvarn::Image* image = FindWavePicture(kNightImageId))
            return image;
    return FindWavePicture(kWaterImageId);
}

const Olvarn::MemoryImage* CWater::ScaledRow(Olvarn::Image* image, int destH, int alpha) const
{
    const int w = image->GetCellWidth();
    const int h = image->GetCellHeight();
    for (const CScaledRow& row : scaledRows)
        if (row.source == image && row.celW == w && row.celH == h && row.destH == destH && row.alpha == alpha)
            return row.strip.get();
    if (scaledRows.size() >= kMaxScaledRows)
        scaledRows.erase(scaledRows.begin());
    CScaledRow row{image, w, h, destH, alpha, std::make_unique<Olvarn::MemoryImage>()};
    row.strip->Create(w * kCels, destH);
    {
        Olvarn::Graphics g(row.strip.get());
        for (int cel = 0; cel < kCels; ++cel)
            g.DrawImageRegionScaled(image, Olvarn::Rect(w * cel, 0, w, destH), Olvarn::Rect(w * cel, 0, w - 1, h));
    }
    // The row's opacity in the pixels themselves: drawn untinted, the blit takes its plainest path.
    uint32_t* bits = row.strip->GetBits();
    for (int i = 0, n = w * kCels * destH; i < n; ++i)
        bits[i] = (bits[i] & 0x00FFFFFFu) | uint32_t((bits[i] >> 24) * uint32_t(alpha) / 255u) << 24;
    row.strip->BitsChanged();
    scaledRows.push_back(std::move(row));
    return scaledRows.back().strip.get();
}

int CWater::StartCel(float offsetMs) const
{
    return int((time + offsetMs) / float(kCelMs)) % kCels;
}

void CWater::DrawRow(Olvarn::Graphics& g, Olvarn::Image* image, int alpha, int startX, int destY, int destH,
                     int cel) const
{
    const int w = image->GetCellWidth();
    if (w <= 0 || destH <= 0 || startX > 1024)
        return;
    auto* strip = const_cast<Olvarn::MemoryImage*>(ScaledRow(image, destH, alpha));
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    // The cels follow each other in the strip as along the row, so a row is one blit per wrap.
    int count = (1024 - startX) / w + 1;
    for (int x = startX; count > 0; cel = 0) {
        const int run = std::min(count, kCels - cel);
        g.DrawImageRegion(strip, x, destY, Olvarn::Rect(w * cel, 0, w * run, destH));
        x += w * run;
        count -= run;
    }
}

void CWater::DrawBack(Olvarn::Graphics& g) const
{
    Olvarn::Image* image = Picture();
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
    Olvarn::Image* image = Picture();
    if (!image)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetModulateImages(true);
    DrawRow(g, image, 120, 0, y + 10, image->GetCellHeight(), StartCel(800));
    g.SetModulateImages(false);
}

int CWater::GetSurfaceY(int x) const
{
    Olvarn::Image* image = Picture();
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
