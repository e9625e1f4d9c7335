// One medal of the level statistics window: its picture, the fade from dim to white when it is
// awarded, the sound at the end of the fade, and the script control that hovering and clicks reach.
#pragma once

#include <memory>

#include "core/Color.h"
#include "core/Rect.h"
#include "shell/CImage.h"

namespace tilvan
{

namespace lua_private
{
class control_id;
}

class CStatisticsMedal
{
public:
    // The picture is copied and held still; dim is its tint until it is held or awarded.
    CStatisticsMedal(const CImage& image, const Olvarn::Color& dim, int controlId);

    // Fades to white over duration ms after delay ms and plays the sound then; duration 0 is at once.
    void Award(float durationMs, float delayMs, int soundId);
    // A medal the profile holds already: white and moving from the start, without a sound.
    void ShowHeld();
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    void MouseMove(int x, int y);
    // True when the point is on the medal; the control hears the click at the screen point.
    bool MouseDown(int x, int y, int screenX, int screenY);

    bool IsAwarded() const { return mAwarded; }
    bool IsFading() const { return mTotal != 0; }
    bool IsAnimating() const { return !(mImage.GetFlags() & CImage::STOP_ANIMATION); }
    const Olvarn::Color& GetColor() const { return mColor; }
    void SetColor(const Olvarn::Color& color) { mColor = color; }
    const Olvarn::Rect& GetRect() const { return mRect; }
    const lua_private::control_id& Control() const { return *mControl; }

private:
    void Animate();

    float mRemaining = 0;
    float mTotal = 0;
    CImage mImage;
    bool mHovered = false;
    bool mAwarded = false;
    int mSoundId = -1;
    std::shared_ptr<lua_private::control_id> mControl;
    Olvarn::Color mColor;
    Olvarn::Color mDim;
    Olvarn::Rect mRect;
};

} // namespace tilvan
