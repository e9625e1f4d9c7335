// The "data" reader: schema, rows in declaration order, defaults, getters and failures.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

std::string Thrown(const std::function<void()>& f)
{
    try {
        f();
    } catch (const char* text) {
        return text;
    }
    return "";
}

CXmlDataReader MakeReader()
{
    CXmlDataReader reader;
    reader.DeclareAttribute("b", "x", "dx");
    reader.DeclareAttribute("b", "y", "dy");
    reader.DeclareAttribute("a", "n", "7");
    reader.DeclareElement("flag");
    return reader;
}

} // namespace

TEST(DataReader, RowsFollowTheSchemaNotTheFile)
{
    CXmlDataReader reader = MakeReader();
    reader.LoadFromMemory(R"(<?xml version="1.0"?>
<data>
  <b y="1" x="2" extra="ignored"/>
  <unknown x="5"/>
  <a/>
  <b x="3"><b x="nested"/>text</b>
  <a n="-4"/>
  <flag/><flag/>
</data>)");
    ASSERT_TRUE(reader.IsLoaded());
    EXPECT_EQ(reader.GetRowCount("a"), 2);
    EXPECT_EQ(reader.GetRowCount("b"), 2);
    EXPECT_EQ(reader.GetRowCount("flag"), 2);
    EXPECT_EQ(reader.GetRowCount("unknown"), 0);

    std::string x, y;
    EXPECT_EQ(reader.GetRow("b", 0, x, y), 2);
    EXPECT_EQ(x, "2");
    EXPECT_EQ(y, "1");
    // A missing attribute takes the declared default; a nested row is not a row.
    EXPECT_EQ(reader.GetRow("b", 1, x, y), 2);
    EXPECT_EQ(x, "3");
    EXPECT_EQ(y, "dy");
    int n = 0;
    reader.GetRow("a", 0, n);
    EXPECT_EQ(n, 7);
    reader.GetRow("a", 1, n);
    EXPECT_EQ(n, -4);
}

TEST(DataReader, GetterAssignsNothingForRowsThatDoNotExist)
{
    CXmlDataReader reader = MakeReader();
    std::string x = "keep", y = "keep";
    EXPECT_EQ(reader.GetRow("b", 0, x, y), 0) << "not loaded";
    reader.LoadFromMemory("<data><b x='1'/><flag/></data>");
    for (int row : {-1, 1, 1000}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(reader.GetRow("b", row, x, y), 0);
    }
    EXPECT_EQ(x, "keep");
    // An element without attributes has rows but nothing to get.
    EXPECT_EQ(reader.GetRowCount("flag"), 1);
    EXPECT_EQ(reader.GetRow("flag", 0, x), 0);
    // More outs than attributes: only as many as there are.
    int extra = 99;
    EXPECT_EQ(reader.GetRow("b", 0, x, y, extra), 2);
    EXPECT_EQ(extra, 99);
    reader.Clear();
    EXPECT_FALSE(reader.IsLoaded());
    EXPECT_EQ(reader.GetRowCount("b"), 0);
    EXPECT_EQ(reader.GetRow("b", 0, x), 0);
}

TEST(DataReader, TypedConversions)
{
    CXmlDataReader reader;
    for (const char* a : {"i", "f", "b", "p", "l"})
        reader.DeclareAttribute("r", a, "");
    reader.LoadFromMemory(R"(<data><r i=" -12z" f="2.5" b="2" p="1.5 -3 " l="4 5 6 "/></data>)");
    int i = 0;
    float f = 0;
    bool b = false;
    CFloatPair p;
    std::vector<int> l;
    ASSERT_EQ(reader.GetRow("r", 0, i, f, b, p, l), 5);
    EXPECT_EQ(i, -12);
    EXPECT_EQ(f, 2.5f);
    EXPECT_TRUE(b);
    EXPECT_EQ(p.x, 1.5f);
    EXPECT_EQ(p.y, -3.0f);
    EXPECT_EQ(l, (std::vector<int>{4, 5, 6}));

    // Any point type of two floats x and y reads like the pair (the framework's vector does).
    struct Point {
        float x = 0;
        float y = 0;
    } point;
    reader.GetRow("r", 0, i, f, b, point);
    EXPECT_EQ(point.x, 1.5f);
    EXPECT_EQ(point.y, -3.0f);
    EXPECT_EQ(DataValueText(point), "1.5 -3. ");
}

TEST(DataReader, ASecondLoadReplacesTheFirst)
{
    CXmlDataReader reader = MakeReader();
    reader.LoadFromMemory("<data><a n='1'/><a n='2'/></data>");
    reader.LoadFromMemory("<data><a n='3'/></data>");
    EXPECT_EQ(reader.GetRowCount("a"), 1);
    int n = 0;
    reader.GetRow("a", 0, n);
    EXPECT_EQ(n, 3);
}

TEST(DataReader, CryptedFlagTransformsPresentValuesOnly)
{
    CXmlDataReader reader = MakeReader();
    std::string stored = "secret";
    XmlDataCrypt(stored);
    // The transformed text must survive as an attribute: escape what XML would read differently.
    std::string escaped;
    for (char c : stored)
        escaped += c == '&'   ? std::string("&amp;")
                   : c == '<' ? std::string("&lt;")
                   : c == '"' ? "&quot;"
                              : std::string(1, c);
    reader.LoadFromMemory("<data><crypted/><b x=\"" + escaped + "\"/></data>");
    std::string x, y;
    reader.GetRow("b", 0, x, y);
    EXPECT_EQ(x, "secret");
    EXPECT_EQ(y, "dy");

    reader.LoadFromMemory("<data><b x=\"plain\"/></data>");
    reader.GetRow("b", 0, x, y);
    EXPECT_EQ(x, "plain");
}

