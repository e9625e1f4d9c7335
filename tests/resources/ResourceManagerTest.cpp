// The resource manifest, group loading in id order, alpha images and grids, fonts, sounds, lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <thread>

#include "ResourceManagerTestSupport.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"
#include "resources/ResourceManager.h"

using Olvarn::ResourceManager;

namespace
{

class ResourceManagerTest : public ::testing::Test
{
protected:
    ResourceManagerTest()
    {
        restest::WriteSolidPng(dir.File("a.png"), 4, 2, 0xFF102030);
        restest::WriteSolidPng(dir.File("b.png"), 4, 2, 0xFF405060);
        restest::WritePng(dir.File("alpha.png"), 4, 2, [](int x, int y) { return 0xFF000000u | (x * 10 + y); });
        restest::WritePng(dir.File("grid.png"), 2, 1, [](int x, int) { return 0xFF000000u | (x + 7); });
        restest::WriteSolidPng(dir.File("glyphs.png"), 16, 8, 0xFFFFFFFF);
        dir.WriteFile("widths.txt", "3 7 a 4 b 5");
        dir.WriteFile("font.txt", "CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                                  "LayerSetImageMap Main ('x') ((0, 0, 4, 8)); LayerSetCharWidths Main ('x') (4);");
    }

    ~ResourceManagerTest() override { manager.UnloadGroup(""); }

    // Wraps the groups in the root element and reads it.
    bool Read(const std::string& body)
    {
        const std::string manifest = "<?xml version=\"1.0\"?>\n<ResourceManifest>\n" + body + "</ResourceManifest>\n";
        testsupport::SaveFuzzSeed("manifest", std::to_string(std::hash<std::string>()(manifest)), manifest);
        dir.WriteFile("resources.xml", manifest);
        return manager.ReadManifest(dir.File("resources.xml"));
    }

    std::string InFile(int line) const
    {
        return " on Line " + std::to_string(line) + " in File '" + dir.File("resources.xml") + "'";
    }

    std::string P(const std::string& name) const { return dir.File(name); }

    restest::TestApp app;
    testsupport::TempDir dir;
    ResourceManager manager{&app};
};

// ---- Manifest ----

TEST_F(ResourceManagerTest, ManifestErrorsNameTheLineAndFile)
{
    struct Case {
        std::string body;
        std::string error;
        int line;
    };
    const Case cases[] = {
        {"<Resources>\n</Resources>\n", "No id specified.", 3},
        {"<Resources id=\"\">\n</Resources>\n", "No id specified.", 3},
        {"<Stuff/>\n", "Invalid Section 'Stuff'", 3},
        {"loose words\n", "Element Not Expected 'loose words'", 4},
        {"<Resources id=\"G\">\n<Picture path=\"a\"/>\n</Resources>\n", "Invalid Section 'Picture'", 4},
        {"<Resources id=\"G\">\nwords\n</Resources>\n", "Element Not Expected 'words'", 5},
        {"<Resources id=\"G\">\n<Image id=\"A\"/>\n</Resources>\n", "No path specified.", 4},
        {"<Resources id=\"G\">\n<Sound path=\"\"/>\n</Resources>\n", "No path specified.", 4},
        {"<Resources id=\"G\">\n<Image path=\"a\" id=\"A\"/>\n\n<Image path=\"b\" id=\"A\"/>\n</Resources>\n",
         "Resource already defined.", 6},
        {"<Resources id=\"G\">\n<Image path=\"a\">text</Image>\n</Resources>\n", "Unexpected element found.", 4},
        {"<Resources id=\"G\">\n<Image path=\"a\" anim=\"spin\"/>\n</Resources>\n", "Invalid animation type.", 4},
        {"<Resources id=\"G\">\n<Image path=\"a\" rows=\"0\"/>\n</Resources>\n", "Invalid rows/cols.", 4},
        {"<Resources id=\"G\">\n<Image path=\"a\" cols=\"x\"/>\n</Resources>\n", "Invalid rows/cols.", 4},
        {"<Resources id=\"G\">\n<Sound path=\"s\" id=\"X\"/>\n<Sound path=\"t\" id=\"X\"/>\n</Resources>\n",
         "Resource already defined.", 5},
    };
    for (const Case& c : cases) {
        ResourceManager fresh(&app);
        dir.WriteFile("resources.xml",
                      "<?xml version=\"1.0\"?>\n<ResourceManifest>\n" + c.body + "</ResourceManifest>\n");
        EXPECT_FALSE(fresh.ReadManifest(dir.File("resources.xml"))) << c.body;
        EXPECT_TRUE(fresh.HasFailed());
        EXPECT_EQ(fresh.ErrorMessage(), c.error + InFile(c.line)) << c.body;
    }
}

TEST_F(ResourceManagerTest, ManifestRootMustComeFirst)
{
    dir.WriteFile("empty.xml", "");
    EXPECT_FALSE(manager.ReadManifest(dir.File("empty.xml")));
    EXPECT_EQ(manager.ErrorMessage().rfind("Expecting ResourceManifest tag", 0), 0u);

    ResourceManager other(&app);
    dir.WriteFile("other.xml", "<Manifest>\n</Manifest>");
    EXPECT_FALSE(other.ReadManifest(dir.File("other.xml")));
    EXPECT_EQ(other.ErrorMessage(),
              "Expecting ResourceManifest tag" + std::string(" on Line 1 in File '") + dir.File("other.xml") + "'");

    ResourceManager missing(&app);
    EXPECT_FALSE(missing.ReadManifest(dir.File("none.xml")));
    EXPECT_EQ(missing.ErrorMessage(), "Resource file not found: " + dir.File("none.xml"));
}

TEST_F(ResourceManagerTest, DefaultsPrefixPathsAndIds)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<SetDefaults path=\"gfx\\\" idprefix=\"IMAGE_\"/>\n"
                     "<Image path=\"images\\foo.png\"/>\n"
                     "<Image path=\"!program\"/>\n"
                     "</Resources>\n<Resources id=\"H\">\n"
                     "<Image path=\"bar.jpg\" id=\"BAR\" alphaimage=\"m.png\"/>\n"
                     "<SetDefaults path=\"\" idprefix=\"SOUND_\"/>\n"
                     "<Sound path=\"snd/ping.ogg\"/>\n"
                     "</Resources>\n"))
        << manager.ErrorMessage();
    const auto& images = manager.Images();
    ASSERT_EQ(images.count("IMAGE_foo"), 1u);
    EXPECT_EQ(images.at("IMAGE_foo")->mPath, "gfx/images\\foo.png");
    EXPECT_EQ(images.at("IMAGE_foo")->mResGroup, "G");
    ASSERT_EQ(images.count("IMAGE_BAR"), 1u);
    EXPECT_EQ(images.at("IMAGE_BAR")->mAlphaImage, "gfx/m.png");
    EXPECT_EQ(images.at("IMAGE_BAR")->mResGroup, "H");
    EXPECT_TRUE(images.at("IMAGE_!program")->mFromProgram);
    EXPECT_EQ(images.at("IMAGE_!program")->mPath, "!program");
    // An empty default path means no prefix, not the root.
    ASSERT_EQ(manager.Sounds().count("SOUND_ping"), 1u);
    EXPECT_EQ(manager.Sounds().at("SOUND_ping")->mPath, "snd/ping.ogg");
}

