// A hint: the speech bubble a script attaches to a control, with its text, arrow, pictures and
// optional "show hints" checkbox; it fades in, stays, fades out, and may pause the game meanwhile.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "core/Color.h"
#include "shell/CGuiWindow.h"
#include "shell/CImage.h"
#include "widgets/Widget.h"

namespace Olvarn
{
class Checkbox;
class Font;
} // namespace Olvarn

namespace tilvan
{

class CHint : public Olvarn::Widget
{
public:
    // Darkens the screen behind a pausing hint and swallows clicks for a moment.
    class CShadow : public Olvarn::Widget
    {
    public:
        explicit CShadow(CHint* hint);
        void Update() override;
        void Draw(Olvarn::Graphics& g) override;
        void OnMouseDown(int x, int y, int clickCode) override;

        CHint* hint;
        int blockTime = 700;
    };

    enum EPhase { FADING_IN = 0, SHOWN = 1, FADING_OUT = 2 };

    CHint(int x, int y, int width, int height, const std::string& text, bool pausing, bool withCheckbox, float fadeMs,
          float showMs, bool closeOnMove);
    ~CHint() override;
    CHint(const CHint&) = delete;
    CHint& operator=(const CHint&) = delete;

    void AddImage(const std::string& resourceId, int x, int y);
    // Moves the arrow's tip; the bubble is laid out again before it is next drawn.
    void SetPosition(int x, int y);
    void Close() { closing = true; }
    bool IsClosing() const { return closing; }

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void OnDetached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseDrag(int x, int y) override;

    // The alpha the bubble is drawn with in its current phase.
    int CurrentAlpha() const;
    int BodyHeight() const { return bodyHeight; }

    // Process-wide look of hints, set by the script.
    static void SetFont(Olvarn::Font* font);
    static Olvarn::Font* GetFont();
    static void SetColor(const Olvarn::Color& color);
    static const Olvarn::Color& GetColor();
    static void SetShowHintsText(const std::string& text);
    static const std::string& GetShowHintsText();

    CGuiWindow window;
    std::shared_ptr<CShadow> shadow;
    std::string text;
    bool pausing;
    float fadeTime;
    float fadeDuration;
    float showDuration;
    int phase = FADING_IN;
    bool closing = false;
    float clickBlock = 0;
    Olvarn::Checkbox* checkbox = nullptr;
    std::list<CImage> images;
    CImage back;
    CImage arrow;
    bool closeOnMove;
    float anchorX;
    float anchorY;
    bool layoutDirty = false;

private:
    void Layout();
    void ReleasePause();
    int ArrowInset() const;

    int bodyHeight;
    int pad = 0;
    bool holdsPause = false;
};

} // namespace tilvan
