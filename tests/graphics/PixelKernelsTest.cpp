// Every vector pixel kernel against its scalar formula, pixel for pixel: random pixels, row lengths
// around the register widths, start addresses off the vector alignment, and alpha mixes that take
// each branch (transparent, opaque, partial, runs of one destination alpha).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/PixelKernels.h"
#include "support/Lcg.h"

using namespace Olvarn;
using namespace Olvarn::kernels;

namespace
{

using testsupport::Lcg;

// How the alpha bytes of a test row are drawn.
enum class Alphas { Random, Opaque, Edges, Blocks };

uint32_t Pixel(Lcg& rng, Alphas alphas, int index)
{
    uint32_t rgb = rng.Next() & 0xFFFFFF, a;
    switch (alphas) {
    case Alphas::Opaque:
        a = 255;
        break;
    case Alphas::Edges: {
        static const uint32_t kEdges[] = {0, 1, 254, 255, 128};
        a = kEdges[rng.Below(5)];
        break;
    }
    case Alphas::Blocks: // long stretches of one alpha, as on real screens and sprites
        a = (index / 11) % 3 == 0 ? 255 : ((index / 11) % 3 == 1 ? 0 : 77);
        break;
    default:
        a = rng.Below(256);
    }
    return a << 24 | rgb;
}

// A source alpha of 1 to 254 stored premultiplied in the screen layout, as display tables hold it.
uint32_t Premultiplied32(uint32_t p)
{
    uint32_t a = p >> 24, m = a + 1;
    return a << 24 | ((((p >> 16) & 0xFF) * m) >> 8) << 16 | ((((p >> 8) & 0xFF) * m) >> 8) << 8 |
           (((p & 0xFF) * m) >> 8);
}
uint32_t Premultiplied16(uint32_t p, bool is565)
{
    uint32_t a = p >> 24, m = a + 1;
    uint32_t r = (((p >> 16) & 0xFF) * m) >> 8, g = (((p >> 8) & 0xFF) * m) >> 8, b = ((p & 0xFF) * m) >> 8;
    return is565 ? (a << 24 | (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
                 : (a << 24 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

const Format16 k565{{0xF800, 0x07E0, 0x001F}};
const Format16 k555{{0x7C00, 0x03E0, 0x001F}};

// One kernel call on a row; the same call is made with the scalar table and with a vector one.
using Call = std::function<void(const Table&, uint32_t* dest32, uint16_t* dest16, const uint32_t* src, int count)>;

struct KernelCase {
    std::string name;
    Call call;
    bool sixteen;                          // the destination is 16-bit
    std::function<uint32_t(uint32_t)> src; // shapes a source pixel (premultiplying, for instance)
};

std::vector<KernelCase> Cases(Lcg& rng)
{
    std::vector<KernelCase> cases;
    auto same = [](uint32_t p) { return p; };
    auto pre32 = [](uint32_t p) { return Premultiplied32(p); };
    for (int a : {1, 77, 128, 254}) {
        FillColor k{int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256)), a};
        cases.push_back(
            {"fill a=" + std::to_string(a),
             [k](const Table& t, uint32_t* d, uint16_t*, const uint32_t*, int n) { t.fillTranslucent(d, n, k); }, false,
             same});
    }
    for (bool white : {true, false}) {
        FillColor k{int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256))};
        cases.push_back({white ? "compose over, white" : "compose over, tinted",
                         [white, k](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) {
                             t.composeOver(d, s, n, white, k);
                         },
                         false, same});
    }
    cases.push_back(
        {"blend onto opaque",
         [](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) { t.blendOntoOpaque(d, s, n); }, false,
         same});
    cases.push_back(
        {"blend row onto opaque",
         [](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) { t.blendRowOntoOpaque(d, s, n); }, false,
         same});
    for (int mode = 0; mode < 8; ++mode) {
        AddMode m{(mode & 1) != 0, (mode & 2) != 0, (mode & 4) != 0, rng.Below(256), rng.Below(256), rng.Below(256)};
        cases.push_back(
            {"add argb mode " + std::to_string(mode),
             [m](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) { t.addArgb(d, s, n, m); }, false,
             same});
    }
    cases.push_back({"blend premultiplied 32",
                     [](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) { t.blendPremul32(d, s, n); },
                     false, pre32});
    cases.push_back({"narrow to 16",
                     [](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) { t.narrow16(d, s, n); },
                     true, same});
    for (bool white : {true, false}) {
        uint32_t cm[3] = {rng.Below(256), rng.Below(256), 255};
        std::vector<uint32_t> tint(cm, cm + 3);
        std::string w = white ? " white" : " tinted";
        cases.push_back({"add 32" + w,
                         [white, tint](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) {
                             t.add32(d, s, n, white, tint.data());
                         },
                         false, same});
        for (bool is565 : {true, false}) {
            const Format16 f = is565 ? k565 : k555;
            auto pre16 = [is565](uint32_t p) { return Premultiplied16(p, is565); };
            std::string fn = is565 ? " 565" : " 555";
            cases.push_back({"add 16" + fn + w,
                             [white, tint, f](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) {
                                 t.add16(d, s, n, white, tint.data(), f);
                             },
                             true, pre16});
            // The row as two rows of half its width, so that the pitches are stepped.
            cases.push_back({"add 16 rows" + fn + w,
                             [white, tint, f](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) {
                                 const int rows = n >= 2 ? 2 : 1, width = n / rows;
                                 t.add16Rows(d, std::ptrdiff_t(width) * 2, s, width, width, rows, white, tint.data(),
                                             f);
                             },
                             true, pre16});
            if (white && is565)
                cases.push_back({"add 565 rows from 16-bit source",
                                 [](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) {
                                     const int rows = n >= 2 ? 2 : 1, width = n / rows;
                                     std::vector<uint16_t> low(s, s + n);
                                     t.add565Rows16(d, std::ptrdiff_t(width) * 2, low.data(), width, width, rows);
                                 },
                                 true, pre16});
            if (white)
                cases.push_back({"blend premultiplied 16" + fn,
                                 [f](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) {
                                     t.blendPremul16(d, s, n, f);
                                 },
                                 true, pre16});
        }
    }
    for (uint32_t keep : {1u, 128u, 255u, 256u}) {
        const uint32_t src32 = rng.Next() & 0xFFFFFF, src16 = rng.Next() & 0xFFFF;
        const Format16 x8888{{0xFF0000, 0xFF00, 0xFF}};
        cases.push_back({"fill 32 keep " + std::to_string(keep),
                         [=](const Table& t, uint32_t* d, uint16_t*, const uint32_t*, int n) {
                             t.fill32(d, n, src32, keep, x8888, 0);
                         },
                         false, same});
        for (const Format16& f : {k565, k555})
            cases.push_back({"fill 16 keep " + std::to_string(keep),
                             [=](const Table& t, uint32_t*, uint16_t* d, const uint32_t*, int n) {
                                 t.fill16(d, n, src16, keep, f, 1);
                             },
                             true, same});
    }
    for (int alpha : {255, 128, 1})
        for (bool tintOnly : {true, false}) {
            uint32_t cm[3] = {rng.Below(256), 255, rng.Below(256)};
            std::vector<uint32_t> tint(cm, cm + 3);
            std::string what = " alpha " + std::to_string(alpha) + (tintOnly ? " tint only" : " blended");
            cases.push_back({"tint 32" + what,
                             [alpha, tint, tintOnly](const Table& t, uint32_t* d, uint16_t*, const uint32_t* s, int n) {
                                 t.tint32(d, s, n, alpha, tint.data(), tintOnly);
                             },
                             false, same});
            for (const Format16& f : {k565, k555})
                cases.push_back(
                    {"tint 16" + what + (f.mask[0] == k565.mask[0] ? " 565" : " 555"),
                     [alpha, tint, tintOnly, f](const Table& t, uint32_t*, uint16_t* d, const uint32_t* s, int n) {
                         t.tint16(d, s, n, alpha, tint.data(), tintOnly, f);
                     },
                     true, same});
        }
    return cases;
}

std::vector<int> Lengths()
{
    std::vector<int> lengths;
    for (int n = 0; n <= 17; ++n)
        lengths.push_back(n);
    for (int n : {31, 32, 33, 63, 64, 65, 100, 257})
        lengths.push_back(n);
    return lengths;
}

void CompareLevel(Level level)
{
    const Table* vector = ForLevel(level);
    if (!vector)
        GTEST_SKIP() << "this processor cannot run the level";
    const Table& reference = *ForLevel(Level::Scalar);
    Lcg rng{12345};
    for (const KernelCase& kc : Cases(rng)) {
        for (Alphas srcAlphas : {Alphas::Random, Alphas::Edges, Alphas::Blocks, Alphas::Opaque}) {
            for (Alphas destAlphas : {Alphas::Opaque, Alphas::Random, Alphas::Blocks}) {
                for (int n : Lengths()) {
                    for (int offset = 0; offset < 4; ++offset) {
                        // A guard pixel on each side catches writes past the row.
                        std::vector<uint32_t> src(size_t(n + offset + 2)), d32(src.size());
                        std::vector<uint16_t> d16(size_t(n + offset + 2));
                        for (size_t i = 0; i < src.size(); ++i) {
                            src[i] = kc.src(Pixel(rng, srcAlphas, int(i)));
                            d32[i] = Pixel(rng, destAlphas, int(i));
                            d16[i] = uint16_t(rng.Next());
                        }
                        std::vector<uint32_t> want32 = d32, got32 = d32;
                        std::vector<uint16_t> want16 = d16, got16 = d16;
                        const size_t at = size_t(offset) + 1;
                        kc.call(reference, want32.data() + at, want16.data() + at, src.data() + at, n);
                        kc.call(*vector, got32.data() + at, got16.data() + at, src.data() + at, n);
                        bool same = kc.sixteen ? want16 == got16 : want32 == got32;
                        if (!same) {
                            size_t i = 0;
                            while (kc.sixteen ? want16[i] == got16[i] : want32[i] == got32[i])
                                ++i;
                            ADD_FAILURE() << kc.name << ", " << n << " pixels at offset " << offset << ": pixel "
                                          << int(i) - int(at) << " source " << std::hex << src[i] << " is "
                                          << (kc.sixteen ? got16[i] : got32[i]) << ", formula gives "
                                          << (kc.sixteen ? want16[i] : want32[i]);
                            return;
                        }
                    }
                }
            }
        }
    }
}

} // namespace

