// The generator itself: its template arithmetic and recipe reader, that it remakes only what
// changed, and that a second run from the same sources gives the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "Assets.h"
#include "Template.h"
#include "Util.h"
#include "support/TempDir.h"

namespace
{

namespace fs = std::filesystem;

TEST(Template, FieldsExpandToValuesOrArithmetic)
{
    const datagen::Variables vars = {{"w", "64"}, {"color", "#ff8000"}, {"frame", "3"}, {"n", "12"}};
    struct Case {
        const char* text;
        const char* expanded;
    };
    const Case kCases[] = {
        {"fill=\"${color}\"", "fill=\"#ff8000\""},
        {"${w / 2 - 1}", "31"},
        {"${-(w) % 10}", "6"},
        {"${max(w, 100) * 0.5}", "50"},
        {"${frame / n}", "0.25"},
        {"${cos(pi)}", "-1"},
        {"a${1}b${2+2}c", "a1b4c"},
        {"no fields", "no fields"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(datagen::Expand(c.text, vars), c.expanded);
    }
}

TEST(Template, BadFieldsFailNamingTheField)
{
    const datagen::Variables vars = {{"color", "#ff8000"}};
    const char* const kCases[] = {"${nope}", "${color * 2}", "${(1 + 2}", "${1 +}", "${sin(1, 2)}", "${1", "${2 3}"};
    for (const char* text : kCases) {
        SCOPED_TRACE(text);
        try {
            datagen::Expand(text, vars);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("${"), std::string::npos) << e.what();
        }
    }
}

TEST(Recipe, WordsValuesQuotesContinuationsAndComments)
{
    testsupport::TempDir dir;
    dir.WriteFile("r.txt", "# heading\n"
                           "image Game ID file tpl w=10 color=#ff0000 # trailing\n"
                           "\n"
                           "sound G \"two words\" \\\n"
                           "  level=0.5\r\n");
    std::vector<datagen::RecipeLine> lines = datagen::ReadRecipe(dir.File("r.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].line, 2);
    EXPECT_EQ(lines[0].words, (std::vector<std::string>{"image", "Game", "ID", "file", "tpl"}));
    EXPECT_EQ(lines[0].Get("color"), "#ff0000");
    EXPECT_EQ(lines[0].Int("w", 0), 10);
    EXPECT_EQ(lines[1].line, 4);
    EXPECT_EQ(lines[1].Word(2), "two words");
    EXPECT_DOUBLE_EQ(lines[1].Number("level", 1), 0.5);
    EXPECT_THROW(lines[1].Word(5), std::runtime_error);

    dir.WriteFile("bad.txt", "a\nb w=x\n");
    std::vector<datagen::RecipeLine> bad = datagen::ReadRecipe(dir.File("bad.txt"));
    try {
        bad[1].Number("w", 0);
        ADD_FAILURE();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("bad.txt:2"), std::string::npos) << e.what();
    }
}

// Runs the generator and returns what it printed.
std::string RunGenerator(const std::string& arguments)
{
    std::string command = "LSAN_OPTIONS=suppressions=" + std::string(TAMBERLO_DATAGEN_LSAN) + " " +
                          std::string(TAMBERLO_DATAGEN) + " " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "cannot start";
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pclose(pipe);
    if (status != 0)
        output += "exit status " + std::to_string(status);
    return output;
}

TEST(Generator, RemakesOnlyWhatChanged)
{
    testsupport::TempDir dir;
    fs::create_directories(dir.File("src/images"));
    dir.WriteFile("src/images/box.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='${w}' height='${h}'>"
                                        "<rect x='${frame}' width='4' height='4' fill='${color}'/></svg>");
    const std::string palette = "palette p red=#ff0000 green=#00ff00 blue=#0000ff\n";
    const std::string two = palette + "image G IMAGE_A a box w=8 h=8 cols=2 color=@p.red\n"
                                      "image G IMAGE_B b box w=8 h=8 color=@p.green\n";
    dir.WriteFile("src/images/images.txt", two);
    const std::string args =
        "images --src " + dir.File("src") + " --out " + dir.File("out") + " --cache " + dir.File("cache") + " --jobs 1";
    EXPECT_EQ(RunGenerator(args), "made images/a\nmade images/b\n");
    EXPECT_EQ(RunGenerator(args), "");
    dir.WriteFile("src/images/images.txt", palette + "image G IMAGE_A a box w=8 h=8 cols=2 color=@p.red\n"
                                                     "image G IMAGE_B b box w=8 h=8 color=@p.blue\n");
    EXPECT_EQ(RunGenerator(args), "made images/b\n");
    // A changed palette colour remakes what names it, though no recipe line changed.
    dir.WriteFile("src/images/images.txt", "palette p red=#ff0000 green=#00ff00 blue=#0000f0\n"
                                           "image G IMAGE_A a box w=8 h=8 cols=2 color=@p.red\n"
                                           "image G IMAGE_B b box w=8 h=8 color=@p.blue\n");
    EXPECT_EQ(RunGenerator(args), "made images/b\n");
    fs::remove(dir.File("out/images/a.png"));
    EXPECT_EQ(RunGenerator(args), "made images/a\n");
    std::string failure;

    dir.WriteFile("src/images/images.txt", "image G IMAGE_A a box w=8 h=8 color=#ff0000\n");
    failure = RunGenerator(args);
    EXPECT_NE(failure.find("name it in a palette"), std::string::npos) << failure;
    dir.WriteFile("src/images/images.txt", palette + "image G IMAGE_A a box w=8 h=8 color=@p.pink\n");
    failure = RunGenerator(args);
    EXPECT_NE(failure.find("unknown value @p.pink"), std::string::npos) << failure;
    dir.WriteFile("src/images/images.txt", palette + "image G IMAGE_A a box w=8 h=8 style=nope\n");
    failure = RunGenerator(args);
    EXPECT_NE(failure.find("unknown style nope"), std::string::npos) << failure;
    // A palette key named like the cel's own values would be replaced by them unseen.
    dir.WriteFile("src/images/images.txt", "palette q frame=#ffffff\nimage G IMAGE_A a box w=8 h=8 style=q\n");
    failure = RunGenerator(args);
    EXPECT_NE(failure.find("the value frame is the cel's own"), std::string::npos) << failure;

    dir.WriteFile("src/images/images.txt", "image G IMAGE_A a box w=8 h=8 color=@p.red extra=${\n");
    dir.WriteFile("src/images/box.svg", "<svg ${nothing}/>");
    failure = RunGenerator(args);
    EXPECT_NE(failure.find("images.txt:1"), std::string::npos) << failure;
    EXPECT_NE(failure.find("exit status"), std::string::npos) << failure;
}

std::map<std::string, std::string> FilesUnder(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[fs::relative(entry.path(), root).string()] = bytes.str();
    }
    return files;
}

TEST(Generator, SameSourcesGiveTheSameBytes)
{
    testsupport::TempDir dir;
    std::string output = RunGenerator("images fonts sounds music manifest --jobs 4 --src " + testsupport::SourceDir() +
                                      "/data --out " + dir.File("set"));
    ASSERT_EQ(output.find("exit status"), std::string::npos) << output;
    std::map<std::string, std::string> fresh = FilesUnder(dir.File("set"));
    ASSERT_FALSE(fresh.empty());
    const std::string built = testsupport::BinaryDir() + "/bin/";
    for (const auto& [name, bytes] : fresh) {
        SCOPED_TRACE(name);
        std::ifstream in(built + name, std::ios::binary);
        ASSERT_TRUE(in.good()) << "missing from the build's data set";
        std::ostringstream other;
        other << in.rdbuf();
        EXPECT_TRUE(other.str() == bytes) << "differs from the build's data set";
    }
}

} // namespace

