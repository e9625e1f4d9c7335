// Clipping a triangle to the clip rectangle's four boundaries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "swtri/ClipTriangle.h"

using namespace Olvarn;

namespace
{

TriVertex V(float x, float y, uint32_t colour = 0xFF000000, float u = 0, float v = 0)
{
    return TriVertex{x, y, u, v, colour};
}

// Keeps its own copies of the input, since the output list may point at them.
struct Clipped {
    TriVertex input[3];
    ClipVertexPool pool;
    ClipList out;
    int count = 0;
};

void Clip(Clipped& c, const TriVertex& a, const TriVertex& b, const TriVertex& d, float left = 0, float right = 10,
          float top = 0, float bottom = 10)
{
    c.input[0] = a;
    c.input[1] = b;
    c.input[2] = d;
    c.count = ClipTriangleToRect(&c.input[0], &c.input[1], &c.input[2], c.out, left, right, top, bottom, c.pool);
}

bool SameBits(const TriVertex& a, const TriVertex& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(ClipTriangle, InsideComesBackUnchanged)
{
    Clipped c;
    Clip(c, V(1, 1), V(9, 2), V(0, 10)); // the last vertex lies exactly on two boundaries
    ASSERT_EQ(c.count, 3);
    EXPECT_EQ(c.out[0], &c.input[0]);
    EXPECT_EQ(c.out[1], &c.input[1]);
    EXPECT_EQ(c.out[2], &c.input[2]);
    EXPECT_EQ(c.out[3], nullptr);
    EXPECT_EQ(c.pool.mCount, 0);
}

TEST(ClipTriangle, OutsideOrTouchingOnly)
{
    Clipped beyond;
    Clip(beyond, V(-5, 1), V(-1, 2), V(-3, 8));
    EXPECT_EQ(beyond.count, 0);

    // Only one vertex inside, exactly on the boundary: three vertices at one point, which draw nothing.
    Clipped touching;
    Clip(touching, V(10, 5), V(14, 2), V(14, 8));
    ASSERT_EQ(touching.count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(touching.out[i]->x, 10);
        EXPECT_FLOAT_EQ(touching.out[i]->y, 5);
    }
}

TEST(ClipTriangle, CornersAndCoveringTriangles)
{
    // Covering the whole rectangle gives its four corners.
    Clipped all;
    Clip(all, V(-100, -100), V(300, -100), V(-100, 300));
    ASSERT_EQ(all.count, 4);
    for (int i = 0; i < 4; ++i) {
        float x = all.out[i]->x, y = all.out[i]->y;
        EXPECT_TRUE((x == 0 || x == 10) && (y == 0 || y == 10)) << x << "," << y;
    }
    // A triangle across a corner: every pass cuts, up to 7 vertices.
    Clipped corner;
    Clip(corner, V(-2, 4), V(6, -3), V(14, 12));
    EXPECT_GE(corner.count, 5);
    EXPECT_LE(corner.count, 7);
    for (int i = 0; i < corner.count; ++i) {
        EXPECT_GE(corner.out[i]->x, -1e-4f);
        EXPECT_LE(corner.out[i]->x, 10 + 1e-4f);
        EXPECT_GE(corner.out[i]->y, -1e-4f);
        EXPECT_LE(corner.out[i]->y, 10 + 1e-4f);
    }
    EXPECT_LE(corner.pool.mCount, 8);
}

// Both triangles cut the shared edge from its outside end, so the new vertices agree to the bit.
TEST(ClipTriangle, SharedEdgesGetIdenticalCuts)
{
    TriVertex p = V(-3.7f, 2.3f, 0xFF102030, 0.1f, 0.2f), q = V(7.9f, 8.1f, 0x80FFEEDD, 0.9f, 0.7f);
    Clipped one, two;
    Clip(one, p, q, V(5, 0.5f));
    Clip(two, q, p, V(-1, 9.5f));
    // The cut on the left boundary lies on p-q (y between theirs); the other cut is on the third edge.
    auto cutOnPQ = [](const Clipped& c) -> const TriVertex* {
        for (int i = 0; i < c.count; ++i)
            if (std::fabs(c.out[i]->x) < 1e-3f && c.out[i]->y > 2.3f && c.out[i]->y < 8.1f &&
                c.out[i]->color != 0xFF000000)
                return c.out[i];
        return nullptr;
    };
    const TriVertex* cutOne = cutOnPQ(one);
    const TriVertex* cutTwo = cutOnPQ(two);
    ASSERT_NE(cutOne, nullptr);
    ASSERT_NE(cutTwo, nullptr);
    EXPECT_TRUE(SameBits(*cutOne, *cutTwo));
}

TEST(ClipTriangle, InterpolatedColoursAreTruncated)
{
    TriVertex out;
    ClipVertexAtX(V(-1, 0, 0xFF000000), V(1, 0, 0xFF0000FF), out, 0);
    EXPECT_EQ(out.color, 0xFF00007Fu);
    ClipVertexAtY(V(0, 4, 0x00FF0000, 0, 1), V(0, 0, 0xFF000000, 1, 0), out, 1);
    EXPECT_EQ(out.color, 0xBF3F0000u);
    EXPECT_FLOAT_EQ(out.u, 0.75f);
    EXPECT_FLOAT_EQ(out.v, 0.25f);
}

// The pool belongs to the caller: a second clip does not disturb the first one's vertices.
TEST(ClipTriangle, PoolsAreIndependent)
{
    Clipped first, second;
    Clip(first, V(-5, 5), V(5, -5), V(15, 15));
    TriVertex kept = *first.out[0];
    Clip(second, V(-50, 50), V(50, -50), V(150, 150));
    EXPECT_TRUE(SameBits(*first.out[0], kept));
}
