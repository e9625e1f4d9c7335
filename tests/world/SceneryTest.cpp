// The water's surface, the sun's waves, the walk path and the melt, on clocks the tests drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "data/CLevelInfo.h"
#include "data/CSaveObject.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "world/CLocation.h"
#include "world/CSun.h"
#include "world/CWalkPath.h"
#include "world/CWater.h"
#include "world/SafeMath.h"
#include "world/WorldRegistrations.h"

using namespace tilvan;

namespace
{

// A wave picture of 22 cels of the given width.
struct WavePicture {
    explicit WavePicture(int celWidth)
    {
        image.mWidth = celWidth * CWater::kCels;
        image.mHeight = 40;
        image.mNumCols = CWater::kCels;
        CWater::SetPictureLookup([this](const std::string&) { return &image; });
    }
    ~WavePicture() { CWater::SetPictureLookup(nullptr); }
    Olvarn::Image image;
};

} // namespace

TEST(SafeMath, RemaindersAndDivisionsByNothing)
{
    EXPECT_EQ(SafeMod(7, 0), 0);
    EXPECT_EQ(SafeMod(7, -3), 0);
    EXPECT_EQ(SafeMod(7, 4), 3);
    EXPECT_EQ(SafeDiv(1.0f, 0.0f, 5.0f), 5.0f);
    EXPECT_EQ(DrawBetween(12345, 3, 3), 3);
    EXPECT_EQ(DrawBetween(12345, 5, 2), 5);
    EXPECT_THROW(RequireAbove(0, 0, "properties\\animals.xml", "bird", 2, "deltay"), CDataError);
    try {
        RequireAbove(0, 0, "properties\\animals.xml", "bird", 2, "deltay");
    } catch (const CDataError& e) {
        EXPECT_NE(std::string(e.what()).find("animals.xml: bird row 3, deltay"), std::string::npos) << e.what();
    }
}

TEST(Water, SurfaceHeightAtPlacesAndTimes)
{
    WavePicture picture(64);
    struct Case {
        int x;
        float time;
        int expected;
    } cases[] = {
        {0, 0, 627},    // b a hair above -1 times a = 4 truncates to -3
        {32, 0, 628},   // half a cel on: b x a rounds to exactly -4 in single precision
        {0, 1100, 627}, // 22 steps later the phase is back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << " time " << c.time);
        CWater water;
        water.Update(c.time);
        EXPECT_EQ(water.GetSurfaceY(c.x), c.expected);
    }
}

TEST(Water, StartCelsOfThePasses)
{
    CWater water;
    EXPECT_EQ(water.StartCel(400), 8);
    EXPECT_EQ(water.StartCel(0), 0);
    EXPECT_EQ(water.StartCel(800), 16);
    water.Update(1100);
    EXPECT_EQ(water.StartCel(0), 0);
}

TEST(Water, WithoutItsPictureHasNoSurface)
{
    CWater::SetPictureLookup([](const std::string&) { return static_cast<Olvarn::Image*>(nullptr); });
    CWater water;
    EXPECT_EQ(water.GetSurfaceY(100), -1);
    CWater::SetPictureLookup(nullptr);
}

TEST(Water, NightTakesTheNightPictureWhereThereIsOne)
{
    Olvarn::Image day, nightPicture;
    struct Case {
        bool night;
        bool nightPictureExists;
        Olvarn::Image* expected;
    } cases[] = {
        {false, true, &day},
        {true, true, &nightPicture},
        {true, false, &day}, // a night without its picture keeps the day water rather than none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "night " << c.night << " picture " << c.nightPictureExists);
        CWater::SetPictureLookup([&](const std::string& id) -> Olvarn::Image* {
            if (id == kWaterImageId)
                return &day;
            return id == CWater::kNightImageId && c.nightPictureExists ? &nightPicture : nullptr;
        });
        CWater water;
        water.SetNight(c.night);
        EXPECT_EQ(water.Picture(), c.expected);
    }
    CWater::SetPictureLookup(nullptr);
}

