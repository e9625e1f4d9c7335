// The "data" writer: exact layout, row numbering, escaping and whole-file replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/CXmlDataReader.h"
#include "data/CXmlDataWriter.h"
#include "data/DataCodecs.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{
const std::string kHeader = "<?xml version=\"1.0\"?>\n<data>\n";

void Declare(CXmlDataWriter& writer)
{
    for (const char* a : {"x", "y", "z"})
        writer.DeclareAttribute("b", a);
    writer.DeclareAttribute("a", "n");
}
} // namespace

TEST(DataWriter, WritesRowsGroupedByElementWithTheirNumbers)
{
    testsupport::TempDir dir;
    CXmlDataWriter writer;
    Declare(writer);
    ASSERT_TRUE(writer.Open(dir.File("f.xml"), false, ""));
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_EQ(writer.WriteRow("b", 1), 0);
    EXPECT_EQ(writer.WriteRow("a", 2.5f), 0);
    EXPECT_EQ(writer.WriteRow("b", "t", true, CFloatPair{1, 0.0625f}), 1);
    EXPECT_EQ(writer.WriteRow("undeclared", 1), 0);
    ASSERT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(dir.ReadFile("f.xml"), kHeader + "\t<a n=\"2.5\"/>\n"
                                               "\t<b x=\"1\" y=\"\" z=\"\"/>\n"
                                               "\t<b x=\"t\" y=\"1\" z=\"1. 6.25e-02 \"/>\n"
                                               "</data>");
    EXPECT_EQ(kHeader.size(), 29u);

    // The next file starts again at row 0 and holds none of the first one's rows.
    ASSERT_TRUE(writer.Open(dir.File("g.xml"), false, "windows-1252"));
    EXPECT_EQ(writer.WriteRow("b", -3), 0);
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(dir.ReadFile("g.xml"),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<data>\n\t<b x=\"-3\" y=\"\" z=\"\"/>\n</data>");
}

TEST(DataWriter, WritesAtLeastTwentyFiveDeclaredAttributes)
{
    testsupport::TempDir dir;
    CXmlDataWriter writer;
    for (int i = 0; i < 30; ++i)
        writer.DeclareAttribute("wide", "a" + std::to_string(i));
    ASSERT_TRUE(writer.Open(dir.File("w.xml"), false, ""));
    writer.WriteRow("wide", 1, 2);
    writer.WriteRow("wide", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                    25, 26);
    writer.WriteRow("wide", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                    25, 26, 27, 28, 29, 30, 31);
    ASSERT_TRUE(writer.Close());
    std::string file = dir.ReadFile("w.xml");
    std::vector<size_t> counts;
    size_t start = 0;
    while ((start = file.find("<wide", start)) != std::string::npos) {
        size_t end = file.find("/>", start);
        counts.push_back(std::count(file.begin() + start, file.begin() + end, '='));
        start = end;
    }
    EXPECT_EQ(counts, (std::vector<size_t>{25, 27, 30}));
    EXPECT_NE(file.find("a1=\"2\" a2=\"\""), std::string::npos);
}

TEST(DataWriter, ValuesRoundTripThroughEscaping)
{
    testsupport::TempDir dir;
    const std::string values[] = {
        "say \"hi\"", "a<b>&c", "&amp; stays", "tab\there",    "line\nbreak\r\n", "high \xE9\xFF bytes",
        "'single'",   "",       "]]>",         "\x01\x1F\x7F",
    };
    for (bool crypted : {false, true}) {
        SCOPED_TRACE(crypted);
        CXmlDataWriter writer;
        writer.DeclareAttribute("v", "text");
        writer.DeclareAttribute("v", "after");
        ASSERT_TRUE(writer.Open(dir.File("v.xml"), crypted, ""));
        for (const std::string& value : values)
            writer.WriteRow("v", value, "end");
        ASSERT_TRUE(writer.Close());

        std::string bytes = dir.ReadFile("v.xml");
        if (crypted)
            XmlDataCrypt(bytes);
        CXmlDataReader reader;
        reader.DeclareAttribute("v", "text", "");
        reader.DeclareAttribute("v", "after", "");
        reader.LoadFromMemory(bytes);
        ASSERT_EQ(reader.GetRowCount("v"), static_cast<int>(std::size(values)));
        for (int i = 0; i < reader.GetRowCount("v"); ++i) {
            std::string text, after;
            reader.GetRow("v", i, text, after);
            EXPECT_EQ(text, values[i]);
            EXPECT_EQ(after, "end") << "a value must never end its attribute early";
        }
    }
}

