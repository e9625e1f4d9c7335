// The hardware renderer of the display device: every drawing operation on the draw surface while 3D
// is on becomes coloured or textured triangles on the platform's Device3D. Images are uploaded as
// textures cut into power-of-two pieces and kept with the image until its pixels change.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/Rect.h"
#include "graphics/DDRenderer.h"
#include "graphics/Matrix3.h"
#include "platform/Device3D.h"
#include "platform/Surface.h"

namespace Olvarn
{

class GraphicsHost;

// Texture format kinds; the bits are also the members of a device's set of available kinds.
enum TextureKind {
    TEXKIND_NONE = 0,
    TEXKIND_A8R8G8B8 = 1,
    TEXKIND_A4R4G4B4 = 2,
    TEXKIND_R5G6B5 = 4,
    TEXKIND_PALETTE8 = 8
};
const char* TextureKindName(int kind);
int TextureKindBytes(int kind);

// What the device allows for texture sizes; 64, 64, 64, 64 and 1 until a device has started.
struct TextureLimits {
    int mMaxWidth = 64;
    int mMaxHeight = 64;
    int mMinWidth = 64;
    int mMinHeight = 64;
    int mMaxAspect = 1;
};
TextureLimits& GetTextureLimits();

// The size a texture for width x height gets (both in and out). texFlags are the image's texture flags.
void GetBestTextureSize(int& width, int& height, bool powerOfTwo, bool adjust, int texFlags);

// The last failed call of the renderer as "step: name"; empty while nothing failed since it was cleared.
std::string& D3DErrorText();
// The failed-call check: false for success; a failure becomes the error text and, through the host,
// the stored runtime error "Test3D\RuntimeError".
bool CheckD3DResult(DisplayResult result, const char* step, GraphicsHost* host);

// Conversions between the image's 32-bit pixels and a texture kind; the texture holds 32-bit pixels
// again after the kind's quantisation.
uint32_t QuantizeTexel(uint32_t argb, int kind);
uint32_t ReadBackTexel(uint32_t stored, int kind);

class ImageTextureSet
{
public:
    struct Piece {
        Texture3D* mTexture = nullptr;
        int mWidth = 0;
        int mHeight = 0;
    };
    // A piece's part of a source rectangle: which piece, its texture coordinates, and the size cut
    // to the piece.
    struct PieceArea {
        int mIndex = 0;
        int mWidth = 0;
        int mHeight = 0;
        float mU0 = 0, mV0 = 0, mU1 = 0, mV1 = 0;
    };

    // Fills the piece sizes for an image of width x height; creates no textures.
    void Layout(int width, int height, int texFlags);
    PieceArea Lookup(int x, int y, int width, int height) const;
    // The plain blit: the pieces the source rectangle covers, one quad each, at (x, y) unfiltered by
    // any transform and unclipped.
    void Draw(Device3D* device, GraphicsHost* host, float x, float y, const Rect& srcRect, uint32_t color);
    Piece* GetPiece(int column, int row) { return &mPieces[size_t(row * mColumns + column)]; }
    const Piece* GetPiece(int column, int row) const { return &mPieces[size_t(row * mColumns + column)]; }
    void ReleaseTextures(Device3D* device);

