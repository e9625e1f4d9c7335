// Live constants: the number parsers, the macros, and the re-read of a source file edited while the
// program runs, including files that vanished, changed shape or hold numbers that cannot be read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ModValMacros.h"
#include "platform/MessageBox.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

struct Message {
    std::string mText, mTitle;
    int mFlags;
};

// A temporary source file with registered uses, as the code compiled from it would make them.
class ModValFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModVal::Reset();
        ModVal::SetMessageHandler([this](const std::string& text, const std::string& title, int flags) {
            mMessages.push_back({text, title, flags});
        });
        mKey.mPath = nullptr;
        mKey.mRecord = nullptr;
        mPath = mDir.File("tuning.cpp");
    }
    void TearDown() override
    {
        ModVal::SetMessageHandler(nullptr);
        ModVal::Reset();
    }

    // Writes the file with a modification time well after the test program was built.
    void Write(const std::string& text)
    {
        mDir.WriteFile("tuning.cpp", text);
        namespace fs = std::filesystem;
        mStamp += std::chrono::hours(1);
        fs::last_write_time(mPath, fs::file_time_type::clock::now() + mStamp);
    }
    // The key of the file, as each use's static holds it.
    void Register()
    {
        mKey.mPath = mPath.c_str();
        ModVal::Register(mKey);
    }
    const ModValEntry* Entry(int line, int row) { return ModVal::Find(mKey, line, row); }

    testsupport::TempDir mDir;
    std::string mPath;
    ModValKey mKey;
    std::vector<Message> mMessages;
    std::chrono::hours mStamp{24};
};

} // namespace

TEST(ModValParse, IntegersAndRealNumbersAfterTheParenthesis)
{
    struct IntCase {
        const char* mText;
        bool mOk;
        int mValue;
    };
    for (const IntCase& c : std::vector<IntCase>{{"42)", true, 42},
                                                 {"-42)", true, -42},
                                                 {"0x1A)", true, 26},
                                                 {"0X1a)", true, 26},
                                                 {"-)", true, 0},
                                                 {"-0x10)", false, 0},
                                                 {"00x5)", false, 0},
                                                 {"1x5)", false, 0},
                                                 {"x10)", false, 0},
                                                 {"+5)", false, 0},
                                                 {"4 2)", false, 0},
                                                 {"1.5f)", false, 0},
                                                 {"42", false, 0}}) {
        int value = 99;
        EXPECT_EQ(ModVal::ParseIntValue(c.mText, value), c.mOk) << c.mText;
        EXPECT_EQ(value, c.mValue) << c.mText;
    }
    struct RealCase {
        const char* mText;
        bool mOk;
        double mValue;
    };
    for (const RealCase& c : std::vector<RealCase>{{"1.5f)", true, 1.5},
                                                   {"-0.25)", true, -0.25},
                                                   {"3.)", true, 3.0},
                                                   {"1e3)", false, 0},
                                                   {"1.2.3)", false, 0},
                                                   {"1.5ff)", false, 0},
                                                   {"x)", false, 0}}) {
        double value = 99;
        EXPECT_EQ(ModVal::ParseDoubleValue(c.mText, value), c.mOk) << c.mText;
        EXPECT_DOUBLE_EQ(value, c.mValue) << c.mText;
    }
}

TEST(ModValMacros, AUseGivesItsNumberAndRegistersItsSourceFileOnce)
{
    ModVal::Reset();
    int sum = 0;
    for (int i = 0; i < 3; ++i)
        sum += M(7) + M1(0x10);
    const double real = M(2.5f);
    EXPECT_EQ(sum, 3 * (7 + 16));
    EXPECT_DOUBLE_EQ(real, 2.5);
    EXPECT_EQ(ModVal::Files().size(), 1u);
    EXPECT_EQ(ModVal::Files().begin()->first, std::string(__FILE__));
    ModVal::Reset();
}

TEST_F(ModValFileTest, NothingRegisteredWarnsWithTheListNone)
{
    EXPECT_FALSE(ModVal::ReparseChangedFiles());
    ASSERT_EQ(mMessages.size(), 1u);
    EXPECT_EQ(mMessages[0].mTitle, "MODVAL WARNING!");
    EXPECT_EQ(mMessages[0].mText, "WARNING: No file changes detected.  Files parsed: \r\n  none");
    EXPECT_EQ(mMessages[0].mFlags, MB_ICONWARNING);
}

