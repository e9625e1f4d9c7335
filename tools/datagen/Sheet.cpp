// The review pages: every image of the manifest on one contact sheet with its id, and every sound
// and music track on one HTML page with its length.
#include <vorbis/vorbisfile.h>

#include <cstdio>

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

} // namespace

void WriteContactSheet(const Options& options)
{
    std::vector<ManifestEntry> images = MakeImages(options, false);
    const int rows = (int(images.size()) + kColumns - 1) / kColumns;
    Picture sheet = NewPicture(kColumns * kTileWidth, std::max(1, rows) * kTileHeight);
    // A checkerboard shows where the pictures are transparent.
    for (int y = 0; y < sheet->GetHeight(); ++y)
        for (int x = 0; x < sheet->GetWidth(); ++x)
            sheet->GetBits()[size_t(y) * sheet->GetWidth() + x] = ((x / 8 + y / 8) % 2) ? 0xFF9A9A9A : 0xFF7A7A7A;
    for (size_t i = 0; i < images.size(); ++i) {
        const int tx = int(i % kColumns) * kTileWidth, ty = int(i / kColumns) * kTileHeight;
        std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(options.out + "/" + images[i].file, true);
        std::string label = images[i].id.rfind("IMAGE_", 0) == 0 ? images[i].id.substr(6) : images[i].id;
        if (image) {
            Picture thumb = ScaleDown(*image, kTileWidth - 8, kThumbHeight - 4);
            Over(*sheet, *thumb, tx + (kTileWidth - thumb->GetWidth()) / 2,
                 ty + 2 + (kThumbHeight - thumb->GetHeight()) / 2);
            label += " " + std::to_string(image->GetWidth()) + "x" + std::to_string(image->GetHeight());
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