// The passes blit cels stretched once; what reaches the screen is the stretched cel drawn each time.
TEST(Water, PassesFromTheScaledRowsMatchStretchingEachCel)
{
    const int w = 8, h = 20;
    Olvarn::MemoryImage wave;
    wave.Create(w * CWater::kCels, h);
    uint32_t* bits = wave.GetBits();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * CWater::kCels; ++x)
            bits[y * w * CWater::kCels + x] = (y < 3 ? 0x60000000u : 0xFF000000u) | uint32_t(x * 5 % 256) << 16 |
                                              uint32_t(y * 12) << 8 | uint32_t(x / w * 11);
    wave.BitsChanged();
    wave.mNumCols = CWater::kCels;
    CWater::SetPictureLookup([&](const std::string& id) { return id == kWaterImageId ? &wave : nullptr; });
    CWater water;
    water.SetY(40);
    water.Update(730);

    Olvarn::MemoryImage drawn, expected;
    for (Olvarn::MemoryImage* frame : {&drawn, &expected}) {
        frame->Create(1024, 100);
        std::fill(frame->GetBits(), frame->GetBits() + 1024 * 100, 0xFF204060u);
        frame->BitsChanged();
    }
    {
        Olvarn::Graphics g(&drawn);
        water.DrawBack(g);
        water.DrawFront(g);
    }
    {
        // Each cel stretched from one pixel narrower, row by row as the passes lay them.
        Olvarn::Graphics g(&expected);
        g.SetModulateImages(true);
        struct Row {
            int alpha, startX, destY, destH;
            float offset;
        } rows[] = {{120, -100, 35, int(h * 0.7f), 400}, {200, -252, 40, int(h * 0.85f), 0}, {120, 0, 50, h, 800}};
        for (const Row& r : rows) {
            g.SetColor(Olvarn::Color(255, 255, 255, r.alpha));
            int cel = water.StartCel(r.offset);
            for (int x = r.startX; x <= 1024; x += w, cel = (cel + 1) % CWater::kCels)
                g.DrawImageRegionScaled(&wave, Olvarn::Rect(x, r.destY, w, r.destH),
                                        Olvarn::Rect(w * cel, 0, w - 1, h));
        }
    }
    // A cel cut by the screen's edge is stretched from the cut part of the source when drawn directly,
    // which samples it differently; the whole cels between compare.
    int worst = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = w; x < 1024 - w; ++x)
            for (int shift : {0, 8, 16}) {
                const uint32_t p = drawn.GetBits()[y * 1024 + x], q = expected.GetBits()[y * 1024 + x];
                worst = std::max(worst, std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF)));
            }
    // Composing the stretched cel onto clear pixels first rounds once more.
    EXPECT_LE(worst, 3);

    // The three heights are stretched once and kept.
    const Olvarn::MemoryImage* row = water.ScaledRow(&wave, int(h * 0.7f), 120);
    EXPECT_EQ(water.ScaledRow(&wave, int(h * 0.7f), 120), row);
    EXPECT_NE(water.ScaledRow(&wave, int(h * 0.7f), 200), row);
    EXPECT_EQ(row->GetWidth(), w * CWater::kCels);
    EXPECT_EQ(row->GetHeight(), int(h * 0.7f));
    CWater::SetPictureLookup(nullptr);
}

TEST(Water, SavedWaterLoadsBack)
{
    RegisterWorldSaveClasses();
    auto& writer = save::SaveWriter();
    std::string path = testing::TempDir() + "water_save.xml";
    ASSERT_TRUE(writer.Open(path, false, ""));
    CWater water;
    water.SetY(600);
    water.Update(1234.5f);
    const int row = water.Save();
    ASSERT_TRUE(writer.Close());
    auto& reader = save::SaveReader();
    reader.LoadFile(path);
    CWater back;
    back.Load(row);
    EXPECT_EQ(back.GetY(), 600);
    EXPECT_EQ(back.GetAmplitude(), 4);
    EXPECT_FLOAT_EQ(back.GetTime(), 1234.5f);
}

