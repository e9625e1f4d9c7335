// The descriptor language: command collection, tokenizing, definitions and value operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/DescParser.h"
#include "support/TempDir.h"

namespace
{

using Olvarn::DataElement;
using Olvarn::DescParser;
using Olvarn::ListDataElement;
using Olvarn::SingleDataElement;

// Records every command as text with its line, and runs "Define" the way a font descriptor does.
class RecordingParser : public DescParser
{
public:
    bool HandleCommand(const ListDataElement& params) override
    {
        std::string word = static_cast<const SingleDataElement*>(params.At(0))->mString;
        if (word == "Define" || word == "DEFINE" || word == "define")
            return HandleDefine(params);
        if (word == "Fail")
            return Error("Failed Here");
        mCommands.push_back(std::to_string(mCurrentLine) + ":" + DataElementToText(params));
        return true;
    }
    bool Error(const std::string& text) override
    {
        mErrors.push_back(text);
        return DescParser::Error(text);
    }

    std::vector<std::string> mCommands;
    std::vector<std::string> mErrors;
};

// Runs the text through the parser's core; the file entry must give the same commands and errors.
bool Load(RecordingParser& parser, const std::string& text, const std::string& seedName = "")
{
    if (!seedName.empty())
        testsupport::SaveFuzzSeed("desc", seedName, text);
    bool ok = parser.Parse(text);
    testsupport::TempDir dir;
    dir.WriteFile("font.txt", text);
    RecordingParser fromFile;
    EXPECT_EQ(fromFile.LoadDescriptor(dir.File("font.txt")), ok);
    EXPECT_EQ(fromFile.mCommands, parser.mCommands);
    EXPECT_EQ(fromFile.mErrors, parser.mErrors);
    return ok;
}

struct LoadCase {
    const char* mName;
    const char* mText;
    std::vector<std::string> mCommands;
};

class DescParserLoad : public testing::TestWithParam<LoadCase>
{
};

TEST_P(DescParserLoad, CollectsAndTokenizesCommands)
{
    RecordingParser parser;
    EXPECT_TRUE(Load(parser, GetParam().mText, GetParam().mName));
    EXPECT_EQ(parser.mCommands, GetParam().mCommands);
    EXPECT_EQ(parser.GetErrorText(), "");
    EXPECT_EQ(parser.GetCurrentLine(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescParserLoad,
    testing::Values(LoadCase{"two_on_a_line", "A 1; B 2", {"1:(A, 1)", "1:(B, 2)"}},
                    LoadCase{"spans_lines", "\n  Cmd 1\n   2\n 3;\nNext", {"2:(Cmd, 1, 2, 3)", "5:(Next)"}},
                    LoadCase{"comment_lines",
                             "# note\nCmd a\n  # inside\n b # not a comment\n;#after\nX",
                             {"2:(Cmd, a, b, #, not, a, comment)", "6:(X)"}},
                    LoadCase{"crlf", "A 1;\r\nB\r\n 2\r\n", {"1:(A, 1)", "2:(B, 2)"}},
                    LoadCase{"quoted_semicolon", "A 'x;y' \"p;q\"", {"1:(A, 'x;y', \"p;q\")"}},
                    LoadCase{"semicolon_after_backslash", "A x\\; B", {"1:(A, x)", "1:(B)"}},
                    LoadCase{"commas", "A a,b,c", {"1:(A, a, b, c)"}},
                    LoadCase{"nested_lists", "A (1 (2 3) ()) x", {"1:(A, (1, (2, 3), ()), x)"}},
                    LoadCase{"escapes", "A x\\,y a\\ b \\\"q", {"1:(A, x,y, a b, \"q)"}},
                    LoadCase{"escaped_quote_in_quotes", "A \"a\\\";b\"", {"1:(A, \"a\";b\")"}},
                    LoadCase{"only_blanks_and_comments", "  \n# x\n ; ;\n", {}},
                    LoadCase{"other_quote_inside", "A \"it's\" 'say \"hi\"'", {"1:(A, \"it's\", 'say \"hi\"')"}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.mName); });

struct ErrorCase {
    const char* mName;
    const char* mText;
    const char* mError;
};

class DescParserErrors : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(DescParserErrors, StopsTheLoadWithTheMessage)
{
    RecordingParser parser;
    EXPECT_FALSE(Load(parser, GetParam().mText, GetParam().mName));
    EXPECT_EQ(parser.GetErrorText(), GetParam().mError);
    EXPECT_TRUE(parser.mCommands.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescParserErrors,
    testing::Values(ErrorCase{"list_start_after_word", "A b(c)", "Unexpected List Start"},
                    ErrorCase{"stray_list_end", "A b)", "Unexpected List End"},
                    ErrorCase{"missing_list_end", "A (b (c)", "Unterminated List"},
                    ErrorCase{"missing_command", "(a) b", "Missing Command"},
                    ErrorCase{"single_quotes", "A 'x", "Unterminated Single Quotes"},
                    ErrorCase{"double_quotes", "A \"x", "Unterminated Double Quotes"},
                    ErrorCase{"define_count", "Define x", "Invalid Number of Parameters"},
                    ErrorCase{"define_immediate_name", "Define 1x 2", "Invalid Paramater Type"},
                    ErrorCase{"define_list_name", "Define (x) 2", "Invalid Paramater Type"},
                    ErrorCase{"define_unknown_name", "Define x (1 Foo)", "Unable to Dereference \"Foo\""},
                    // Deep nesting must not exhaust the stack.
                    ErrorCase{"deep_nesting",
                              "A (((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
                              "((((((((((((((((((((((((((((((((((((",
                              "Unterminated List"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.mName); });

TEST(DescParser, FailingCommandStopsTheLoadAtItsLine)
{
    RecordingParser parser;
    EXPECT_FALSE(Load(parser, "A;\nFail;\nB"));
    EXPECT_EQ(parser.mCommands, std::vector<std::string>{"1:(A)"});
    EXPECT_EQ(parser.GetErrorText(), "Failed Here");
    EXPECT_EQ(parser.GetCurrentLine(), 0);
}

TEST(DescParser, MissingFileFailsWithoutMessage)
{
    RecordingParser parser;
    EXPECT_FALSE(parser.LoadDescriptor("/nonexistent/font.txt"));
    EXPECT_TRUE(parser.mErrors.empty());
}

TEST(DescParser, DefinitionsResolveWithoutRegardToCase)
{
    RecordingParser parser;
    ASSERT_TRUE(Load(parser, "Define Size 12; Define pair (size 'a''b' -3); Define Copy Pair; Define Size 14;"
                             "Define Word plain"));
    EXPECT_EQ(DescParser::DataElementToText(*parser.GetDefinedElement("PAIR")), "(12, a'b, -3)");
    EXPECT_EQ(DescParser::DataElementToText(*parser.GetDefinedElement("copy")), "(12, a'b, -3)");
    EXPECT_EQ(DescParser::DataElementToText(*parser.GetDefinedElement("size")), "14");
    EXPECT_EQ(DescParser::DataElementToText(*parser.GetDefinedElement("word")), "plain");
    EXPECT_EQ(parser.GetDefinedElement("nothing"), nullptr);
}

TEST(DescParser, UnquoteAndImmediate)
{
    // Every quote of the opening kind goes, except one that directly follows another quote.
    struct Case {
        const char* mQuoted;
        const char* mText;
    } cases[] = {
        {"'a''b'", "a'b"},    {"\"x\"\"\"\"", "x\"\"\""}, {"'a'''", "a''"}, {"''", "'"},
        {"'it\"s'", "it\"s"}, {"plain'", "plain'"},       {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescParser::Unquote(c.mQuoted), c.mText) << c.mQuoted;
    for (const char* text : {"1", "-2", "+x", "'q'", "\"q\""})
        EXPECT_TRUE(DescParser::IsImmediate(text)) << text;
    for (const char* text : {"", "abc", "_1", "#"})
        EXPECT_FALSE(DescParser::IsImmediate(text)) << text;
}

// A parser with a few definitions, for the value operations.
class DescParserValues : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Load(mParser, "Define Nums (1 2 0x10); Define Reals (1.5 -2 0.25); Define Name 'Big Font';"
                                  "Define Nested (1 (2)); Define Bad (1 'x2')"));
    }
    // The first parameter of a command, as the tokenizer makes it.
    ListDataElement Tokens(const std::string& text)
    {
        CapturingParser capture;
        capture.ParseCommand("C " + text);
        return *capture.mParams;
    }
    struct CapturingParser : DescParser {
        bool HandleCommand(const ListDataElement& params) override
        {
            mParams = std::make_unique<ListDataElement>(params);
            return true;
        }
        std::unique_ptr<ListDataElement> mParams;
    };

    RecordingParser mParser;
};

TEST_F(DescParserValues, IntAndDoubleLists)
{
    std::vector<int> ints;
    EXPECT_TRUE(mParser.GetIntList(*Tokens("Nums").At(1), ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2, 16}));
    EXPECT_TRUE(mParser.GetIntList(*Tokens("(3 nums -4)").At(1), ints) == false);
    EXPECT_TRUE(ints.empty());
    EXPECT_TRUE(mParser.GetIntList(*Tokens("(3 -4)").At(1), ints));
    EXPECT_EQ(ints, (std::vector<int>{3, -4}));
    EXPECT_FALSE(mParser.GetIntList(*Tokens("Bad").At(1), ints));

    std::vector<double> reals;
    EXPECT_TRUE(mParser.GetDoubleList(*Tokens("reals").At(1), reals));
    EXPECT_EQ(reals, (std::vector<double>{1.5, -2.0, 0.25}));
}

TEST_F(DescParserValues, StringsAndStringLists)
{
    std::string text;
    EXPECT_TRUE(mParser.GetString(*Tokens("name").At(1), text));
    EXPECT_EQ(text, "Big Font");
    EXPECT_TRUE(mParser.GetString(*Tokens("'it''s'").At(1), text));
    EXPECT_EQ(text, "it's");
    EXPECT_TRUE(mParser.GetString(*Tokens("undefinedWord").At(1), text));
    EXPECT_EQ(text, "undefinedWord");
    EXPECT_FALSE(mParser.GetString(*Tokens("Nums").At(1), text));
    EXPECT_FALSE(mParser.GetString(*Tokens("(a)").At(1), text));

    std::vector<std::string> list;
    EXPECT_TRUE(mParser.GetStringList(*Tokens("('a b' name 7)").At(1), list));
    // A defined single keeps its quotes inside a list; only GetString unquotes it.
    EXPECT_EQ(list, (std::vector<std::string>{"a b", "'Big Font'", "7"}));
    EXPECT_FALSE(mParser.GetStringList(*Tokens("Nested").At(1), list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(mParser.GetStringList(*Tokens("Name").At(1), list));
    mParser.mErrors.clear();
    EXPECT_FALSE(mParser.GetStringList(*Tokens("Missing").At(1), list));
    EXPECT_EQ(mParser.mErrors, std::vector<std::string>{"Unable to Dereference \"Missing\""});
}

TEST_F(DescParserValues, ListsAreResolvedOrCopied)
{
    ListDataElement out;
    EXPECT_TRUE(mParser.GetList(*Tokens("(nums (name))").At(1), out));
    EXPECT_EQ(DescParser::DataElementToText(out), "((1, 2, 0x10), ('Big Font'))");
    ListDataElement copy;
    EXPECT_TRUE(mParser.GetList(*Tokens("nested").At(1), copy));
    EXPECT_EQ(DescParser::DataElementToText(copy), "(1, (2))");
    ListDataElement none;
    EXPECT_FALSE(mParser.GetList(*Tokens("name").At(1), none));
    EXPECT_FALSE(mParser.GetList(*Tokens("unknown").At(1), none));
}

TEST(DescParser, DefinitionsThatDoubleAreBounded)
{
    // Each definition holds two of the one before: unbounded, this would take gigabytes.
    std::string text = "Define d0 (1 2 3 4 5 6 7 8);";
    for (int i = 1; i <= 30; ++i)
        text += "Define d" + std::to_string(i) + " (d" + std::to_string(i - 1) + " d" + std::to_string(i - 1) + ");";
    RecordingParser parser;
    EXPECT_FALSE(Load(parser, text, "doubling"));
    EXPECT_EQ(parser.GetErrorText(), "Definition Too Large");
    EXPECT_NE(parser.GetDefinedElement("d10"), nullptr);
    EXPECT_EQ(parser.GetDefinedElement("d30"), nullptr);
}

TEST(DescParser, DefinitionsThatNestEachOtherAreBounded)
{
    // Each command wraps the other name once more: unbounded, copying and freeing these recurse
    // once per command.
    std::string text = "Define a (1);";
    for (int i = 0; i < 200; ++i)
        text += "Define b (a); Define a (b);";
    RecordingParser parser;
    EXPECT_FALSE(Load(parser, text, "nesting_definitions"));
    EXPECT_EQ(parser.GetErrorText(), "Definition Too Large");

    // Nesting as deep as the tokenizer allows still resolves.
    std::string deep = "Define d " + std::string(DescParser::kMaxListDepth, '(') + "1" +
                       std::string(DescParser::kMaxListDepth, ')') + "; Define e d";
    RecordingParser ok;
    EXPECT_TRUE(Load(ok, deep));
    ASSERT_NE(ok.GetDefinedElement("e"), nullptr);
    EXPECT_TRUE(ok.GetDefinedElement("e")->mIsList);
}

} // namespace
