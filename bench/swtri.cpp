// Our software triangle rasteriser against SDL2's software renderer, drawing the same vertices, UVs
// and colours into a 1024x768 ARGB8888 surface; bilinear rows have no SDL counterpart. Then the main
// menu's sun on a 16-bit screen: its span loop against the scan converter's own per-pixel loop (the
// reference it replaces), with memcpy of the bytes drawn as the floor.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/RasterizePolygon.h"
#include "graphics/Transform2D.h"
#include "platform/DisplayFake.h"
#include "resources/ImageLib.h"
#include "swtri/RasterTypes.h"
#include "swtri/TexelSpan16.h"

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr float kPi = 3.14159265f;

// One draw call's vertices: a strip of two triangles for sprites, a list of triangles for the fan.
struct Shape {
    std::vector<Olvarn::TriVertex> vertices;
    bool strip = true;
};

struct Scene {
    const char* name;
    int textureSize;
    std::vector<Shape> shapes;
    double pixels = 0; // covered pixels per frame, clipped to the screen
};

Shape Sprite(float cx, float cy, float size, float scale, float degrees)
{
    float c = std::cos(degrees * kPi / 180) * scale, s = std::sin(degrees * kPi / 180) * scale;
    const float corners[4][2] = {
        {-size / 2, -size / 2}, {size / 2, -size / 2}, {-size / 2, size / 2}, {size / 2, size / 2}};
    Shape shape;
    for (int k = 0; k < 4; ++k) {
        float x = corners[k][0] * c - corners[k][1] * s + cx - 0.5f;
        float y = corners[k][0] * s + corners[k][1] * c + cy - 0.5f;
        shape.vertices.push_back(Olvarn::TriVertex{x, y, float(k & 1), float(k >> 1), 0xFFFFFFFF});
    }
    return shape;
}

Shape Fan(float cx, float cy, float radius, int triangles)
{
    Shape shape;
    shape.strip = false;
    for (int i = 0; i < triangles; ++i) {
        float a0 = 2 * kPi * i / triangles, a1 = 2 * kPi * (i + 1) / triangles;
        shape.vertices.push_back({cx, cy, 0.5f, 0.5f, 0xFFFFFFFF});
        shape.vertices.push_back({cx + radius * std::cos(a0), cy + radius * std::sin(a0), 0.5f + 0.5f * std::cos(a0),
                                  0.5f + 0.5f * std::sin(a0), 0xFFFFFFFF});
        shape.vertices.push_back({cx + radius * std::cos(a1), cy + radius * std::sin(a1), 0.5f + 0.5f * std::cos(a1),
                                  0.5f + 0.5f * std::sin(a1), 0xFFFFFFFF});
    }
    return shape;
}

// Pixels a set of shapes covers, counted by drawing them opaque once.
double CoveredPixels(const std::vector<Shape>& shapes)
{
    std::vector<uint32_t> canvas(size_t(kWidth) * kHeight, 0);
    uint32_t texel = 0xFFFFFFFF;
    Olvarn::MemoryImage white;
    white.SetBits(&texel, 1, 1);
    double total = 0;
    for (const Shape& shape : shapes) {
        std::fill(canvas.begin(), canvas.end(), 0);
        const int count = int(shape.vertices.size());
        if (shape.strip)
            Olvarn::RasterizePolygon(shape.vertices.data(), count, &white, Olvarn::Color::White, 0,
                                     Olvarn::Rect(0, 0, kWidth, kHeight), canvas.data(), kWidth * 4, 0x888, false);
        else
            for (int i = 0; i + 3 <= count; i += 3)
                Olvarn::RasterizePolygon(&shape.vertices[size_t(i)], 3, &white, Olvarn::Color::White, 0,
                                         Olvarn::Rect(0, 0, kWidth, kHeight), canvas.data(), kWidth * 4, 0x888, false);
        for (uint32_t p : canvas)
            total += p != 0;
    }
    return total;
}