TEST_F(ResourceManagerTest, ImageSoundAndFontOptionsAreRead)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Image path=\"a\" id=\"X\" nopal a4r4g4b4 a8r8g8b8 minsubdivide ddsurface noalpha nobits2d\n"
                     "  rows=\"2\" cols=\"3\" anim=\"LOOP\" framedelay=\"5\" perframedelay=\"1,,3\" framemap=\"\" />\n"
                     "<Image path=\"b\" nobits3d />\n"
                     "<Sound path=\"s\" id=\"X\" volume=\"0.5\" pan=\"-300\"/>\n"
                     "<Sound path=\"t\" volume=\"loud\" pan=\"x\"/>\n"
                     "<Font path=\"f.txt\" image=\"pic\" tags=\"a, b\"/>\n"
                     "</Resources>\n"))
        << manager.ErrorMessage();
    const auto& x = *manager.Images().at("X");
    EXPECT_FALSE(x.mPalletize);
    EXPECT_TRUE(x.mA4R4G4B4 && x.mA8R8G8B8 && x.mMinimizeSubdivisions && x.mDDSurface);
    EXPECT_FALSE(x.mAutoFindAlpha);
    EXPECT_TRUE(x.mPurgeBits);
    EXPECT_FALSE(manager.Images().at("b")->mPurgeBits);
    EXPECT_EQ(x.mRows, 2);
    EXPECT_EQ(x.mCols, 3);
    EXPECT_EQ(x.mAnimInfo.mType, Olvarn::ImageAnimation::TYPE_LOOP);
    EXPECT_EQ(x.mAnimInfo.mFrameDelay, 5);
    EXPECT_EQ(x.mAnimInfo.mFrameMap, (std::vector<int>{0}));
    EXPECT_EQ(manager.Sounds().at("X")->mVolume, 0.5);
    EXPECT_EQ(manager.Sounds().at("X")->mPanning, -300);
    EXPECT_EQ(manager.Sounds().at("t")->mVolume, -1.0);
    EXPECT_EQ(manager.Sounds().at("t")->mPanning, 0);
    EXPECT_EQ(manager.Fonts().at("f")->mImagePath, "pic");
    EXPECT_EQ(manager.Fonts().at("f")->mTags, "a, b");
}

