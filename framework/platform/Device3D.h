// The hardware renderer of the platform layer: an accelerated SDL renderer drawing pre-transformed,
// coloured and textured triangles and line strips into a target texture, which can be read back.
// Positions follow the old convention of pixel centres on integer coordinates; the device moves
// every vertex by half a pixel so that a 1:1 draw copies texels exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/DisplayResult.h"

namespace Olvarn
{

// One vertex: position in target pixels (centres at integers), colour 0xAARRGGBB that modulates the
// texture, texture coordinates 0 to 1 across the texture.
struct Vertex3D {
    float mX = 0;
    float mY = 0;
    uint32_t mColor = 0xFFFFFFFF;
    float mU = 0;
    float mV = 0;
};

// Blend factors; the result is source x factor + destination x factor, for colour and alpha alike.
enum class BlendFactor3D { Zero, One, SrcAlpha, InvSrcAlpha };

// The card as the graphics library names it. Linux has no driver file whose date could be read:
// the date stays unknown.
struct CardInfo3D {
    std::string mRenderer;
    std::string mVendor;
    std::string mVersion;
};

// Failures of the device, under the old 3D interface's result names.
namespace Device3DError
{
constexpr DisplayResult InvalidDevice = DisplayError::DisplayCode(705);
constexpr DisplayResult InitFailed = DisplayError::DisplayCode(706);
constexpr DisplayResult TextureCreateFailed = DisplayError::DisplayCode(721);
constexpr DisplayResult TextureLockFailed = DisplayError::DisplayCode(723);
constexpr DisplayResult TextureLoadFailed = DisplayError::DisplayCode(725);
constexpr DisplayResult InvalidPrimitiveType = DisplayError::DisplayCode(736);
constexpr DisplayResult SceneBeginFailed = DisplayError::DisplayCode(762);
} // namespace Device3DError

class Texture3D;

class Device3D
{
public:
    // A device with a width x height target. Null when no accelerated renderer with target textures
    // can be had; error then says why and contextMissing whether it is for want of an OpenGL context.
    static std::unique_ptr<Device3D> Create(int width, int height, std::string& error, bool* contextMissing = nullptr);
    ~Device3D();
    Device3D(const Device3D&) = delete;
    Device3D& operator=(const Device3D&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetMaxTextureSize() const { return mMaxTextureSize; }
    const CardInfo3D& GetCardInfo() const { return mCard; }
    // Video memory in bytes as far as the driver tells it (0 when it does not), and what the
    // device's own target and textures take.
    uint64_t GetVideoMemoryTotal() const { return mVideoMemoryTotal; }
    uint64_t GetVideoMemoryInUse() const { return mMemoryInUse; }
    // The last failure's text from the library.
    const std::string& GetLastError() const { return mLastError; }

    // Textures are 32-bit ARGB; other formats are converted by the caller before upload.
    DisplayResult CreateTexture(int width, int height, Texture3D*& out);
    void DestroyTexture(Texture3D* texture);
    DisplayResult UploadTexture(Texture3D* texture, const uint32_t* argb, int pitchPixels);
    DisplayResult ReadTexture(Texture3D* texture, uint32_t* argb, int pitchPixels);
    static int TextureWidth(const Texture3D* texture);
    static int TextureHeight(const Texture3D* texture);

    DisplayResult Clear(uint32_t argb);
    void SetBlend(BlendFactor3D source, BlendFactor3D dest);
    void SetLinearFilter(bool linear) { mLinear = linear; }
    // Separate triangles, three vertices each; a null texture draws the vertex colours.
    DisplayResult DrawTriangleList(Texture3D* texture, const Vertex3D* vertices, int vertexCount);
    DisplayResult DrawTriangleStrip(Texture3D* texture, const Vertex3D* vertices, int vertexCount);
    DisplayResult DrawTriangleFan(Texture3D* texture, const Vertex3D* vertices, int vertexCount);
    // Untextured, in the first vertex's colour.
    DisplayResult DrawLineStrip(const Vertex3D* vertices, int vertexCount);
    // All drawn so far is in the target after this; the rectangle must lie inside it.
    DisplayResult ReadTarget(int x, int y, int width, int height, uint32_t* argb, int pitchPixels);

private:
    Device3D() = default;
    DisplayResult DrawIndexed(Texture3D* texture, const Vertex3D* vertices, int vertexCount, const int* indices,
                              int indexCount);
    DisplayResult Fail(DisplayResult code);

    struct Impl;
    std::unique_ptr<Impl> mImpl;
    int mWidth = 0;
    int mHeight = 0;
    int mMaxTextureSize = 0;
    CardInfo3D mCard;
    uint64_t mVideoMemoryTotal = 0;
    uint64_t mMemoryInUse = 0;
    std::string mLastError;
    bool mLinear = false;
    BlendFactor3D mSource = BlendFactor3D::SrcAlpha;
    BlendFactor3D mDest = BlendFactor3D::InvSrcAlpha;
};

} // namespace Olvarn