TEST(PixelKernels, Sse2GivesTheFormulasPixels)
{
    CompareLevel(Level::Sse2);
}

TEST(PixelKernels, Avx2GivesTheFormulasPixels)
{
    CompareLevel(Level::Avx2);
}

// The 16-bit copy of a sprite must add exactly what the sprite's own premultiplied pixels add.
TEST(PixelKernels, AddingFromTheLowHalvesGivesTheWholePixelsSum)
{
    Lcg rng{777};
    const Table& reference = *ForLevel(Level::Scalar);
    for (Level level : {Level::Scalar, Level::Sse2, Level::Avx2}) {
        const Table* table = ForLevel(level);
        if (!table)
            continue;
        for (int width : {1, 7, 16, 31, 32, 45}) {
            SCOPED_TRACE("level " + std::to_string(int(level)) + ", width " + std::to_string(width));
            const int height = 3, pitch = width + 5;
            std::vector<uint32_t> src(size_t(pitch) * height);
            for (uint32_t& p : src)
                p = Premultiplied16(rng.Next(), true);
            std::vector<uint16_t> low(src.begin(), src.end()), want(size_t(pitch) * height);
            for (uint16_t& p : want)
                p = uint16_t(rng.Next());
            std::vector<uint16_t> got = want;
            const uint32_t white[3] = {255, 255, 255};
            reference.add16Rows(want.data(), pitch * 2, src.data(), pitch, width, height, true, white, k565);
            table->add565Rows16(got.data(), pitch * 2, low.data(), pitch, width, height);
            EXPECT_EQ(got, want);
        }
    }
}

