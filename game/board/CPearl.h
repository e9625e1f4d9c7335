// The timed pearl shown on a pearl level's board.
#pragma once

#include "board/CElementType.h"
#include "data/CSaveObject.h"
#include "shell/CHintRegistry.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

// The pearl's picture.
inline constexpr const char* kPearlImageId = "IMAGE_PEARL";

class CPearl : public save::CSaveObject
{
public:
    static constexpr int kClassId = 1171;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    static constexpr float kLifeTime = 10000;

    void SetShown(bool shown) { mShown = shown; }
    bool IsShown() const { return mShown; }
    void SetPosition(FPoint p);
    FPoint GetPosition() const { return mPos; }
    bool IsDead() const { return mDead; }
    float GetTime() const { return mTime; }
    void SetTime(float ms) { mTime = ms; }
    int GetControlId() const { return mControl.id; }
    const lua_private::control_id& GetControl() const { return mControl; }

    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    // The alpha of the fade in and out for time left t, or -1 when no fade applies.
    static int FadeAlpha(float t);

private:
    bool mShown = false;
    FPoint mPos = FPoint(-1, -1);
    float mTime = kLifeTime;
    float mAnimTime = 0;
    bool mDead = false;
    bool mCreationNotified = false;
    lua_private::control_id mControl;
};

} // namespace tilvan
