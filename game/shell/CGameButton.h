// The game's push button: the framework button with a blinking highlight, three animated picture
// layers drawn on top, a label colour of its own when disabled, and state images that stretch to
// any button size. It acts on release only.
#pragma once

#include "shell/CImage.h"
#include "widgets/ButtonWidget.h"

namespace tilvan
{

class CGameButton : public Olvarn::ButtonWidget
{
public:
    // The third argument is kept for the callers that pass it; nothing reads it.
    CGameButton(int id, Olvarn::ButtonListener* listener, bool flag = false);

    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    // No press notification: game buttons act on release only.
    void OnMouseDown(int x, int y, int clickCode) override {}
    void DrawStateImage(Olvarn::Graphics& g, Olvarn::Image* image, const Olvarn::Rect& rect, int x, int y) override;

    CImage normalLayer{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    CImage overLayer{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    CImage pressLayer{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    int blinkFlags = 0;
    int blinkTimer = 1000;
    bool lit = false;

protected:
    bool ShowsOverFace() const override { return mIsHovered || mIsPressed || lit; }
    int LabelColorIndex() const override { return mIsDisabled ? 2 : (mIsHovered || lit) ? 1 : 0; }

private:
    void DrawLayer(Olvarn::Graphics& g);

    bool flag;
};

} // namespace tilvan
