// The new-record badge.
#include "records/NewRecordBadge.h"

#include <algorithm>
#include <cmath>

#include "graphics/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "records/RecordsConstants.h"
#include "shell/GameServices.h"

namespace tilvan
{

CNewRecordBadge::CNewRecordBadge() = default;
CNewRecordBadge::~CNewRecordBadge() = default;

bool CNewRecordBadge::Make(const std::string& fontId, const std::string& text)
{
    Olvarn::Font* font = services::FindFont(fontId);
    if (!font)
        return false;
    auto image = std::make_unique<Olvarn::DDImage>();
    image->Create(std::max(font->TextWidth(text), 1), std::max(font->LineSpacing() + font->Height(), 1));
    std::unique_ptr<Olvarn::Graphics> g(image->CreateGraphics());
    g->SetFont(font);
    g->SetColor(Olvarn::Color(255, 255, 255, 255));
    g->DrawString(text, 0, font->Height());
    g.reset();
    mImage = std::move(image);
    return true;
}

int CNewRecordBadge::Alpha(float timeMs, int periodMs, int base, int swing)
{
    // A period of 0 would divide by zero: the badge then stays at its middle brightness.
    if (periodMs <= 0)
        return base;
    double phase = double(int(timeMs) % periodMs) / periodMs * 6.28;
    return int(std::sin(phase) * swing + base);
}

void CNewRecordBadge::Draw(Olvarn::Graphics& g, const CStatisticsLayout& layout, float timeMs, int base, int swing)
{
    if (!mImage || mImage->GetHeight() <= 0)
        return;
    double s = double(layout.new_record_height) / mImage->GetHeight();
    int w = int(mImage->GetWidth() * s), h = int(mImage->GetHeight() * s);
    Olvarn::GraphicsStateSaver saver(g);
    g.SetModulateImages(true);
    g.SetColor(Olvarn::Color(255, 255, 255, Alpha(timeMs, layout.new_record_period, base, swing)));
    g.DrawImageScaled(mImage.get(), int(layout.new_record_pos.x) - w / 2, int(layout.new_record_pos.y) - h / 2, w, h);
}

} // namespace tilvan
