// The player's hand during play: carries one piece or one bonus tool, shows the tool's picture in
// place of the pointer, and turns a carried piece on the wheel or the right button.
#pragma once

#include <memory>

#include "board/BonusKinds.h"
#include "board/CElement.h"
#include "data/CSaveObject.h"
#include "shell/CImage.h"

namespace tilvan
{

class CCursor : public save::CSaveObject
{
public:
    static constexpr int kClassId = 12;
    enum EState {
        free = kCursorFree,
        element_state = kCursorElement,
        hammerfish = kCursorHammerfish,
        pufferfish = kCursorPufferfish,
        octopus = kCursorOctopus,
        octopus_element = kCursorOctopusElement
    };
    static constexpr int kCenterPosFlag = 16;
    static constexpr int kStopAnimationFlag = 4;
    static constexpr float kMaxAnchorX = 877.0f;

    CCursor();
    ~CCursor();
    CCursor(const CCursor&) = delete;
    CCursor& operator=(const CCursor&) = delete;

    int Save() override;
    // The saved state is applied as a change from the present one; the picture and the octopus flag
    // then are the saved ones.
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    void SetState(int next);
    int GetState() const { return state; }
    bool IsCarrying() const { return state == element_state || state == octopus_element; }
    void UseBonus();
    int GetToolSlot() const { return CursorStateToSlot(state); }
    void TurnElement(int delta);
    void RightClick(int x, int y);
    void Reset();
    void Update(float msA, float msB);
    void DrawElement(Olvarn::Graphics& g);
    void DrawTool(Olvarn::Graphics& g);

    CElement& Element() { return element; }
    void SetElement(const CElement& e) { element = e; }
    void EmptyElement() { element = CElement(0, 0); }
    FPoint pos;
    // The furthest right a piece's anchor goes while it is carried in the given turn (an index into its
    // shapes): as far as the picture's centre lets it, or as its cells let it when these reach further.
    static float AnchorLimit(const CElement& piece, int positionIndex);
    // Where the carried piece is shown: the place a click sets it, which is a row below the anchor
    // the pointer holds, so the piece hangs below the pointer.
    FPoint DrawnCarriedPosition() const;
    bool GetByOctopus() const { return get_by_octopus; }
    CImage& Image() { return image; }

private:
    void PutAwayTool();
    void ClearPicture();
    FPoint CarriedAnchor() const;

    int state = free;
    CImage image{std::string()};
    CElement element;
    bool get_by_octopus = false;
    class CCursorWidget;
    std::shared_ptr<CCursorWidget> widget;
};

} // namespace tilvan
