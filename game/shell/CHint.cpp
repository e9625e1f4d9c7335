// Hints: the speech bubbles scripts attach to controls, and the shadow behind a pausing one.
#include "shell/CHint.h"

#include <algorithm>

#include "data/CStringTable.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "shell/CHintRegistry.h"
#include "shell/GameServices.h"
#include "shell/GameTiming.h"
#include "widgets/Checkbox.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

// Box and arrow overlap by this many pixels so the bubble reads as one shape.
constexpr int kArrowOverlap = 9;
constexpr int kArrowMargin = 5;
constexpr int kClickBlockMs = 700;
constexpr int kLayoutScreenWidth = 1024;

struct CHintLook {
    Olvarn::Font* font = nullptr;
    Olvarn::Color color{10, 79, 130, 255};
    std::string showHintsText;
};

CHintLook& Look()
{
    static CHintLook look;
    return look;
}

bool IsLeftClick(int clickCode)
{
    return clickCode == 1 || clickCode == 2;
}

} // namespace

CHint::CShadow::CShadow(CHint* owner) : hint(owner)
{
    Resize(0, 0, services::ScreenWidth(), services::ScreenHeight());
}

void CHint::CShadow::Update()
{
    blockTime = std::max(0, blockTime - 10);
}

void CHint::CShadow::Draw(Olvarn::Graphics& g)
{
    g.SetColor(Olvarn::Color(0, 0, 0, 64));
    g.FillRect(0, 0, mWidth, mHeight);
}

void CHint::CShadow::OnMouseDown(int, int, int clickCode)
{
    int count = ClickCountForClickCode(clickCode);
    if ((count == 1 || count == 2) && blockTime <= 0)
        hint->Close();
}

CHint::CHint(int x, int y, int width, int height, const std::string& text_, bool pausing_, bool withCheckbox,
             float fadeMs, float showMs, bool closeOnMove_)
    : window("hint"), text(GetStringTable().Expand(text_)), pausing(pausing_), fadeTime(fadeMs), fadeDuration(fadeMs),
      showDuration(showMs), back("IMAGE_GUI_HINTS_BACK"), arrow("IMAGE_GUI_HINTS_ARROW"), closeOnMove(closeOnMove_),
      anchorX(float(x)), anchorY(float(y)), bodyHeight(height)
{
    if (Olvarn::Font* font = GetFont()) {
        pad = font->Height() / 2;
        Olvarn::Graphics measure;
        measure.SetFont(font);
        int needed = measure.MeasureWrappedHeight(width - 2 * pad, text, font->LineSpacing()) + 2 * pad;
        bodyHeight = std::max(bodyHeight, needed);
    }
    if (pausing) {
        services::PlaySound("SOUND_PAUSE_HINT_CREATED");
        services::AddScreenPause(true);
        holdsPause = true;
        shadow = std::make_shared<CShadow>(this);
        clickBlock = float(kClickBlockMs);
    } else {
        services::PlaySound("SOUND_HINT_CREATED");
    }
    Resize(0, 0, width, bodyHeight + int(arrow.GetDimensions().y) - kArrowOverlap);
    if (withCheckbox && window.CreateCheckbox(checkbox, "checkbox"))
        checkbox->SetChecked(CHintRegistry::Instance().ShowHints(), false);
    back.SetSize(width, bodyHeight);
    back.AddFlags(CImage::BOX_IMAGE);
    Layout();
    if (Olvarn::WidgetManager* manager = services::WidgetManager())
        manager->AddWidget(this);
}

CHint::~CHint()
{
    if (checkbox)
        CHintRegistry::Instance().SetShowHints(checkbox->IsChecked());
    if (mManager)
        mManager->RemoveWidget(this);
    ReleasePause();
}

void CHint::ReleasePause()
{
    if (holdsPause) {
        services::AddScreenPause(false);
        holdsPause = false;
    }
    pausing = false;
}

void CHint::AddImage(const std::string& resourceId, int x, int y)
{
    images.emplace_back(resourceId, x, y);
}

void CHint::SetPosition(int x, int y)
{
    if (float(x) == anchorX && float(y) == anchorY)
        return;
    anchorX = float(x);
    anchorY = float(y);
    layoutDirty = true;
}

int CHint::ArrowInset() const
{
    return int(arrow.GetDimensions().y - kArrowOverlap);
}

