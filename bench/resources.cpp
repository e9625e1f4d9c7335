// The resource manifest reader against TinyXML on a manifest of 10,000 entries, and the layered
// image-font draw (with its allocation count) against drawing the same glyphs one by one.
#include <benchmark/benchmark.h>

#include "RunTimes.h"
#include <tinyxml.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"
#include "resources/ResourceManager.h"

// The counting operator new below hands out malloc'd memory, so free is the matching release.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace
{

std::atomic<long> gAllocations{0};

} // namespace

// Every allocation of the process is counted, so a draw can show it makes none.
void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{

constexpr int kEntries = 10000;

using benchsupport::TempPath;

const std::string& ManifestFile()
{
    static const std::string path = [] {
        std::string p = TempPath("resources.xml");
        std::FILE* f = std::fopen(p.c_str(), "wb");
        if (!f)
            std::abort();
        std::fputs("<?xml version=\"1.0\"?>\n<ResourceManifest>\n", f);
        for (int group = 0; group < kEntries / 100; ++group) {
            std::fprintf(f, "  <Resources id=\"Group%d\">\n    <SetDefaults path=\"images\" idprefix=\"IMAGE_\"/>\n",
                         group);
            for (int i = 0; i < 100; ++i) {
                const int n = group * 100 + i;
                if (i % 10 == 9)
                    std::fprintf(f, "    <Sound id=\"S%d\" path=\"sounds\\s%d\" volume=\"0.5\"/>\n", n, n);
                else if (i % 25 == 0)
                    std::fprintf(f, "    <Font id=\"F%d\" path=\"fonts\\f%d.txt\" tags=\"bold, shadow\"/>\n", n, n);
                else
                    std::fprintf(f,
                                 "    <Image path=\"img%d.png\" rows=\"2\" cols=\"4\" anim=\"loop\" "
                                 "framedelay=\"30\" nopal=\"1\"/>\n",
                                 n);
            }
            std::fputs("  </Resources>\n", f);
        }
        std::fputs("</ResourceManifest>\n", f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_ManifestOurs(benchmark::State& state)
{
    const std::string& file = ManifestFile();
    for (auto _ : state) {
        Olvarn::ResourceManager manager(nullptr);
        if (!manager.ReadManifest(file))
            state.SkipWithError(manager.ErrorMessage().c_str());
        benchmark::DoNotOptimize(manager.Images().size());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ManifestOurs)->Unit(benchmark::kMillisecond);

// What a user would write instead: TinyXML's tree, then one map per kind keyed by id.
void BM_ManifestTinyXml(benchmark::State& state)
{
    const std::string& file = ManifestFile();
    for (auto _ : state) {
        TiXmlDocument document(file.c_str());
        if (!document.LoadFile())
            state.SkipWithError("TinyXML failed");
        std::map<std::string, std::map<std::string, std::string>> images, sounds, fonts;
        const TiXmlElement* root = document.RootElement();
        for (const TiXmlElement* group = root->FirstChildElement("Resources"); group;
             group = group->NextSiblingElement("Resources"))
            for (const TiXmlElement* e = group->FirstChildElement(); e; e = e->NextSiblingElement()) {
                const std::string kind = e->Value();
                auto& map = kind == "Image" ? images : kind == "Sound" ? sounds : fonts;
                const char* id = e->Attribute("id");
                const char* path = e->Attribute("path");
                auto& record = map[id ? id : path ? path : ""];
                for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next())
                    record[a->Name()] = a->Value();
            }
        benchmark::DoNotOptimize(images.size());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ManifestTinyXml)->Unit(benchmark::kMillisecond);

// A two-layer font (a shadow under a body) cut from one 95-glyph strip by a widths file.
struct FontFixture {
    FontFixture()
    {
        auto image = std::make_shared<Olvarn::MemoryImage>();
        image->Create(95 * 8, 12);
        uint32_t* bits = image->GetBits();
        for (int i = 0; i < image->GetWidth() * image->GetHeight(); ++i)
            bits[i] = (i % 3) ? 0xFFFFFFFFu : 0x80FFFFFFu;
        image->BitsChanged();
        const std::string widths = TempPath("widths.txt");
        std::FILE* f = std::fopen(widths.c_str(), "wb");
        std::fputs("4 10", f);
        for (int c = 33; c < 127; ++c)
            std::fprintf(f, " %c 8", c);
        std::fclose(f);
        font = std::make_unique<Olvarn::ImageFont>(image, widths);
        Olvarn::FontData& data = *font->mFontData;
        Olvarn::FontLayerSpec shadow = data.mFontLayerList.front();
        shadow.mBaseOrder = -1;
        shadow.mOffsetX = shadow.mOffsetY = 1;
        shadow.mColorMult = Olvarn::Color(0, 0, 0, 128);
        data.mFontLayerList.push_front(shadow);
        font->SetPointSize(font->PointSize());
        for (int i = 0; i < 2048; ++i)
            text += static_cast<char>(33 + i % 94);
        dest.Create(1024, 768);
    }

    std::unique_ptr<Olvarn::ImageFont> font;
    std::string text;
    Olvarn::MemoryImage dest;
};

void BM_DrawLayered4096Glyphs(benchmark::State& state)
{
    FontFixture fixture;
    Olvarn::Graphics g(&fixture.dest);
    // The first draw prepares the layers and lets the pictures settle into their drawing form.
    fixture.font->DrawText(&g, 0, 20, fixture.text, Olvarn::Color(200, 220, 255), g.GetClipRect());
    const long before = gAllocations.load();
    for (auto _ : state) {
        int width = 0;
        fixture.font->DrawLayered(&g, 0, 300, fixture.text, Olvarn::Color(200, 220, 255), g.GetClipRect(), nullptr,
                                  &width, true);
        benchmark::DoNotOptimize(width);
    }
    state.counters["allocs_per_draw"] = double(gAllocations.load() - before) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_DrawLayered4096Glyphs)->Unit(benchmark::kMicrosecond);

// The baseline: the same 4096 glyph rectangles drawn straight through the context, shadow pass
// then body pass, with no ordering table.
void BM_DrawGlyphsDirect(benchmark::State& state)
{
    FontFixture fixture;
    Olvarn::Graphics g(&fixture.dest);
    fixture.font->EnsurePrepared();
    const Olvarn::ActiveFontLayer& layer = fixture.font->mActiveLayers.back();
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            g.SetColor(pass == 0 ? Olvarn::Color(0, 0, 0, 128) : Olvarn::Color(200, 220, 255));
            int x = pass == 0 ? 1 : 0;
            for (char c : fixture.text) {
                const Olvarn::Rect& r = layer.mScaledCharImageRects[static_cast<unsigned char>(c)];
                g.DrawImageRegion(layer.mScaledImage.get(), x, 290 + pass, r);
                x += 8;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_DrawGlyphsDirect)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("Manifest of 10,000 entries", "BM_ManifestOurs", "BM_ManifestTinyXml");
    reporter.PrintSpeedRatio("4096 glyphs in two layers", "BM_DrawLayered4096Glyphs", "BM_DrawGlyphsDirect");
    benchmark::Shutdown();
    std::remove(ManifestFile().c_str());
    std::remove(TempPath("widths.txt").c_str());
    return 0;
}