// Rotated rows: random sources (clear, soft and opaque stretches), turned rows of every length through
// them in any direction, the three screen layouts, white and tinted.
void CompareRotation(Level level)
{
    const Table* vector = ForLevel(level);
    if (!vector)
        GTEST_SKIP() << "this processor cannot run the level";
    const Table& reference = *ForLevel(Level::Scalar);
    struct Layout {
        const char* name;
        RotateBlend blend;
        bool sixteen;
    };
    const Layout layouts[] = {{"xrgb", {{16, 8, 0}, {8, 8, 8}, true, 255, {}}, false},
                              {"565", {{11, 5, 0}, {5, 6, 5}, true, 255, {}}, true},
                              {"555", {{10, 5, 0}, {5, 5, 5}, true, 255, {}}, true}};
    Lcg rng{777};
    for (const Layout& layout : layouts) {
        for (int round = 0; round < 400; ++round) {
            const int w = 2 + int(rng.Below(40)), h = 2 + int(rng.Below(40));
            const Alphas alphas = round % 4 == 0 ? Alphas::Blocks : (round % 4 == 1 ? Alphas::Edges : Alphas::Random);
            std::vector<uint32_t> src(size_t(w) * h);
            for (size_t i = 0; i < src.size(); ++i)
                src[i] = Pixel(rng, alphas, int(i));
            RotateBlend blend = layout.blend;
            blend.white = rng.Below(2) == 0;
            blend.alpha = 1 + rng.Below(255);
            for (uint32_t& c : blend.color)
                c = rng.Below(256);
            // A start inside the taps' area and a step in any direction; the row ends before a tap leaves it.
            RotateRow row{src.data(),
                          w,
                          int32_t(rng.Below(uint32_t(w - 1) << 16)),
                          int32_t(rng.Below(uint32_t(h - 1) << 16)),
                          int32_t(rng.Below(131072)) - 65536,
                          int32_t(rng.Below(131072)) - 65536};
            int count = 0;
            for (int32_t u = row.u, v = row.v;
                 count < 300 && (u >> 16) >= 0 && (u >> 16) < w - 1 && (v >> 16) >= 0 && (v >> 16) < h - 1;
                 u += row.du, v += row.dv)
                ++count;
            const size_t at = 1 + rng.Below(4);
            std::vector<uint32_t> d32(size_t(count) + at + 1);
            std::vector<uint16_t> d16(d32.size());
            for (size_t i = 0; i < d32.size(); ++i) {
                d32[i] = rng.Next();
                d16[i] = uint16_t(rng.Next());
            }
            std::vector<uint32_t> want32 = d32, got32 = d32;
            std::vector<uint16_t> want16 = d16, got16 = d16;
            if (layout.sixteen) {
                reference.rotate16(want16.data() + at, count, row, blend);
                vector->rotate16(got16.data() + at, count, row, blend);
            } else {
                reference.rotate32(want32.data() + at, count, row, blend);
                vector->rotate32(got32.data() + at, count, row, blend);
            }
            const bool same = layout.sixteen ? want16 == got16 : want32 == got32;
            ASSERT_TRUE(same) << layout.name << ", round " << round << ": " << count << " pixels from a " << w << "x"
                              << h << " source, " << (blend.white ? "white" : "tinted");
        }
    }
}

