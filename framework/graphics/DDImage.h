// An image that may also hold its picture on a display surface in the screen's format. Each
// drawing operation picks the surface, the hardware renderer or the memory copy; a draw on one
// makes the other stale.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/MemoryImage.h"
#include "platform/Surface.h"

namespace Olvarn
{

class DDInterface;
class DDRenderer;

class DDImage : public MemoryImage
{
public:
    explicit DDImage(DDInterface* device);
    // On the application's own display device.
    DDImage();
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;
    ~DDImage() override;

    // The drawing context sends sub-pixel transformed draws on the 3D draw surface down the matrix path.
    bool Is3DDrawSurface() const override { return OnDrawSurface3D(); }

    // Drawing (the choice between renderer, surface and memory for each).
    bool FillPolygon(const int* points, int count, const Rect& clip, const Color& color, DrawMode mode, int offsetX,
                     int offsetY) override;
    void FillRect(const Rect& rect, const Color& color, DrawMode mode) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode) override;
    void BlitImage(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode) override;
    void BlitImageAtFloat(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                          DrawMode mode) override;
    void BlitImageRotated(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
                          DrawMode mode, double angle, float centerX, float centerY) override;
    void BlitImageScaled(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip, const Color& color,
                         DrawMode mode, bool fastScaling) override;
    void BlitImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect& clip, const Color& color,
                         DrawMode mode, const Rect& srcRect, bool bilinear) override;
    void BlitTexturedTriangles(Image* src, const TriVertex* vertices, int numTriangles, const Rect& clip,
                               const Color& color, DrawMode mode, float offsetX, float offsetY, bool bilinear) override;
    void BlitImageMirrored(Image* src, int x, int y, const Rect& srcRect, const Color& color, DrawMode mode) override;
    void BlitImageScaledMirrored(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                                 const Color& color, DrawMode mode, bool fastScaling) override;

    // Storage.
    void PurgeBits() override;
    void DeleteExtraData() override;
    void ApplyStorageOptions() override;
    void BitsChanged() override;
    void CommitBits() override;
    void DeleteNativeData() override;
    void Create(int width, int height) override;
    uint32_t* GetBits() override;
    bool Palettize() override;

    virtual void SetVideoMemory(bool videoMemory);
    virtual bool ApplySurfaceColorKey();
    // The software drawing on the locked surface; true unless the lock failed.
    virtual bool SurfaceFillRect(const Rect& rect, const Color& color);
    virtual bool SurfaceFillRectAdditive(const Rect& rect, const Color& color);
    virtual bool SurfaceBlit(Image* src, int x, int y, const Rect& srcRect, const Color& color);
    virtual bool SurfaceBlitAdditive(Image* src, int x, int y, const Rect& srcRect, const Color& color);
    virtual bool SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    virtual bool SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual bool SurfaceBlitMirrored(Image* src, int x, int y, const Rect& srcRect, const Color& color);
    virtual bool SurfaceBlitMirroredAdditive(Image* src, int x, int y, const Rect& srcRect, const Color& color);
    virtual bool LockSurface();
    virtual bool UnlockSurface();
    // Wraps a surface made elsewhere (the screen and cursor surfaces); purges leave it alone.
    virtual void SetSurface(std::shared_ptr<Surface> surface);

    // Clipped destination of a mirrored stretch and the source part it shows: cutting the
    // destination's right side cuts the source's left side. False when nothing is left.
    static bool MapMirroredStretch(const Rect& srcRect, const Rect& clip, const Rect& destRect, FRect& srcPart,
                                   Rect& clippedDest);

    bool CreateSurfaceFromBits();
    // The surface, made from the memory picture when there is none yet; null when none can be made.
    Surface* GetSurface();
    bool HasSurface() const { return mSurface != nullptr; }
    void ReleaseSurface();
    void DiscardMemoryBits();

    DDInterface* mDDInterface = nullptr;
    std::shared_ptr<Surface> mSurface;
    bool mSurfaceWrapped = false;
    bool mNoSoftwareDraw = false;
    bool mVideoMemory = false;
    bool mWantSurface = false;
    int mLockCount = 0;
    SurfaceLock mLockedDesc;

protected:
    const NativeDisplay* DisplayFormat() const override;

private:
    template <typename MakeFill> bool SurfaceFill(const Rect& rect, MakeFill makeFill);
    template <typename MakeOp>
    bool SurfaceLine(double x1, double y1, double x2, double y2, bool fraction32, MakeOp makeOp);
    // Upload steps of CreateSurfaceFromBits.
    bool UploadBits(SurfaceLock& lock);
    uint32_t ChooseColorKey(const uint32_t* bits, int count, bool sixteen) const;
    uint32_t ToSurfacePixel(uint32_t argb) const;
    void ReadSurface(const SurfaceLock& lock, uint32_t* out) const;
    // Routing helpers.
    bool OnDrawSurface3D() const;
    DDRenderer* Renderer() const;
    // Hardware blit of a whole rectangle from another image's surface, unlocking this one around it.
    bool HardwareBlit(DDImage* src, const Rect& dest, const Rect& srcRect);
    bool SoftwareMatrixOnSurface(MemoryImage* src, float x, float y, const Matrix3& matrix, const Rect& clip,
                                 const Color& color, DrawMode mode, const Rect& srcRect, bool bilinear);
    bool SoftwareTrianglesOnSurface(MemoryImage* src, const TriVertex* vertices, int numTriangles, const Rect& clip,
                                    const Color& color, DrawMode mode, float offsetX, float offsetY, bool bilinear);
    uint32_t SurfaceFormatCode() const;
    // Transformed blits drawn on the locked surface.
    void SoftwareStretch(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color, DrawMode mode,
                         bool mirrored);
    void SoftwareRotate(MemoryImage* src, const FRect& box, float x, float y, const Rect& srcRect, const Color& color,
                        DrawMode mode, double angle, float centerX, float centerY);
};

} // namespace Olvarn