// ---- Loading ----

TEST_F(ResourceManagerTest, GroupLoadsImagesThenSoundsThenFontsInIdOrder)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Font path=\"" +
                     P("font.txt") +
                     "\" id=\"F\"/>\n"
                     "<Sound path=\"" +
                     P("s.ogg") +
                     "\" id=\"S\"/>\n"
                     "<Image path=\"" +
                     P("b.png") +
                     "\" id=\"B\"/>\n"
                     "<Image path=\"" +
                     P("a.png") +
                     "\" id=\"A\"/>\n"
                     "<Image path=\"!program\" id=\"P\"/>\n"
                     "</Resources>\n<Resources id=\"Other\">\n"
                     "<Image path=\"" +
                     P("a.png") +
                     "\" id=\"AA\"/>\n"
                     "</Resources>\n"));
    EXPECT_EQ(manager.CountGroupResources("G"), 4);
    EXPECT_EQ(manager.CountGroupResources(""), 6);
    manager.BeginGroupLoad("G");
    std::vector<std::string> loaded;
    auto what = [&] {
        std::string s;
        s += manager.FindImage("A") ? "A" : "";
        s += manager.FindImage("B") ? "B" : "";
        s += manager.FindSoundId("S") >= 0 ? "S" : "";
        s += manager.FindFont("F") ? "F" : "";
        return s;
    };
    while (manager.LoadNextPending())
        loaded.push_back(what());
    EXPECT_EQ(loaded, (std::vector<std::string>{"A", "AB", "ABS", "ABSF"}));
    EXPECT_FALSE(manager.HasFailed());
    EXPECT_EQ(manager.FindImage("AA"), nullptr);
    EXPECT_EQ(manager.FindImage("P"), nullptr);
}

TEST_F(ResourceManagerTest, LoadedImageCarriesTheRecordsOptions)
{
    restest::WriteSolidPng(dir.File("see.png"), 4, 2, 0x80102030);
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Image path=\"" +
                     P("a.png") +
                     "\" id=\"A\" a4r4g4b4 minsubdivide rows=\"2\" cols=\"4\"\n"
                     "  anim=\"once\" framedelay=\"7\"/>\n"
                     "<Image path=\"" +
                     P("b.png") +
                     "\" id=\"B\" nopal nobits />\n"
                     "<Image path=\"" +
                     P("a.png") +
                     "\" id=\"C\" ddsurface />\n"
                     "<Image path=\"" +
                     P("see.png") +
                     "\" id=\"D\" ddsurface />\n"
                     "</Resources>\n"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.ErrorMessage();
    // "ddsurface" moves only an opaque picture to a surface, and then drops its bits.
    EXPECT_TRUE(manager.RequireImage("C")->mWantSurface);
    EXPECT_TRUE(manager.RequireImage("C")->mPurgeBits);
    EXPECT_FALSE(manager.RequireImage("D")->mWantSurface);
    EXPECT_FALSE(manager.RequireImage("D")->mPurgeBits);
    Olvarn::DDImage* a = manager.RequireImage("A");
    EXPECT_EQ(a->GetWidth(), 4);
    EXPECT_EQ(a->mTextureFlags, Olvarn::MemoryImage::TEXFLAG_A4R4G4B4 | Olvarn::MemoryImage::TEXFLAG_MINSUBDIVIDE);
    EXPECT_EQ(a->mNumRows, 2);
    EXPECT_EQ(a->mNumCols, 4);
    ASSERT_NE(a->mAnimation, nullptr);
    EXPECT_EQ(a->mAnimation->mType, Olvarn::ImageAnimation::TYPE_ONCE);
    EXPECT_EQ(a->mAnimation->mFrameDelay, 7);
    EXPECT_TRUE(a->IsPalettized());
    Olvarn::DDImage* b = manager.RequireImage("B");
    EXPECT_FALSE(b->IsPalettized());
    EXPECT_TRUE(b->mPurgeBits);
    EXPECT_EQ(b->GetBits()[0], 0xFF405060u);
}