TEST(PixelKernels, Sse2RotatesAsTheFormula)
{
    CompareRotation(Level::Sse2);
}

TEST(PixelKernels, Avx2RotatesAsTheFormula)
{
    CompareRotation(Level::Avx2);
}

TEST(PixelKernels, ReverseCopyReversesEveryLength)
{
    for (int n : Lengths()) {
        std::vector<uint32_t> src(size_t(n) + 2), dest(size_t(n) + 2, 0xEEEEEEEE);
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = uint32_t(i * 2654435761u);
        ReverseCopy(dest.data() + 1, src.data() + 1, n);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(dest[size_t(i) + 1], src[size_t(n - i)]) << n << " pixels, pixel " << i;
        EXPECT_EQ(dest.front(), 0xEEEEEEEEu);
        EXPECT_EQ(dest.back(), 0xEEEEEEEEu) << "no pixel past the row";
    }
}

TEST(PixelKernels, ActiveLevelIsTheBestThisProcessorRuns)
{
    const Table& active = Active();
    EXPECT_EQ(active.level, ForLevel(Level::Avx2) ? Level::Avx2 : Level::Sse2);
    ASSERT_TRUE(UseLevel(Level::Scalar));
    EXPECT_EQ(Active().level, Level::Scalar);
    ASSERT_TRUE(UseLevel(active.level));
}

