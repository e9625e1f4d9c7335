// The operations the display device and display images call on the hardware renderer that draws on
// the draw surface when 3D is on.
#pragma once

#include <string>

#include "core/Color.h"
#include "core/Rect.h"

namespace Olvarn
{

class DDInterface;
class Image;
class MemoryImage;
class Matrix3;
struct TriVertex;

class DDRenderer
{
public:
    virtual ~DDRenderer() = default;

    // Start and stop on the device's draw surface.
    virtual bool Init(DDInterface* device) = 0;
    virtual void Cleanup() = 0;
    // The last failed call as "step: name", empty while nothing failed.
    virtual const std::string& GetErrorText() const = 0;
    virtual void ClearErrorText() = 0;
    virtual bool IsSceneOpen() const = 0;
    // Closes the open scene before the frame is presented.
    virtual void EndScene() = 0;
    virtual bool IsTransformStackEmpty() const = 0;
    // Whether a blit between surfaces may stand in for a draw onto the draw surface.
    virtual bool TakesSurfaceBlits() const { return true; }
    virtual void ReleaseImageTextures(MemoryImage* image) = 0;
    // Copies an image's textures back into its pixels (allocated by the caller); false when it cannot.
    virtual bool ReadImageFromTextures(MemoryImage* image) = 0;

    // Drawing on the draw surface.
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode) = 0;
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) = 0;
    virtual void FillPolygon(const int* points, int count, const Rect* clip, const Color& color, int drawMode, int dx,
                             int dy) = 0;
    virtual void BlitPlain(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                           bool linear) = 0;
    virtual void Blit(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                      int drawMode) = 0;
    virtual void BlitMirrored(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                              bool linear) = 0;
    virtual void BlitStretched(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                               const Color& color, int drawMode, bool fast, bool mirrored) = 0;
    virtual void BlitRotated(Image* src, float x, float y, const Rect& clip, const Color& color, int drawMode,
                             double angle, float centerX, float centerY, const Rect& srcRect) = 0;
    virtual void DrawImage(Image* src, const Rect* clip, const Color& color, int drawMode, const Rect& srcRect,
                           const Matrix3& matrix, bool linear, float tx, float ty, bool centred) = 0;
    virtual void DrawTexturedTriangles(const TriVertex* vertices, int triangleCount, const Color& color, int drawMode,
                                       Image* src, float dx, float dy, bool linear) = 0;
};

} // namespace Olvarn