namespace
{

struct PieceRow {
    std::string image;
    int positions = 0;
    std::vector<std::set<std::pair<int, int>>> masks;
};

std::vector<PieceRow> ReadPieceRows(const std::string& xml)
{
    std::vector<PieceRow> rows;
    std::istringstream in(xml);
    std::string line;
    const std::regex grid(R"re(grid\d="([01 ]+)")re"), image(R"re( image="(\w+)")re"),
        positions(R"re(positions="(\d)")re");
    while (std::getline(in, line)) {
        if (line.rfind("<element", 0) != 0)
            continue;
        PieceRow row;
        std::smatch m;
        if (std::regex_search(line, m, image))
            row.image = m[1];
        if (std::regex_search(line, m, positions))
            row.positions = std::stoi(m[1]);
        for (auto it = std::sregex_iterator(line.begin(), line.end(), grid); it != std::sregex_iterator(); ++it) {
            std::string text = (*it)[1];
            text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
            std::set<std::pair<int, int>> cells;
            for (int i = 0; i < int(text.size()); ++i)
                if (text[size_t(i)] == '1')
                    cells.insert({i % 5, i / 5});
            row.masks.push_back(cells);
        }
        rows.push_back(row);
    }
    return rows;
}

bool Connected(const std::set<std::pair<int, int>>& cells)
{
    std::set<std::pair<int, int>> seen{*cells.begin()};
    std::vector<std::pair<int, int>> stack{*cells.begin()};
    while (!stack.empty()) {
        auto [c, r] = stack.back();
        stack.pop_back();
        bool up = (c + r) % 2 == 0;
        for (std::pair<int, int> n : {std::pair{c - 1, r}, std::pair{c + 1, r}, std::pair{c, up ? r + 1 : r - 1}})
            if (cells.count(n) && seen.insert(n).second)
                stack.push_back(n);
    }
    return seen.size() == cells.size();
}

TEST(Pieces, RotationsKeepEveryCellAndTheTurnedTrianglesPointTheOtherWay)
{
    testsupport::TempDir dir;
    fs::create_directories(dir.File("src/images"));
    dir.WriteFile("src/images/pieces.txt",
                  "piece G ONE one cells=2:2 color=#f00 light=#f00 dark=#f00\n"
                  "piece G HEX hex cells=1:1,2:1,3:1,1:2,2:2,3:2 color=#f00 light=#f00 dark=#f00\n"
                  "piece G BAR bar cells=1:2,2:2,3:2,4:2 color=#f00 light=#f00 dark=#f00\n");
    datagen::Options options;
    options.src = dir.File("src");
    std::vector<PieceRow> rows = ReadPieceRows(datagen::DescribePieces(options));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].positions, 2);
    EXPECT_EQ(rows[1].positions, 1);
    EXPECT_EQ(rows[2].positions, 3);
    // One turn of the single triangle points it down; a second brings it up again.
    ASSERT_EQ(rows[0].masks.size(), 6u);
    auto [c1, r1] = *rows[0].masks[1].begin();
    auto [c2, r2] = *rows[0].masks[2].begin();
    EXPECT_EQ((c1 + r1) % 2, 1);
    EXPECT_EQ((c2 + r2) % 2, 0);

    options.src = testsupport::SourceDir() + "/data";
    std::vector<PieceRow> shipped = ReadPieceRows(datagen::DescribePieces(options));
    EXPECT_GE(shipped.size(), 15u);
    for (const PieceRow& row : shipped) {
        SCOPED_TRACE(row.image);
        ASSERT_EQ(row.masks.size(), 6u);
        for (const auto& mask : row.masks) {
            EXPECT_EQ(mask.size(), row.masks[0].size());
            EXPECT_TRUE(Connected(mask));
        }
    }
}

} // namespace