std::vector<Scene>& Scenes()
{
    static std::vector<Scene> scenes = [] {
        std::vector<Scene> s;
        s.push_back({"rotated256", 256, {Sprite(512, 384, 256, 1, 30)}});
        s.push_back({"cover1024x768", 256, {Sprite(512, 384, 256, 5, 30)}});
        Scene many{"sprites1000x32", 32, {}};
        uint32_t seed = 12345;
        for (int i = 0; i < 1000; ++i) {
            seed = seed * 214013u + 2531011u;
            float x = float((seed >> 16) % 1000) + 12;
            seed = seed * 214013u + 2531011u;
            float y = float((seed >> 16) % 740) + 14;
            many.shapes.push_back(Sprite(x, y, 32, 1, float(i % 360)));
        }
        s.push_back(many);
        s.push_back({"fan8", 64, {Fan(300.3f, 200.7f, 40, 8)}});
        for (Scene& scene : s)
            scene.pixels = CoveredPixels(scene.shapes);
        return s;
    }();
    return scenes;
}

// An opaque texture with a pattern, so neither side can take a shortcut for a flat colour.
std::vector<uint32_t> TexturePixels(int size)
{
    std::vector<uint32_t> pixels(size_t(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels[size_t(y) * size + x] =
                0xFF000000u | uint32_t(x * 255 / size) << 16 | uint32_t(y * 255 / size) << 8 | uint32_t((x ^ y) & 0xFF);
    return pixels;
}

const Olvarn::Color kTint(255, 200, 150, 255);

void OursBenchmark(benchmark::State& state, int sceneIndex, uint32_t format, bool tint, bool bilinear)
{
    const Scene& scene = Scenes()[size_t(sceneIndex)];
    std::vector<uint32_t> texels = TexturePixels(scene.textureSize);
    Olvarn::MemoryImage texture;
    texture.SetBits(texels.data(), scene.textureSize, scene.textureSize);
    std::vector<uint32_t> screen(size_t(kWidth) * kHeight, 0xFF000000);
    const Olvarn::Color colour = tint ? kTint : Olvarn::Color::White;
    const Olvarn::Rect clip(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        for (const Shape& shape : scene.shapes) {
            const int count = int(shape.vertices.size());
            if (shape.strip) {
                Olvarn::RasterizePolygon(shape.vertices.data(), count, &texture, colour, 0, clip, screen.data(),
                                         kWidth * 4, format, bilinear);
            } else {
                for (int i = 0; i + 3 <= count; i += 3)
                    Olvarn::RasterizePolygon(&shape.vertices[size_t(i)], 3, &texture, colour, 0, clip, screen.data(),
                                             kWidth * 4, format, bilinear);
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations() * scene.pixels));
}

void SdlBenchmark(benchmark::State& state, int sceneIndex, bool tint)
{
    const Scene& scene = Scenes()[size_t(sceneIndex)];
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    std::vector<uint32_t> texels = TexturePixels(scene.textureSize);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             scene.textureSize, scene.textureSize);
    SDL_UpdateTexture(texture, nullptr, texels.data(), scene.textureSize * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    const SDL_Color colour = tint ? SDL_Color{Uint8(kTint.mRed), Uint8(kTint.mGreen), Uint8(kTint.mBlue), 255}
                                  : SDL_Color{255, 255, 255, 255};
    std::vector<std::vector<SDL_Vertex>> calls;
    for (const Shape& shape : scene.shapes) {
        std::vector<SDL_Vertex> v;
        auto add = [&](const Olvarn::TriVertex& t) { v.push_back({{t.x, t.y}, colour, {t.u, t.v}}); };
        if (shape.strip) {
            const auto& s = shape.vertices;
            for (int k : {0, 1, 2, 1, 3, 2})
                add(s[size_t(k)]);
        } else {
            for (const auto& t : shape.vertices)
                add(t);
        }
        calls.push_back(std::move(v));
    }
    for (auto _ : state) {
        for (const auto& v : calls)
            SDL_RenderGeometry(renderer, texture, v.data(), int(v.size()), nullptr, 0);
        SDL_RenderFlush(renderer);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * scene.pixels));
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

std::string Name(const char* side, int scene, const char* variant)
{
    return std::string(side) + "/" + Scenes()[size_t(scene)].name + "/" + variant;
}

struct Row {
    std::string label, ours, sdl;
};

std::vector<Row>& Rows()
{
    static std::vector<Row> rows;
    return rows;
}

void RegisterAll()
{
    for (int scene = 0; scene < int(Scenes().size()); ++scene) {
        for (bool tint : {false, true}) {
            const char* variant = tint ? "nearest_tint" : "nearest";
            std::string sdl = Name("sdl", scene, variant);
            benchmark::RegisterBenchmark(sdl.c_str(), SdlBenchmark, scene, tint)->Unit(benchmark::kMicrosecond);
            for (uint32_t format : {0x888u, 0x8888u}) {
                std::string v = std::string(variant) + (format == 0x888 ? "_0x888" : "_0x8888");
                std::string ours = Name("ours", scene, v.c_str());
                benchmark::RegisterBenchmark(ours.c_str(), OursBenchmark, scene, format, tint, false)
                    ->Unit(benchmark::kMicrosecond);
                Rows().push_back({Scenes()[size_t(scene)].name + std::string(" ") + v, ours, sdl});
            }
        }
        for (uint32_t format : {0x888u, 0x8888u}) {
            std::string ours = Name("ours", scene, format == 0x888 ? "bilinear_0x888" : "bilinear_0x8888");
            benchmark::RegisterBenchmark(ours.c_str(), OursBenchmark, scene, format, false, true)
                ->Unit(benchmark::kMicrosecond);
            Rows().push_back(
                {Scenes()[size_t(scene)].name + std::string(" bilinear ") + (format == 0x888 ? "0x888" : "0x8888"),
                 ours, ""});
        }
    }
}

// Pixels drawn by one iteration of the scene a benchmark name names.
double PixelsOf(const std::string& name)
{
    for (const Scene& scene : Scenes())
        if (name.find(std::string("/") + scene.name + "/") != std::string::npos)
            return scene.pixels;
    return 0;
}

void PrintTable(const benchsupport::RunTimes& times)
{
    std::printf("\n%-38s %14s %14s %8s\n", "scene and mode", "ours Mpix/s", "SDL Mpix/s", "ratio");
    for (const Row& row : Rows()) {
        const auto* ours = times.Find(row.ours);
        if (!ours || ours->realSeconds <= 0)
            continue;
        double pixels = PixelsOf(row.ours);
        double oursRate = pixels / ours->realSeconds / 1e6;
        const auto* sdl = row.sdl.empty() ? nullptr : times.Find(row.sdl);
        if (sdl && sdl->realSeconds > 0)
            std::printf("%-38s %14.1f %14.1f %7.2fx\n", row.label.c_str(), oursRate, pixels / sdl->realSeconds / 1e6,
                        sdl->realSeconds / ours->realSeconds);
        else
            std::printf("%-38s %14.1f %14s %8s\n", row.label.c_str(), oursRate, "-", "-");
    }
}

// --- The main menu's sun on a 16-bit screen ---------------------------------------------------------

// The halo and the disc as the menu shows them: the sun's waves and turning from the game's
// configuration, sampled every quarter second over the 30 s after which all of them repeat.
struct SunWave {
    float a, b;
    int cycle;
    float At(float ms) const
    {
        const float t = std::fmod(ms, float(cycle)), h = float(cycle) / 2.0f;
        return t >= float(cycle / 2) ? b + (t - h) * (a - b) / h : a + t * (b - a) / h;
    }
};

struct SunLayer {
    int cell;
    float scale;
    int alpha;
    double angle;
};

struct SunFrame {
    SunLayer halo, disc;
};

constexpr int kSunX = 100, kSunY = 90;
constexpr int kSunFrames = 120;

std::vector<SunFrame> SunFrames()
{
    constexpr float kRadiansPerDegree = 0.017452778f;
    const SunWave discScale{1, 1.08f, 4000}, haloScale{1, 1.2f, 6000}, discAlpha{255, 230, 3000},
        haloAlpha{150, 220, 5000};
    std::vector<SunFrame> frames;
    for (int i = 0; i < kSunFrames; ++i) {
        const float ms = 125.0f + 250.0f * float(i);
        SunFrame f;
        f.halo = {int(ms / 150) % 8, haloScale.At(ms), int(haloAlpha.At(ms)), ms * -3 * kRadiansPerDegree / 1000};
        f.disc = {int(ms / 100) % 16, discScale.At(ms), int(discAlpha.At(ms)), ms * 6 * kRadiansPerDegree / 1000};
        frames.push_back(f);
    }
    return frames;
}

// The generated art beside the program's build (bin/images), else a stand-in of the same sizes: a
// glow over the whole cell and a disc with rays, mostly clear around it. opaque gives the same cells
// all white, to count the pixels a draw covers.
std::unique_ptr<Olvarn::MemoryImage> SunImage(const char* file, int cellSize, int cells, bool glow, bool opaque,
                                              bool& generated)
{
    const int width = cellSize * cells;
    std::vector<uint32_t> px(size_t(width) * cellSize, 0xFFFFFFFFu);
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::unique_ptr<ImageLib::Image> art =
        error ? nullptr : ImageLib::ReadPng((exe.parent_path().parent_path() / "bin/images" / file).string());
    if (art && !opaque && art->GetWidth() == width && art->GetHeight() == cellSize) {
        std::memcpy(px.data(), art->GetBits(), px.size() * 4);
    } else if (!opaque) {
        generated = true;
        const double c = (cellSize - 1) / 2.0;
        for (int y = 0; y < cellSize; ++y)
            for (int x = 0; x < width; ++x) {
                const double dx = x % cellSize - c, dy = y - c, d = std::hypot(dx, dy) / c;
                const double ray = std::fabs(std::sin(4 * std::atan2(dy, dx) + (x / cellSize) * 0.1));
                const double a = glow ? 0.8 * (1 - d) : (d < 0.45 ? 1 : (d < 0.9 && ray > 0.85 ? 0.9 : 0));
                px[size_t(y) * width + x] = uint32_t(std::min(std::max(a, 0.0), 1.0) * 255) << 24 | 0xFFD040u;
            }
    }
    auto image = std::make_unique<Olvarn::MemoryImage>();
    image->SetBits(px.data(), width, cellSize);
    image->mNumCols = cells;
    return image;
}

class SunScene
{
public:
    SunScene()
    {
        auto display = std::make_unique<Olvarn::DisplayFake>(Olvarn::SurfaceFormat::Rgb565());
        mDevice = std::make_unique<Olvarn::DDInterface>(nullptr, Olvarn::DisplayOptions(), std::move(display));
        mDevice->mOptions.mWidth = kWidth;
        mDevice->mOptions.mHeight = kHeight;
        if (mDevice->Init(nullptr, true) != Olvarn::DDInterface::RESULT_OK)
            std::abort();
        mScreen = mDevice->GetScreenImage();
        mHalo = SunImage("sun_back.png", 256, 8, true, false, mGenerated);
        mDisc = SunImage("sun.png", 96, 16, false, false, mGenerated);
        mFrames = SunFrames();
    }

    // One frame's halo and disc, as the menu draws them.
    void Draw(const SunFrame& f)
    {
        Olvarn::Graphics g(mScreen);
        DrawLayer(g, mHalo.get(), f.halo, false);
        DrawLayer(g, mDisc.get(), f.disc, false);
    }
    void DrawAll()
    {
        for (const SunFrame& f : mFrames)
            Draw(f);
    }

    // Pixels the frames' quads cover, halo and disc counted apart: opaque white cells on a cleared screen.
    double CoveredPixels()
    {
        bool unused = false;
        auto halo = SunImage("", 256, 8, true, true, unused);
        auto disc = SunImage("", 96, 16, false, true, unused);
        double total = 0;
        for (const SunFrame& f : mFrames) {
            for (int layer = 0; layer < 2; ++layer) {
                Fill(false);
                Olvarn::Graphics g(mScreen);
                DrawLayer(g, layer == 0 ? halo.get() : disc.get(), layer == 0 ? f.halo : f.disc, true);
                for (uint16_t p : Pixels())
                    total += p != 0;
            }
        }
        return total;
    }

    // A pattern, or all 0.
    void Fill(bool pattern)
    {
        Olvarn::SurfaceLock lock = Lock();
        for (int y = 0; y < lock.mHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(lock.mBits + ptrdiff_t(y) * lock.mPitch);
            for (int x = 0; x < lock.mWidth; ++x)
                row[x] = pattern ? uint16_t((x * 7) ^ (y * 13)) : 0;
        }
        mScreen->GetSurface()->Unlock();
    }

    std::vector<uint16_t> Pixels()
    {
        std::vector<uint16_t> out;
        Olvarn::SurfaceLock lock = Lock();
        for (int y = 0; y < lock.mHeight; ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(lock.mBits + ptrdiff_t(y) * lock.mPitch);
            out.insert(out.end(), row, row + lock.mWidth);
        }
        mScreen->GetSurface()->Unlock();
        return out;
    }

    const std::vector<SunFrame>& Frames() const { return mFrames; }
    bool Generated() const { return mGenerated; }

private:
    // As CImage::DrawRotated draws a centred picture turned around its middle; plain leaves out the alpha.
    static void DrawLayer(Olvarn::Graphics& g, Olvarn::MemoryImage* image, const SunLayer& layer, bool plain)
    {
        Olvarn::GraphicsStateSaver saver(g);
        if (layer.alpha != 255 && !plain) {
            g.SetModulateImages(true);
            g.SetColor(Olvarn::Color(255, 255, 255, layer.alpha));
        }
        const Olvarn::Rect source = image->GetCellRect(layer.cell);
        if (layer.scale == 1.0f) {
            g.DrawImageRotatedAroundInt(image, kSunX - source.mWidth / 2, kSunY - source.mHeight / 2, layer.angle,
                                        source.mWidth / 2, source.mHeight / 2, &source);
            return;
        }
        Olvarn::Transform2D transform;
        transform.Rotate(float(layer.angle));
        transform.Scale(layer.scale, layer.scale);
        transform.Translate(float(kSunX), float(kSunY));
        g.DrawImageTransformedSnapped(image, transform, source, 0, 0);
    }

    Olvarn::SurfaceLock Lock()
    {
        Olvarn::SurfaceLock lock;
        if (Olvarn::DisplayFailed(mScreen->GetSurface()->Lock(lock)))
            std::abort();
        return lock;
    }

    std::unique_ptr<Olvarn::DDInterface> mDevice;
    Olvarn::DDImage* mScreen = nullptr;
    std::unique_ptr<Olvarn::MemoryImage> mHalo, mDisc;
    std::vector<SunFrame> mFrames;
    bool mGenerated = false;
};

SunScene& Sun()
{
    static SunScene scene;
    return scene;
}

// Covered pixels of all the frames, counted once.
double SunPixels()
{
    static const double pixels = Sun().CoveredPixels();
    return pixels;
}

// Draws every frame at one span level: the reference loop or a vector form.
void SunBenchmark(benchmark::State& state, Olvarn::texelspan::Level level)
{
    const Olvarn::texelspan::Level best = Olvarn::texelspan::Active().level;
    if (!Olvarn::texelspan::UseLevel(level)) {
        state.SkipWithError("this processor cannot run the level");
        return;
    }
    Sun().Fill(true);
    for (auto _ : state) {
        Sun().DrawAll();
        benchmark::ClobberMemory();
    }
    Olvarn::texelspan::UseLevel(best);
    state.SetItemsProcessed(int64_t(double(state.iterations()) * SunPixels()));
}

// The floor: as many 16-bit pixels copied as the frames' quads cover.
void SunMemcpy(benchmark::State& state)
{
    const size_t bytes = size_t(SunPixels()) * 2;
    const size_t chunk = size_t(kWidth) * kHeight * 2;
    std::vector<uint8_t> from(chunk, 1), to(chunk);
    for (auto _ : state) {
        for (size_t done = 0; done < bytes; done += chunk) {
            std::memcpy(to.data(), from.data(), std::min(chunk, bytes - done));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(int64_t(double(state.iterations()) * SunPixels()));
}

const char* LevelName(Olvarn::texelspan::Level level)
{
    switch (level) {
    case Olvarn::texelspan::Level::Reference:
        return "reference";
    case Olvarn::texelspan::Level::Sse2:
        return "sse2";
    case Olvarn::texelspan::Level::Avx2:
        return "avx2";
    }
    return "";
}

// Each vector level draws every frame onto the same screen as the reference does, or the program stops.
bool SunLevelsAgree()
{
    using Olvarn::texelspan::Level;
    const Level best = Olvarn::texelspan::Active().level;
    bool agree = true;
    for (Level level : {Level::Sse2, Level::Avx2}) {
        if (!Olvarn::texelspan::ForLevel(level))
            continue;
        for (size_t i = 0; i < Sun().Frames().size() && agree; ++i) {
            std::vector<uint16_t> pictures[2];
            for (int side = 0; side < 2; ++side) {
                Olvarn::texelspan::UseLevel(side == 0 ? Level::Reference : level);
                Sun().Fill(true);
                Sun().Draw(Sun().Frames()[i]);
                pictures[side] = Sun().Pixels();
            }
            if (pictures[0] != pictures[1]) {
                std::fprintf(stderr, "sun frame %zu: %s differs from the reference\n", i, LevelName(level));
                agree = false;
            }
        }
    }
    Olvarn::texelspan::UseLevel(best);
    return agree;
}

void RegisterSun()
{
    using Olvarn::texelspan::Level;
    for (Level level : {Level::Reference, Level::Sse2, Level::Avx2}) {
        if (!Olvarn::texelspan::ForLevel(level))
            continue;
        benchmark::RegisterBenchmark((std::string("sun565/") + LevelName(level)).c_str(), SunBenchmark, level)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("sun565/memcpy", SunMemcpy)->Unit(benchmark::kMicrosecond);
}

void PrintSunTable(const benchsupport::RunTimes& times)
{
    const auto* reference = times.Find("sun565/reference");
    const auto* floor = times.Find("sun565/memcpy");
    if (!reference || !floor)
        return;
    std::printf("\nmain menu sun, %d frames of halo and disc on R5G6B5 (%s art), %.0f covered pixels per frame\n",
                kSunFrames, Sun().Generated() ? "stand-in" : "generated", SunPixels() / kSunFrames);
    std::printf("%-12s %12s %14s %14s %12s\n", "span loop", "us/frame", "Mpix/s", "vs reference", "vs memcpy");
    for (const char* name : {"reference", "sse2", "avx2", "memcpy"}) {
        const auto* t = times.Find(std::string("sun565/") + name);
        if (!t || t->cpuSeconds <= 0)
            continue;
        std::printf("%-12s %12.1f %14.1f %13.2fx %11.2fx\n", name, t->cpuSeconds / kSunFrames * 1e6,
                    SunPixels() / t->cpuSeconds / 1e6, reference->cpuSeconds / t->cpuSeconds,
                    t->cpuSeconds / floor->cpuSeconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    RegisterAll();
    RegisterSun();
    if (!SunLevelsAgree())
        return 1;
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    PrintSunTable(reporter);
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
