// The loading screen.
#include "shell/CLoadingScreen.h"

#include <algorithm>

#include "app/OlvarnAppBase.h"
#include "data/CXmlDataReader.h"
#include "data/DataValues.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/GameLog.h"

namespace tilvan
{

namespace
{

constexpr const char* kElement = "loading_image";

Olvarn::Image* FindProgressImage()
{
    Olvarn::ResourceManager* resources = CImage::Resources();
    Olvarn::Image* image = resources ? resources->FindImage(CLoadingScreen::kProgressImage) : nullptr;
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
    // Redrawn every frame: the bar follows the loading thread's counters.
    Invalidate();
    for (CImage& image : images)
        image.Update(fraction * 10.0f);
}

void CLoadingScreen::Draw(Olvarn::Graphics& g)
{
    for (CImage& image : images)
        image.Draw(g);
    DrawBar(g);
}

void CLoadingScreen::DrawBar(Olvarn::Graphics& g)
{
    Olvarn::Image* bar = progressImage;
    if (!bar || !Olvarn::gOlvarnApp)
        return;
    int w = bar->GetWidth();
    int n = int(double(w) * Olvarn::gOlvarnApp->GetLoadingProgress());
    if (n <= 0)
        return;
    // The bar's picture has a rounded end: the part grown so far is drawn from the left of the
    // picture and closed with the picture's own right end, so the fill is round at every width.
    int h = bar->GetHeight();
    int cap = std::min(h / 2 + 1, n / 2);
    int x = BarX(mWidth, w);
    g.DrawImageRegion(bar, x, kBarY, Olvarn::Rect(0, 0, n - cap, h));
    if (cap > 0)
        g.DrawImageRegion(bar, x + n - cap, kBarY, Olvarn::Rect(w - cap, 0, cap, h));
}

} // namespace tilvan
