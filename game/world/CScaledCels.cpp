// The stretched cels and the draw that uses them.
#include "world/CScaledCels.h"

#include <algorithm>

#include "board/CElement.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "shell/CImage.h"

namespace tilvan
{

namespace
{

// An aquarium shows each creature at its own size; past this many cels the sizes have changed so often
// that starting afresh costs less than keeping them.
constexpr size_t kMaxCels = 2048;

void MirrorRows(Olvarn::MemoryImage& image)
{
    uint32_t* bits = image.GetBits();
    const int w = image.GetWidth();
    for (int y = 0; y < image.GetHeight(); ++y)
        std::reverse(bits + size_t(y) * size_t(w), bits + size_t(y + 1) * size_t(w));
    image.BitsChanged();
}

} // namespace

CScaledCels::CScaledCels() = default;
CScaledCels::~CScaledCels() = default;

void CScaledCels::Clear()
{
    mCels.clear();
}

CScaledCels& CScaledCels::Instance()
{
    static CScaledCels cels;
    return cels;
}

Olvarn::MemoryImage* CScaledCels::Get(Olvarn::Image* picture, int cell, int w, int h, bool mirrored)
{
    if (!picture || w <= 0 || h <= 0)
        return nullptr;
    const Key key{picture, picture->GetWidth(), picture->GetHeight(), cell, w, h, mirrored};
    auto it = mCels.find(key);
    if (it != mCels.end())
        return it->second.get();
    if (mCels.size() >= kMaxCels)
        mCels.clear();
    auto cel = std::make_unique<Olvarn::MemoryImage>();
    cel->Create(w, h);
    {
        Olvarn::Graphics g(cel.get());
        g.DrawImageRegionScaled(picture, Olvarn::Rect(0, 0, w, h), picture->GetCellRect(cell));
    }
    if (mirrored)
        MirrorRows(*cel);
    return mCels.emplace(key, std::move(cel)).first->second.get();
}

bool CScaledCels::Draw(Olvarn::Graphics& g, CImage& image, int x, int y)
{
    Olvarn::Image* picture = image.GetImage();
    if (!picture || CElement::Uses3D())
        return false;
    const int flags = image.GetFlags();
    if (flags & (CImage::BOX_IMAGE | CImage::SMOOTH_ANIMATION))
        return false;
    if (image.GetSize().x != 0 && image.GetSize().y != 0)
        return false;
    const int cell = image.CurrentCell();
    const Olvarn::Rect source = picture->GetCellRect(cell);
    const int w = int(image.GetDimensions().x), h = int(image.GetDimensions().y);
    const bool mirrored = (flags & CImage::MIRRORED) != 0;
    // At its own size an unmirrored cel is a plain blit already.
    if (!mirrored && w == source.mWidth && h == source.mHeight)
        return false;
    Olvarn::MemoryImage* cel = Instance().Get(picture, cell, w, h, mirrored);
    if (!cel)
        return false;
    if (flags & CImage::CENTER_POS) {
        x -= w / 2;
        y -= h / 2;
    }
    Olvarn::GraphicsStateSaver saver(g);
    if (image.GetAlpha() != 255) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, image.GetAlpha()));
    }
    g.DrawImage(cel, x, y);
    return true;
}

} // namespace tilvan
