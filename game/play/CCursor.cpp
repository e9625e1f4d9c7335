// The cursor's states, its tool picture drawn above every widget, and the carried piece.
#include "play/CCursor.h"

#include <algorithm>

#include "board/CPlayerInfo.h"
#include "graphics/Graphics.h"
#include "play/PlayHooks.h"
#include "shell/GameServices.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kPointer = 0;
constexpr int kHidden = 5;

void ShowPointer()
{
    if (services::AppCursor() == kHidden)
        services::SetAppCursor(kPointer);
}

} // namespace

class CCursor::CCursorWidget : public Olvarn::Widget
{
public:
    explicit CCursorWidget(CCursor& cursor) : cursor(cursor)
    {
        Resize(1023, 767, 1, 1);
        mClipToBounds = false;
    }
    void Draw(Olvarn::Graphics& g) override { cursor.DrawTool(g); }

private:
    CCursor& cursor;
};

CCursor::CCursor() : element(0, 0)
{
    image.SetFlags(kCenterPosFlag);
    widget = std::make_shared<CCursorWidget>(*this);
    if (Olvarn::WidgetManager* widgets = services::Widgets())
        widgets->AddWidget(widget.get());
}

CCursor::~CCursor()
{
    if (Olvarn::WidgetManager* widgets = services::Widgets())
        widgets->RemoveWidget(widget.get());
}

void CCursor::ClearPicture()
{
    if (image.IsAnimatingOnce())
        return;
    ShowPointer();
    image.SetImage(std::string());
}

void CCursor::SetState(int next)
{
    const int old = state;
    if (next == old)
        return;
    if (next == free || next == element_state) {
        if (old != free && old != element_state)
            services::PlaySound("SOUND_BONUS_OFF");
        get_by_octopus = old == octopus && next == element_state;
        ClearPicture();
        if (next == free)
            EmptyElement();
    } else {
        image.AddFlags(kStopAnimationFlag);
        services::SetAppCursor(kHidden);
        image.SetImage(next == hammerfish   ? "IMAGE_GUI_CURSOR_HAMMERFISH"
                       : next == pufferfish ? "IMAGE_GUI_CURSOR_PUFFERFISH"
                                            : "IMAGE_GUI_CURSOR_OCTOPUS");
    }
    state = next;
}

void CCursor::UseBonus()
{
    CallPlayHook("on_bonus_used", CursorStateToBonusKind(state));
    image.PlayAnimationOnce();
}

void CCursor::TurnElement(int delta)
{
    if (!IsCarrying() || element.IsRotating())
        return;
    if (delta < 0)
        element.RotateForward();
    else
        element.RotateBackward();
    services::PlaySound("SOUND_ELEMENT_ROTATION");
}

void CCursor::PutAwayTool()
{
    services::PlaySound("SOUND_BONUS_OFF");
    get_by_octopus = false;
    ClearPicture();
    EmptyElement();
    state = free;
}

void CCursor::RightClick(int, int)
{
    if (IsCarrying()) {
        if (!element.IsRotating()) {
            element.RotateForward();
            services::PlaySound("SOUND_ELEMENT_ROTATION");
        }
    } else if (state != free) {
        PutAwayTool();
    }
}

void CCursor::Reset()
{
    if (state != free && state != element_state)
        ShowPointer();
    state = free;
    EmptyElement();
    get_by_octopus = false;
    image.SetImage(std::string());
}

float CCursor::AnchorLimit(const CElement& piece, int positionIndex)
{
    if (!piece.GetType())
        return kMaxAnchorX;
    const int k = positionIndex % piece.GetPositions();
    const CellMask& mask = piece.GetShapes()[static_cast<size_t>(k)];
    int lastColumn = 0;
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr)
            if (mask[static_cast<size_t>(dc * 5 + dr)])
                lastColumn = dc;
    // A triangle of mask column dc spans dc * 20 .. dc * 20 + 40 from the shape's origin, which lies the
    // shape's centre to the left of the anchor.
    const float cellsRight = (lastColumn + 2) * 20.0f - piece.GetCenters()[static_cast<size_t>(k)].x;
    // Pictures carry margins around their cells; holding a piece back by its picture alone kept the
    // board's rightmost cells out of reach of most pieces on the widest boards.
    return kMaxAnchorX - std::min(piece.GetImageCenter().x, cellsRight);
}

FPoint CCursor::CarriedAnchor() const
{
    return FPoint(std::min(pos.x, AnchorLimit(element, element.GetPositionIndex())), pos.y);
}

void CCursor::Update(float msA, float msB)
{
    if (state != free && state != element_state) {
        services::SetAppCursor(kHidden);
    } else if (!image.IsAnimatingOnce()) {
        image.SetImage(std::string());
        ShowPointer();
    }
    if (Olvarn::WidgetManager* widgets = services::Widgets())
        widgets->BringToFront(widget.get());
    image.Update(msB);
    int x = 0, y = 0;
    if (services::LastMousePosition(x, y))
        pos = FPoint(static_cast<float>(x), static_cast<float>(y));
    if (IsCarrying()) {
        element.SetPosition(CarriedAnchor());
        element.Update(msA, msB);
    } else if (state != free && CPlayerInfo::Instance().GetBonusCount(GetToolSlot()) == 0) {
        PutAwayTool();
    }
}

void CCursor::DrawElement(Olvarn::Graphics& g)
{
    if (!IsCarrying() || !element.GetType())
        return;
    element.SetPosition(CarriedAnchor());
    const FPoint shown = DrawnCarriedPosition();
    const int dx = static_cast<int>(shown.x - element.GetPosition().x);
    const int dy = static_cast<int>(shown.y - element.GetPosition().y);
    g.Translate(dx, dy);
    element.Draw(g);
    g.Translate(-dx, -dy);
}

FPoint CCursor::DrawnCarriedPosition() const
{
    // The board takes a piece's cells one row below its anchor (see CElement::GetMaskOrigin) and
    // moves it there by its turn's offset.
    const FPoint anchor = CarriedAnchor();
    const FPoint extra = element.GetType() ? element.GetOffset() : FPoint();
    return FPoint(anchor.x + extra.x, anchor.y + CElement::kRowHeight + extra.y);
}

void CCursor::DrawTool(Olvarn::Graphics& g)
{
    if (!image.GetImage())
        return;
    // The widget sits at the screen's corner; the picture goes where the mouse is.
    image.DrawAt(g, static_cast<int>(pos.x) - widget->mX, static_cast<int>(pos.y) - widget->mY);
}

} // namespace tilvan