TEST(DataWriter, CryptedFileIsTheWholeFileTransformed)
{
    testsupport::TempDir dir;
    CXmlDataWriter writer;
    Declare(writer);
    ASSERT_TRUE(writer.Open(dir.File("c.xml"), true, ""));
    writer.WriteRow("a", 5);
    ASSERT_TRUE(writer.Close());
    std::string bytes = dir.ReadFile("c.xml");
    for (char c : bytes)
        EXPECT_TRUE(c != '\0' && c != '\r' && c != '\x1A');
    XmlDataCrypt(bytes);
    EXPECT_EQ(bytes, kHeader + "\t<a n=\"5\"/>\n</data>");
}

TEST(DataWriter, MakesTheFolderAndReportsAFailedWrite)
{
    testsupport::TempDir dir;
    CXmlDataWriter writer;
    Declare(writer);
    // A missing folder is made.
    ASSERT_TRUE(writer.Open(dir.File("saves/deep/p.xml"), true, ""));
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(std::filesystem::exists(dir.File("saves/deep/p.xml")));

    // A folder in the way of the file: the write fails, is reported, and leaves nothing behind.
    std::filesystem::create_directories(dir.File("saves/blocked.xml"));
    ASSERT_TRUE(writer.Open(dir.File("saves/blocked.xml"), true, ""));
    writer.WriteRow("a", 1);
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(writer.LastError().empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("saves/blocked.xml")));

    // A folder that cannot be made: Open fails, rows are not stored, Close has nothing to do.
    dir.WriteFile("plainfile", "x");
    EXPECT_FALSE(writer.Open(dir.File("plainfile/sub/p.xml"), true, ""));
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(writer.WriteRow("a", 1), 0);
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(std::filesystem::exists(dir.File("plainfile/sub")));

    // Only the renamed file is left: no temporary files.
    size_t entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.File("saves"))) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

TEST(DataWriter, AFileLeftOpenIsCompletedOnDestruction)
{
    testsupport::TempDir dir;
    {
        CXmlDataWriter writer;
        Declare(writer);
        ASSERT_TRUE(writer.Open(dir.File("left.xml"), false, ""));
        writer.WriteRow("a", 9);
    }
    EXPECT_EQ(dir.ReadFile("left.xml"), kHeader + "\t<a n=\"9\"/>\n</data>");

    // Opening another file completes the first one too.
    CXmlDataWriter writer;
    Declare(writer);
    ASSERT_TRUE(writer.Open(dir.File("one.xml"), false, ""));
    writer.WriteRow("a", 1);
    ASSERT_TRUE(writer.Open(dir.File("two.xml"), false, ""));
    EXPECT_EQ(dir.ReadFile("one.xml"), kHeader + "\t<a n=\"1\"/>\n</data>");
    writer.Close();
}

TEST(DataWriter, FilesNamedLikeTheSaveWithASuffixSurviveASave)
{
    // The player's own copies beside a save look like temporaries by name only; a save leaves them.
    testsupport::TempDir dir;
    const std::vector<std::string> keep = {"profiles.xml.backup", "profiles.xml.old123", "profiles.xml.orig00"};
    for (const std::string& name : keep)
        dir.WriteFile(name, "mine " + name);
    CXmlDataWriter writer;
    Declare(writer);
    ASSERT_TRUE(writer.Open(dir.File("profiles.xml"), false, ""));
    writer.WriteRow("a", 1);
    ASSERT_TRUE(writer.Close());
    for (const std::string& name : keep) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(std::filesystem::exists(dir.File(name)));
        EXPECT_EQ(dir.ReadFile(name), "mine " + name);
    }
}
