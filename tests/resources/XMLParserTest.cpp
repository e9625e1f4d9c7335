// The manifest's XML reader: element records, loose syntax, self-closing tags and the first error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/XMLParser.h"
#include "support/TempDir.h"

namespace
{

using Olvarn::XMLElement;
using Olvarn::XMLParser;

// One element as a short line: "S name [section] {k=v,...}", "E name [section]", "T text [section]",
// "I target|instruction".
std::string Describe(const XMLElement& e)
{
    std::string s;
    switch (e.mType) {
    case XMLElement::TYPE_START:
        s = "S " + e.mValue + " [" + e.mSection + "]";
        if (!e.mAttributes.empty()) {
            s += " {";
            bool first = true;
            for (const auto& [k, v] : e.mAttributes) {
                s += (first ? "" : ",") + k + "=" + v;
                first = false;
            }
            s += "}";
        }
        return s;
    case XMLElement::TYPE_END:
        return "E " + e.mValue + " [" + e.mSection + "]";
    case XMLElement::TYPE_TEXT:
        return "T " + e.mValue + " [" + e.mSection + "]";
    case XMLElement::TYPE_INSTRUCTION:
        return "I " + e.mValue + "|" + e.mInstruction;
    default:
        return "?";
    }
}

struct ReadResult {
    std::vector<std::string> mElements;
    std::string mError;
    int mLine = 0;
    bool mFailed = false;
};

ReadResult ReadWith(XMLParser& parser)
{
    ReadResult result;
    XMLElement element;
    for (int guard = 0; guard < 1000 && parser.NextElement(&element); ++guard)
        result.mElements.push_back(Describe(element));
    result.mError = parser.GetErrorText();
    result.mLine = parser.GetCurrentLineNum();
    result.mFailed = parser.HasFailed();
    return result;
}

// Reads the bytes through the parser's core, and checks that the file entry reads the same.
ReadResult ReadXml(const std::string& bytes, const std::string& seedName = "")
{
    if (!seedName.empty())
        testsupport::SaveFuzzSeed("xml", seedName, bytes);
    XMLParser parser;
    parser.Parse(bytes, "doc.xml");
    ReadResult result = ReadWith(parser);

    testsupport::TempDir dir;
    dir.WriteFile("doc.xml", bytes);
    XMLParser fromFile;
    EXPECT_TRUE(fromFile.OpenFile(dir.File("doc.xml")));
    ReadResult again = ReadWith(fromFile);
    EXPECT_EQ(again.mElements, result.mElements);
    EXPECT_EQ(again.mError, result.mError);
    EXPECT_EQ(again.mLine, result.mLine);
    return result;
}

using Lines = std::vector<std::string>;

struct ElementCase {
    const char* mName;
    const char* mXml;
    Lines mExpected;
};

class XMLParserElements : public testing::TestWithParam<ElementCase>
{
};

TEST_P(XMLParserElements, ReadsTheElementsThenEndsCleanly)
{
    const ElementCase& c = GetParam();
    ReadResult r = ReadXml(c.mXml, c.mName);
    EXPECT_EQ(r.mElements, c.mExpected);
    EXPECT_EQ(r.mError, "");
    EXPECT_FALSE(r.mFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XMLParserElements,
    testing::Values(
        ElementCase{"collapsed_text", "<a>  x   y  </a>", {"S a []", "T x y [a]", "E a [a]"}},
        ElementCase{"self_closing_after_quote",
                    "<R><Image id=\"A\" path=\"img\\a\"/><Sound id=\"B\"/></R>",
                    {"S R []", "S Image [R] {id=A,path=img\\a}", "E Image [R/Image]", "S Sound [R] {id=B}",
                     "E Sound [R/Sound]", "E R [R]"}},
        ElementCase{"self_closing_forms",
                    "<a/><b x=1 /><c x=1/>",
                    {"S a []", "E a [a]", "S b [] {x=1}", "E b [b]", "S c [] {x=1}", "E c [c]"}},
        // A quoted value keeps a slash it ends with; only one outside the quotes closes the element.
        ElementCase{"quoted_trailing_slash_kept",
                    "<a path=\"dir/\">t</a><b path=\"dir/\"/>",
                    {"S a [] {path=dir/}", "T t [a]", "E a [a]", "S b [] {path=dir/}", "E b [b]"}},
        ElementCase{"attribute_forms", "<a bare x = 1 q=\"two  words\" n=v>", {"S a [] {bare=,n=v,q=two  words,x=1}"}},
        ElementCase{"empty_quoted_value_then_more", "<a x=\"\" y=2>", {"S a [] {x=,y=2}"}},
        ElementCase{"repeated_attribute_keeps_last", "<a x=1 x=2>", {"S a [] {x=2}"}},
        ElementCase{"quoted_markup_is_plain", "<a x=\"<b>/=?\">", {"S a [] {x=<b>/=?}"}},
        ElementCase{"entities",
                    "<a v=\"&lt;&amp;&gt;&quot;&apos;&nbsp;&zz;\">1&lt;2 &amp; x&cr;y &z</a>",
                    {"S a [] {v=<&>\"' &}", "T 1<2 & x\ny &z [a]", "E a [a]"}},
        ElementCase{"declaration", "<?xml version=\"1.0\"?><a>", {"I xml| version=\"1.0\"", "S a []"}},
        ElementCase{
            "comment_skipped", "<a><!-- note <b> -- --><b/></a>", {"S a []", "S b [a]", "E b [a/b]", "E a [a]"}},
        ElementCase{"comment_without_space_is_a_tag", "<!--x>", {"S !--x []"}},
        ElementCase{"nested_sections",
                    "<a><b><c>t</c></b></a>",
                    {"S a []", "S b [a]", "S c [a/b]", "T t [a/b/c]", "E c [a/b/c]", "E b [a/b]", "E a [a]"}},
        ElementCase{"crlf_and_tab_are_space", "<a>\r\n x\ty\r\n</a>\r\n", {"S a []", "T x y [a]", "E a [a]"}},
        ElementCase{"control_byte_in_quotes", "<a v=\"\x01\">", {"S a [] {v=\x01}"}},
        ElementCase{"high_bytes_are_text", "<a>\xe9t\xe9</a>", {"S a []", "T \xe9t\xe9 [a]", "E a [a]"}},
        ElementCase{"ends_after_start_tag", "<a>", {"S a []"}},
        ElementCase{"quotes_in_text_stay", "<a>say \"hi there\"</a>", {"S a []", "T say \"hi there\" [a]", "E a [a]"}}),
    [](const testing::TestParamInfo<ElementCase>& info) { return std::string(info.param.mName); });

struct ErrorCase {
    const char* mName;
    const char* mXml;
    const char* mError;
    int mLine;
};

class XMLParserErrors : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(XMLParserErrors, StopsWithTheMessageAndLine)
{
    const ErrorCase& c = GetParam();
    ReadResult r = ReadXml(c.mXml, c.mName);
    EXPECT_TRUE(r.mFailed);
    EXPECT_EQ(r.mError, c.mError);
    EXPECT_EQ(r.mLine, c.mLine);
}

INSTANTIATE_TEST_SUITE_P(Cases, XMLParserErrors,
                         testing::Values(ErrorCase{"mismatch", "<a>\n</b>", "End 'b' Doesn't Match Start 'a'", 2},
                                         ErrorCase{"end_at_top", "</a>", "Unexpected End", 1},
                                         ErrorCase{"eof_in_tag", "<a>\n<b x=1", "Unexpected End of File", 2},
                                         ErrorCase{"eof_in_text", "<a>\ntext", "Unexpected End of File", 2},
                                         ErrorCase{"eof_in_comment", "<!-- open", "Unexpected End of File", 1},
                                         ErrorCase{"lt_in_tag", "<a <b>", "Unexpected '<'", 1},
                                         ErrorCase{"gt_in_text", "<a>\n\nx > y</a>", "Unexpected '>'", 3},
                                         ErrorCase{"control_in_text", "<a>x\x01</a>", "Illegal Character", 1},
                                         ErrorCase{"control_in_tag", "<a\x02>", "Illegal Character", 1}),
                         [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.mName); });

TEST(XMLParser, MissingFileFailsWithLineZero)
{
    XMLParser parser;
    EXPECT_FALSE(parser.OpenFile("/nonexistent/x.xml"));
    EXPECT_TRUE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "Unable to open file /nonexistent/x.xml");
    EXPECT_EQ(parser.GetCurrentLineNum(), 0);
    XMLElement element;
    EXPECT_FALSE(parser.NextElement(&element));
}

TEST(XMLParser, ErrorIsFinalAndReopenClearsIt)
{
    testsupport::TempDir dir;
    dir.WriteFile("bad.xml", "</x><a>");
    dir.WriteFile("good.xml", "<a>");
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.File("bad.xml")));
    XMLElement element;
    EXPECT_FALSE(parser.NextElement(&element));
    EXPECT_FALSE(parser.NextElement(&element));
    EXPECT_EQ(parser.GetErrorText(), "Unexpected End");

    ASSERT_TRUE(parser.OpenFile(dir.File("good.xml")));
    EXPECT_FALSE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "");
    EXPECT_EQ(parser.GetFileName(), dir.File("good.xml"));
    ASSERT_TRUE(parser.NextElement(&element));
    EXPECT_EQ(Describe(element), "S a []");
}

TEST(XMLParser, BackslashPathsReachTheFile)
{
    testsupport::TempDir dir;
    dir.WriteFile("sub/doc.xml", "<a>");
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.Path() + "\\sub\\doc.xml"));
    XMLElement element;
    ASSERT_TRUE(parser.NextElement(&element));
    EXPECT_EQ(element.mValue, "a");
}

} // namespace
