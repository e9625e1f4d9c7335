// The art set against its direction: gems told apart by colour (also as the two common kinds of
// red-green colour blindness see them) and by shape, the board readable on every scene, the
// interface's hover and press visible, and the pieces' pictures matching the board's element rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "Assets.h"
#include "resources/ImageLib.h"
#include "support/TempDir.h"

namespace
{

namespace fs = std::filesystem;
using Rgb = std::array<double, 3>; // 0..1, sRGB encoded
using Cells = std::set<std::pair<int, int>>;

Rgb FromHex(const std::string& hex)
{
    unsigned v = unsigned(std::stoul(hex.substr(1), nullptr, 16));
    return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
}

double Linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Simulated dichromacy (Machado, Oliveira and Fernandes 2009, full severity), in linear RGB.
using Matrix = std::array<std::array<double, 3>, 3>;
const Matrix kDeuteranopia = {
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};
const Matrix kProtanopia = {
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}};

// CIELAB (D65) of an sRGB colour, as seen with normal vision or through one of the matrices.
Rgb Lab(const Rgb& srgb, const Matrix* vision)
{
    Rgb l = {Linear(srgb[0]), Linear(srgb[1]), Linear(srgb[2])};
    if (vision) {
        Rgb m{};
        for (int i = 0; i < 3; ++i)
            m[size_t(i)] = std::clamp((*vision)[size_t(i)][0] * l[0] + (*vision)[size_t(i)][1] * l[1] +
                                          (*vision)[size_t(i)][2] * l[2],
                                      0.0, 1.0);
        l = m;
    }
    const double x = (0.4124 * l[0] + 0.3576 * l[1] + 0.1805 * l[2]) / 0.95047;
    const double y = 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
    const double z = (0.0193 * l[0] + 0.1192 * l[1] + 0.9505 * l[2]) / 1.08883;
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double DeltaE(const Rgb& a, const Rgb& b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

double Luminance(const Rgb& c)
{
    return 0.2126 * Linear(c[0]) + 0.7152 * Linear(c[1]) + 0.0722 * Linear(c[2]);
}

double Contrast(const Rgb& a, const Rgb& b)
{
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

datagen::Options ShippedSources()
{
    datagen::Options options;
    options.src = testsupport::SourceDir() + "/data";
    return options;
}

TEST(Art, EveryPairOfGemsDiffersInColourForNormalAndRedGreenBlindVision)
{
    const auto values = datagen::ImageValues(ShippedSources());
    std::vector<std::pair<std::string, Rgb>> gems;
    for (const auto& [file, vars] : values)
        if (file.rfind("element", 0) == 0 && file.find("_light") == std::string::npos)
            gems.push_back({file, FromHex(vars.at("color"))});
    ASSERT_GE(gems.size(), 15u);
    const std::pair<const char*, const Matrix*> kVisions[] = {
        {"normal", nullptr}, {"deuteranopia", &kDeuteranopia}, {"protanopia", &kProtanopia}};
    for (const auto& [name, vision] : kVisions)
        for (size_t i = 0; i < gems.size(); ++i)
            for (size_t j = i + 1; j < gems.size(); ++j)
                EXPECT_GE(DeltaE(Lab(gems[i].second, vision), Lab(gems[j].second, vision)), 10.0)
                    << gems[i].first << " and " << gems[j].first << " under " << name << " vision";
}

TEST(Art, ColourCheckSeesWhatRedGreenBlindnessMerges)
{
    // Confusion pairs: far apart for normal vision, nearly one colour for the kind simulated.
    const Rgb red = FromHex("#c0504d"), olive = FromHex("#70883a"), moss = FromHex("#506040");
    EXPECT_GT(DeltaE(Lab(red, nullptr), Lab(olive, nullptr)), 40);
    EXPECT_LT(DeltaE(Lab(red, &kDeuteranopia), Lab(olive, &kDeuteranopia)), 10);
    EXPECT_GT(DeltaE(Lab(red, nullptr), Lab(moss, nullptr)), 40);
    EXPECT_LT(DeltaE(Lab(red, &kProtanopia), Lab(moss, &kProtanopia)), 10);
}

// Cells of a mask moved to the top-left corner by a step that keeps each cell's direction, so two
// masks are the same shape exactly when these are equal.
Cells Normalised(const Cells& cells)
{
    int minC = 99, minR = 99;
    for (auto [c, r] : cells)
        minC = std::min(minC, c), minR = std::min(minR, r);
    if ((minC + minR) % 2 != 0)
        --minC; // a step of odd length would turn every triangle over
    Cells out;
    for (auto [c, r] : cells)
        out.insert({c - minC, r - minR});
    return out;
}

struct Row {
    std::string image;
    std::string positions, score, imageCenter;
    std::vector<Cells> masks;
};

std::vector<Row> ReadRows(std::string xml)
{
    // The rows may span lines: read each <element .../> as one.
    std::replace(xml.begin(), xml.end(), '\n', ' ');
    std::vector<Row> rows;
    const std::regex element(R"re(<element\s([^>]*)/>)re"), grid(R"re(grid\d="([01 ]+)")re");
    auto attribute = [](const std::string& text, const std::string& name) {
        std::smatch m;
        return std::regex_search(text, m, std::regex("\\b" + name + "=\"([^\"]*)\"")) ? std::string(m[1]) : "";
    };
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        Row row{attribute(body, "image"),
                attribute(body, "positions"),
                attribute(body, "score"),
                attribute(body, "image_center"),
                {}};
        for (auto g = std::sregex_iterator(body.begin(), body.end(), grid); g != std::sregex_iterator(); ++g) {
            std::string text = (*g)[1];
            text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
            Cells cells;
            for (int i = 0; i < int(text.size()); ++i)
                if (text[size_t(i)] == '1')
                    cells.insert({i % 5, i / 5});
            row.masks.push_back(Normalised(cells));
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Art, ElementRowsOfTheBoardMatchThePiecePictures)
{
    std::ifstream in(testsupport::SourceDir() + "/data/properties/config.xml");
    std::ostringstream text;
    text << in.rdbuf();
    std::map<std::string, Row> pictures;
    for (const Row& row : ReadRows(datagen::DescribePieces(ShippedSources())))
        pictures[row.image] = row;
    const std::vector<Row> rows = ReadRows(text.str());
    ASSERT_EQ(rows.size(), pictures.size()) << "one element row per piece picture";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        ASSERT_TRUE(pictures.count(row.image)) << "no piece picture of that id";
        const Row& picture = pictures[row.image];
        ASSERT_EQ(row.masks.size(), 6u);
        ASSERT_EQ(picture.masks.size(), 6u);
        for (size_t k = 0; k < 6; ++k)
            EXPECT_EQ(row.masks[k], picture.masks[k]) << "rotation " << k + 1;
        EXPECT_EQ(row.positions, picture.positions);
        EXPECT_EQ(row.score, picture.score);
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        std::istringstream(row.imageCenter) >> x1 >> y1;
        std::istringstream(picture.imageCenter) >> x2 >> y2;
        EXPECT_NEAR(x1, x2, 0.01);
        EXPECT_NEAR(y1, y2, 0.01);
    }
}

TEST(Art, NoTwoPiecesHaveOneShapeInAnyTurn)
{
    const std::vector<Row> pieces = ReadRows(datagen::DescribePieces(ShippedSources()));
    ASSERT_GE(pieces.size(), 15u);
    for (size_t i = 0; i < pieces.size(); ++i)
        for (size_t j = i + 1; j < pieces.size(); ++j)
            for (const Cells& turn : pieces[j].masks)
                EXPECT_NE(pieces[i].masks[0], turn) << pieces[i].image << " and " << pieces[j].image;
}

// Pictures of the built data set (the test runs after the build made it).
std::unique_ptr<ImageLib::Image> Built(const std::string& name)
{
    const std::string path = testsupport::BinaryDir() + "/" + name;
    auto image =
        name.size() > 4 && name.substr(name.size() - 4) == ".jpg" ? ImageLib::ReadJpeg(path) : ImageLib::ReadPng(path);
    EXPECT_TRUE(image) << path;
    return image;
}

Rgb Pixel(const ImageLib::Image& image, int x, int y, double& alpha)
{
    uint32_t p = image.GetBits()[size_t(y) * size_t(image.GetWidth()) + size_t(x)];
    alpha = (p >> 24) / 255.0;
    return {((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0, (p & 255) / 255.0};
}

// Blends as the game's renderer does: straight alpha on the encoded values.
Rgb Over(const Rgb& top, double alpha, const Rgb& under)
{
    return {top[0] * alpha + under[0] * (1 - alpha), top[1] * alpha + under[1] * (1 - alpha),
            top[2] * alpha + under[2] * (1 - alpha)};
}

TEST(Art, BoardCellsStandOutOnEveryScene)
{
    auto up = Built("bin/images/grid_tri_up.png"), down = Built("bin/images/grid_tri_down.png");
    ASSERT_TRUE(up && down);
    std::vector<std::string> scenes;
    for (int n = 1; n <= 4; ++n)
        scenes.push_back("bin/images/location" + std::to_string(n) + "_back.jpg");
    // The other time of day of each location, made for the review folder.
    for (const char* other : {"location1_night", "location2_day", "location3_night", "location4_day"})
        if (fs::exists(testsupport::BinaryDir() + "/media-review/scenes/" + other + ".png"))
            scenes.push_back(std::string("media-review/scenes/") + other + ".png");
    ASSERT_GE(scenes.size(), 4u);
    for (const std::string& scene : scenes) {
        auto back = Built(scene);
        ASSERT_TRUE(back);
        // The board covers the middle of the screen left of the panel: check it block by block.
        for (int by = 120; by + 60 <= 720; by += 60)
            for (int bx = 40; bx + 100 <= 840; bx += 100) {
                Rgb sum{};
                int count = 0;
                for (int y = by; y < by + 60; y += 2)
                    for (int x = bx; x < bx + 100; x += 2) {
                        double a;
                        Rgb c = Pixel(*back, x, y, a);
                        for (size_t i = 0; i < 3; ++i)
                            sum[i] += c[i];
                        ++count;
                    }
                const Rgb behind = {sum[0] / count, sum[1] / count, sum[2] / count};
                for (const auto* cell : {up.get(), down.get()}) {
                    SCOPED_TRACE(scene + " at " + std::to_string(bx) + "," + std::to_string(by));
                    const bool isUp = cell == up.get();
                    double fillAlpha, lineAlpha;
                    const Rgb fill = Pixel(*cell, 20, isUp ? 24 : 11, fillAlpha);
                    const Rgb line = Pixel(*cell, 20, isUp ? 34 : 1, lineAlpha);
                    const Rgb glass = Over(fill, fillAlpha, behind);
                    const Rgb edge = Over(line, lineAlpha, behind);
                    // The cell is seen by its glass or by its line against the scene, and the
                    // line tells neighbouring cells apart.
                    EXPECT_GE(std::max(Contrast(glass, behind), Contrast(edge, behind)), 3.0);
                    EXPECT_GE(Contrast(Over(line, lineAlpha, glass), glass), 3.0);
                }
            }
    }
}

// Mean sRGB luma (0..255) of a picture's drawn pixels, weighted by their cover.
double MeanLuma(const ImageLib::Image& image)
{
    double sum = 0, weight = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x) {
            double a;
            Rgb c = Pixel(image, x, y, a);
            sum += a * 255 * (0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]);
            weight += a;
        }
    return weight > 0 ? sum / weight : 0;
}

TEST(Art, HoverAndPressChangeAButtonVisibly)
{
    for (const char* family :
         {"std_button", "mainmenu_button", "panel_button", "tool_button", "map_bigdot", "map_smalldot",
          "scroll_arrowup", "scroll_arrowdown", "buy_button", "minimize_button", "close_button"}) {
        SCOPED_TRACE(family);
        auto normal = Built(std::string("bin/images/") + family + ".png");
        auto over = Built(std::string("bin/images/") + family + "_over.png");
        auto press = Built(std::string("bin/images/") + family + "_press.png");
        ASSERT_TRUE(normal && over && press);
        EXPECT_GE(std::fabs(MeanLuma(*over) - MeanLuma(*normal)), 25.0);
        EXPECT_GE(std::fabs(MeanLuma(*press) - MeanLuma(*normal)), 25.0);
    }
}

} // namespace
