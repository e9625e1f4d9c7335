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
#include "shell/GameServices.h"
#include "shell/GameTiming.h"

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

void CLoadingScreen::Update()
{
    CScreen::Update();
    for (CImage& image : images)
        image.Update(kUpdateStepMs);
    // The bar follows the loading thread's counters and the pictures their clocks, but most frames
    // change neither: only a changed picture is drawn again, and a grown bar alone only where it is.
    if (PicturesChanged())
        Invalidate();
    else if (shownBar != BarWidth() && progressImage)
        InvalidateRect(Olvarn::Rect(BarX(mWidth, progressImage->GetWidth()), kBarY, progressImage->GetWidth(),
                                    progressImage->GetHeight()));
}

bool CLoadingScreen::PicturesChanged() const
{
    if (shown.size() != images.size() || shownBar < 0)
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
    int n = shownBar;
    if (n <= 0)
        return;
    // The bar's picture has a rounded end: the part grown so far is drawn from the left of the
    // picture and closed with the picture's own right end, so the fill is round at every width.
    Olvarn::Image* bar = progressImage;
    int w = bar->GetWidth();
    int h = bar->GetHeight();
    int cap = std::min(h / 2 + 1, n / 2);
    int x = BarX(mWidth, w);
    g.DrawImageRegion(bar, x, kBarY, Olvarn::Rect(0, 0, n - cap, h));
    if (cap > 0)
        g.DrawImageRegion(bar, x + n - cap, kBarY, Olvarn::Rect(w - cap, 0, cap, h));
}

} // namespace tilvan