// --- Through the drawing calls ------------------------------------------------------------------------
// The same random scene drawn with the scalar formulas and with each vector level must give the same
// pixels: sprites of widths 1 to 17 and wider, odd row lengths on both sides, positions that clip on
// every edge, tinted and white, normal and additive, and translucent fills.

#include "DDTestSupport.h"
#include "graphics/MemoryImage.h"

namespace
{

// A sprite with runs of clear, soft and opaque pixels, and a few single odd pixels.
std::vector<uint32_t> RunSprite(Lcg& rng, int w, int h)
{
    std::vector<uint32_t> px(size_t(w) * h);
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t run = (uint32_t(i) / (1 + rng.Below(9))) % 3;
        uint32_t a = run == 0 ? 0 : (run == 1 ? 255 : 1 + rng.Below(254));
        if (rng.Below(13) == 0)
            a = rng.Below(256);
        px[i] = a << 24 | (rng.Next() & 0xFFFFFF);
    }
    return px;
}

Color RandomColor(Lcg& rng)
{
    if (rng.Below(2) == 0)
        return Color::White;
    return Color(int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256)), int(1 + rng.Below(255)));
}

std::vector<uint32_t> DrawMemoryScene(Level level, uint32_t seed, bool destHasAlpha)
{
    EXPECT_TRUE(UseLevel(level));
    Lcg rng{seed};
    const int w = (19 + int(rng.Below(30))) | 1, h = 9 + int(rng.Below(20));
    std::vector<uint32_t> bg(size_t(w) * h);
    for (uint32_t& p : bg)
        p = (destHasAlpha ? rng.Below(256) << 24 : 0xFF000000u) | (rng.Next() & 0xFFFFFF);
    MemoryImage dest;
    dest.SetBits(bg.data(), w, h);
    for (int draw = 0; draw < 24; ++draw) {
        const int sw = draw < 17 ? draw + 1 : 18 + int(rng.Below(40)), sh = 1 + int(rng.Below(12));
        std::vector<uint32_t> px = RunSprite(rng, sw, sh);
        MemoryImage sprite;
        sprite.SetBits(px.data(), sw, sh);
        const int x = int(rng.Below(uint32_t(w + sw))) - sw / 2, y = int(rng.Below(uint32_t(h + sh))) - sh / 2;
        const Rect part(int(rng.Below(2)), 0, sw - int(rng.Below(2)), sh);
        const auto mode = rng.Below(2) == 0 ? Graphics::DRAWMODE_NORMAL : Graphics::DRAWMODE_ADDITIVE;
        dest.BlitImage(&sprite, x, y, part, RandomColor(rng), mode);
        if (draw % 6 == 5) {
            Color fill(int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256)), int(1 + rng.Below(254)));
            dest.FillRect(Rect(int(rng.Below(uint32_t(w))) - 3, int(rng.Below(uint32_t(h))) - 2, 1 + int(rng.Below(40)),
                               1 + int(rng.Below(10))),
                          fill, Graphics::DRAWMODE_NORMAL);
        }
    }
    const uint32_t* bits = dest.GetBits();
    return std::vector<uint32_t>(bits, bits + size_t(w) * h);
}

