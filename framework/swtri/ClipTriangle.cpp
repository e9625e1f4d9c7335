// The four clip passes of a triangle against the clip rectangle's boundaries.
#include "swtri/ClipTriangle.h"

#include <cstdint>

namespace Olvarn
{

namespace
{

uint32_t LerpColour(uint32_t a, uint32_t b, float t)
{
    uint32_t result = 0;
    for (unsigned shift = 0; shift < 32; shift += 8) {
        int ca = static_cast<int>((a >> shift) & 0xFF);
        int cb = static_cast<int>((b >> shift) & 0xFF);
        int c = static_cast<int>(ca + (cb - ca) * t);
        result |= (static_cast<uint32_t>(c) & 0xFF) << shift;
    }
    return result;
}

void Lerp(const TriVertex& a, const TriVertex& b, TriVertex& out, float t)
{
    out.x = a.x + (b.x - a.x) * t;
    out.y = a.y + (b.y - a.y) * t;
    out.u = a.u + (b.u - a.u) * t;
    out.v = a.v + (b.v - a.v) * t;
    out.color = LerpColour(a.color, b.color, t);
}

// Walks the polygon once; new vertices are always computed from the outside vertex toward the inside one,
// so two triangles sharing a cut edge get bit-identical vertices on it.
template <class IsOutside, class Cut>
int ClipPass(const ClipList& in, ClipList& out, ClipVertexPool& pool, IsOutside isOutside, Cut cut)
{
    int n = 0;
    for (int i = 0; in[i]; ++i) {
        const TriVertex* p = in[i];
        const TriVertex* q = in[i + 1] ? in[i + 1] : in[0];
        bool pOut = isOutside(*p);
        bool qOut = isOutside(*q);
        if (!pOut)
            out[n++] = p;
        if (pOut != qOut) {
            TriVertex* made = pool.NewVertex();
            if (pOut)
                cut(*p, *q, *made);
            else
                cut(*q, *p, *made);
            out[n++] = made;
        }
    }
    out[n] = nullptr;
    return n;
}

} // namespace

void ClipVertexAtX(const TriVertex& a, const TriVertex& b, TriVertex& out, float c)
{
    Lerp(a, b, out, (c - a.x) / (b.x - a.x));
}

void ClipVertexAtY(const TriVertex& a, const TriVertex& b, TriVertex& out, float c)
{
    Lerp(a, b, out, (c - a.y) / (b.y - a.y));
}

int ClipPolygonLeft(const ClipList& in, ClipList& out, float left, ClipVertexPool& pool)
{
    return ClipPass(
        in, out, pool, [left](const TriVertex& p) { return p.x < left; },
        [left](const TriVertex& a, const TriVertex& b, TriVertex& made) { ClipVertexAtX(a, b, made, left); });
}

int ClipPolygonRight(const ClipList& in, ClipList& out, float right, ClipVertexPool& pool)
{
    return ClipPass(
        in, out, pool, [right](const TriVertex& p) { return p.x > right; },
        [right](const TriVertex& a, const TriVertex& b, TriVertex& made) { ClipVertexAtX(a, b, made, right); });
}

int ClipPolygonTop(const ClipList& in, ClipList& out, float top, ClipVertexPool& pool)
{
    return ClipPass(
        in, out, pool, [top](const TriVertex& p) { return p.y < top; },
        [top](const TriVertex& a, const TriVertex& b, TriVertex& made) { ClipVertexAtY(a, b, made, top); });
}

int ClipPolygonBottom(const ClipList& in, ClipList& out, float bottom, ClipVertexPool& pool)
{
    return ClipPass(
        in, out, pool, [bottom](const TriVertex& p) { return p.y > bottom; },
        [bottom](const TriVertex& a, const TriVertex& b, TriVertex& made) { ClipVertexAtY(a, b, made, bottom); });
}

int ClipTriangleToRect(const TriVertex* a, const TriVertex* b, const TriVertex* c, ClipList& out, float left,
                       float right, float top, float bottom, ClipVertexPool& pool)
{
    pool.mCount = 0;
    ClipList triangle = {a, b, c, nullptr};
    ClipList scratch;
    if (ClipPolygonLeft(triangle, scratch, left, pool) < 3)
        return 0;
    if (ClipPolygonRight(scratch, out, right, pool) < 3)
        return 0;
    if (ClipPolygonTop(out, scratch, top, pool) < 3)
        return 0;
    return ClipPolygonBottom(scratch, out, bottom, pool);
}

} // namespace Olvarn
