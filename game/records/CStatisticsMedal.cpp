// A statistics medal.
#include "records/CStatisticsMedal.h"

#include <algorithm>

#include "graphics/Graphics.h"
#include "shell/CHintRegistry.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{
const Olvarn::Color kWhite(255, 255, 255, 255);
const Olvarn::Color kInvisible(0, 0, 0, 0);

int Channel(int dim, float c)
{
    return int(float(dim - 255) * c) + 255;
}
} // namespace

CStatisticsMedal::CStatisticsMedal(const CImage& image, const Olvarn::Color& dim, int controlId)
    : mImage(image), mControl(std::make_shared<lua_private::control_id>(controlId)), mColor(dim), mDim(dim)
{
    mImage.AddFlags(CImage::STOP_ANIMATION);
    const Olvarn::OlvarnVector2 position = mImage.GetPosition();
    const Olvarn::OlvarnVector2& size = mImage.GetDimensions();
    int x = int(position.x), y = int(position.y), w = int(size.x), h = int(size.y);
    if (mImage.GetFlags() & CImage::CENTER_POS) {
        x -= w / 2;
        y -= h / 2;
    }
    mRect = Olvarn::Rect(x, y, w, h);
    mControl->SetPosition(float(x + w / 2), float(y + h / 2));
    mControl->SetFlag(true);
}

void CStatisticsMedal::Animate()
{
    mImage.RemoveFlags(CImage::STOP_ANIMATION);
}

void CStatisticsMedal::Award(float durationMs, float delayMs, int soundId)
{
    mAwarded = true;
    mControl->SetFlag(false);
    mSoundId = soundId;
    if (durationMs > 0) {
        mTotal = durationMs;
        mRemaining = durationMs + std::max(delayMs, 0.0f);
        return;
    }
    mColor = kWhite;
    Animate();
}

void CStatisticsMedal::ShowHeld()
{
    mAwarded = true;
    mControl->SetFlag(false);
    mSoundId = -1;
    mColor = kWhite;
    Animate();
}

void CStatisticsMedal::Update(float ms)
{
    mImage.Update(ms);
    mControl->Update(ms);
    if (mTotal == 0)
        return;
    const float total = mTotal;
    if (mRemaining <= 0) {
        mTotal = 0;
        Animate();
        if (mSoundId != -1)
            services::PlaySound(mSoundId);
    }
    const float c = std::clamp(mRemaining / total, 0.0f, 1.0f);
    mColor =
        Olvarn::Color(Channel(mDim.mRed, c), Channel(mDim.mGreen, c), Channel(mDim.mBlue, c), Channel(mDim.mAlpha, c));
    mRemaining -= ms;
}

void CStatisticsMedal::Draw(Olvarn::Graphics& g)
{
    if (mColor == kInvisible)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    if (!(mColor == kWhite)) {
        g.SetModulateImages(true);
        g.SetColor(mColor);
    }
    mImage.Draw(g);
}

void CStatisticsMedal::MouseMove(int x, int y)
{
    const bool inside = mRect.Contains(x, y);
    if (inside && !mHovered) {
        mHovered = true;
        mControl->MouseEnter();
    } else if (!inside && mHovered) {
        mHovered = false;
        mControl->MouseLeave();
    }
}

bool CStatisticsMedal::MouseDown(int x, int y, int screenX, int screenY)
{
    if (!mRect.Contains(x, y))
        return false;
    if (!mHovered) {
        mHovered = true;
        mControl->MouseEnter();
    }
    mControl->Click(screenX, screenY, !mAwarded);
    return true;
}

} // namespace tilvan