TEST_F(ModValFileTest, AnEditedFileGivesItsNewNumbersToTheRunningCode)
{
    Write("a = M(5); b = M2(0x10);\n"
          "x = M(1.5f);\n"
          "y = M(-3); z = M1(x);\n"
          "w = SUM(2);\n"
          "M(9) starts the line\n");
    Register();
    // The uses the running code makes, with the numbers compiled in.
    EXPECT_EQ(ModVal::Use(mKey, 1, 0, 5), 5);
    EXPECT_EQ(ModVal::Use(mKey, 1, 2, 16), 16);
    EXPECT_DOUBLE_EQ(ModVal::Use(mKey, 2, 0, 1.5f), 1.5);
    EXPECT_EQ(ModVal::Use(mKey, 3, 0, -3), -3);

    EXPECT_TRUE(ModVal::ReparseChangedFiles());
    EXPECT_TRUE(mMessages.empty());
    ASSERT_NE(Entry(2, 0), nullptr);
    EXPECT_EQ(Entry(2, 0)->mInt, 0) << "a real number leaves the integer at 0";
    EXPECT_DOUBLE_EQ(Entry(2, 0)->mReal, 1.5);
    EXPECT_EQ(Entry(3, 1), nullptr) << "M1(x) is no number";
    EXPECT_EQ(Entry(4, 0), nullptr) << "SUM( is no call";
    EXPECT_EQ(Entry(5, 0), nullptr) << "a call at the very start of a line is not read";

    Write("a = M(6); b = M2(0x20);\n"
          "x = M(2.25f);\n"
          "y = M(-4); z = M1(x);\n"
          "w = SUM(2);\n"
          "M(9) starts the line\n");
    EXPECT_TRUE(ModVal::ReparseChangedFiles());
    EXPECT_EQ(ModVal::Use(mKey, 1, 0, 5), 6);
    EXPECT_EQ(ModVal::Use(mKey, 1, 2, 16), 32);
    EXPECT_FLOAT_EQ(ModVal::Use(mKey, 2, 0, 1.5f), 2.25f);
    EXPECT_EQ(ModVal::Use(mKey, 3, 0, -3), -4);
    // A use written as a real number reads an integer edit, and the other way round.
    Write("a = M(6.75); b = M2(0x20);\n"
          "x = M(3);\n"
          "y = M(-4); z = M1(x);\n");
    EXPECT_TRUE(ModVal::ReparseChangedFiles());
    EXPECT_EQ(ModVal::Use(mKey, 1, 0, 5), 6);
    EXPECT_DOUBLE_EQ(ModVal::Use(mKey, 2, 0, 1.5), 3.0);

    // Not touched since: no change, and the warning lists the file.
    EXPECT_FALSE(ModVal::ReparseChangedFiles());
    ASSERT_EQ(mMessages.size(), 1u);
    EXPECT_EQ(mMessages[0].mText, "WARNING: No file changes detected.  Files parsed: \r\n  " + mPath);
}

TEST_F(ModValFileTest, ABrokenFileKeepsTheNumbersAndSaysWhy)
{
    const std::string good = "int a = M(5);\n"
                             "int b = M(7); int c = M1(8);\n";
    struct BadCase {
        const char* mWhat;
        std::string mText; // empty: the file is removed
        const char* mTitle;
        const char* mReason;
    };
    const std::vector<BadCase> cases = {
        {"vanished", "", "MODVAL ERROR!", "Unable to open"},
        {"shrank", "int b = M(70); int c = M1(80);\n", "MODVAL ERROR", "on line 2"},
        {"grew", "// new first line\nint a = M(50);\nint b = M(70); int c = M1(80);\n", "MODVAL ERROR", "on line 1"},
        {"malformed number", "int a = M(5O);\nint b = M(70); int c = M1(80);\n", "MODVAL ERROR", "on line 1"},
        {"two plain calls on a line", "int a = M(50);\nint b = M(70); int c = M(80);\n", "MODVAL ERROR",
         "on line 2: If you want to use more than one M() value per line"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.mWhat);
        ModVal::Reset();
        mMessages.clear();
        Write(good);
        Register();
        ModVal::Use(mKey, 1, 0, 5);
        ModVal::Use(mKey, 2, 0, 7);
        ModVal::Use(mKey, 2, 1, 8);
        ASSERT_TRUE(ModVal::ReparseChangedFiles());

        if (c.mText.empty())
            std::filesystem::remove(mPath);
        else
            Write(c.mText);
        EXPECT_FALSE(ModVal::ReparseChangedFiles());
        ASSERT_EQ(mMessages.size(), 1u);
        EXPECT_EQ(mMessages[0].mTitle, c.mTitle);
        EXPECT_NE(mMessages[0].mText.find(c.mReason), std::string::npos) << mMessages[0].mText;
        EXPECT_NE(mMessages[0].mText.find(mPath), std::string::npos) << "the message names the file";
        EXPECT_EQ(mMessages[0].mFlags, MB_ICONERROR);
        EXPECT_EQ(ModVal::Use(mKey, 1, 0, 5), 5);
        EXPECT_EQ(ModVal::Use(mKey, 2, 0, 7), 7);
        EXPECT_EQ(ModVal::Use(mKey, 2, 1, 8), 8);
    }
}

TEST_F(ModValFileTest, VeryLongLinesAreReadWhole)
{
    Write(std::string(2000, ' ') + "x = M(12);\n" + std::string(600, '/') + "\ny = M(3);\n");
    Register();
    EXPECT_TRUE(ModVal::ReparseChangedFiles());
    ASSERT_NE(Entry(1, 0), nullptr);
    EXPECT_EQ(Entry(1, 0)->mInt, 12);
    ASSERT_NE(Entry(3, 0), nullptr);
    EXPECT_EQ(Entry(3, 0)->mInt, 3);
}
