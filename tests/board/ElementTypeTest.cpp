#include <gtest/gtest.h>

#include <cstdio>

#include "board/CElement.h"
#include "board/CElementType.h"
#include "resources/XMLParser.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

// The rows named tag of a "data" property file.
std::vector<AttributeRow> ReadRows(const std::string& path, const std::string& tag)
{
    Olvarn::XMLParser parser;
    EXPECT_TRUE(parser.OpenFile(path)) << path;
    std::vector<AttributeRow> rows;
    Olvarn::XMLElement e;
    while (parser.NextElement(&e))
        if (e.mType == Olvarn::XMLElement::TYPE_START && e.mValue == tag)
            rows.push_back(e.mAttributes);
    EXPECT_FALSE(parser.HasFailed()) << parser.GetErrorText();
    return rows;
}

AttributeRow Row(const std::string& grid1, const std::string& positions = "6")
{
    AttributeRow r;
    for (int k = 1; k <= 6; ++k)
        r["grid" + std::to_string(k)] = grid1;
    r["positions"] = positions;
    return r;
}

int CountCells(const CellMask& m)
{
    int n = 0;
    for (bool b : m)
        n += b;
    return n;
}

} // namespace

TEST(ElementTypes, MaskTextAndWidth)
{
    struct Case {
        const char* text;
        std::vector<int> cells; // column * 5 + row
        int width;
    } cases[] = {
        {"11000 00000\n00000 00000 00000", {0, 5}, 3},
        {"10000", {0}, 2},
        {"", {}, 1},
        {"1x0y1", {0, 10}, 4},                           // other characters are skipped
        {"00000 00000 00000 00000 00001 1111", {24}, 2}, // digits past the 25th are ignored
        {"01110 11100", {10, 15, 5, 1, 6, 11}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CellMask m = ParseMask(c.text);
        CellMask expected{};
        for (int i : c.cells)
            expected[i] = true;
        EXPECT_EQ(m, expected);
        EXPECT_EQ(MaskWidth(m), c.width);
    }
}

TEST(ElementTypes, RowsAccumulateAndOffsetsApplyFromTheStart)
{
    ClearElementTypes();
    AttributeRow a = Row("10000");
    a["center1"] = "20 23";
    a["center2"] = "bad";
    a["score"] = "";
    LoadElementTypes({a, Row("11000", "3")}, {});
    LoadElementTypes({Row("11100")}, {{{"offset1", "-4.7 3"}, {"offset4", "1"}}});
    ASSERT_EQ(ElementTypes().size(), 3u);
    EXPECT_EQ(ElementTypes()[1].positions, 3);
    EXPECT_EQ(ElementTypes()[2].width, 4);
    EXPECT_FLOAT_EQ(ElementTypes()[0].centers[0].y, 23);
    EXPECT_FLOAT_EQ(ElementTypes()[0].centers[1].x, 0); // not a pair: stays
    EXPECT_EQ(ElementTypes()[0].score, 0);
    EXPECT_FLOAT_EQ(ElementTypes()[0].offsets[0].x, -4.7f);
    EXPECT_FLOAT_EQ(ElementTypes()[0].offsets[3].x, 0); // one number only: stays
    EXPECT_FLOAT_EQ(ElementTypes()[0].image_center.x, 0);
}

TEST(ElementTypes, UnusableRowsAreRefusedWithTheirRow)
{
    struct Case {
        AttributeRow row;
        const char* needle;
    } cases[] = {
        {Row("10000", "0"), "element row 1: positions"},
        {Row("10000", "7"), "positions must be 1 to 6"},
        {Row(""), "grid1 covers no cell"},
    };
    for (const auto& c : cases) {
        ClearElementTypes();
        try {
            LoadElementTypes({Row("10000"), c.row}, {});
            ADD_FAILURE() << c.needle;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.needle), std::string::npos) << e.what();
        }
        EXPECT_TRUE(ElementTypes().empty()); // nothing of a refused file is kept
    }
    // An unused rotation may be empty.
    AttributeRow three = Row("10000", "3");
    three["grid4"] = "";
    EXPECT_NO_THROW(LoadElementTypes({three}, {}));
}

TEST(ElementTypes, OffsetsFileTextAndWriteOnlyOnChange)
{
    ClearElementTypes();
    LoadElementTypes({Row("10000"), Row("10000")}, {{{"offset1", "-4.7 12.9"}, {"offset6", "100 -100"}}});
    std::string text = FormatOffsetsFile();
    EXPECT_EQ(text, "<?xml version=\"1.0\"?>\r\n<data>\r\n"
                    "\t<element_offset offset1=\" -4  12\" offset2=\"  0   0\" offset3=\"  0   0\" offset4=\"  0   0\" "
                    "offset5=\"  0   0\" offset6=\"100 -100\" />\r\n"
                    "\t<element_offset offset1=\"  0   0\" offset2=\"  0   0\" offset3=\"  0   0\" offset4=\"  0   0\" "
                    "offset5=\"  0   0\" offset6=\"  0   0\" />\r\n"
                    "</data>");
    testsupport::TempDir dir;
    dir.WriteFile("properties/offsets.xml", "as shipped");
    // Nothing changed since the load: the shipped file stays byte for byte.
    EXPECT_TRUE(SaveOffsetsFile(dir.Path()));
    EXPECT_EQ(dir.ReadFile("properties/offsets.xml"), "as shipped");
    ElementTypes()[1].offsets[2] = FPoint(3, 4);
    EXPECT_TRUE(SaveOffsetsFile(dir.Path()));
    EXPECT_EQ(dir.ReadFile("properties/offsets.xml"), FormatOffsetsFile());
    // A folder that cannot be written reports failure.
    ElementTypes()[1].offsets[2] = FPoint(5, 4);
    EXPECT_FALSE(SaveOffsetsFile(dir.File("missing/deeper")));
}

TEST(ElementTypes, ShippedConfigurationLoads)
{
    ClearElementTypes();
    std::string folder = testsupport::SourceDir() + "/data/properties/";
    LoadElementTypes(ReadRows(folder + "config.xml", "element"), ReadRows(folder + "offsets.xml", "element_offset"));
    const auto& types = ElementTypes();
    ASSERT_GE(types.size(), 15u);
    for (size_t id = 0; id < types.size(); ++id) {
        SCOPED_TRACE(id);
        const auto& t = types[id];
        int cells = CountCells(t.masks[0]);
        EXPECT_GE(cells, 1);
        EXPECT_LE(cells, 6);
        for (int k = 0; k < 6; ++k) {
            // Every rotation covers the same number of cells and its origin cell points up.
            EXPECT_EQ(CountCells(t.masks[k % t.positions]), cells) << "rotation " << k;
            FPoint c = t.centers[k % t.positions];
            EXPECT_GT(c.x, 0);
            EXPECT_GT(c.y, 0);
        }
        EXPECT_GT(t.score, 0);
        EXPECT_GE(t.width, 2);
    }
    EXPECT_EQ(CountCells(types[14].masks[0]), 1);
    // The shipped offsets file is already in the form the program writes.
    std::FILE* f = std::fopen((folder + "offsets.xml").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string shipped;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        shipped.append(buf, n);
    std::fclose(f);
    EXPECT_EQ(shipped, FormatOffsetsFile());
}
