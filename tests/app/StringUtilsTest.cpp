// The framework's string helpers: search, number parsing, case, trimming, separators, formatting, entities.
#include <gtest/gtest.h>

#include <string>

#include "core/Common.h"

TEST(StringUtils, FindIgnoreCase)
{
    struct Case {
        std::string text;
        std::string pattern;
        int expected;
    };
    const Case cases[] = {
        {"Hello World", "WORLD", 6},
        {"Hello World", "lo w", 3},
        {"abcabc", "CA", 2},
        {"abc", "abcd", -1},
        {"abc", "x", -1},
        {"abc", "", 0},
        {"", "", -1},
        {"", "a", -1},
        {"aaab", "AAB", 1},
        {"\xC9t\xE9", "\xE9", 2},
        {"\xC9t\xE9", "T\xC9", -1},
        {"ab", "AB", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Olvarn::FindIgnoreCase(c.text, c.pattern.c_str()), c.expected) << c.text << " / " << c.pattern;
    EXPECT_EQ(Olvarn::FindIgnoreCase("xYz", std::string("yZ")), 1);
}

TEST(StringUtils, ParseInt)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"42", true, 42},
        {"-42", true, -42},
        {"0x1A", true, 26},
        {"0X1a", true, 26},
        {"0xffffffff", true, -1},
        {"0", true, 0},
        {"007", true, 7},
        {"-", true, 0},
        {"-0x10", false, 0},
        {"x10", false, 0},
        {"00x5", false, 0},
        {"1x5", false, 0},
        {"+5", false, 0},
        {"4 2", false, 0},
        {" 42", false, 0},
        {"", false, 0},
        {"12a", false, 0},
        {"-x5", false, 0},
        {"1-2", false, 0},
        {"0x1g", false, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
    };
    for (const Case& c : cases) {
        int out = 99;
        EXPECT_EQ(Olvarn::ParseInt(c.text, out), c.ok) << c.text;
        EXPECT_EQ(out, c.value) << c.text;
    }
}

TEST(StringUtils, ParseDouble)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"3.25", true, 3.25}, {"-0.5", true, -0.5},     {"1.", true, 1.0}, {".5", true, 0.5},   {"-", true, 0.0},
        {"12", true, 12.0},   {"-7.125", true, -7.125}, {"1e3", false, 0}, {"1.2.3", false, 0}, {"", false, 0},
        {"+1", false, 0},     {"1,5", false, 0},        {" 1", false, 0},  {"1-", false, 0},
    };
    for (const Case& c : cases) {
        double out = 99;
        EXPECT_EQ(Olvarn::ParseDouble(c.text, out), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(out, c.value) << c.text;
    }
}

// Only ASCII letters and the "C" locale's white space count; Windows-1252 bytes above 127 stay.
TEST(StringUtils, CaseAndTrim)
{
    EXPECT_EQ(Olvarn::ToUpperCopy("abc Xyz 09 \xE9"), "ABC XYZ 09 \xE9");
    EXPECT_EQ(Olvarn::ToLowerCopy("ABC xYZ 09 \xC9"), "abc xyz 09 \xC9");
    EXPECT_EQ(Olvarn::TrimWhitespace(" \t\r\n\v\fa b\t \n"), "a b");
    EXPECT_EQ(Olvarn::TrimWhitespace(" \t \n"), "");
    EXPECT_EQ(Olvarn::TrimWhitespace("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Olvarn::TrimWhitespace(""), "");
}

TEST(StringUtils, CommaSeparate)
{
    struct Case {
        int value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1000000, "1,000,000"},
        {12345, "12,345"},
        {123456, "123,456"},
        {2147483647, "2,147,483,647"},
        {-1234, "-1,234"},
        {-100, "-100"},
        {INT32_MIN, "-2,147,483,648"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Olvarn::CommaSeparate(c.value), c.expected) << c.value;
}

TEST(StringUtils, FormatStringReturnsTheWholeTextAtAnyLength)
{
    EXPECT_EQ(Olvarn::FormatString("%d-%s-%.2f-%c", 7, "ab", 1.5, 'z'), "7-ab-1.50-z");
    EXPECT_EQ(Olvarn::FormatString("%s", ""), "");
    for (size_t length : {159u, 160u, 161u, 200u, 5000u, 2000000u}) {
        const std::string text(length, 'k');
        EXPECT_EQ(Olvarn::FormatString("%s", text.c_str()), text) << length;
    }
    EXPECT_EQ(Olvarn::FormatString("%s|%d", std::string(300, 'a').c_str(), 5), std::string(300, 'a') + "|5");
}

TEST(StringUtils, DecodeXmlEntities)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"a &lt;b&gt; &amp; c", "a <b> & c"},
        {"&quot;x&apos;", "\"x'"},
        {"1&nbsp;2&cr;3", "1 2\n3"},
        {"&LT;", "&"},              // names compare with case
        {"&unknown;rest", "&rest"}, // any other name: the name and ';' go
        {"&;", "&"},
        {"fish & chips", "fish & chips"},
        {"a & b; c", "a & c"}, // the entity runs to the next ';' wherever it is
        {"x&", "x&"},
        {"&amp;lt;", "&lt;"}, // decoded once, not again
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Olvarn::DecodeXmlEntities(c.text), c.expected) << c.text;
}
