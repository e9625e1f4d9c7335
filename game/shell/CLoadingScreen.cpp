// The loading screen.
#include "shell/CLoadingScreen.h"

#include "app/OlvarnAppBase.h"
#include "data/CXmlDataReader.h"
#include "data/DataValues.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/GameLog.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

constexpr const char* kElement = "loading_image";

Olvarn::Image* FindProgressImage()
{
    Olvarn::Image* image = services::FindImage(CLoadingScreen::kProgressImage);
    if (!image)
        LogText(std::string("Missing image ") + CLoadingScreen::kProgressImage + ": no loading bar\n");
    return image;
}

} // namespace

std::vector<LoadingImageEntry>& LoadingImages()
{
    static std::vector<LoadingImageEntry> table;
    return table;
}

void ClearLoadingImages()
{
    LoadingImages().clear();
}

void DeclareLoadingImageSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    reader.DeclareAttribute(kElement, "image", "");
    reader.DeclareAttribute(kElement, "pos", "");
}

void LoadLoadingImages(const CXmlDataReader& reader)
{
    int count = reader.GetRowCount(kElement);
    std::vector<LoadingImageEntry>& table = LoadingImages();
    table.reserve(table.size() + size_t(count));
    for (int row = 0; row < count; ++row) {
        LoadingImageEntry entry;
        std::string pos;
        reader.GetRow(kElement, row, entry.image, pos);
        ParseFloatPair(pos.c_str(), entry.pos.x, entry.pos.y);
        table.push_back(entry);
    }
}

CLoadingScreen::CLoadingScreen() : progressImage(FindProgressImage())
{
    for (const LoadingImageEntry& entry : LoadingImages())
        images.emplace_back(entry.image, int(entry.pos.x), int(entry.pos.y));
}

void CLoadingScreen::UpdateFraction(float fraction)
{
    CScreen::UpdateFraction(fraction);
    for (CImage& image : images)
        image.Update(fraction * 10.0f);
    // The bar follows the loading thread's counters and the pictures their clocks, but most frames
    // change neither: only a changed picture is drawn again.
    if (HasChanged())
        Invalidate();
}

bool CLoadingScreen::HasChanged() const
{
    if (shown.size() != images.size() || shownBar != BarWidth())
        return true;
    for (size_t i = 0; i < images.size(); ++i)
        if (shown[i] != images[i].Appearance())
            return true;
    return false;
}

void CLoadingScreen::Draw(Olvarn::Graphics& g)
{
    shown.clear();
    for (CImage& image : images) {
        image.Draw(g);
        shown.push_back(image.Appearance());
    }
    DrawBar(g);
}

int CLoadingScreen::BarWidth() const
{
    if (!progressImage)
        return 0;
    return int(double(progressImage->GetWidth()) * services::LoadingProgress());
}

void CLoadingScreen::DrawBar(Olvarn::Graphics& g)
{
    shownBar = BarWidth();
    if (shownBar > 0)
        g.DrawImageRegion(progressImage, BarX(mWidth, progressImage->GetWidth()), kBarY,
                          Olvarn::Rect(0, 0, shownBar, progressImage->GetHeight()));
}

} // namespace tilvan
