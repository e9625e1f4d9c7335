// Cuts a triangle to the clip rectangle in floating point, so that the scan converters never test
// pixels against it. New vertices come from a pool the caller owns, which keeps the clipper reentrant.
#pragma once

#include "swtri/TriVertex.h"

namespace Olvarn
{

// Room of a vertex list; a clipped triangle has at most 7 vertices and takes at most 8 new ones.
inline constexpr int kClipListCapacity = 64;

// Vertex lists are arrays of pointers ended by a null pointer.
using ClipList = const TriVertex* [kClipListCapacity];

// The new vertices of one ClipTriangleToRect call; they stay valid until the pool's next use.
struct ClipVertexPool {
    TriVertex* NewVertex() { return &mVertices[mCount++]; }

    TriVertex mVertices[kClipListCapacity];
    int mCount = 0;
};

// Boundaries are inclusive: a point with left <= x <= right and top <= y <= bottom is inside. Returns 0
// when nothing is visible, else the number (3 or more) of vertices in out, in the triangle's cyclic order.
int ClipTriangleToRect(const TriVertex* a, const TriVertex* b, const TriVertex* c, ClipList& out, float left,
                       float right, float top, float bottom, ClipVertexPool& pool);

// One pass each: keeps x >= left, x <= right, y >= top, y <= bottom; returns the count written to out.
int ClipPolygonLeft(const ClipList& in, ClipList& out, float left, ClipVertexPool& pool);
int ClipPolygonRight(const ClipList& in, ClipList& out, float right, ClipVertexPool& pool);
int ClipPolygonTop(const ClipList& in, ClipList& out, float top, ClipVertexPool& pool);
int ClipPolygonBottom(const ClipList& in, ClipList& out, float bottom, ClipVertexPool& pool);

// Fills out with the point where the edge from the outside vertex a to the inside vertex b crosses the
// boundary; position, texture position and colour channels are interpolated, channels truncated.
void ClipVertexAtX(const TriVertex& a, const TriVertex& b, TriVertex& out, float c);
void ClipVertexAtY(const TriVertex& a, const TriVertex& b, TriVertex& out, float c);

} // namespace Olvarn