TEST_F(ResourceManagerTest, AlphaImageAndGridSetTheAlphaChannel)
{
    restest::WritePng(dir.File("wide.png"), 4, 1, [](int, int) { return 0xFF808080u; });
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Image path=\"" +
                     P("a.png") + "\" id=\"A\" alphaimage=\"" + P("alpha.png") +
                     "\" nopal />\n"
                     "<Image path=\"" +
                     P("b.png") + "\" id=\"B\" alphagrid=\"" + P("grid.png") +
                     "\" rows=\"2\" cols=\"2\" nopal />\n"
                     "</Resources>\n"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.ErrorMessage();
    const uint32_t* a = manager.FindImage("A")->GetBits();
    EXPECT_EQ(a[0], 0x00102030u);
    EXPECT_EQ(a[4 + 3], 0x1F102030u);
    const uint32_t* b = manager.FindImage("B")->GetBits();
    // Each 2x1 cell takes the grid's alphas 7 and 8 position by position.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b[i] >> 24, 7u + (i % 2)) << i;
}

TEST_F(ResourceManagerTest, LoadFailuresAreRecordedWithTheirText)
{
    struct Case {
        std::string element;
        std::string error;
    };
    const Case cases[] = {
        {"<Image path=\"" + P("none.png") + "\"/>", "Failed to load image: " + P("none.png")},
        {"<Image path=\"" + P("a.png") + "\" alphaimage=\"" + P("nope.png") + "\"/>",
         "Failed to load image: " + P("nope.png")},
        {"<Image path=\"" + P("a.png") + "\" alphaimage=\"" + P("grid.png") + "\"/>",
         "AlphaImage size mismatch between " + P("a.png") + " and " + P("grid.png")},
        {"<Image path=\"" + P("a.png") + "\" alphagrid=\"" + P("grid.png") + "\"/>",
         "GridAlphaImage size mismatch between " + P("a.png") + " and " + P("grid.png")},
        {"<Sound path=\"" + P("missing.ogg") + "\"/>", "Failed to load sound: " + P("missing.ogg")},
        {"<Font path=\"" + P("none.txt") + "\"/>", "Failed to load font: " + P("none.txt")},
        {"<Font path=\"" + P("widths.txt") + "\" image=\"" + P("none.png") + "\"/>",
         "Failed to load image: " + P("none.png")},
        {"<Font path=\"" + P("none.txt") + "\" image=\"" + P("glyphs.png") + "\"/>",
         "Failed to load font: " + P("none.txt")},
        {"<Font path=\"!ref:Z\" id=\"A\"/><Font path=\"" + P("font.txt") + "\" id=\"Z\"/>", "Ref font not found: Z"},
    };
    for (const Case& c : cases) {
        ResourceManager fresh(&app);
        dir.WriteFile("resources.xml",
                      "<ResourceManifest><Resources id=\"G\">" + c.element + "</Resources></ResourceManifest>");
        ASSERT_TRUE(fresh.ReadManifest(dir.File("resources.xml"))) << fresh.ErrorMessage();
        EXPECT_FALSE(fresh.LoadGroup("G")) << c.element;
        EXPECT_EQ(fresh.ErrorMessage(), c.error);
        fresh.UnloadGroup("");
    }
}

