// The image sector.
#include "shell/CImageSector.h"

#include <cmath>
#include <utility>

#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace tilvan
{

namespace
{

// Angles of the board and its dials use this value of pi throughout the game.
constexpr float kPi = 3.1415f;

} // namespace

CImageSector::CImageSector(Olvarn::Image* image_, Olvarn::OlvarnVector2 centre_) : image(image_), centre(centre_)
{
    for (auto& triangle : vertices)
        for (auto& vertex : triangle)
            vertex.color = 0;
    SetAngles(0, 360);
}

Olvarn::TriVertex CImageSector::PointAt(float degrees, float w, float h) const
{
    float a = degrees / 180.0f * kPi;
    float dx = std::sin(a) * w / 2;
    float dy = -std::cos(a) * h / 2;
    Olvarn::TriVertex v;
    v.x = centre.x + dx;
    v.y = centre.y + dy;
    v.u = w != 0 ? (w / 2 + dx) / w : 0.5f;
    v.v = h != 0 ? (h / 2 + dy) / h : 0.5f;
    return v;
}

void CImageSector::SetAngles(int from, int to)
{
    if (from > to)
        std::swap(from, to);
    float w = image ? float(image->GetCellWidth()) : 0;
    float h = image ? float(image->GetCellHeight()) : 0;
    triangleCount = 0;
    int a = from;
    bool ended = false;
    while (triangleCount < kMaxTriangles && !ended) {
        Olvarn::TriVertex* t = vertices[triangleCount];
        t[0] = Olvarn::TriVertex{centre.x, centre.y, 0.5f, 0.5f, 0};
        t[1] = PointAt(float(a), w, h);
        a += 45;
        if (a >= to) {
            a = to;
            ended = true;
        }
        t[2] = PointAt(float(a), w, h);
        ++triangleCount;
    }
}

void CImageSector::Draw(Olvarn::Graphics& g)
{
    if (image && triangleCount > 0)
        g.DrawTexturedTriangles(image, &vertices[0][0], triangleCount);
}

} // namespace tilvan
