// The game's push button.
#include "shell/CGameButton.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/GameTiming.h"

namespace tilvan
{

CGameButton::CGameButton(int id, Olvarn::ButtonListener* listener, bool flag_)
    : Olvarn::ButtonWidget(id, listener), flag(flag_)
{
    SetColor(2, Olvarn::Color(255, 255, 255, 255));
}

void CGameButton::Update()
{
    Olvarn::ButtonWidget::Update();
    // The layers' pictures advance in whole updates only, so a replay draws what its recording drew.
    normalLayer.Update(kUpdateStepMs);
    pressLayer.Update(kUpdateStepMs);
    overLayer.Update(kUpdateStepMs);
    if (!(blinkFlags & 1))
        return;
    if (mIsHovered || mIsPressed) {
        blinkTimer = 1000;
        return;
    }
    bool wasLit = lit;
    blinkTimer -= 10;
    if (blinkTimer < 0)
        blinkTimer += 1000;
    lit = blinkTimer < 500;
    if (lit != wasLit)
        Invalidate();
}

void CGameButton::DrawStateImage(Olvarn::Graphics& g, Olvarn::Image* image, const Olvarn::Rect& rect, int x, int y)
{
    if (rect.mWidth != 0) {
        if (mButtonImage)
            g.DrawNineGridRegion(rect, Olvarn::Rect(x, y, rect.mWidth, rect.mHeight), mButtonImage);
    } else if (image) {
        g.DrawNineGrid(Olvarn::Rect(x, y, mWidth, mHeight), image);
    }
}

void CGameButton::DrawLayer(Olvarn::Graphics& g)
{
    if (mIsDisabled) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, 128));
    }
    CImage* layer = &normalLayer;
    if (mIsPressed && pressLayer.GetImage())
        layer = &pressLayer;
    else if (mIsHovered && overLayer.GetImage())
        layer = &overLayer;
    if (layer->GetImage()) {
        const Olvarn::OlvarnVector2& size = layer->GetDimensions();
        layer->DrawAt(g, int(float(mWidth) / 2 - size.x / 2), int(float(mHeight) / 2 - size.y / 2));
    }
    g.SetModulateImages(false);
}

void CGameButton::Draw(Olvarn::Graphics& g)
{
    if (mNoDraw)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    Olvarn::ButtonWidget::Draw(g);
    DrawLayer(g);
}

} // namespace tilvan
