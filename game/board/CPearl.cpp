#include "board/CPearl.h"

#include <stdexcept>

#include "core/Color.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace tilvan
{

namespace
{
int gCycle = 1;
}

int CPearlCreator::GetCycle()
{
    return gCycle;
}
void CPearlCreator::SetCycle(int cycle)
{
    gCycle = cycle;
}

void CPearlCreator::LoadConfig(const std::vector<AttributeRow>& rows)
{
    if (rows.empty())
        return;
    auto it = rows[0].find("cycle");
    int cycle = ParseIntText(it == rows[0].end() ? "" : it->second);
    // Blocks of levels are counted by the cycle; 0 or less would never advance.
    if (cycle < 1)
        throw std::runtime_error("pearl_creator row 0: cycle must be at least 1, not " + std::to_string(cycle));
    gCycle = cycle;
}

CPearlCreator::CPearlCreator(const std::vector<bool>& levelIsBonus)
{
    Reset(levelIsBonus);
}

void CPearlCreator::Reset(const std::vector<bool>& levelIsBonus)
{
    mLevels.clear();
    const int count = static_cast<int>(levelIsBonus.size());
    const int cycle = gCycle;
    if (cycle < 1)
        return;
    for (int b = 0; b < count; b += cycle) {
        bool anyOrdinary = false;
        for (int n = b; n < b + cycle && n < count; ++n)
            anyOrdinary = anyOrdinary || !levelIsBonus[n];
        if (!anyOrdinary)
            continue;
        int n;
        do
            n = Olvarn::Rand() % cycle + b;
        while (n >= count || levelIsBonus[n]);
        mLevels.insert(n);
    }
}

void CPearl::SetPosition(FPoint p)
{
    mPos = p;
    // Scripts read the control's place in whole pixels.
    mControl.SetPosition(static_cast<float>(static_cast<int>(p.x)), static_cast<float>(static_cast<int>(p.y)));
}

void CPearl::Update(float ms)
{
    mControl.Update(ms);
    if (!mShown)
        return;
    mTime -= ms;
    if (mTime <= 0) {
        mShown = false;
        mDead = true;
    }
    mAnimTime += ms;
    if (!mCreationNotified && mTime < 9500) {
        mCreationNotified = true;
        if (BoardEvents())
            BoardEvents()->OnPearlCreation(mControl.id);
    }
}

int CPearl::FadeAlpha(float t)
{
    int alpha;
    if (t < 500)
        alpha = static_cast<int>(t / 500 * 255);
    else if (t > 9500)
        alpha = static_cast<int>((10000 - t) / 500 * 255);
    else
        return -1;
    if (alpha < 0)
        alpha = 0;
    return alpha >= 255 ? -1 : alpha;
}

void CPearl::Draw(Olvarn::Graphics& g)
{
    if (!mShown)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    int alpha = FadeAlpha(mTime);
    if (alpha >= 0) {
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
        g.SetModulateImages(true);
    }
    int x = static_cast<int>(mPos.x), y = static_cast<int>(mPos.y);
    if (Olvarn::Image* glow = FindBoardImage("IMAGE_PEARL_GLOW")) {
        g.SetDrawMode(1);
        double angle = (static_cast<int>(mTime) % 3000) / 3000.0 * 6.28;
        g.DrawImageRotated(glow, static_cast<float>(x - glow->GetWidth() / 2),
                           static_cast<float>(y - glow->GetHeight() / 2), angle);
        g.SetDrawMode(0);
    }
    if (Olvarn::Image* pearl = FindBoardImage(kPearlImageId)) {
        int cell = pearl->GetAnimationCell(static_cast<int>(mAnimTime));
        g.DrawImageCellByIndex(pearl, x - pearl->GetCellWidth() / 2, y - pearl->GetCellHeight() / 2, cell);
    }
    g.SetModulateImages(false);
}

} // namespace tilvan
