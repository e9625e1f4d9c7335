// The timed pearl of a pearl level: its clock, fade and drawing.
#include "board/CPearl.h"

#include <stdexcept>

#include "core/Color.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace tilvan
{

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
