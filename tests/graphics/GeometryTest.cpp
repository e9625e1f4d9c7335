#include <gtest/gtest.h>

#include <cmath>

#include "core/Color.h"
#include "core/Rect.h"
#include "graphics/Transform2D.h"

using namespace Olvarn;

TEST(Color, PackedFormTakesTopByteZeroAsOpaque)
{
    struct Case {
        uint32_t packed;
        Color expected;
    } cases[] = {
        {0x00123456, Color(0x12, 0x34, 0x56, 255)},
        {0x01123456, Color(0x12, 0x34, 0x56, 1)},
        {0xFF000000, Color(0, 0, 0, 255)},
        {0x80FF0000, Color(255, 0, 0, 128)},
    };
    for (const Case& c : cases) {
        Color got(static_cast<int>(c.packed));
        EXPECT_EQ(got, c.expected) << std::hex << c.packed;
    }
    EXPECT_EQ(Color(0x12, 0x34, 0x56, 0x78).ToInt(), 0x78123456u);
}

TEST(Color, EqualityComparesAllFourChannels)
{
    EXPECT_NE(Color(0, 0, 0, 0), Color());
    EXPECT_EQ(Color(), Color(0, 0, 0, 255));
    int row[3] = {1, 2, 3};
    EXPECT_EQ(Color(row), Color(1, 2, 3, 255));
    EXPECT_NE(Color(255, 255, 255, 254), Color::White);
}

TEST(Rect, IntersectionKeepsTouchingEdgesAndEmptiesDisjointOnes)
{
    struct Case {
        Rect a, b, expected;
    } cases[] = {
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}},
        {{0, 0, 10, 10}, {11, 0, 5, 5}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {2, 3, 100, 1}, {2, 3, 8, 1}},
        {{-5, -5, 10, 10}, {0, 0, 10, 10}, {0, 0, 5, 5}},
    };
    for (const Case& c : cases) {
        Rect r = c.a.Intersection(c.b);
        EXPECT_EQ(r, c.expected) << r.mX << "," << r.mY << "," << r.mWidth << "," << r.mHeight;
    }
    FRect d = FRect(0, 0, 1.5, 1.5).Intersection(FRect(1, 1, 2, 2));
    EXPECT_DOUBLE_EQ(d.mWidth, 0.5);
}

static void ExpectPoint(const Matrix3& m, float x, float y, float ex, float ey)
{
    OlvarnVector2 p = m.TransformPoint(OlvarnVector2(x, y));
    EXPECT_NEAR(p.x, ex, 1e-5f);
    EXPECT_NEAR(p.y, ey, 1e-5f);
}

TEST(Matrix3, OperationsActAfterWhatIsAlreadyThere)
{
    Matrix3 m;
    m.LoadIdentity();
    m.Translate(3, 0);
    m.Rotate(static_cast<float>(M_PI / 2));
    // (0,0) -> (3,0) -> turned counter-clockwise on screen: (0,-3)
    ExpectPoint(m, 0, 0, 0, -3);
    m.Scale(2, 1);
    ExpectPoint(m, 0, 0, 0, -3);
    ExpectPoint(m, 1, 0, 0, -4);
}

TEST(Transform2D, LazyFormMatchesTheMatrixItStandsFor)
{
    Transform2D fresh;
    ExpectPoint(fresh.GetMatrix(), 4, 5, 4, 5);

    Transform2D t;
    t.Translate(5, 0);
    t.Rotate(static_cast<float>(M_PI / 2));
    t.Translate(0, 7);
    EXPECT_FALSE(t.mFullMatrix);
    EXPECT_FLOAT_EQ(t.mPostY, 7);
    ExpectPoint(t.GetMatrix(), 0, 0, 0, 2);

    Transform2D s;
    s.Scale(2, 3);
    s.Scale(0.5f, 1);
    EXPECT_FALSE(s.mFullMatrix);
    EXPECT_FLOAT_EQ(s.mScaleX, 1);
    EXPECT_FLOAT_EQ(s.mScaleY, 3);
}

TEST(Transform2D, MixedOrMirroredTransformsSwitchToTheFullMatrix)
{
    float a = 0.3f;
    Transform2D t;
    t.Rotate(a);
    t.Scale(2, 2);
    EXPECT_TRUE(t.mFullMatrix);
    Matrix3 r, s, expected;
    r.Rotate(a);
    s.Scale(2, 2);
    s.Multiply(r, expected);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(t.GetMatrix().m[i][j], expected.m[i][j], 1e-6f);

    Transform2D mirror;
    mirror.Scale(-1, 1);
    EXPECT_TRUE(mirror.mFullMatrix);
    EXPECT_FLOAT_EQ(mirror.GetMatrix().m[0][0], -1);

    Transform2D scaledThenTurned;
    scaledThenTurned.Scale(2, 2);
    scaledThenTurned.Rotate(a);
    EXPECT_TRUE(scaledThenTurned.mFullMatrix);
    Matrix3 e2;
    r.Multiply(s, e2);
    EXPECT_NEAR(scaledThenTurned.GetMatrix().m[0][1], e2.m[0][1], 1e-6f);
}
