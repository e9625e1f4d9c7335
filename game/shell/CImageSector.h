// A pie-shaped part of an image: the sector of the ellipse inscribed in the image's cell between two
// angles, drawn as a fan of textured triangles (waiting times on buttons, clock faces).
#pragma once

#include "core/Vector2.h"
#include "swtri/TriVertex.h"

namespace Olvarn
{
class Graphics;
class Image;
} // namespace Olvarn

namespace tilvan
{

class CImageSector
{
public:
    static constexpr int kMaxTriangles = 8;

    CImageSector(Olvarn::Image* image, Olvarn::OlvarnVector2 centre);

    // Degrees; 0 points up and angles grow clockwise on screen. One triangle per started 45 degrees.
    void SetAngles(int from, int to);
    void Draw(Olvarn::Graphics& g);

    int TriangleCount() const { return triangleCount; }
    const Olvarn::TriVertex* Triangle(int index) const { return vertices[index]; }

private:
    Olvarn::TriVertex PointAt(float degrees, float w, float h) const;

    Olvarn::Image* image;
    Olvarn::OlvarnVector2 centre;
    int triangleCount = 0;
    Olvarn::TriVertex vertices[kMaxTriangles][3];
};

} // namespace tilvan
