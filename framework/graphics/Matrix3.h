// 3x3 float matrix of 2D affine transforms; points are column vectors, translation in the third column.
#pragma once

#include "core/Vector2.h"

namespace Olvarn
{

class Matrix3
{
public:
    Matrix3() { LoadIdentity(); }

    // result = this x other.
    void Multiply(const Matrix3& other, Matrix3& result) const;
    OlvarnVector2 TransformPoint(const OlvarnVector2& p) const;
    void TransformVector(float x, float y, float z, float& ox, float& oy, float& oz) const;

    void LoadIdentity();
    void Copy(const Matrix3& other) { *this = other; }

    // Each of these multiplies on the left, so it acts after what the matrix already does.
    void Translate(float tx, float ty);
    void Rotate(float angle);
    void Scale(float sx, float sy);

    float m[3][3];
};

} // namespace Olvarn
