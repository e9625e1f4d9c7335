// The lazy 2D transform: translate, rotate and scale kept apart until a mixture needs the full matrix.
#include "graphics/Transform2D.h"

namespace Olvarn
{

void Transform2D::EnterFullMatrix()
{
    UpdateMatrix();
    mFullMatrix = true;
}

void Transform2D::Translate(float x, float y)
{
    if (mFullMatrix) {
        mMatrix.Translate(x, y);
        return;
    }
    mDirty = true;
    if (mRotated || mScaled) {
        mPostX += x;
        mPostY += y;
    } else {
        mPreX += x;
        mPreY += y;
    }
}

void Transform2D::Rotate(float angle)
{
    if (!mFullMatrix && mScaled)
        EnterFullMatrix();
    if (mFullMatrix) {
        mMatrix.Rotate(angle);
        return;
    }
    mAngle += angle;
    mRotated = true;
    mDirty = true;
}

void Transform2D::Scale(float sx, float sy)
{
    // A mirror, or a scale after a rotation or pre-translation, has no lazy form.
    if (!mFullMatrix && !mRotated && mPreX == 0 && mPreY == 0 && sx >= 0 && sy >= 0) {
        mScaleX *= sx;
        mScaleY *= sy;
        mScaled = true;
        mDirty = true;
        return;
    }
    if (!mFullMatrix)
        EnterFullMatrix();
    mMatrix.Scale(sx, sy);
}

void Transform2D::UpdateMatrix()
{
    if (!mDirty)
        return;
    mMatrix.LoadIdentity();
    mMatrix.m[0][2] = mPreX;
    mMatrix.m[1][2] = mPreY;
    mDirty = false;
    if (mScaled) {
        mMatrix.m[0][0] = mScaleX;
        mMatrix.m[1][1] = mScaleY;
    } else if (mRotated) {
        mMatrix.Rotate(mAngle);
    }
    if (mPostX != 0 || mPostY != 0)
        mMatrix.Translate(mPostX, mPostY);
}

} // namespace Olvarn