TEST_F(ResourceManagerTest, FailedLoadStopsUntilTheNextLoadGroupAndLookupsReportIt)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Image path=\"" +
                     P("none.png") +
                     "\" id=\"A\"/>\n"
                     "<Image path=\"" +
                     P("b.png") +
                     "\" id=\"B\"/>\n"
                     "</Resources>\n"));
    manager.BeginGroupLoad("G");
    EXPECT_FALSE(manager.LoadNextPending());
    EXPECT_FALSE(manager.LoadNextPending());
    EXPECT_EQ(manager.FindImage("B"), nullptr);
    const std::string first = "Failed to load image: " + P("none.png");
    try {
        manager.RequireImage("B");
        ADD_FAILURE() << "no throw";
    } catch (const Olvarn::ResourceManagerException& e) {
        EXPECT_EQ(e.mMessage, first);
        EXPECT_EQ(std::string(e.what()), first);
    }
    EXPECT_EQ(manager.FindSoundId("nothing"), -1);
    EXPECT_EQ(manager.FindFont("nothing"), nullptr);

    // LoadGroup clears the error; the lookups then record and carry their own.
    ResourceManager clean(&app);
    struct Lookup {
        std::function<void()> call;
        std::string text;
    };
    const Lookup lookups[] = {
        {[&] { clean.RequireImage("I"); }, "Image resource not found: I"},
        {[&] { clean.RequireSoundId("S"); }, "Sound resource not found: S"},
        {[&] { clean.RequireFont("F"); }, "Font resource not found: F"},
    };
    for (const Lookup& l : lookups) {
        EXPECT_TRUE(clean.LoadGroup("nothing"));
        try {
            l.call();
            ADD_FAILURE() << "no throw";
        } catch (const Olvarn::ResourceManagerException& e) {
            EXPECT_EQ(e.mMessage, l.text);
        }
        EXPECT_EQ(clean.ErrorMessage(), l.text);
    }
}

TEST_F(ResourceManagerTest, SoundsGetVolumePanAndKeepTheirIdAcrossReloads)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Sound path=\"one\" id=\"A\" volume=\"0.5\" pan=\"0\"/>\n"
                     "<Sound path=\"two\" id=\"B\" volume=\"-1\" pan=\"200\"/>\n"
                     "</Resources>\n"));
    ASSERT_TRUE(manager.LoadGroup("G"));
    EXPECT_EQ(app.mSounds->mCalls,
              (std::vector<std::string>{"load 0 one", "volume 0 0.500000", "load 1 two", "pan 1 200"}));
    EXPECT_EQ(manager.RequireSoundId("A"), 0);
    EXPECT_EQ(manager.RequireSoundId("B"), 1);

    for (int round = 0; round < 300; ++round) {
        app.mSounds->mCalls.clear();
        manager.UnloadGroup("G");
        EXPECT_EQ(manager.FindSoundId("A"), -1);
        ASSERT_TRUE(manager.LoadGroup("G")) << round << manager.ErrorMessage();
    }
    // The releases free the sounds; the reload uses the same ids (never past the 256 slots).
    EXPECT_EQ(app.mSounds->mCalls, (std::vector<std::string>{"release 0", "release 1", "load 0 one",
                                                             "volume 0 0.500000", "load 1 two", "pan 1 200"}));
    EXPECT_EQ(manager.FindSoundId("B"), 1);
}

TEST_F(ResourceManagerTest, UnloadAndReloadGiveFreshImagesAndFonts)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n"
                     "<Image path=\"" +
                     P("a.png") +
                     "\" id=\"A\"/>\n"
                     "<Font path=\"" +
                     P("font.txt") +
                     "\" id=\"F\" tags=\"Bold,\tshadow\"/>\n"
                     "<Font path=\"!ref:F\" id=\"G\"/>\n"
                     "</Resources>\n<Resources id=\"H\"><Image path=\"" +
                     P("b.png") + "\" id=\"B\"/></Resources>\n"));
    ASSERT_TRUE(manager.LoadGroup("")) << manager.ErrorMessage();
    auto* font = dynamic_cast<Olvarn::ImageFont*>(manager.RequireFont("F"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->mTags, (std::vector<std::string>{"BOLD", "SHADOW"}));
    auto* ref = dynamic_cast<Olvarn::ImageFont*>(manager.RequireFont("G"));
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->mFontData, font->mFontData);
    EXPECT_EQ(ref->CharWidth('x'), 4);

    manager.UnloadGroup("G");
    EXPECT_EQ(manager.FindImage("A"), nullptr);
    EXPECT_EQ(manager.FindFont("F"), nullptr);
    EXPECT_NE(manager.FindImage("B"), nullptr);
    ASSERT_TRUE(manager.LoadGroup("G"));
    EXPECT_NE(manager.FindImage("A"), nullptr);
    EXPECT_NE(manager.FindFont("G"), nullptr);
}