TEST(DataReader, FailuresThrowTheirTextsAndStoreNothing)
{
    testsupport::TempDir dir;
    dir.WriteFile("other.xml", "<other><a n='1'/></other>");
    dir.WriteFile("broken.xml", "<data><a n='1'/><a n=></data>");
    dir.WriteFile("good.xml", "<data>\r\n<a n='5'/>\r\n</data>");
    struct Case {
        std::string name;
        std::function<void(CXmlDataReader&)> load;
        std::string text;
    } cases[] = {
        {"missing file", [&](CXmlDataReader& r) { r.LoadFile(dir.File("none.xml")); },
         "Unable to load XML document into the parser"},
        {"broken file", [&](CXmlDataReader& r) { r.LoadFile(dir.File("broken.xml")); },
         "Unable to load XML document into the parser"},
        {"other root", [&](CXmlDataReader& r) { r.LoadFile(dir.File("other.xml")); },
         "Unable to locate 'data' XML node"},
        {"other root in memory", [](CXmlDataReader& r) { r.LoadFromMemory("<other/>"); },
         "Unable to locate 'data' XML node"},
        // A damaged save is a failed load, not a half-read one.
        {"broken text", [](CXmlDataReader& r) { r.LoadFromMemory("<data><a n='1'/><a n=</data>"); },
         "Unable to load XML document into the parser"},
        {"empty text", [](CXmlDataReader& r) { r.LoadFromMemory(""); }, "Unable to load XML document into the parser"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CXmlDataReader reader = MakeReader();
        reader.LoadFile(dir.File("good.xml"));
        EXPECT_EQ(Thrown([&] { c.load(reader); }), c.text);
        EXPECT_FALSE(reader.IsLoaded());
        EXPECT_EQ(reader.GetRowCount("a"), 0);
    }
}

TEST(DataReader, EachFailureLogsOneLineNamingTheFileAndLine)
{
    testsupport::TempDir dir;
    dir.WriteFile("broken.xml", "<data>\r\n<a n='1'/>\r\n<a n=></data>");
    dir.WriteFile("other.xml", "<other/>");
    dir.WriteFile("deep.xml", "<data>" + std::string(300, '<') + "</data>");
    const struct {
        std::string file;
        std::string logged;
    } cases[] = {
        {"none.xml", dir.File("none.xml") + ": cannot be read"},
        {"broken.xml", dir.File("broken.xml") + ":3: "},
        {"other.xml", dir.File("other.xml") + ": no \"data\" element"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        testsupport::LogCapture log;
        CXmlDataReader reader = MakeReader();
        EXPECT_NE(Thrown([&] { reader.LoadFile(dir.File(c.file)); }), "");
        EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
        EXPECT_EQ(log.Lines(), 1u);
    }
}

TEST(DataReader, FilePathsTakeBackslashesAndLineEnds)
{
    testsupport::TempDir dir;
    dir.WriteFile("properties/list.xml", "<data>\r\n<a n='5'/>\r\n<b x='one\r\ntwo'/></data>");
    CXmlDataReader reader = MakeReader();
    reader.LoadFile(dir.Path() + "\\properties\\list.xml");
    EXPECT_EQ(reader.Source(), dir.Path() + "\\properties\\list.xml");
    int n = 0;
    reader.GetRow("a", 0, n);
    EXPECT_EQ(n, 5);
    std::string x;
    reader.GetRow("b", 0, x);
    EXPECT_EQ(x, "one\ntwo");
}

TEST(DataReader, AByteOrderMarkIsSkipped)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<std::string> texts = {
        bom + "<data><a n='5'/></data>",
        bom + "<?xml version=\"1.0\"?>\r\n<data><a n='5'/></data>",
        bom + "\n<data>\n<a n='5'/>\n</data>",
    };
    testsupport::TempDir dir;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        dir.WriteFile("marked.xml", text);
        CXmlDataReader reader = MakeReader();
        for (bool fromFile : {true, false}) {
            if (fromFile)
                reader.LoadFile(dir.File("marked.xml"));
            else
                reader.LoadFromMemory(text);
            int n = 0;
            EXPECT_EQ(reader.GetRow("a", 0, n), 1);
            EXPECT_EQ(n, 5);
        }
    }
    // Only a whole mark at the very start is skipped.
    CXmlDataReader reader = MakeReader();
    EXPECT_EQ(Thrown([&] { reader.LoadFromMemory("\xEF\xBB<data/>"); }), "Unable to load XML document into the parser");
}

TEST(DataReader, StrictRowsThrowForRowsThatDoNotExist)
{
    CXmlDataReader reader = MakeReader();
    reader.LoadFromMemory("<data><a n='1'/></data>");
    reader.SetStrictRows(true);
    int n = 0;
    EXPECT_EQ(reader.GetRow("a", 0, n), 1);
    EXPECT_NE(Thrown([&] { reader.GetRow("a", 1, n); }), "");
    reader.SetStrictRows(false);
    EXPECT_EQ(reader.GetRow("a", 1, n), 0);
}

TEST(DataReader, RefusesNestingDeepEnoughToExhaustTheStack)
{
    CXmlDataReader reader = MakeReader();
    std::string deep = "<data>";
    for (int i = 0; i < 200000; ++i)
        deep += "<b x='>'>";
    EXPECT_EQ(Thrown([&] { reader.LoadFromMemory(deep); }), "Unable to load XML document into the parser");
    // Self-closing rows, comments and quoted brackets are no nesting.
    std::string wide = "<?xml version='1.0'?><!-- <a><a> --><data>";
    for (int i = 0; i < 1000; ++i)
        wide += "<a n=\"<a>\" />";
    reader.LoadFromMemory(wide + "</data>");
    EXPECT_EQ(reader.GetRowCount("a"), 1000);
}