    std::vector<Piece> mPieces;
    bool mHasPalette = false;
    int mImageWidth = 0;
    int mImageHeight = 0;
    int mColumns = 0;
    int mRows = 0;
    int mPieceWidth = 64;
    int mPieceHeight = 64;
    int mBitsChangedCount = -1;
    uint64_t mTextureMemory = 0;
    float mUScale = 0;
    float mVScale = 0;
    int mKind = TEXKIND_NONE;
    int mTexFlags = 0;
};

class D3DInterface : public DDRenderer
{
public:
    D3DInterface();
    ~D3DInterface() override;
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    bool Init(DDInterface* device) override;
    void Cleanup() override;
    const std::string& GetErrorText() const override { return D3DErrorText(); }
    void ClearErrorText() override { D3DErrorText().clear(); }
    bool IsSceneOpen() const override { return mSceneOpen; }
    // Closes the scene and brings the frame into the draw surface, which the device presents.
    void EndScene() override;
    bool IsTransformStackEmpty() const override { return mTransformStack.empty(); }
    // Blits of surfaces cannot reach the draw surface's picture while it lives on the card.
    bool TakesSurfaceBlits() const override { return false; }
    void ReleaseImageTextures(MemoryImage* image) override;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void FillPolygon(const int* points, int count, const Rect* clip, const Color& color, int drawMode, int dx,
                     int dy) override;
    void BlitPlain(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                   bool linear) override;
    void Blit(Image* src, float x, float y, const Rect& srcRect, const Rect& clip, const Color& color,
              int drawMode) override;
    void BlitMirrored(Image* src, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                      bool linear) override;
    void BlitStretched(Image* src, const Rect& destRect, const Rect& srcRect, const Rect& clip, const Color& color,
                       int drawMode, bool fast, bool mirrored) override;
    void BlitRotated(Image* src, float x, float y, const Rect& clip, const Color& color, int drawMode, double angle,
                     float centerX, float centerY, const Rect& srcRect) override;
    void DrawImage(Image* src, const Rect* clip, const Color& color, int drawMode, const Rect& srcRect,
                   const Matrix3& matrix, bool linear, float tx, float ty, bool centred) override;
    void DrawTexturedTriangles(const TriVertex* vertices, int triangleCount, const Color& color, int drawMode,
                               Image* src, float dx, float dy, bool linear) override;

    bool PrepareScene();
    void SetBlendMode(int drawMode);
    void SetFilter(bool linear);
    bool PrepareImageTextures(MemoryImage* image);
    // Copies the textures back into the image's pixels; false without textures or when one cannot be read.
    bool ReadImageFromTextures(MemoryImage* image) override;
    bool CheckD3DResult(DisplayResult result, const char* step) { return Olvarn::CheckD3DResult(result, step, mHost); }

    Device3D* GetDevice() { return mDevice.get(); }
    int GetAvailableKinds() const { return mAvailableKinds; }
    // Set when the target could not be drawn on while the program ran; the exit question reads it.
    static bool& SceneFailed();
    // Texture bytes per kind over the textured images, for the developers' memory report.
    uint64_t TextureMemory(int kind, int* imageCount) const;
    const std::set<MemoryImage*>& GetTexturedImages() const { return mTexturedImages; }

private:
    // The draw surface in memory and the target on the card mirror each other: whichever was written
    // last is copied to the other before the other is used.
    void HookDrawSurface();
    void CopyTargetInto(SurfaceLock& lock);
    void CopySurfaceToTarget();
    bool BuildTextures(MemoryImage* image, ImageTextureSet& set);
    void UploadPiece(MemoryImage* image, ImageTextureSet& set, int column, int row);
    void DrawClippedFan(std::vector<Vertex3D>& polygon, Texture3D* texture, const char* step, bool toPiece,
                        const Rect* clip);

    std::unique_ptr<Device3D> mDevice;
    DDInterface* mDisplay = nullptr;
    GraphicsHost* mHost = nullptr;
    bool mSceneOpen = false;
    std::set<MemoryImage*> mTexturedImages;
    std::vector<Matrix3> mTransformStack;
    int mAvailableKinds = 0;
    int mFilter = -1;
    std::vector<uint32_t> mScratch;
    // Sets of images released off the drawing thread wait here for the next draw.
    void DestroyReleasedSets();
    mutable std::mutex mImagesLock;
    std::vector<ImageTextureSet*> mReleased;
    std::thread::id mDrawingThread;
    std::weak_ptr<Surface> mHookedSurface;
    bool mTargetAhead = false;
    bool mSurfaceAhead = false;
    bool mSyncing = false;
};

} // namespace Olvarn
