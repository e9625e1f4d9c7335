// The string table: "$N" expansion, missing ids, base64 files, load failures, first use.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "data/CStringTable.h"
#include "data/DataCodecs.h"
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

// The global table reads the file relative to the folder the program is in at its first use
// (after the program has changed to its own folder), not where it was started. A child process
// gives the test a first use of its own.
TEST(StringTable, GlobalTableLoadsOnFirstUseFromTheCurrentFolder)
{
    testsupport::TempDir dir;
    dir.WriteFile("properties/strings.xml", "<data><text id='7' text='seven'/></data>");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok =
            chdir(dir.Path().c_str()) == 0 && Localize("$7") == "seven" && GetStringTable().GetString(7) == "seven";
        CLocalizedText text;
        AssignLocalized(text, "<$7 >");
        ok = ok && text.Get() == "<seven>" && EqualsLocalized("seven", "$7");
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
