// The software image: 32-bit ARGB pixels in memory plus the forms derived from them (palette,
// premultiplied screen-format table, run-length tables), and software drawing onto those pixels.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/Image.h"
#include "graphics/NativeDisplay.h"

namespace Olvarn
{

class GraphicsHost;
class ImageTextureSet;

class MemoryImage : public Image
{
public:
    // Written after the last pixel of mBits and never read: a write past the picture shows up in it.
    static constexpr uint32_t kGuardWord = 0x4BEEFADE;

    enum TextureFlags { TEXFLAG_MINSUBDIVIDE = 1, TEXFLAG_A4R4G4B4 = 4, TEXFLAG_A8R8G8B8 = 8 };

    // A null application means the image is not registered anywhere (tools and tests).
    explicit MemoryImage(GraphicsHost* app = nullptr);
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    // Drawing onto the pixels.
    void FillRect(const Rect& rect, const Color& color, DrawMode mode) override;
    void ClearRect(const Rect& rect) override;
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

    // Storage and derived forms.
    virtual uint32_t* BuildNativeAlpha(const NativeDisplay& format);
    virtual unsigned char* BuildRLAlpha();
    virtual unsigned char* BuildRLAdditive(const NativeDisplay& format);
    // The low 16 bits of each native pixel, for additive drawing onto 16-bit screens; null for a
    // palette image. Dropped with the run lengths for additive drawing.
    const uint16_t* BuildNative16(const NativeDisplay& format);
    virtual void PurgeBits();
    virtual void DeleteDerivedTables();
    virtual void DeleteTextures();
    virtual void DeleteExtraData();
    virtual void ApplyStorageOptions();
    virtual void BitsChanged();
    virtual void CommitBits();
    virtual void DeleteNativeData();
    virtual void ClearBits();
    virtual void SetBits(const uint32_t* bits, int width, int height);
    virtual void Create(int width, int height);
    virtual uint32_t* GetBits();
    virtual void SetAlphaFlags(bool hasTrans, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    virtual bool Palettize();

    // Exact palette of at most 256 colours in order of first appearance; false at the 257th colour.
    static bool Quantize(const uint32_t* bits, int width, int height, unsigned char* indices, uint32_t* palette);

    // Bounds of the rotated source rectangle, clipped; false when nothing is left to draw.
    static bool GetRotationBox(const Rect& srcRect, float x, float y, double angle, float centerX, float centerY,
                               const Rect& clip, FRect& box);
    // Clipped destination and the matching part of the source; false when nothing is left to draw.
    static bool GetStretchMapping(const Rect& srcRect, const Rect& destRect, const Rect& clip, Rect& clippedDest,
                                  FRect& srcPart);

    // The 512-entry saturation table: entry i = min(i, 255).
    const unsigned char* SaturationTable() const;

    bool IsPalettized() const { return mColorIndices != nullptr; }
    // Number of pixels, 0 for a degenerate size.
    int PixelCount() const { return mWidth > 0 && mHeight > 0 ? mWidth * mHeight : 0; }

    std::unique_ptr<uint32_t[]> mBits;
    int mBitsChangedCount = 0;
    ImageTextureSet* mTextureSet = nullptr;
    int mTextureFlags = 0;
    std::unique_ptr<uint32_t[]> mPalette;
    std::unique_ptr<unsigned char[]> mColorIndices;
    bool mForced = false;
    bool mHasTrans = false;
    bool mHasAlpha = false;
    bool mVolatile = false;
    bool mPurgeBits = false;
    bool mWantPal = false;
    std::unique_ptr<uint32_t[]> mNativeAlphaData;
    // The screen format mNativeAlphaData was built for; GetBits needs it to turn the table back into pixels.
    NativeDisplay mNativeAlphaFormat;
    std::unique_ptr<unsigned char[]> mRLAlphaData;
    std::unique_ptr<unsigned char[]> mRLAdditiveData;
    std::unique_ptr<uint16_t[]> mNative16Data;
    bool mBitsChanged = false;
    GraphicsHost* mApp = nullptr;

protected:
    // A new pixel array of the current size with its guard word, pixels zeroed.
    std::unique_ptr<uint32_t[]> AllocateBits() const;
    // The screen format that PurgeBits keeps the picture in: the application display's; none before the
    // display has started or for an image that belongs to no application, which then keeps its pixels.
    virtual const NativeDisplay* DisplayFormat() const;
    bool Is3DEnabled() const;
    // Draws a list of separate triangles, moved by the offset, into pixels of the given format; a vertex
    // colour of 0 takes the draw colour. Memory images and locked surfaces share it.
    static void RasterizeTriangleList(MemoryImage* texture, const TriVertex* vertices, int numTriangles,
                                      const Rect& area, const Color& color, DrawMode mode, float offsetX, float offsetY,
                                      bool bilinear, void* bits, uint32_t pitchBytes, uint32_t format);

private:
    void CopyPixelsFrom(MemoryImage& other);
    void BuildBitsFromNativeAlpha(uint32_t* bits) const;

    // Software drawing helpers.
    void BlitNormal(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color);
    void BlitOpaqueRuns(MemoryImage* src, int x, int y, const Rect& srcRect);
    void BlitAdditive(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color);
    void DrawSteppedLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode);
    void BlitRotatedRows(MemoryImage* src, const FRect& box, float x, float y, const Rect& srcRect, const Color& color,
                         DrawMode mode, double angle, float centerX, float centerY);
    void BlitScaledFast(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color, DrawMode mode);
    void BlitScaledSmooth(MemoryImage* src, const Rect& dest, const FRect& part, const Color& color, DrawMode mode);
    int TriangleFormat() const;
};

} // namespace Olvarn
