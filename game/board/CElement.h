// One playing piece: its type, position, rotation among six positions, the bonus kind it carries, its
// picture and effects, and four timed motions (turn, tremble, straight move, fade-out).
#pragma once

#include <memory>
#include <vector>

#include "board/CElementEffect.h"
#include "board/CElementType.h"
#include "data/CSaveObject.h"

namespace Olvarn
{
class Graphics;
class Image;
} // namespace Olvarn

struct lua_State;

namespace tilvan
{

namespace lua_private
{
class control_id;
}

// A scenery light as pieces see it in 3D mode.
struct CBoardLight {
    FPoint pos;
    int r = 255, g = 255, b = 255, a = 255;
};

class CElement : public save::CSaveObject
{
public:
    static constexpr int kClassId = 199;

    static constexpr float kAngleStep = 3.1415f / 3.0f;
    static constexpr float kTurnTime = 100.0f;
    static constexpr float kTrembleAmplitude = 0.052358337f;
    // The height of a row of the board's cells.
    static constexpr int kRowHeight = 35;
    static constexpr float kMoveSpeed = 150.0f;

    explicit CElement(int typeId = 0, int bonusKind = 0);
    CElement(const CElement& other) = default;
    CElement& operator=(const CElement& other) = default;
    ~CElement() override;

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    // Whole-program drawing switches: 3D drawing adds the tremble to the angle and draws the lights.
    static void SetUse3D(bool on);
    static bool Uses3D();
    static void SetLights(const std::vector<CBoardLight>* lights);
    // "element_class": readable "id" and "pos".
    static void RegisterLuaClass(lua_State* L);
    // Pieces at rest draw a turned copy of their picture made once (on by default).
    static void SetTurnedPictureCache(bool on);
    // Forgets the turned copies; call when the pictures they were made from go away.
    static void ClearTurnedPictures();

    int GetId() const { return mId; }
    const CElementType* GetType() const { return FindElementType(mId); }
    int GetBonusKind() const { return mBonus; }
    void SetBonusKind(int kind) { mBonus = kind; }

    // Type look-ups; those marked throw "Element without type" for an element without a type.
    const std::array<CellMask, 6>& GetShapes() const; // throws
    const CellMask& GetShape() const;                 // throws
    const std::array<FPoint, 6>& GetCenters() const;  // throws
    FPoint GetCenter() const;                         // throws
    FPoint GetImageCenter() const;                    // throws
    FPoint GetOffset() const;                         // throws
    int GetSinkDepth() const;                         // throws
    FPoint GetMaskOrigin() const;
    int GetWidth() const;
    int GetPositions() const;
    int GetPositionIndex() const;
    Olvarn::Image* GetImage() const;

    FPoint GetPosition() const { return mPos; }
    void SetPosition(float x, float y);
    void SetPosition(FPoint p) { SetPosition(p.x, p.y); }
    void MoveBy(float dx, float dy) { SetPosition(mPos.x + dx, mPos.y + dy); }
    // The id scripts know the piece by; copies share it.
    int GetControlId() const;
    void MoveTo(FPoint target);
    int GetRotation() const { return mRotation; }
    void SetRotation(int rotation) { mRotation = ((rotation % 6) + 6) % 6; }
    void RotateForward() { StartTurn(+1); }
    void RotateBackward() { StartTurn(-1); }
    void StepRotation() { mRotation = (mRotation + 1) % 6; }
    void SetTremble(bool on);
    void FadeOut(int ms);
    bool IsRotating() const { return mIsRotating; }
    bool IsMoving() const { return mIsMoving; }
    FPoint GetTargetPosition() const { return mTargetPos; }
    bool IsTrembling() const { return mIsTremble; }
    bool IsFading() const { return mFading; }
    int GetAlpha() const { return mAlpha; }
    float GetAngle() const;

    void Update(float msA, float msB);
    void Draw(Olvarn::Graphics& g);
    void DrawLight(Olvarn::Graphics& g, const CBoardLight& light);
    bool HitTest(float px, float py, float reach) const;

    void AddEffect(element_effects::EffectPtr effect);
    void AddBlink(float ms);
    void AddDelayedOnInsertEffect(float delay);
    const std::vector<element_effects::EffectPtr>& GetEffects() const { return mEffects; }

    void NotifyCreated();
    void NotifyDropped();
    void NotifyPickedUp(bool fits, bool onWater);
    void NotifyInserted(bool inserted);
    void AwardInsertion();
    void CollectBonus();

    // The two light cells and their weights for a light direction (whole degrees, 0 = to the right).
    struct LightCells {
        int odd = 1, even = 0;
        float oddWeight = 0, evenWeight = 0;
    };
    static LightCells LightCellsForDirection(int degrees);

private:
    void StartTurn(int sign);
    void UpdateFade(float ms);
    void UpdateTurn(float ms);
    void UpdateMove(float ms);
    void UpdateTremble(float ms);
    const CElementType& RequireType() const;

    int mId = 0;
    FPoint mPos;
    int mRotation = 0;
    int mBonus = 0;
    float mAnimTime = 0;
    int mAlpha = 255;
    std::vector<element_effects::EffectPtr> mEffects;
    bool mFading = false;
    int mFadeTotal = 0;
    float mFadeLeft = 0;
    bool mIsRotating = false;
    float mTimeLeft = 0;
    float mFAngle = 0;
    int mRotateSign = 1;
    bool mIsTremble = false;
    float mAddAngle = 0;
    float mTrembleTime = 0;
    float mTrembleTimeLeft = 0;
    bool mIsMoving = false;
    FPoint mSpeed;
    FPoint mTargetPos;
    std::shared_ptr<lua_private::control_id> mControl;
};

} // namespace tilvan