void CHint::Layout()
{
    int a = ArrowInset();
    int top = int(anchorY - float(a) - float(bodyHeight));
    int widgetY;
    if (top < 0) {
        // No room above the control: the bubble hangs below it with the arrow pointing up.
        widgetY = int(anchorY);
        mInsets.mTop = a;
        mInsets.mBottom = 0;
        arrow.SetImage("IMAGE_GUI_HINTS_ARROWUP");
        back.SetPosition(0, a);
        arrow.SetPosition(int(arrow.GetPosition().x), 0);
    } else {
        widgetY = top;
        mInsets.mTop = 0;
        mInsets.mBottom = a;
        arrow.SetImage("IMAGE_GUI_HINTS_ARROW");
        back.SetPosition(0, 0);
        arrow.SetPosition(int(arrow.GetPosition().x), a + bodyHeight - int(arrow.GetDimensions().y));
    }
    int widgetX;
    int arrowY = int(arrow.GetPosition().y);
    if (int(anchorX + float(mWidth) - kArrowMargin) < kLayoutScreenWidth) {
        arrow.AddFlags(CImage::MIRRORED);
        arrow.SetPosition(kArrowMargin, arrowY);
        widgetX = int(anchorX) - kArrowMargin;
    } else {
        arrow.RemoveFlags(CImage::MIRRORED);
        arrow.SetPosition(mWidth - int(arrow.GetDimensions().x) - kArrowMargin, arrowY);
        widgetX = int(anchorX) - mWidth + kArrowMargin;
    }
    Resize(widgetX, widgetY, mWidth, mHeight);
    if (checkbox) {
        int backX = int(back.GetPosition().x), backY = int(back.GetPosition().y);
        checkbox->Resize(widgetX + backX + checkbox->mWidth / 2,
                         widgetY + backY + bodyHeight - (4 * checkbox->mHeight) / 3, checkbox->mWidth,
                         checkbox->mHeight);
    }
}

void CHint::OnAttached(Olvarn::WidgetManager* manager)
{
    Olvarn::Widget::OnAttached(manager);
    window.AddWidgetsToManager(manager);
    if (shadow) {
        manager->AddWidget(shadow.get());
        manager->MoveBehind(shadow.get(), this);
    }
}

void CHint::OnDetached(Olvarn::WidgetManager* manager)
{
    window.RemoveWidgetsFromManager(manager);
    if (shadow)
        manager->RemoveWidget(shadow.get());
    Olvarn::Widget::OnDetached(manager);
}

void CHint::Update()
{
    Olvarn::Widget::Update();
    // The fade decides when a pausing hint lets the game go on: it runs in whole updates only.
    const float ms = kUpdateStepMs;
    Invalidate();
    clickBlock = std::max(0.0f, clickBlock - ms);
    fadeTime -= ms;
    if (fadeTime <= 0) {
        fadeTime = 0;
        if (phase == FADING_IN) {
            phase = SHOWN;
            fadeTime = showDuration;
        } else if (phase == SHOWN) {
            // A show time of 0 keeps the hint until it is closed.
            if (showDuration != 0) {
                phase = FADING_OUT;
                fadeTime = fadeDuration;
            }
        } else {
            closing = true;
        }
    }
    for (CImage& image : images)
        image.Update(ms);
    if (closing && pausing)
        ReleasePause();
}

int CHint::CurrentAlpha() const
{
    if (phase == SHOWN)
        return 255;
    int c = fadeDuration == 0 ? 0 : std::clamp(int(fadeTime / fadeDuration * 255.0f), 0, 255);
    return phase == FADING_IN ? 255 - c : c;
}

void CHint::Draw(Olvarn::Graphics& g)
{
    if (layoutDirty) {
        Layout();
        layoutDirty = false;
    }
    if (phase == FADING_OUT && fadeTime <= 0)
        return;
    int alpha = CurrentAlpha();
    {
        Olvarn::GraphicsStateSaver saver(g);
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
        g.SetModulateImages(true);
        back.Draw(g);
        arrow.Draw(g);
        for (CImage& image : images)
            image.Draw(g);
        window.DrawWindow(g);
    }
    Olvarn::Font* font = GetFont();
    if (!font)
        return;
    g.SetFont(font);
    g.SetColor(Olvarn::Color(0, 0, 0, alpha));
    int backX = int(back.GetPosition().x), backY = int(back.GetPosition().y);
    DrawWrappedText(g, Olvarn::Rect(backX + pad, backY + pad, mWidth - 2 * pad, mHeight), text, font->LineSpacing(),
                    -1);
    if (checkbox)
        g.DrawString(GetShowHintsText(), checkbox->mX - mX + checkbox->mWidth + 5,
                     checkbox->mY - mY + checkbox->mHeight - 5);
}

void CHint::OnMouseMove(int, int)
{
    if (!pausing && closeOnMove)
        closing = true;
}

void CHint::OnMouseDrag(int, int)
{
    if (!pausing && closeOnMove)
        closing = true;
}

void CHint::OnMouseDown(int, int, int clickCode)
{
    if (IsLeftClick(clickCode) && clickBlock <= 0)
        closing = true;
}

void CHint::SetFont(Olvarn::Font* font)
{
    Look().font = font;
}

Olvarn::Font* CHint::GetFont()
{
    return Look().font;
}

void CHint::SetColor(const Olvarn::Color& color)
{
    Look().color = color;
}

const Olvarn::Color& CHint::GetColor()
{
    return Look().color;
}

void CHint::SetShowHintsText(const std::string& text)
{
    Look().showHintsText = GetStringTable().Expand(text);
}

const std::string& CHint::GetShowHintsText()
{
    return Look().showHintsText;
}

} // namespace tilvan
