// The review pages: every image of the manifest on one contact sheet with its id, and every sound
// and music track on one HTML page with its length.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
    // The strip holds every glyph side by side; the sheet shows its start.
    Picture start = NewPicture(std::min(sample->GetWidth(), 600), sample->GetHeight());
    Place(*start, *sample, 0, 0);
    return start;
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
            shown = FontSample(options, entry);
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

    WriteFile(options.review + "/pieces.xml", DescribePieces(options));

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
