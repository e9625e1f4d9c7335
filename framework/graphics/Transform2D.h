// A 2D transform kept in a lazy form (translate, rotate or scale) for as long as it can be,
// so the drawing context can pick a cheaper image operation than a full matrix draw.
#pragma once

#include "graphics/Matrix3.h"

namespace Olvarn
{

class Transform2D
{
public:
    Transform2D() = default;

    void Translate(float x, float y);
    void Rotate(float angle);
    void Scale(float sx, float sy);

    void UpdateMatrix();
    const Matrix3& GetMatrix()
    {
        UpdateMatrix();
        return mMatrix;
    }

    Matrix3 mMatrix;
    bool mDirty = true;
    bool mFullMatrix = false;
    bool mRotated = false;
    bool mScaled = false;
    float mPreX = 0, mPreY = 0;
    float mPostX = 0, mPostY = 0;
    float mScaleX = 1, mScaleY = 1;
    float mAngle = 0;

private:
    void EnterFullMatrix();
};

} // namespace Olvarn
