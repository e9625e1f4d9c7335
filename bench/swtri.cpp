// Our software triangle rasteriser against SDL2's software renderer, drawing the same vertices, UVs
// and colours into a 1024x768 ARGB8888 surface; bilinear rows have no SDL counterpart.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graphics/MemoryImage.h"
#include "graphics/RasterizePolygon.h"
#include "swtri/RasterTypes.h"

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

} // namespace

int main(int argc, char** argv)
{
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    RegisterAll();
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
