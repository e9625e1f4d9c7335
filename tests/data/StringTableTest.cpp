// The string table: "$N" expansion, missing ids, base64 files, load failures, first use.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "RunSelf.h"
#include "data/CStringTable.h"
#include "data/DataCodecs.h"
#include "platform/Paths.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace tilvan;

TEST(StringTable, ExpandsReferencesInOnePass)
{
    CStringTable table;
    table.Set(1, "A");
    table.Set(12, "B");
    table.Set(3, "$1");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"$12", "B"},  {"$12 x", "Bx"},    {"$12$1", "B1"},   {"$$5", "$5"},
        {"5$$", "5$"}, {"$9 x", "x"},      {"$xy", "y"},      {"ab$", "ab"},
        {"$3.", "$1"}, {"plain", "plain"}, {"$1\xE9z", "Az"}, {"$99999999999999999999 x", "x"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(ExpandStringRefs(c.in, table), c.out);
        EXPECT_EQ(table.Expand(c.in), c.out);
    }
}

TEST(StringTable, MissingIdsShareOneAnswer)
{
    CStringTable table;
    table.Set(1, "A");
    EXPECT_EQ(table.GetString(1), "A");
    const std::string& first = table.GetString(99);
    EXPECT_EQ(first, "String \"$99\" has not found!");
    table.GetString(98);
    EXPECT_EQ(first, "String \"$98\" has not found!");
}

TEST(StringTable, LoadsPlainAndBase64Files)
{
    testsupport::TempDir dir;
    dir.WriteFile("plain.xml",
                  "<data><text id='1' text='one'/><text id='2' text='two'/><text id='1' text='uno'/></data>");
    dir.WriteFile("coded.xml", "<data><base64/><text id='5' text='" + Base64EncodeString("caf\xE9 & more") +
                                   "'/><text id='6' text='" + Base64EncodeString(std::string("ab\0cd", 5)) +
                                   "'/></data>");
    CStringTable table;
    table.Load(dir.File("plain.xml"));
    EXPECT_EQ(table.GetString(1), "uno") << "a later row replaces an earlier one";
    EXPECT_EQ(table.GetString(2), "two");
    table.Load(dir.File("coded.xml"));
    EXPECT_EQ(table.GetString(5), "caf\xE9 & more");
    EXPECT_EQ(table.GetString(6), "ab");
}

TEST(StringTable, BadBase64IsLoggedOncePerText)
{
    testsupport::TempDir dir;
    dir.WriteFile("coded.xml", "<data><base64/><text id='5' text='" + Base64EncodeString("fine") +
                                   "'/><text id='7' text='not*base64!'/><text id='8' text='QUJDR'/></data>");
    testsupport::LogCapture log;
    CStringTable table;
    table.Load(dir.File("coded.xml"));
    EXPECT_EQ(table.GetString(5), "fine");
    EXPECT_EQ(log.Lines(), 2u) << log.Text();
    EXPECT_NE(log.Text().find("coded.xml: text 7 is not valid base64"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("coded.xml: text 8 is not valid base64"), std::string::npos) << log.Text();
}

TEST(StringTable, ALoadFailureIsReportedAndKeepsTheTable)
{
    testsupport::TempDir dir;
    dir.WriteFile("other.xml", "<other/>");
    std::vector<std::string> reports;
    CStringTable::SetFailureReporter([&](const std::string& text) { reports.push_back(text); });
    CStringTable table;
    table.Set(1, "A");
    table.Load(dir.File("missing.xml"));
    table.Load(dir.File("other.xml"));
    CStringTable::SetFailureReporter(nullptr);
    EXPECT_EQ(reports, (std::vector<std::string>{"Unable to load XML document into the parser",
                                                 "Unable to locate 'data' XML node"}));
    EXPECT_EQ(table.Size(), 1u);
    EXPECT_EQ(table.GetString(1), "A");
}

// The global table reads the program's own "properties/strings.xml" at its first use, wherever the
// program was started from.
TEST(StringTable, GlobalTableLoadsOnFirstUseFromTheProgramsFolder)
{
    testsupport::TempDir dir;
    dir.WriteFile("properties/strings.xml", "<data><text id='7' text='seven'/></data>");
    dir.WriteFile("elsewhere/properties/strings.xml", "<data><text id='7' text='wrong'/></data>");
    EXPECT_EQ(testsupport::RunSelf("StringTableFirstUse.*", dir.Path()), 0);

    std::string exe = Olvarn::Paths::ExecutablePath();
    EXPECT_EQ(StringTablePath(), exe.substr(0, exe.find_last_of('/')) + "/properties/strings.xml");
}

TEST(StringTableFirstUse, LoadsFromTheProgramsFolderNotTheCurrentOne)
{
    const char* folder = testsupport::ChildTestValue();
    if (!folder)
        GTEST_SKIP() << "run by GlobalTableLoadsOnFirstUseFromTheProgramsFolder";
    ASSERT_EQ(chdir((std::string(folder) + "/elsewhere").c_str()), 0);
    // Stands for the program's folder, which the test program does not share with the data.
    SetStringTableFolder(folder);
    EXPECT_EQ(Localize("$7"), "seven");
    EXPECT_EQ(GetStringTable().GetString(7), "seven");
    CLocalizedText text;
    AssignLocalized(text, "<$7 >");
    EXPECT_EQ(text.Get(), "<seven>");
    EXPECT_TRUE(EqualsLocalized("seven", "$7"));
}
