// Font descriptors and the image-and-widths form: commands, parameter checks, exact messages.
#include <gtest/gtest.h>

#include <functional>

#include "ResourceManagerTestSupport.h"
#include "core/PathUtils.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"
#include "support/TempDir.h"

using Olvarn::FontData;
using Olvarn::FontLayerSpec;

namespace
{

class FontDataTest : public ::testing::Test
{
protected:
    FontDataTest() { restest::WriteSolidPng(dir.File("glyphs.png"), 32, 16, 0xFFFFFFFF); }

    std::unique_ptr<FontData> Load(const std::string& text)
    {
        testsupport::SaveFuzzSeed("fontdesc", std::to_string(std::hash<std::string>()(text)), text);
        dir.WriteFile("font.txt", text);
        auto data = std::make_unique<FontData>();
        EXPECT_TRUE(data->Load(&app, dir.File("font.txt")));
        return data;
    }

    // The messages without the header naming the file.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        const std::string header = "Font Descriptor Error in " + dir.File("font.txt") + "\r\n";
        for (const std::string& m : app.mFatal)
            out.push_back(m.compare(0, header.size(), header) == 0 ? m.substr(header.size()) : "?" + m);
        return out;
    }

    static const FontLayerSpec& Layer(const FontData& data, const std::string& name)
    {
        return *data.mFontLayerMap.at(name);
    }

    restest::TestApp app;
    testsupport::TempDir dir;
};

const char* const kBase = "CreateLayer Main;\nLayerSetImage Main 'glyphs.png';\n";

TEST_F(FontDataTest, ErrorShowsHeaderLineAndCommandText)
{
    auto data = Load("CreateLayer Main;\n\nFrobnicate Main  1;\nCreateLayer Other;");
    EXPECT_FALSE(data->mLoaded);
    ASSERT_EQ(app.mFatal.size(), 1u);
    EXPECT_EQ(app.mFatal[0], "Font Descriptor Error in " + dir.File("font.txt") +
                                 "\r\nUnknown Command on Line 3:\r\n\r\nFrobnicate Main  1");
    // The load stopped at the failing command.
    EXPECT_EQ(data->mFontLayerList.size(), 1u);
}

