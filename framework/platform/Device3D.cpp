// The hardware renderer over SDL's accelerated renderer and OpenGL.
#include "platform/Device3D.h"

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/VideoSystem.h"

namespace Olvarn
{

namespace
{

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
constexpr unsigned kGlVersion = 0x1F02;
// Total dedicated video memory in KB, where the driver offers the query.
constexpr unsigned kGlGpuMemoryTotalKb = 0x9048;

SDL_BlendFactor ToSdl(BlendFactor3D f)
{
    switch (f) {
    case BlendFactor3D::Zero:
        return SDL_BLENDFACTOR_ZERO;
    case BlendFactor3D::One:
        return SDL_BLENDFACTOR_ONE;
    case BlendFactor3D::SrcAlpha:
        return SDL_BLENDFACTOR_SRC_ALPHA;
    case BlendFactor3D::InvSrcAlpha:
        return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
    }
    return SDL_BLENDFACTOR_ONE;
}

SDL_Color ToSdlColor(uint32_t argb)
{
    return SDL_Color{Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb), Uint8(argb >> 24)};
}

// The renderer driver to ask for: desktop OpenGL, else any accelerated one that draws into textures.
int ChooseDriver()
{
    int fallback = -1;
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) != 0)
            continue;
        if (!(info.flags & SDL_RENDERER_ACCELERATED) || !(info.flags & SDL_RENDERER_TARGETTEXTURE))
            continue;
        if (std::strcmp(info.name, "opengl") == 0)
            return i;
        if (fallback < 0)
            fallback = i;
    }
    return fallback;
}

} // namespace

class Texture3D
{
public:
    SDL_Texture* mTexture = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    int mFilter = -1;
};

struct Device3D::Impl {
    bool mVideoStarted = false;
    SDL_Window* mWindow = nullptr;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTarget = nullptr;
    // Carries pictures written into the target from memory.
    SDL_Texture* mUpload = nullptr;
    std::vector<SDL_Vertex> mVertices;
    std::vector<int> mIndices;
};

