// Base64, the attribute parsers, the number texts and the save transform.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/DataCodecs.h"
#include "data/DataValues.h"

using namespace tilvan;

TEST(Base64, EncodesGroupsPaddingAndLineBreaks)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(Base64EncodeString(c.in), c.out);
    }
    std::string line = Base64EncodeString(std::string(48, 'x'));
    EXPECT_EQ(line.size(), 66u);
    EXPECT_EQ(line.substr(64), "\r\n");
    std::string longer = Base64EncodeString(std::string(49, 'x'));
    EXPECT_EQ(longer.size(), 70u);
    EXPECT_EQ(longer.substr(64, 2), "\r\n");
    EXPECT_EQ(longer.substr(66), "eA==");
}

TEST(Base64, DecodeSkipsEverythingOutsideTheAlphabet)
{
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i * 37 + 11);
    std::string encoded = Base64EncodeString(bytes);
    ASSERT_NE(encoded.find("\r\n"), std::string::npos);

    std::vector<unsigned char> out;
    ASSERT_TRUE(Base64Decode(encoded.data(), encoded.size(), out));
    EXPECT_EQ(std::string(out.begin(), out.end()), bytes);

    // Line breaks, padding and high bytes are skipped alike.
    std::string noisy = "Y\xC3\xA9W\r\nJj==\xFF";
    ASSERT_TRUE(Base64Decode(noisy.data(), noisy.size(), out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "abc");
}

TEST(Base64, DecodeToStringStopsAtNul)
{
    std::string withNul("ab\0cd", 5);
    EXPECT_EQ(Base64DecodeToString(Base64EncodeString(withNul).c_str()), "ab");
    EXPECT_EQ(XmlBase64DecodeToString(Base64EncodeString(withNul).c_str()), "ab");
    EXPECT_EQ(Base64DecodeToString(""), "");
}

TEST(Parsers, NumbersFlagsAndPairs)
{
    struct IntCase {
        const char* text;
        int value;
    } ints[] = {{"42", 42},
                {"  -7x", -7},
                {"+3", 3},
                {"", 0},
                {"abc", 0},
                {"99999999999", 2147483647},
                {"-99999999999", -2147483647 - 1}};
    for (const auto& c : ints) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInt(c.text), c.value);
    }
    struct BoolCase {
        const char* text;
        bool value;
    } bools[] = {{"0", false}, {"", false}, {"5", true}, {"-1", true}, {"true", false}};
    for (const auto& c : bools) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseBool(c.text), c.value);
    }
    EXPECT_FLOAT_EQ(ParseFloat("0.25"), 0.25f);
    EXPECT_FLOAT_EQ(ParseFloat("5.e-02"), 0.05f);
    EXPECT_TRUE(std::isinf(ParseFloat("1e300")));

    float x = 9, y = 9;
    ParseFloatPair("1.5 -2 ", x, y);
    EXPECT_EQ(x, 1.5f);
    EXPECT_EQ(y, -2.0f);
    ParseFloatPair("nonsense", x, y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
}

TEST(Parsers, IntListTakesANumberOnlyWhenSomethingFollowsIt)
{
    struct Case {
        const char* text;
        std::vector<int> values;
    } cases[] = {
        {"10 20 ", {10, 20}},
        {"10 20", {10}},
        {"-3,x4;", {3, 4}},
        {"", {}},
        {"abc", {}},
        {"1\xE9"
         "2 ",
         {1, 2}},
        {"99999999999 ", {2147483647}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<int> out = {7};
        EXPECT_EQ(ParseIntList(c.text, out), static_cast<int>(c.values.size()));
        std::vector<int> expected = {7};
        expected.insert(expected.end(), c.values.begin(), c.values.end());
        EXPECT_EQ(out, expected);
    }
}

TEST(NumberTexts, FloatsHaveTenDigitsAndKeepThePoint)
{
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {1, "1."},
        {0.25, "0.25"},
        {0.05, "5.e-02"},
        {0, "0."},
        {-3.5, "-3.5"},
        {1234567890, "1234567890."},
        {12345678901.0, "1.23456789e+10"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333"},
        {-0.001, "-1.e-03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatDataFloat(c.value), c.text);
    }
    // Every float reads back as itself.
    for (float f : {0.1f, 1.0f / 3.0f, 3.4e38f, 1.17549435e-38f, -123456.789f, 7e-12f}) {
        SCOPED_TRACE(f);
        EXPECT_EQ(ParseFloat(FormatDataFloat(f)), f);
    }
    EXPECT_EQ(IntListText({1, -2, 30}), "1 -2 30 ");
}

TEST(SaveTransform, IsAnInvolutionThatKeepsTextModeBytes)
{
    for (int b = 0; b < 256; ++b) {
        unsigned char byte = static_cast<unsigned char>(b);
        ASSERT_TRUE(XmlDataCrypt(&byte, 1));
        unsigned char once = byte;
        XmlDataCrypt(&byte, 1);
        EXPECT_EQ(byte, b) << "byte " << b;
        // Only these bytes themselves may turn into a byte that text reading treats specially.
        for (int special : {0x00, 0x0A, 0x0D, 0x1A})
            if (once == special)
                EXPECT_EQ(b, special) << "byte " << b;
    }
    EXPECT_FALSE(XmlDataCrypt(nullptr, 4));
    unsigned char one = 'a';
    EXPECT_FALSE(XmlDataCrypt(&one, 0));
    std::string text = "<data>";
    XmlDataCrypt(text);
    EXPECT_NE(text, "<data>");
}

TEST(TextCodes, OnlyTheDataCodesAreFilled)
{
    struct Case {
        const char* text;
        std::vector<std::string> values;
        const char* out;
    } cases[] = {
        {"Level %i: %s", {"3", "Reef"}, "Level 3: Reef"},  {"%i%%", {"50"}, "50%"}, {"%s %s %s", {"a"}, "a %s %s"},
        {"%n%x%d%p %999999s", {"v"}, "%n%x%d%p %999999s"}, {"100%", {}, "100%"},    {"%s", {"%s%i"}, "%s%i"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SubstituteTextCodes(c.text, c.values), c.out);
    }
    EXPECT_EQ(FormatDataText("Score %i of %s, %i", 1200, std::string("Ann"), 2.5f), "Score 1200 of Ann, 2.5");
}
