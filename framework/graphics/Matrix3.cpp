// The 2D affine matrix operations: products, point and vector mapping, and the left-multiplied
// translate, rotate and scale.
#include "graphics/Matrix3.h"

#include <cmath>

namespace Olvarn
{

void Matrix3::Multiply(const Matrix3& other, Matrix3& result) const
{
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * other.m[0][j] + m[i][1] * other.m[1][j] + m[i][2] * other.m[2][j];
    result = r; // result may be this or other
}

OlvarnVector2 Matrix3::TransformPoint(const OlvarnVector2& p) const
{
    return OlvarnVector2(m[0][0] * p.x + m[0][1] * p.y + m[0][2], m[1][0] * p.x + m[1][1] * p.y + m[1][2]);
}

void Matrix3::TransformVector(float x, float y, float z, float& ox, float& oy, float& oz) const
{
    ox = m[0][0] * x + m[0][1] * y + m[0][2] * z;
    oy = m[1][0] * x + m[1][1] * y + m[1][2] * z;
    oz = m[2][0] * x + m[2][1] * y + m[2][2] * z;
}

void Matrix3::LoadIdentity()
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
}

void Matrix3::Translate(float tx, float ty)
{
    Matrix3 t;
    t.LoadIdentity();
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    t.Multiply(*this, *this);
}

void Matrix3::Rotate(float angle)
{
    float c = std::cos(angle);
    float s = std::sin(angle);
    Matrix3 r;
    r.LoadIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    r.Multiply(*this, *this);
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 s;
    s.LoadIdentity();
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    s.Multiply(*this, *this);
}

} // namespace Olvarn
