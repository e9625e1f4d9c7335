// The review pages: every image of the manifest on one contact sheet with its id, and every sound
// and music track on one HTML page with its length.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "Assets.h"
#include "Raster.h"

namespace datagen
{

namespace
{

constexpr int kTileWidth = 200, kTileHeight = 150, kThumbHeight = 122, kColumns = 8;

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

double SecondsOf(const std::string& path)
{
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
        return -1;
    double seconds = ov_time_total(&file, -1);
    ov_clear(&file);
    return seconds;
}

// Cuts one cel out of a strip of cols x rows cels.
Picture FirstCel(const ImageLib::Image& image, int cols, int rows)
{
    int w = image.GetWidth() / std::max(1, cols), h = image.GetHeight() / std::max(1, rows);
    Picture cel = NewPicture(std::max(1, w), std::max(1, h));
    for (int y = 0; y < cel->GetHeight(); ++y)
        for (int x = 0; x < cel->GetWidth(); ++x)
            cel->GetBits()[size_t(y) * cel->GetWidth() + x] = image.GetBits()[size_t(y) * image.GetWidth() + x];
    return cel;
}

int Attribute(const std::string& attributes, const std::string& name)
{
    size_t at = attributes.find(name + "=\"");
    return at == std::string::npos ? 1 : std::atoi(attributes.c_str() + at + name.size() + 2);
}

// A font's layers laid over each other as the game draws them: shadow, outline, body.
Picture FontSample(const Options& options, const ManifestEntry& font)
{
    std::string base = options.out + "/" + font.file.substr(0, font.file.size() - 4);
    std::unique_ptr<ImageLib::Image> body = ImageLib::ReadPng(base + "_body.png");
    if (!body)
        return nullptr;
    Picture sample = NewPicture(body->GetWidth() + 8, body->GetHeight() + 8);
    if (auto shadow = ImageLib::ReadPng(base + "_shadow.png"))
        Over(*sample, *shadow, 6, 6);
    if (auto outline = ImageLib::ReadPng(base + "_outline.png"))
        Over(*sample, *outline, 3, 3);
    Over(*sample, *body, 3, 3);
    return sample;
}

// The strip of every glyph broken into lines of at most maxWidth, each cut in a gap between glyphs.
Picture Wrapped(const ImageLib::Image& strip, int maxWidth)
{
    auto emptyColumn = [&](int x) {
        for (int y = 0; y < strip.GetHeight(); ++y)
            if (strip.GetBits()[size_t(y) * strip.GetWidth() + x] >> 24)
                return false;
        return true;
    };
    std::vector<std::pair<int, int>> lines;
    for (int start = 0; start < strip.GetWidth();) {
        int end = std::min(strip.GetWidth(), start + maxWidth);
        if (end < strip.GetWidth()) {
            int cut = end;
            while (cut > start + maxWidth / 2 && !emptyColumn(cut))
                --cut;
            end = cut > start + maxWidth / 2 ? cut : end;
        }
        lines.push_back({start, end});
        start = end;
    }
    Picture out = NewPicture(maxWidth, std::max(1, int(lines.size()) * strip.GetHeight()));
    for (size_t i = 0; i < lines.size(); ++i)
        for (int y = 0; y < strip.GetHeight(); ++y)
            for (int x = lines[i].first; x < lines[i].second; ++x)
                out->GetBits()[(size_t(i) * strip.GetHeight() + y) * maxWidth + (x - lines[i].first)] =
                    strip.GetBits()[size_t(y) * strip.GetWidth() + x];
    return out;
}

// Every font whole, all its glyphs in lines, on one page.
void WriteFontSheet(const Options& options)
{
    constexpr int kWidth = 1000, kCaption = 24;
    std::vector<std::pair<std::string, Picture>> samples;
    int height = 0;
    for (const ManifestEntry& font : MakeFonts(options, false)) {
        Picture sample = FontSample(options, font);
        if (!sample)
            continue;
        Picture lines = Wrapped(*sample, kWidth - 16);
        height += kCaption + lines->GetHeight() + 8;
        samples.push_back({font.id, std::move(lines)});
    }
    Picture page = NewPicture(kWidth, std::max(1, height));
    for (int y = 0; y < page->GetHeight(); ++y)
        for (int x = 0; x < kWidth; ++x)
            page->GetBits()[size_t(y) * kWidth + x] = ((x / 8 + y / 8) % 2) ? 0xFF5A7A96 : 0xFF4A6A86;
    int y = 0;
    for (const auto& [id, lines] : samples) {
        std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(kWidth) + "' height='" +
                          std::to_string(kCaption) +
                          "'><rect width='100%' height='100%' fill='#202830'/>"
                          "<text x='6' y='16' font-family='DejaVu Sans' font-size='12' fill='#ffffff'>" +
                          Escape(id) + "</text></svg>";
        Over(*page, *RenderSvg(svg, kWidth, kCaption, "font sheet"), 0, y);
        Over(*page, *lines, 8, y + kCaption + 4);
        y += kCaption + lines->GetHeight() + 8;
    }
    SavePicturePng(options.review + "/fonts.png", *page);
}

Picture Load(const Options& options, const std::string& file)
{
    std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(options.out + "/images/" + file, true);
    if (!image)
        Fail("the scene needs images/" + file);
    return image;
}

// A screen as a player would see it, put together the way the game draws: the location, the
// board's cells with pieces on them, the water in its three rows, the panel and a few creatures.
void WriteScene(const Options& options, const std::string& name, int location)
{
    Picture screen = Load(options, "location" + std::to_string(location) + "_back.jpg");
    // Locations 2 and 4 are shown by night, with the night birds and water.
    const std::string night = location % 2 == 0 ? "_night" : "";
    Picture up = Load(options, "grid_tri_up.png"), down = Load(options, "grid_tri_down.png");
    const int gridX = 40, gridY = 60;
    for (int c = 0; c < 40; ++c)
        for (int r = 0; r < 14; ++r) {
            if (c < 4 + (r % 3) || c > 34 - (r % 2))
                continue;
            Over(*screen, (c + r) % 2 == 0 ? *up : *down, gridX + 20 * c, gridY + 35 * r);
        }
    struct Placed {
        int piece, column, row;
    };
    const Placed kPieces[] = {{6, 6, 10},  {11, 12, 9}, {5, 18, 10},  {1, 23, 11},
                              {4, 27, 11}, {8, 8, 13},  {15, 17, 12}, {3, 26, 13}};
    for (const Placed& p : kPieces) {
        char file[32];
        std::snprintf(file, sizeof file, "element%02d.png", p.piece);
        // The picture's mask origin sits 6 pixels in from its corner.
        Over(*screen, *Load(options, file), gridX + 20 * (p.column - 2) - 6, gridY + 35 * (p.row - 2) - 6);
    }
    Picture water = Load(options, "water_anim" + night + ".png");
    const int cel = water->GetWidth() / 22;
    // The game draws the rows of waves see-through: a back row at alpha 200, a front row at 120.
    auto row = [&](int startX, int y, int firstCel, uint32_t alpha) {
        for (int x = startX, k = firstCel; x <= 1024; x += cel, k = (k + 1) % 22) {
            Picture one = NewPicture(cel, water->GetHeight());
            Place(*one, *water, -k * cel, 0);
            for (int i = 0; i < cel * one->GetHeight(); ++i) {
                uint32_t& p = one->GetBits()[i];
                p = (((p >> 24) * alpha / 255) << 24) | (p & 0xFFFFFF);
            }
            Over(*screen, *one, x, y);
        }
    };
    row(-252, 610, 0, 200);
    Over(*screen, *FirstCel(*Load(options, "animal_fish.png"), 8, 1), 300, 660);
    row(0, 620, 16, 120);
    Over(*screen, *Load(options, "info_panel.png"), 877, 0);
    Picture tool = Load(options, "tool_button.png");
    for (int i = 0; i < 4; ++i)
        Over(*screen, *tool, 884, 180 + 90 * i);
    Over(*screen, *FirstCel(*Load(options, "bird_gull" + night + ".png"), 8, 1), 600, 30);
    Over(*screen, *Load(options, "pearl.png"), 520, 300);
    SavePicturePng(options.review + "/" + name, *screen);
}

} // namespace

void WriteContactSheet(const Options& options)
{
    std::vector<ManifestEntry> images = MakeImages(options, false);
    std::vector<ManifestEntry> fonts = MakeFonts(options, false);
    const size_t tiles = images.size() + fonts.size();
    const int rows = (int(tiles) + kColumns - 1) / kColumns;
    Picture sheet = NewPicture(kColumns * kTileWidth, std::max(1, rows) * kTileHeight);
    // A checkerboard shows where the pictures are transparent.
    for (int y = 0; y < sheet->GetHeight(); ++y)
        for (int x = 0; x < sheet->GetWidth(); ++x)
            sheet->GetBits()[size_t(y) * sheet->GetWidth() + x] = ((x / 8 + y / 8) % 2) ? 0xFF9A9A9A : 0xFF7A7A7A;
    for (size_t i = 0; i < tiles; ++i) {
        const int tx = int(i % kColumns) * kTileWidth, ty = int(i / kColumns) * kTileHeight;
        const ManifestEntry& entry = i < images.size() ? images[i] : fonts[i - images.size()];
        std::string label = entry.id.substr(entry.id.find('_') + 1);
        Picture shown;
        if (entry.kind == "Image") {
            std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(options.out + "/" + entry.file, true);
            if (image) {
                int cols = Attribute(entry.attributes, "cols"), cellRows = Attribute(entry.attributes, "rows");
                label += " " + std::to_string(image->GetWidth() / cols) + "x" +
                         std::to_string(image->GetHeight() / cellRows);
                if (cols * cellRows > 1)
                    label += " *" + std::to_string(cols * cellRows);
                shown = FirstCel(*image, cols, cellRows);
            }
        } else {
            // The tile shows the strip's start; fonts.png shows every font whole.
            if (Picture sample = FontSample(options, entry)) {
                shown = NewPicture(std::min(sample->GetWidth(), 600), sample->GetHeight());
                Place(*shown, *sample, 0, 0);
            }
        }
        if (shown) {
            Picture thumb = ScaleDown(*shown, kTileWidth - 8, kThumbHeight - 4);
            Over(*sheet, *thumb, tx + (kTileWidth - thumb->GetWidth()) / 2,
                 ty + 2 + (kThumbHeight - thumb->GetHeight()) / 2);
        } else {
            label += " MISSING";
        }
        std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(kTileWidth) +
                          "' height='28'><rect width='100%' height='100%' fill='#202830'/>"
                          "<text x='4' y='18' font-family='DejaVu Sans' font-size='10' fill='#ffffff'>" +
                          Escape(label) + "</text></svg>";
        Picture caption = RenderSvg(svg, kTileWidth, 28, "contact sheet");
        Over(*sheet, *caption, tx, ty + kThumbHeight);
    }
    SavePicturePng(options.review + "/contact-sheet.png", *sheet);
    // The same sheet in pages of four rows, for a closer look on a small screen.
    const int pageHeight = 4 * kTileHeight;
    for (int page = 0; page * pageHeight < sheet->GetHeight(); ++page) {
        Picture part = NewPicture(sheet->GetWidth(), std::min(pageHeight, sheet->GetHeight() - page * pageHeight));
        Place(*part, *sheet, 0, -page * pageHeight);
        SavePicturePng(options.review + "/contact-sheet-page" + std::to_string(page + 1) + ".png", *part);
    }

    WriteFontSheet(options);
    WriteFile(options.review + "/pieces.xml", DescribePieces(options));
    WriteScene(options, "scene-day.png", 1);
    WriteScene(options, "scene-night.png", 2);

    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset='utf-8'><title>Sounds and music</title></head><body>\n"
        "<h1>Sounds</h1>\n<table>\n";
    for (const ManifestEntry& e : MakeSounds(options, false)) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s", SecondsOf(options.out + "/" + e.file));
        html += "<tr><td>" + e.id + "</td><td>" + e.group + "</td><td>" + seconds + "</td><td><audio controls src='" +
                "../bin/" + e.file + "'></audio></td></tr>\n";
    }
    html += "</table>\n<h1>Music</h1>\n<table>\n";
    for (const std::string& file : MakeMusic(options, false)) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s", SecondsOf(options.out + "/" + file));
        html += "<tr><td>" + file + "</td><td>" + seconds + "</td><td><audio controls loop src='../bin/" + file +
                "'></audio></td></tr>\n";
    }
    html += "</table>\n</body></html>\n";
    WriteFile(options.review + "/sounds.html", html);
}

} // namespace datagen