TEST(Sun, WaveOverItsCycle)
{
    CSunWave wave{1, 2, 1000};
    struct Case {
        float t;
        float value;
    } cases[] = {{0, 1}, {250, 1.5f}, {500, 2}, {750, 1.5f}, {1000, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_FLOAT_EQ(wave.ValueAt(c.t), c.value);
    }
    EXPECT_EQ(wave.Wrap(1000), 1000);
    EXPECT_EQ(wave.Wrap(1300.7f), 300);
    // A cycle of nothing never wraps and holds the start value.
    CSunWave none{3, 9, 0};
    EXPECT_EQ(none.Wrap(123456.5f), 123456.5f);
    EXPECT_EQ(none.ValueAt(50), 3);
}

TEST(Sun, UpdateScalesTurnsAndCapsAlpha)
{
    CSunConfig saved = CSun::Config();
    CSunConfig& c = CSun::Config();
    c = CSunConfig{};
    c.intensity = 0.5f;
    c.acc = 10 * 0.017452778f;
    c.scaling = {1, 2, 1000};
    c.alpha = {0, 300, 1000};
    CSun sun(127, 127);
    EXPECT_EQ(sun.GetColor().GetAlpha(), 127);
    struct Step {
        float ms;
        float scale;
        int alpha;
    } steps[] = {{250, 1.5f, 150}, {250, 2.0f, 255}, {500, 1.0f, 0}, {0, 1.0f, 0}};
    for (const Step& s : steps) {
        sun.Update(s.ms);
        SCOPED_TRACE(sun.ScalingTimer());
        EXPECT_FLOAT_EQ(sun.SunScale(), s.scale);
        EXPECT_EQ(sun.SunAlpha(), s.alpha);
    }
    EXPECT_NEAR(sun.Angle(), 0.1745f, 1e-3f);
    // No cycles at all (as at the main menu before the row is read): no division, no wrap.
    c = CSunConfig{};
    CSun menuSun(0, 0);
    menuSun.Update(5000);
    EXPECT_EQ(menuSun.ScalingTimer(), 5000);
    CSun::Config() = saved;
}

TEST(Sun, ListedWhileOwnedAndLeavesOnDestruction)
{
    const size_t before = CLightList::Instance().Lights().size();
    {
        CSun sun(10, 20);
        CLightList::Instance().Add(&sun);
        EXPECT_EQ(CLightList::Instance().Lights().size(), before + 1);
    }
    EXPECT_EQ(CLightList::Instance().Lights().size(), before);
    CLight unlisted(0, 0, Olvarn::Color(1, 2, 3, 4));
    CLightList::Instance().Remove(&unlisted);
    EXPECT_EQ(CLightList::Instance().Lights().size(), before);
}

TEST(WalkPath, ParsesAndEvaluates)
{
    struct Case {
        const char* text;
        int x;
        int y;
    } cases[] = {
        {"0 700 400 650 877 700 ", 200, 675},
        {"0 700 400 650 877 700 ", -5, 700},
        {"0 700 400 650 877 700 ", 900, 700},
        {"0 700 400 650 877 700 ", 400, 650},
        {"100 600 50 620 ", 75, 610},
        {"10 20 30 40", 500, 20},
        {"", 300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" at " << c.x);
        CWalkPath path;
        path.SetPoints(CWalkPath::Parse(c.text));
        EXPECT_EQ(path.Evaluate(c.x), c.y);
    }
    EXPECT_EQ(CWalkPath::Parse("0 700 400 650 877 700 ").size(), 3u);
    EXPECT_EQ(CWalkPath::Parse("10 20 30 40").size(), 1u);
}

TEST(WalkPath, LocationSetsBandAndLastPathWithPoints)
{
    CLocationInfo location;
    location.min_fish_y = 650;
    location.max_fish_y = 720;
    location.paths = {"0 600 800 600 ", "0 500 800 500 ", "no points"};
    CLevelInfo level;
    level.location = &location;
    SetAnimalLocation(&level);
    EXPECT_EQ(AnimalLocation().min_fish_y, 650);
    EXPECT_EQ(AnimalLocation().max_fish_y, 720);
    EXPECT_EQ(AnimalLocation().path.Evaluate(100), 500);
    CLevelInfo bare;
    SetAnimalLocation(&bare);
    EXPECT_EQ(AnimalLocation().max_fish_y, 720);
}

TEST(Location, PicturesByLevelAndTheMelt)
{
    CLocationInfo location;
    location.images = {{{0, 0}, 5, "IMAGE_ICE", 3}, {{10, 10}, 1, "IMAGE_SHORE", 0}};
    struct Case {
        int level;
        size_t shown, melting;
    } cases[] = {{1, 2, 0}, {2, 2, 0}, {3, 1, 1}, {4, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        CLevelInfo level;
        level.number = c.level;
        level.location = &location;
        CLocation scene;
        scene.SetLevel(&level);
        EXPECT_EQ(scene.Images().size(), c.shown);
        EXPECT_EQ(scene.MeltingImages().size(), c.melting);
        EXPECT_EQ(scene.LevelIndex(), c.level - 1);
    }

    CLevelInfo level;
    level.number = 3;
    level.location = &location;
    CLocation scene;
    scene.SetLevel(&level);
    scene.Melt(1000);
    // The ice picture has no image here: a picture without a size still gets the fewest stars.
    EXPECT_EQ(scene.StarCount(), 5u);
    struct Step {
        float ms;
        int alpha;
        bool melting;
    } steps[] = {{250, 191, true}, {250, 127, true}, {499, 0, true}, {1, 0, false}};
    for (const Step& s : steps) {
        scene.Update(s.ms);
        EXPECT_EQ(scene.MeltAlpha(), s.alpha);
        EXPECT_EQ(scene.IsMelting(), s.melting);
    }
    scene.Melt(500);
    EXPECT_TRUE(scene.IsMelting());
    scene.Melt(9000); // ignored while melting
    scene.Update(500);
    EXPECT_FALSE(scene.IsMelting());
    EXPECT_EQ(CLocation::StarsFor(100, 10), 5);
    EXPECT_EQ(CLocation::StarsFor(200, 100), 50);
}
