// The push button: a label and up to four state faces (images or cels of one sheet) with a timed
// fade of the mouse-over face, or a grey bevelled face drawn in code.
#pragma once

#include <string>

#include "core/Rect.h"
#include "widgets/Widget.h"

namespace Olvarn
{

class ButtonListener;
class Font;
class Image;

class ButtonWidget : public Widget
{
public:
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void SetDisabled(bool disabled) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseUpAt(int x, int y) override;

    virtual void DrawStateImage(Graphics& g, Image* image, const Rect& rect, int x, int y);
    // Keeps a clone of the font; the caller keeps its own.
    virtual void SetFont(Font* font);
    virtual bool IsShownPressed();

    // A state has a face when its image is set or its cel rectangle has a width.
    static bool HasStateImage(const Image* image, const Rect& rect) { return image || rect.mWidth != 0; }

    int mId = 0;
    std::string mLabel;
    int mLabelJustify = 0;
    Font* mFont = nullptr;
    Image* mButtonImage = nullptr;
    Image* mOverImage = nullptr;
    Image* mDownImage = nullptr;
    Image* mDisabledImage = nullptr;
    Rect mNormalRect;
    Rect mOverRect;
    Rect mDownRect;
    Rect mDisabledRect;
    bool mInverted = false;
    bool mNoDraw = false;
    bool mFrameNoDraw = false;
    ButtonListener* mButtonListener = nullptr;
    double mOverAlpha = 0.0;
    double mOverAlphaFadeOutSpeed = 0.0;
    double mOverAlphaFadeInSpeed = 0.0;

protected:
    // The label font, made on first need as a system font of the given size and character set.
    void EnsureFont(int pointSize, int charSet);
    // Whether entering or leaving changes what the button shows.
    bool HoverChangeShows();
    // Whether the image face shows its over state; a subclass that lights itself adds to this.
    virtual bool ShowsOverFace() const { return mIsHovered || mIsPressed; }
    // Which of the button's colours the label of an image face takes when not pressed.
    virtual int LabelColorIndex() const { return mIsHovered ? 1 : 0; }

private:
    void DrawImageFace(Graphics& g, bool pressed, int x, int y);
    void DrawCodeFace(Graphics& g, bool pressed, int x, int y);
    void DrawLabel(Graphics& g, const Color& color, int x, int y);
};

} // namespace Olvarn