std::unique_ptr<Device3D> Device3D::Create(int width, int height, std::string& error, bool* contextMissing)
{
    if (contextMissing)
        *contextMissing = false;
    std::unique_ptr<Device3D> device(new Device3D());
    device->mImpl = std::make_unique<Impl>();
    Impl& d = *device->mImpl;
    if (width <= 0 || height <= 0) {
        error = "invalid target size";
        return nullptr;
    }
    VideoSystem::SetStartHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        if (contextMissing)
            *contextMissing = true;
        return nullptr;
    }
    d.mVideoStarted = true;
    // Once the card has been used, SDL's video and the OpenGL driver stay up for the process: every
    // display restart with 3D would otherwise start the video again and load the whole driver anew.
    static bool driverHeld = false;
    if (!driverHeld && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        if (SDL_GL_LoadLibrary(nullptr) == 0)
            driverHeld = true;
        else
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    // A hidden window of its own carries the context; the frame is read back from the target.
    d.mWindow = SDL_CreateWindow("Device3D", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!d.mWindow) {
        error = SDL_GetError();
        if (contextMissing)
            *contextMissing = true;
        return nullptr;
    }
    const int driver = ChooseDriver();
    // Naming a driver turns SDL's batching of draws off unless it is asked for; a frame is thousands
    // of small draws, and nothing here calls OpenGL behind the renderer's back.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    if (driver >= 0)
        d.mRenderer = SDL_CreateRenderer(d.mWindow, driver, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (!d.mRenderer) {
        error = driver < 0 ? std::string("no accelerated renderer") : std::string(SDL_GetError());
        if (contextMissing)
            *contextMissing = true;
        return nullptr;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(d.mRenderer, &info);
    device->mMaxTextureSize =
        info.max_texture_width < info.max_texture_height ? info.max_texture_width : info.max_texture_height;
    // SDL's renderer made its context current: the card's names come from it.
    using GetString = const unsigned char* (*)(unsigned);
    using GetIntegerv = void (*)(unsigned, int*);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    auto getIntegerv = reinterpret_cast<GetIntegerv>(SDL_GL_GetProcAddress("glGetIntegerv"));
    if (getString && SDL_GL_GetCurrentContext()) {
        auto text = [&](unsigned name) {
            const unsigned char* s = getString(name);
            return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
        };
        device->mCard.mRenderer = text(kGlRenderer);
        device->mCard.mVendor = text(kGlVendor);
        device->mCard.mVersion = text(kGlVersion);
        if (getIntegerv && SDL_GL_ExtensionSupported("GL_NVX_gpu_memory_info")) {
            int kb = 0;
            getIntegerv(kGlGpuMemoryTotalKb, &kb);
            device->mVideoMemoryTotal = uint64_t(kb > 0 ? kb : 0) * 1024;
        }
    } else {
        device->mCard.mRenderer = info.name;
    }
    d.mTarget = SDL_CreateTexture(d.mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (!d.mTarget || SDL_SetRenderTarget(d.mRenderer, d.mTarget) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    device->mWidth = width;
    device->mHeight = height;
    device->mMemoryInUse = uint64_t(width) * uint64_t(height) * 4;
    SDL_SetRenderDrawBlendMode(d.mRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(d.mRenderer, 0, 0, 0, 255);
    SDL_RenderClear(d.mRenderer);
    device->SetBlend(BlendFactor3D::SrcAlpha, BlendFactor3D::InvSrcAlpha);
    return device;
}

Device3D::~Device3D()
{
    if (!mImpl)
        return;
    Impl& d = *mImpl;
    if (d.mUpload)
        SDL_DestroyTexture(d.mUpload);
    if (d.mTarget)
        SDL_DestroyTexture(d.mTarget);
    if (d.mRenderer)
        SDL_DestroyRenderer(d.mRenderer);
    if (d.mWindow)
        SDL_DestroyWindow(d.mWindow);
    if (d.mVideoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

DisplayResult Device3D::Fail(DisplayResult code)
{
    mLastError = SDL_GetError();
    return code;
}

// --- Textures --------------------------------------------------------------------------------------

DisplayResult Device3D::CreateTexture(int width, int height, Texture3D*& out)
{
    out = nullptr;
    if (width <= 0 || height <= 0 || width > mMaxTextureSize || height > mMaxTextureSize)
        return DisplayError::InvalidParams;
    // Target access lets the picture be read back through the renderer.
    SDL_Texture* t =
        SDL_CreateTexture(mImpl->mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (!t)
        return Fail(Device3DError::TextureCreateFailed);
    out = new Texture3D();
    out->mTexture = t;
    out->mWidth = width;
    out->mHeight = height;
    mMemoryInUse += uint64_t(width) * uint64_t(height) * 4;
    return DisplayError::Ok;
}

void Device3D::DestroyTexture(Texture3D* texture)
{
    if (!texture)
        return;
    mMemoryInUse -= uint64_t(texture->mWidth) * uint64_t(texture->mHeight) * 4;
    SDL_DestroyTexture(texture->mTexture);
    delete texture;
}

int Device3D::TextureWidth(const Texture3D* texture)
{
    return texture ? texture->mWidth : 0;
}

int Device3D::TextureHeight(const Texture3D* texture)
{
    return texture ? texture->mHeight : 0;
}

DisplayResult Device3D::UploadTexture(Texture3D* texture, const uint32_t* argb, int pitchPixels)
{
    if (!texture || !argb)
        return DisplayError::InvalidParams;
    if (SDL_UpdateTexture(texture->mTexture, nullptr, argb, pitchPixels * 4) != 0)
        return Fail(Device3DError::TextureLoadFailed);
    return DisplayError::Ok;
}

DisplayResult Device3D::ReadTexture(Texture3D* texture, uint32_t* argb, int pitchPixels)
{
    if (!texture || !argb)
        return DisplayError::InvalidParams;
    Impl& d = *mImpl;
    if (SDL_SetRenderTarget(d.mRenderer, texture->mTexture) != 0)
        return Fail(Device3DError::TextureLockFailed);
    const int read = SDL_RenderReadPixels(d.mRenderer, nullptr, SDL_PIXELFORMAT_ARGB8888, argb, pitchPixels * 4);
    const int back = SDL_SetRenderTarget(d.mRenderer, d.mTarget);
    if (read != 0 || back != 0)
        return Fail(Device3DError::TextureLockFailed);
    return DisplayError::Ok;
}

// --- Drawing ---------------------------------------------------------------------------------------

DisplayResult Device3D::BindTarget()
{
    Impl& d = *mImpl;
    if (SDL_GetRenderTarget(d.mRenderer) == d.mTarget)
        return DisplayError::Ok;
    if (SDL_SetRenderTarget(d.mRenderer, d.mTarget) != 0)
        return Fail(Device3DError::InvalidDevice);
    return DisplayError::Ok;
}

DisplayResult Device3D::Clear(uint32_t argb)
{
    SDL_Renderer* r = mImpl->mRenderer;
    SDL_SetRenderDrawColor(r, Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb), Uint8(argb >> 24));
    if (SDL_RenderClear(r) != 0)
        return Fail(Device3DError::SceneBeginFailed);
    return DisplayError::Ok;
}

void Device3D::SetBlend(BlendFactor3D source, BlendFactor3D dest)
{
    mSource = source;
    mDest = dest;
}

DisplayResult Device3D::DrawIndexed(Texture3D* texture, const Vertex3D* vertices, int vertexCount, const int* indices,
                                    int indexCount)
{
    if (vertexCount < 3 || (indices && indexCount < 3))
        return DisplayError::Ok;
    if (mFailDraws > 0) {
        --mFailDraws;
        mLastError = "draw refused";
        return Device3DError::InvalidPrimitiveType;
    }
    Impl& d = *mImpl;
    const SDL_BlendMode mode = SDL_ComposeCustomBlendMode(ToSdl(mSource), ToSdl(mDest), SDL_BLENDOPERATION_ADD,
                                                          ToSdl(mSource), ToSdl(mDest), SDL_BLENDOPERATION_ADD);
    if (texture) {
        const int filter = mLinear ? 1 : 0;
        if (texture->mFilter != filter) {
            // The filter is set on the texture at once, while earlier draws of it may still wait in
            // the renderer's queue: they go out first.
            SDL_RenderFlush(d.mRenderer);
            SDL_SetTextureScaleMode(texture->mTexture, mLinear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
            texture->mFilter = filter;
        }
        if (SDL_SetTextureBlendMode(texture->mTexture, mode) != 0)
            return Fail(Device3DError::InvalidDevice);
    } else if (SDL_SetRenderDrawBlendMode(d.mRenderer, mode) != 0) {
        return Fail(Device3DError::InvalidDevice);
    }
    d.mVertices.resize(size_t(vertexCount));
    for (int i = 0; i < vertexCount; ++i) {
        const Vertex3D& v = vertices[i];
        // Pixel centres lie on integers for the callers and on half-integers for the renderer.
        d.mVertices[size_t(i)] = SDL_Vertex{{v.mX + 0.5f, v.mY + 0.5f}, ToSdlColor(v.mColor), {v.mU, v.mV}};
    }
    if (SDL_RenderGeometry(d.mRenderer, texture ? texture->mTexture : nullptr, d.mVertices.data(), vertexCount, indices,
                           indexCount) != 0)
        return Fail(Device3DError::InvalidPrimitiveType);
    return DisplayError::Ok;
}

DisplayResult Device3D::DrawTriangleList(Texture3D* texture, const Vertex3D* vertices, int vertexCount)
{
    const int count = vertexCount - vertexCount % 3;
    if (count < 3)
        return DisplayError::Ok;
    return DrawIndexed(texture, vertices, count, nullptr, 0);
}

DisplayResult Device3D::DrawTriangleStrip(Texture3D* texture, const Vertex3D* vertices, int vertexCount)
{
    std::vector<int>& idx = mImpl->mIndices;
    idx.clear();
    for (int i = 2; i < vertexCount; ++i) {
        idx.push_back(i - 2);
        idx.push_back(i - 1);
        idx.push_back(i);
    }
    return DrawIndexed(texture, vertices, vertexCount, idx.data(), int(idx.size()));
}

DisplayResult Device3D::DrawTriangleFan(Texture3D* texture, const Vertex3D* vertices, int vertexCount)
{
    std::vector<int>& idx = mImpl->mIndices;
    idx.clear();
    for (int i = 2; i < vertexCount; ++i) {
        idx.push_back(0);
        idx.push_back(i - 1);
        idx.push_back(i);
    }
    return DrawIndexed(texture, vertices, vertexCount, idx.data(), int(idx.size()));
}

namespace
{

// The pixels of one segment under the old interface's rule: a pixel is lit when the segment leaves
// the diamond around its centre, so the start pixel is lit and the end pixel is not. Steps along the
// longer axis; the other coordinate is rounded with halves going down.
template <typename Plot> void WalkSegment(float x0, float y0, float x1, float y1, Plot plot)
{
    const float dx = x1 - x0, dy = y1 - y0;
    const bool alongX = std::fabs(dx) > std::fabs(dy);
    const float a0 = alongX ? x0 : y0, a1 = alongX ? x1 : y1;
    const float b0 = alongX ? y0 : x0, b1 = alongX ? y1 : x1;
    if (a0 == a1)
        return;
    const float slope = (b1 - b0) / (a1 - a0);
    int first, last, step;
    if (a1 > a0) {
        first = int(std::ceil(a0 - 0.5f));
        last = int(std::floor(a1 - 0.5f));
        step = 1;
    } else {
        first = int(std::floor(a0 + 0.5f));
        last = int(std::ceil(a1 + 0.5f));
        step = -1;
    }
    for (int a = first; step > 0 ? a <= last : a >= last; a += step) {
        const float b = b0 + (float(a) - a0) * slope;
        // A tie stays on the side of the end with the smaller long-axis coordinate, as the software
        // line walk does.
        const int minor = int(slope >= 0 ? std::ceil(b - 0.5f) : std::floor(b + 0.5f));
        if (alongX)
            plot(a, minor);
        else
            plot(minor, a);
    }
}

} // namespace

DisplayResult Device3D::DrawLineStrip(const Vertex3D* vertices, int vertexCount)
{
    if (vertexCount < 2)
        return DisplayError::Ok;
    // Each pixel becomes a small square: the renderer's own lines light both ends and break ties
    // their own way.
    std::vector<Vertex3D> squares;
    const uint32_t c = vertices[0].mColor;
    for (int i = 1; i < vertexCount; ++i)
        WalkSegment(vertices[i - 1].mX, vertices[i - 1].mY, vertices[i].mX, vertices[i].mY, [&](int x, int y) {
            const float l = float(x) - 0.5f, t = float(y) - 0.5f, r = l + 1, b = t + 1;
            const Vertex3D corners[6] = {{l, t, c, 0, 0}, {r, t, c, 0, 0}, {l, b, c, 0, 0},
                                         {r, t, c, 0, 0}, {r, b, c, 0, 0}, {l, b, c, 0, 0}};
            squares.insert(squares.end(), corners, corners + 6);
        });
    if (squares.empty())
        return DisplayError::Ok;
    return DrawIndexed(nullptr, squares.data(), int(squares.size()), nullptr, 0);
}

DisplayResult Device3D::WriteTarget(const uint32_t* argb, int pitchPixels)
{
    Impl& d = *mImpl;
    if (!d.mUpload) {
        d.mUpload =
            SDL_CreateTexture(d.mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, mWidth, mHeight);
        if (!d.mUpload)
            return Fail(Device3DError::TextureCreateFailed);
        SDL_SetTextureBlendMode(d.mUpload, SDL_BLENDMODE_NONE);
    }
    if (SDL_UpdateTexture(d.mUpload, nullptr, argb, pitchPixels * 4) != 0)
        return Fail(Device3DError::TextureLoadFailed);
    if (SDL_RenderCopy(d.mRenderer, d.mUpload, nullptr, nullptr) != 0)
        return Fail(Device3DError::InvalidPrimitiveType);
    return DisplayError::Ok;
}

DisplayResult Device3D::ReadTarget(int x, int y, int width, int height, uint32_t* argb, int pitchPixels)
{
    if (!argb || width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > mWidth || y + height > mHeight)
        return DisplayError::InvalidRect;
    SDL_Rect r{x, y, width, height};
    if (SDL_RenderReadPixels(mImpl->mRenderer, &r, SDL_PIXELFORMAT_ARGB8888, argb, pitchPixels * 4) != 0)
        return Fail(Device3DError::TextureLockFailed);
    return DisplayError::Ok;
}

} // namespace Olvarn
