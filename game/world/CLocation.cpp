// The location's pictures, their resource group and the melt.
#include "world/CLocation.h"

#include <algorithm>

#include "core/Random.h"
#include "data/CLevelInfo.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/GameServices.h"
#include "world/SafeMath.h"

namespace tilvan
{

namespace
{

// The location whose resource group is loaded; -1 before any.
int gLoadedLocation = -1;

int LocationNumber(const CLocationInfo* location)
{
    const auto& list = CLevelDefinitions::Instance().locations;
    for (size_t i = 0; i < list.size(); ++i)
        if (&list[i] == location)
            return int(i) + 1;
    return location->number;
}

void SwitchLocationGroup(int number)
{
    if (number == gLoadedLocation)
        return;
    Olvarn::ResourceManager* resources = services::Resources();
    if (resources && gLoadedLocation >= 0)
        resources->UnloadGroup("LOCATION" + std::to_string(gLoadedLocation));
    gLoadedLocation = number;
    if (resources)
        resources->LoadGroup("LOCATION" + std::to_string(number));
}

} // namespace

CMeltStar::CMeltStar(int x, int y, int w, int h)
    : CLayerImage("IMAGE_EFFECTS_STARS", Olvarn::OlvarnVector2(0, 0), 2000), rectX(x), rectY(y), rectWidth(w),
      rectHeight(h)
{
    image.SetScale(0.7f);
    image.AddFlags(CImage::CENTER_POS);
    image.RandomizeTime();
    Place();
}

void CMeltStar::Place()
{
    // A picture without a size has only its corner to twinkle on.
    const int y = rectY + SafeMod(Olvarn::Rand(), rectHeight);
    const int x = rectX + SafeMod(Olvarn::Rand(), rectWidth);
    SetPosition(float(x), float(y));
    image.ResetTime();
    image.RemoveFlags(CImage::STOP_ANIMATION);
    image.PlayAnimationOnce();
}

void CMeltStar::Update(float ms, bool melting)
{
    image.Update(ms);
    if (melting && !image.IsAnimatingOnce())
        Place();
}

CLocation::~CLocation()
{
    meltStars.clear();
    meltingImages.clear();
    images.clear();
}

void CLocation::SetLevel(const CLevelInfo* definition)
{
    if (!definition || !definition->location)
        return;
    SwitchLocationGroup(LocationNumber(definition->location));
    images.clear();
    meltingImages.clear();
    meltStars.clear();
    melting = false;
    meltAlpha = 255;
    const int n = definition->number;
    for (const CLocationImage& entry : definition->location->images) {
        if (entry.max_level != 0 && entry.max_level < n)
            continue;
        auto picture =
            std::make_unique<CLayerImage>(entry.image, Olvarn::OlvarnVector2(entry.pos.x, entry.pos.y), entry.z);
        (entry.max_level == n ? meltingImages : images).push_back(std::move(picture));
    }
    levelIndex = n - 1;
}

void CLocation::Update(float ms)
{
    for (auto& picture : images)
        picture->image.Update(ms);
    for (auto& picture : meltingImages)
        picture->image.Update(ms);
    for (auto& star : meltStars)
        star->Update(ms, melting);
    if (!melting)
        return;
    meltRemaining -= ms;
    if (meltRemaining <= 0) {
        melting = false;
        meltAlpha = 0;
    } else {
        meltAlpha = std::clamp(int(SafeDiv(meltRemaining, float(meltTime)) * 255.0f), 0, 255);
    }
    for (auto& picture : meltingImages)
        picture->image.SetAlpha(meltAlpha);
}

int CLocation::StarsFor(int width, int height)
{
    return std::max(5, width * height / 400);
}

void CLocation::Melt(int ms)
{
    if (melting)
        return;
    if (!meltingImages.empty()) {
        services::PlaySound("SOUND_MELT");
        for (auto& picture : meltingImages) {
            Olvarn::Image* image = picture->image.GetImage();
            const int w = image ? image->GetCellWidth() : 0;
            const int h = image ? image->GetCellHeight() : 0;
            for (int i = StarsFor(w, h); i > 0; --i)
                meltStars.push_back(
                    std::make_unique<CMeltStar>(int(picture->position.x), int(picture->position.y), w, h));
        }
    }
    melting = true;
    meltTime = ms;
    meltRemaining = float(ms);
}

int CLocation::Save()
{
    return save::SaveWriter().WriteRow(kElement, levelIndex);
}

void CLocation::Load(int row)
{
    int index = -1;
    save::SaveReader().GetRow(kElement, row, index);
    SetLevel(GetLevelInfo(index));
}

void CLocation::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    reader.DeclareAttribute(kElement, "level", "");
}

void CLocation::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    writer.DeclareAttribute(kElement, "level");
}

} // namespace tilvan