TEST_F(ResourceManagerTest, ImageAndWidthsFontClonesOutliveTheRelease)
{
    ASSERT_TRUE(Read("<Resources id=\"G\">\n<Font path=\"" + P("widths.txt") + "\" image=\"" + P("glyphs.png") +
                     "\" id=\"W\"/>\n</Resources>\n"));
    ASSERT_TRUE(manager.LoadGroup("G")) << manager.ErrorMessage();
    std::unique_ptr<Olvarn::Font> clone(manager.RequireFont("W")->Clone());
    manager.UnloadGroup("G");
    EXPECT_EQ(clone->TextWidth("ab"), 9);
    Olvarn::MemoryImage dest;
    dest.Create(16, 16);
    Olvarn::Graphics g(&dest);
    clone->DrawText(&g, 0, 8, "ab", Olvarn::Color::White, g.GetClipRect());
    EXPECT_NE(dest.GetBits()[2 * 16 + 1] >> 24, 0u);
}

TEST_F(ResourceManagerTest, LoaderThreadAndSynchronousLoadDoNotDisturbEachOther)
{
    std::string body = "<Resources id=\"Back\">\n";
    for (int i = 0; i < 40; ++i)
        body += "<Image path=\"" + P("a.png") + "\" id=\"K" + std::to_string(i) + "\"/><Sound path=\"k" +
                std::to_string(i) + "\"/>\n";
    body += "</Resources>\n<Resources id=\"Front\">\n";
    for (int i = 0; i < 40; ++i)
        body += "<Image path=\"" + P("b.png") + "\" id=\"F" + std::to_string(i) + "\"/><Sound path=\"f" +
                std::to_string(i) + "\"/>\n";
    body += "</Resources>\n";
    ASSERT_TRUE(Read(body));

    std::thread loader([&] {
        manager.BeginGroupLoad("Back");
        while (manager.LoadNextPending()) {
        }
    });
    EXPECT_TRUE(manager.LoadGroup("Front"));
    loader.join();
    EXPECT_FALSE(manager.HasFailed());
    std::set<int> ids;
    for (const auto& entry : manager.Sounds())
        ids.insert(entry.second->mSoundId);
    EXPECT_EQ(ids.size(), 80u);
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), 79);
    for (int i = 0; i < 40; ++i) {
        EXPECT_NE(manager.FindImage("K" + std::to_string(i)), nullptr);
        EXPECT_NE(manager.FindImage("F" + std::to_string(i)), nullptr);
    }
}

// A display restart on the main thread walks every registered image while the loading thread is
// still making new ones; none of them may come out of it without its pixels.
TEST_F(ResourceManagerTest, DisplayRestartDuringLoadingKeepsEveryPicture)
{
    restest::WriteSolidPng(dir.File("big.png"), 256, 128, 0xFF6090C0);
    std::string body = "<Resources id=\"Back\">\n";
    for (int i = 0; i < 300; ++i)
        body += "<Image path=\"" + P("big.png") + "\" id=\"K" + std::to_string(i) + "\"/>\n";
    body += "</Resources>\n";
    ASSERT_TRUE(Read(body));

    std::atomic<bool> done{false};
    std::thread loader([&] {
        manager.BeginGroupLoad("Back");
        while (manager.LoadNextPending()) {
        }
        done = true;
    });
    while (!done)
        app.ReleaseImageNativeData();
    loader.join();
    ASSERT_FALSE(manager.HasFailed()) << manager.ErrorMessage();
    for (int i = 0; i < 300; ++i) {
        Olvarn::DDImage* image = manager.FindImage("K" + std::to_string(i));
        ASSERT_NE(image, nullptr);
        const uint32_t* bits = image->GetBits();
        ASSERT_NE(bits, nullptr);
        EXPECT_EQ(bits[128 * 256 / 2 + 7], 0xFF6090C0u) << "image " << i;
    }
}

} // namespace