TEST_F(FontDataTest, RejectedCommandsShowTheirMessage)
{
    struct Case {
        const char* text;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"CreateLayer;", {"Invalid Number of Parameters on Line 3:\r\n\r\nCreateLayer"}},
        {"LayerSetAscent Main 1 2;", {"Invalid Number of Parameters on Line 3:\r\n\r\nLayerSetAscent Main 1 2"}},
        {"LayerSetAscent Nowhere 3;",
         {"Undefined Layer on Line 3:\r\n\r\nLayerSetAscent Nowhere 3",
          "Invalid Paramater Type on Line 3:\r\n\r\nLayerSetAscent Nowhere 3"}},
        {"LayerSetAscent Main +3;", {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetAscent Main +3"}},
        {"LayerSetAscent Main (3);", {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetAscent Main (3)"}},
        {"LayerSetDrawMode Main 2;", {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetDrawMode Main 2"}},
        {"LayerSetColorMult Main (1, 1, 1);",
         {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetColorMult Main (1, 1, 1)"}},
        {"LayerSetOffset Main (1);", {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetOffset Main (1)"}},
        {"LayerSetCharWidths Main ('a', 'b') (1);",
         {"List Size Mismatch on Line 3:\r\n\r\nLayerSetCharWidths Main ('a', 'b') (1)"}},
        {"LayerSetCharWidths Main ('a') (1x);",
         {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetCharWidths Main ('a') (1x)"}},
        {"LayerSetImage Main 'nothing.png';",
         {"Failed to Load Image on Line 3:\r\n\r\nLayerSetImage Main 'nothing.png'"}},
        {"LayerSetImageMap Main ('a') ((0, 0, 33, 16));",
         {"Image rectangle out of bounds on Line 3:\r\n\r\nLayerSetImageMap Main ('a') ((0, 0, 33, 16))"}},
        {"LayerSetImageMap Main ('a') ((-1, 0, 2, 16));",
         {"Image rectangle out of bounds on Line 3:\r\n\r\nLayerSetImageMap Main ('a') ((-1, 0, 2, 16))"}},
        {"LayerSetImageMap Main ('a') ((4, 4, -2, 2));",
         {"Image rectangle out of bounds on Line 3:\r\n\r\nLayerSetImageMap Main ('a') ((4, 4, -2, 2))"}},
        {"CreateLayer Bare;\nLayerSetImageMap Bare ('a') ((0, 0, 1, 1));",
         {"Layer image not set on Line 4:\r\n\r\nLayerSetImageMap Bare ('a') ((0, 0, 1, 1))"}},
        {"LayerSetKerningPairs Main ('abc') (1);",
         {"Invalid Paramater Type on Line 3:\r\n\r\nLayerSetKerningPairs Main ('abc') (1)"}},
    };
    for (const Case& c : cases) {
        app.mFatal.clear();
        auto data = Load(std::string(kBase) + c.text);
        EXPECT_FALSE(data->mLoaded) << c.text;
        EXPECT_EQ(Messages(), c.messages) << c.text;
    }
}

TEST_F(FontDataTest, CommandsMatchWithoutRegardToCaseAndSetTheLayer)
{
    auto data =
        Load(std::string(kBase) + "layersetascent main 12;\n"
                                  "LAYERSETASCENTPADDING Main 2; LayerSetLineSpacingOffset Main -1;\n"
                                  "LayerSetDrawMode Main 1; LayerSetColorMult Main (0.5, 1, 1, 1);\n"
                                  "LayerSetColorAdd Main (0, 0.25, 0, 0); LayerSetOffset Main (3, -4);\n"
                                  "LayerSetSpacing Main 2; LayerSetBaseOrder Main -1; LayerSetPointSize Main 24;\n"
                                  "LayerPointRange Main 10 0x14; SetDefaultPointSize 16;\n"
                                  "LayerRequireTags Main ('bold'); LayerExcludeTags Main ('shadow', 'Small');\n");
    ASSERT_TRUE(data->mLoaded) << (app.mFatal.empty() ? "" : app.mFatal[0]);
    const FontLayerSpec& layer = Layer(*data, "MAIN");
    EXPECT_EQ(layer.mAscent, 12);
    EXPECT_EQ(layer.mAscentPadding, 2);
    EXPECT_EQ(layer.mLineSpacingOffset, -1);
    EXPECT_EQ(layer.mDrawMode, 1);
    EXPECT_EQ(layer.mColorMult, Olvarn::Color(127, 255, 255, 255));
    EXPECT_EQ(layer.mColorAdd, Olvarn::Color(0, 63, 0, 0));
    EXPECT_EQ(layer.mOffsetX, 3);
    EXPECT_EQ(layer.mOffsetY, -4);
    EXPECT_EQ(layer.mSpacing, 2);
    EXPECT_EQ(layer.mBaseOrder, -1);
    EXPECT_EQ(layer.mPointSize, 24);
    EXPECT_EQ(layer.mMinPointSize, 10);
    EXPECT_EQ(layer.mMaxPointSize, 20);
    EXPECT_EQ(data->mDefaultPointSize, 16);
    EXPECT_EQ(layer.mRequiredTags, (std::vector<std::string>{"BOLD"}));
    EXPECT_EQ(layer.mExcludedTags, (std::vector<std::string>{"SHADOW", "SMALL"}));
}

TEST_F(FontDataTest, CharacterRecordsKerningAndCharMap)
{
    auto data = Load(std::string(kBase) + "LayerSetCharWidths Main ('A', 'V') (10, 12);\n"
                                          "LayerSetCharOrders Main ('A') (5);\n"
                                          "LayerSetCharOffsets Main ('A', 'V') ((1, 2), (3, 4));\n"
                                          "LayerSetKerningPairs Main ('AV', 'VA') (-3, 200);\n"
                                          "SetCharMap ('a') ('A');\n");
    ASSERT_TRUE(data->mLoaded);
    const FontLayerSpec& layer = Layer(*data, "MAIN");
    EXPECT_EQ(layer.Char('A').mWidth, 10);
    EXPECT_EQ(layer.Char('V').mWidth, 12);
    EXPECT_EQ(layer.Char('A').mOrder, 5);
    EXPECT_EQ(layer.Char('V').mOffsetX, 3);
    EXPECT_EQ(layer.Char('V').mOffsetY, 4);
    EXPECT_EQ(layer.Char('A').mKerningOffsets['V'], -3);
    EXPECT_EQ(layer.Char('V').mKerningOffsets['A'], -56);
    EXPECT_EQ(data->MapChar('a'), 'A');
    EXPECT_EQ(data->MapChar('b'), 'b');
}

TEST_F(FontDataTest, BadElementIsSkippedOthersAppliedThenTheCommandFails)
{
    auto data = Load(std::string(kBase) + "LayerSetCharWidths Main ('a', 'bc', 'd') (1, 2, 3);");
    EXPECT_FALSE(data->mLoaded);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "Invalid Paramater Type on Line 3:\r\n\r\nLayerSetCharWidths Main ('a', 'bc', 'd') (1, 2, 3)"}));
    const FontLayerSpec& layer = Layer(*data, "MAIN");
    EXPECT_EQ(layer.Char('a').mWidth, 1);
    EXPECT_EQ(layer.Char('d').mWidth, 3);
}

TEST_F(FontDataTest, ImageMapAcceptsTheEdgeAndSetsTheLayerHeight)
{
    // The offset set before the map counts toward the height; the one set after does not.
    auto data = Load(std::string(kBase) + "LayerSetCharOffsets Main ('b') ((0, 5));\n"
                                          "LayerSetImageMap Main ('a', 'b') ((22, 0, 10, 16), (0, 0, 4, 8));\n"
                                          "LayerSetCharOffsets Main ('a') ((0, 9));\n");
    ASSERT_TRUE(data->mLoaded);
    const FontLayerSpec& layer = Layer(*data, "MAIN");
    EXPECT_EQ(layer.Char('a').mImageRect, Olvarn::Rect(22, 0, 10, 16));
    EXPECT_EQ(layer.mHeight, 16);
}

TEST_F(FontDataTest, HorzSpanRectListDefinesRectanglesSideBySide)
{
    auto data = Load("CreateHorzSpanRectList Spans (10, 20, 0, 16) (5, 7, 3);\n" + std::string(kBase) +
                     "CreateHorzSpanRectList Row (1, 0, 99, 16) (5, 7, 3);\n"
                     "LayerSetImageMap Main ('a', 'b', 'c') Row;");
    ASSERT_TRUE(data->mLoaded);
    Olvarn::DataElement* spans = data->GetDefinedElement("spans");
    ASSERT_NE(spans, nullptr);
    EXPECT_EQ(Olvarn::DescParser::DataElementToText(*spans), "((10, 20, 5, 16), (15, 20, 7, 16), (22, 20, 3, 16))");
    EXPECT_EQ(Layer(*data, "MAIN").Char('b').mImageRect, Olvarn::Rect(6, 0, 7, 16));
}

TEST_F(FontDataTest, LayersShareOneImagePerResolvedPath)
{
    auto data = Load(std::string(kBase) + "CreateLayer Shadow; LayerSetImage Shadow './glyphs.png';\n"
                                          "CreateLayerFrom Copy Main;");
    ASSERT_TRUE(data->mLoaded);
    EXPECT_EQ(app.mImageLoads, 1);
    EXPECT_EQ(data->mImageMap.size(), 1u);
    EXPECT_EQ(Layer(*data, "MAIN").mImage, Layer(*data, "SHADOW").mImage);
    EXPECT_EQ(Layer(*data, "COPY").mImage, Layer(*data, "MAIN").mImage);
    // Pictures of descriptors are kept as palettes.
    EXPECT_TRUE(Layer(*data, "MAIN").mImage->IsPalettized());
}

TEST_F(FontDataTest, DuplicateLayerNameIsReportedButLoadingGoesOn)
{
    auto data = Load(std::string(kBase) + "CreateLayer main;\nLayerSetAscent Main 7;");
    EXPECT_TRUE(data->mLoaded);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Layer Already Exists on Line 3:\r\n\r\nCreateLayer main"}));
    EXPECT_EQ(data->mFontLayerList.size(), 2u);
    EXPECT_EQ(data->mFontLayerList.front().mAscent, 7);
}

TEST_F(FontDataTest, MissingDescriptorGivesNoMessageAndASecondLoadIsRefused)
{
    FontData missing;
    EXPECT_TRUE(missing.Load(&app, dir.File("none.txt")));
    EXPECT_FALSE(missing.mLoaded);
    EXPECT_TRUE(app.mFatal.empty());

    auto data = Load(kBase);
    ASSERT_TRUE(data->mLoaded);
    EXPECT_FALSE(data->Load(&app, dir.File("font.txt")));
}

// ---- Image and widths file ----

TEST_F(FontDataTest, WidthsFileCutsGlyphsSideBySide)
{
    auto image = std::shared_ptr<Olvarn::MemoryImage>(app.LoadImageFile(dir.File("glyphs.png")));
    dir.WriteFile("widths.txt", "4 13\nA 5\n  B 7\r\nc 3\n");
    testsupport::SaveFuzzSeed("widths", "side-by-side", dir.ReadFile("widths.txt"));
    FontData data;
    ASSERT_TRUE(data.LoadFromImage(image, dir.File("widths.txt")));
    EXPECT_TRUE(data.mLoaded);
    const FontLayerSpec& layer = data.mFontLayerList.front();
    EXPECT_EQ(layer.mImage, image);
    EXPECT_EQ(layer.mHeight, 16);
    EXPECT_EQ(layer.mAscent, 13);
    EXPECT_EQ(layer.Char(' ').mWidth, 4);
    EXPECT_EQ(layer.Char('A').mImageRect, Olvarn::Rect(0, 0, 5, 16));
    EXPECT_EQ(layer.Char('B').mImageRect, Olvarn::Rect(5, 0, 7, 16));
    EXPECT_EQ(layer.Char('c').mImageRect, Olvarn::Rect(12, 0, 3, 16));
    EXPECT_EQ(layer.Char('c').mWidth, 3);
    // Case fallback both ways: a capital without a glyph uses the small letter and back.
    EXPECT_EQ(data.MapChar('C'), 'c');
    EXPECT_EQ(data.MapChar('a'), 'A');
    EXPECT_EQ(data.MapChar('D'), 'D');
    EXPECT_FALSE(image->IsPalettized());

    // The file entry only reads the bytes: fed directly, they give the same layer.
    FontData fromBytes;
    ASSERT_TRUE(fromBytes.ParseImageWidths(image, dir.ReadFile("widths.txt")));
    EXPECT_EQ(fromBytes.mFontLayerList.front().mAscent, 13);
    EXPECT_EQ(fromBytes.mFontLayerList.front().Char('B').mImageRect, Olvarn::Rect(5, 0, 7, 16));
    EXPECT_EQ(fromBytes.MapChar('C'), 'c');
}

TEST_F(FontDataTest, WidthsPastTheIntRangeNeverWrapBackIntoThePicture)
{
    auto image = std::shared_ptr<Olvarn::MemoryImage>(app.LoadImageFile(dir.File("glyphs.png")));
    std::string widths = "4 13";
    for (int i = 0; i < 2200; ++i)
        widths += " A 1000000";
    dir.WriteFile("widths.txt", widths + " z 4");
    FontData data;
    ASSERT_TRUE(data.LoadFromImage(image, dir.File("widths.txt")));
    const Olvarn::Rect z = data.mFontLayerList.front().Char('z').mImageRect;
    EXPECT_GE(z.mX, 32);
    EXPECT_EQ(z.mWidth, 4);
}

TEST_F(FontDataTest, UnreadableWidthsFileLeavesTheDataNotLoaded)
{
    auto image = std::shared_ptr<Olvarn::MemoryImage>(app.LoadImageFile(dir.File("glyphs.png")));
    FontData data;
    EXPECT_FALSE(data.LoadFromImage(image, dir.File("none.txt")));
    EXPECT_FALSE(data.mLoaded);
}

} // namespace