std::vector<uint32_t> DrawScreenScene(Level level, uint32_t seed, const SurfaceFormat& format)
{
    EXPECT_TRUE(UseLevel(level));
    Lcg rng{seed};
    const int w = 37 + int(rng.Below(30)), h = 9 + int(rng.Below(20));
    ddtest::FakeDevice dev(format, w, h);
    EXPECT_EQ(dev.Start(), DDInterface::RESULT_OK);
    DDImage* screen = dev.dd->GetScreenImage();
    std::vector<uint32_t> bg(size_t(w) * h);
    for (uint32_t& p : bg)
        p = 0xFF000000u | (rng.Next() & 0xFFFFFF);
    MemoryImage background;
    background.SetBits(bg.data(), w, h);
    screen->BlitImage(&background, 0, 0, Rect(0, 0, w, h), Color::White, Graphics::DRAWMODE_NORMAL);
    for (int draw = 0; draw < 24; ++draw) {
        const int sw = draw < 17 ? draw + 1 : 18 + int(rng.Below(40)), sh = 1 + int(rng.Below(12));
        std::vector<uint32_t> px = RunSprite(rng, sw, sh);
        MemoryImage sprite;
        sprite.SetBits(px.data(), sw, sh);
        const int x = int(rng.Below(uint32_t(w + sw))) - sw / 2, y = int(rng.Below(uint32_t(h + sh))) - sh / 2;
        const auto mode = rng.Below(2) == 0 ? Graphics::DRAWMODE_NORMAL : Graphics::DRAWMODE_ADDITIVE;
        screen->BlitImage(&sprite, x, y, Rect(0, 0, sw, sh), RandomColor(rng), mode);
        if (sw >= 2 && sh >= 2 && draw % 3 == 2) {
            // Turned about its middle, across the edges as often as not.
            const double angle = double(rng.Below(6283)) / 1000.0;
            screen->BlitImageRotated(&sprite, float(x) + 0.5f, float(y), Rect(0, 0, sw, sh), Rect(0, 0, w, h),
                                     RandomColor(rng), mode, angle, float(sw) / 2, float(sh) / 2);
        }
        if (draw % 6 == 5) {
            Color fill(int(rng.Below(256)), int(rng.Below(256)), int(rng.Below(256)), int(1 + rng.Below(255)));
            screen->FillRect(Rect(int(rng.Below(uint32_t(w))) - 3, int(rng.Below(uint32_t(h))) - 2,
                                  1 + int(rng.Below(60)), 1 + int(rng.Below(10))),
                             fill, Graphics::DRAWMODE_NORMAL);
        }
    }
    return ddtest::RawPixels(*screen->GetSurface());
}

class KernelLevels : public ::testing::TestWithParam<Level>
{
protected:
    void SetUp() override
    {
        if (!ForLevel(GetParam()))
            GTEST_SKIP() << "this processor cannot run the level";
    }
    void TearDown() override { UseLevel(best); }
    Level best = Active().level;
};

TEST_P(KernelLevels, MemoryImagesMatchTheFormulas)
{
    for (uint32_t seed = 1; seed <= 40; ++seed)
        for (bool alpha : {false, true}) {
            std::vector<uint32_t> want = DrawMemoryScene(Level::Scalar, seed, alpha);
            ASSERT_EQ(DrawMemoryScene(GetParam(), seed, alpha), want) << "seed " << seed << " alpha " << alpha;
        }
}

TEST_P(KernelLevels, ScreenSurfacesMatchTheFormulas)
{
    for (const SurfaceFormat& format : {SurfaceFormat::Xrgb8888(), SurfaceFormat::Rgb565(), SurfaceFormat::Rgb555()})
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            std::vector<uint32_t> want = DrawScreenScene(Level::Scalar, seed, format);
            ASSERT_FALSE(want.empty());
            ASSERT_EQ(DrawScreenScene(GetParam(), seed, format), want)
                << "seed " << seed << " bits " << format.mBitsPerPixel << " red " << format.mRedMask;
        }
}

INSTANTIATE_TEST_SUITE_P(Vector, KernelLevels, ::testing::Values(Level::Sse2, Level::Avx2),
                         [](const ::testing::TestParamInfo<Level>& info) {
                             return info.param == Level::Sse2 ? std::string("Sse2") : std::string("Avx2");
                         });

} // namespace
