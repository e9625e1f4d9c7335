// Image fonts: glyphs rendered with FreeType into strips (outlines by its stroker), one picture per layer
// (body with its gradient, outline, shadow), and the descriptor that maps characters to them.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "Assets.h"
#include "Raster.h"

namespace datagen
{

namespace
{

constexpr int kFontsVersion = 3;
constexpr int kFirstChar = 32, kLastChar = 126;
const char* const kFaceFolder = "/usr/share/fonts/truetype/dejavu/";
const char* const kFontsFolder = "/usr/share/fonts/truetype/";

// A face is a DejaVu file name, or a path under the system's TrueType folder for other families.
std::string FacePath(const std::string& face)
{
    return (face.find('/') == std::string::npos ? kFaceFolder : kFontsFolder) + face;
}

struct Rgba {
    int r = 255, g = 255, b = 255, a = 255;
};

Rgba ParseColor(const std::string& text, const std::string& where)
{
    Rgba c;
    unsigned v = 0;
    if (text.size() == 7 && text[0] == '#' && std::sscanf(text.c_str() + 1, "%x", &v) == 1) {
        c = {int(v >> 16) & 255, int(v >> 8) & 255, int(v) & 255, 255};
    } else if (text.size() == 9 && text[0] == '#' && std::sscanf(text.c_str() + 1, "%x", &v) == 1) {
        c = {int(v >> 24) & 255, int(v >> 16) & 255, int(v >> 8) & 255, int(v) & 255};
    } else {
        Fail(where + ": colour '" + text + "' is not #rrggbb or #rrggbbaa");
    }
    return c;
}

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<unsigned char> coverage;
    // The glyph grown by the outline width, as FreeType's stroker draws its outer border.
    int strokeLeft = 0, strokeTop = 0, strokeWidth = 0, strokeRows = 0;
    std::vector<unsigned char> stroke;
};

// A character in the descriptor language: quoted so that blanks, commas and semicolons stay.
std::string Quoted(int ch)
{
    if (ch == '\'')
        return "\"'\"";
    if (ch == '\\')
        return "'\\\\'";
    return std::string("'") + char(ch) + "'";
}

struct FontJob {
    RecipeLine recipe;
    std::string where;
};

// FreeType's library object is not shared between threads.
std::mutex gFreeTypeLock;

void MakeFont(const Options& options, const FontJob& job, const Cache& cache)
{
    const RecipeLine& line = job.recipe;
    const std::string file = line.Word(3);
    const std::string facePath = FacePath(line.Get("face", "DejaVuSans.ttf"));
    const std::string outBase = options.out + "/fonts/" + file;
    std::string colours[4];
    const char* const kColourKeys[4] = {"top", "bottom", "outline_color", "shadow_color"};
    for (int i = 0; i < 4; ++i)
        colours[i] = line.Has(kColourKeys[i]) ? PaletteColour(options, line.Get(kColourKeys[i]), job.where) : "";
    std::string key = HexOf(Hash64(std::to_string(kFontsVersion) + line.text + colours[0] + colours[1] + colours[2] +
                                   colours[3] + ReadFile(facePath)));
    if (cache.Fresh("fonts/" + file, key, {outBase + ".txt", outBase + "_body.png"}))
        return;

    const int size = line.Int("size", 16);
    const int outline = line.Int("outline", 0);
    const int shadowX = line.Int("shadow_x", 0), shadowY = line.Int("shadow_y", 0);
    const bool shadow = line.Has("shadow_color");
    const Rgba top = ParseColor(colours[0].empty() ? "#ffffff" : colours[0], job.where);
    const Rgba bottom = colours[1].empty() ? top : ParseColor(colours[1], job.where);
    const Rgba outlineColor = ParseColor(colours[2].empty() ? "#000000" : colours[2], job.where);
    const Rgba shadowColor = ParseColor(colours[3].empty() ? "#00000080" : colours[3], job.where);

    std::vector<Glyph> glyphs(kLastChar + 1);
    std::vector<std::pair<std::string, int>> kerning;
    int ascent = 0, descent = 0;
    {
        std::lock_guard<std::mutex> lock(gFreeTypeLock);
        FT_Library library = nullptr;
        FT_Face face = nullptr;
        if (FT_Init_FreeType(&library) || FT_New_Face(library, facePath.c_str(), 0, &face))
            Fail(job.where + ": cannot open the face " + facePath);
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        ascent = int(std::ceil(face->size->metrics.ascender / 64.0));
        descent = int(std::ceil(-face->size->metrics.descender / 64.0));
        FT_Stroker stroker = nullptr;
        if (outline > 0) {
            if (FT_Stroker_New(library, &stroker))
                Fail(job.where + ": no stroker");
            FT_Stroker_Set(stroker, FT_Fixed(outline * 64), FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
        }
        for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
            if (stroker) {
                if (FT_Load_Char(face, FT_ULong(ch), FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT))
                    Fail(job.where + ": no glyph for " + std::to_string(ch));
                FT_Glyph glyph = nullptr;
                if (FT_Get_Glyph(face->glyph, &glyph) || FT_Glyph_StrokeBorder(&glyph, stroker, 0, 1) ||
                    FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_LIGHT, nullptr, 1))
                    Fail(job.where + ": cannot stroke the glyph for " + std::to_string(ch));
                const FT_BitmapGlyph bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph);
                Glyph& g = glyphs[size_t(ch)];
                g.strokeLeft = bitmap->left;
                g.strokeTop = bitmap->top;
                g.strokeWidth = int(bitmap->bitmap.width);
                g.strokeRows = int(bitmap->bitmap.rows);
                for (int y = 0; y < g.strokeRows; ++y)
                    for (int x = 0; x < g.strokeWidth; ++x)
                        g.stroke.push_back(bitmap->bitmap.buffer[y * bitmap->bitmap.pitch + x]);
                FT_Done_Glyph(glyph);
            }
            if (FT_Load_Char(face, FT_ULong(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT))
                Fail(job.where + ": no glyph for " + std::to_string(ch));
            FT_GlyphSlot slot = face->glyph;
            Glyph& g = glyphs[size_t(ch)];
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = int(slot->bitmap.width);
            g.rows = int(slot->bitmap.rows);
            g.advance = int(std::lround(slot->advance.x / 64.0));
            for (int y = 0; y < g.rows; ++y)
                for (int x = 0; x < g.width; ++x)
                    g.coverage.push_back(slot->bitmap.buffer[y * slot->bitmap.pitch + x]);
        }
        if (FT_HAS_KERNING(face)) {
            for (int a = kFirstChar; a <= kLastChar; ++a)
                for (int b = kFirstChar; b <= kLastChar; ++b) {
                    FT_Vector delta;
                    FT_Get_Kerning(face, FT_Get_Char_Index(face, FT_ULong(a)), FT_Get_Char_Index(face, FT_ULong(b)),
                                   FT_KERNING_DEFAULT, &delta);
                    int k = int(std::lround(delta.x / 64.0));
                    if (k != 0 && std::isalnum(a) && std::isalnum(b))
                        kerning.push_back({std::string(1, char(a)) + char(b), k});
                }
        }
        if (stroker)
            FT_Stroker_Done(stroker);
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }

    // Every glyph gets a cell of the full line height with a margin for the outline and shadow.
    const int margin = outline + std::max(std::abs(shadowX), std::abs(shadowY)) + 1;
    const int cellHeight = ascent + descent + 2 * margin;
    const int baseline = margin + ascent;
    std::vector<int> cellX(kLastChar + 2, 0);
    for (int ch = kFirstChar; ch <= kLastChar; ++ch)
        cellX[size_t(ch) + 1] =
            cellX[size_t(ch)] + (glyphs[size_t(ch)].width ? glyphs[size_t(ch)].width + 2 * margin : 0);
    const int stripWidth = std::max(1, cellX[kLastChar + 1]);

    // Coverage of every glyph in its cell, then the layers made from it.
    std::vector<float> cover(size_t(stripWidth) * cellHeight, 0.0f);
    for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
        const Glyph& g = glyphs[size_t(ch)];
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x) {
                int px = cellX[size_t(ch)] + margin + x, py = baseline - g.top + y;
                if (py >= 0 && py < cellHeight)
                    cover[size_t(py) * stripWidth + px] = g.coverage[size_t(y) * g.width + x] / 255.0f;
            }
    }
    // The outline layer: each glyph's stroked border, placed at the glyph's pen position.
    std::vector<float> grown = cover;
    if (outline > 0)
        for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
            const Glyph& g = glyphs[size_t(ch)];
            if (!g.width)
                continue;
            const int penX = cellX[size_t(ch)] + margin - g.left;
            for (int y = 0; y < g.strokeRows; ++y)
                for (int x = 0; x < g.strokeWidth; ++x) {
                    int px = penX + g.strokeLeft + x, py = baseline - g.strokeTop + y;
                    if (px < cellX[size_t(ch)] || px >= cellX[size_t(ch) + 1] || py < 0 || py >= cellHeight)
                        continue;
                    float& v = grown[size_t(py) * stripWidth + px];
                    v = std::max(v, g.stroke[size_t(y) * g.strokeWidth + x] / 255.0f);
                }
        }
    auto paint = [&](const std::vector<float>& c, auto colorAt) {
        Picture p = NewPicture(stripWidth, cellHeight);
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < stripWidth; ++x) {
                float v = c[size_t(y) * stripWidth + x];
                if (v <= 0)
                    continue;
                Rgba col = colorAt(y);
                uint32_t a = uint32_t(std::lround(v * col.a));
                p->GetBits()[size_t(y) * stripWidth + x] =
                    (a << 24) | (uint32_t(col.r) << 16) | (uint32_t(col.g) << 8) | uint32_t(col.b);
            }
        return p;
    };
    Picture body = paint(cover, [&](int y) {
        float t = std::clamp(float(y - margin) / float(std::max(1, ascent + descent)), 0.0f, 1.0f);
        return Rgba{int(top.r + (bottom.r - top.r) * t), int(top.g + (bottom.g - top.g) * t),
                    int(top.b + (bottom.b - top.b) * t), int(top.a + (bottom.a - top.a) * t)};
    });
    SavePicturePng(outBase + "_body.png", *body);
    if (outline > 0)
        SavePicturePng(outBase + "_outline.png", *paint(grown, [&](int) { return outlineColor; }));
    if (shadow)
        SavePicturePng(outBase + "_shadow.png", *paint(outline > 0 ? grown : cover, [&](int) { return shadowColor; }));

    // The descriptor.
    std::string chars, rects, widths, offsets;
    for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
        const Glyph& g = glyphs[size_t(ch)];
        std::string sep = ch == kFirstChar ? "" : ", ";
        int w = g.width ? g.width + 2 * margin : 0;
        chars += sep + Quoted(ch);
        rects += sep + "(" + std::to_string(cellX[size_t(ch)]) + " 0 " + std::to_string(w) + " " +
                 std::to_string(cellHeight) + ")";
        widths += sep + std::to_string(g.advance);
        offsets += sep + "(" + std::to_string(g.left - margin) + " 0)";
    }
    std::string d;
    d += "# " + line.Word(2) + ": " + line.Get("face", "DejaVuSans.ttf") + " at " + std::to_string(size) +
         " pixels. Made by the data generator.\n";
    d += "Define Chars (" + chars + ");\n";
    d += "Define Rects (" + rects + ");\n";
    d += "Define Widths (" + widths + ");\n";
    d += "Define Offsets (" + offsets + ");\n";
    d += "SetDefaultPointSize " + std::to_string(size) + ";\n";
    d += "CreateLayer Main;\n";
    d += "LayerSetImage Main '" + file + "_body.png';\n";
    d += "LayerSetImageMap Main Chars Rects;\n";
    d += "LayerSetCharWidths Main Chars Widths;\n";
    d += "LayerSetCharOffsets Main Chars Offsets;\n";
    d += "LayerSetAscent Main " + std::to_string(baseline) + ";\n";
    d += "LayerSetAscentPadding Main " + std::to_string(margin) + ";\n";
    d += "LayerSetLineSpacingOffset Main " + std::to_string(line.Int("line_spacing", 0)) + ";\n";
    if (!kerning.empty()) {
        std::string pairs, values;
        for (size_t i = 0; i < kerning.size(); ++i) {
            std::string sep = i ? ", " : "";
            pairs += sep + "'" + kerning[i].first + "'";
            values += sep + std::to_string(kerning[i].second);
        }
        d += "LayerSetKerningPairs Main (" + pairs + ") (" + values + ");\n";
    }
    if (outline > 0) {
        d += "CreateLayerFrom Outline Main;\n";
        d += "LayerSetImage Outline '" + file + "_outline.png';\n";
        d += "LayerSetBaseOrder Outline -1;\n";
    }
    if (shadow) {
        d += "CreateLayerFrom Shadow Main;\n";
        d += "LayerSetImage Shadow '" + file + "_shadow.png';\n";
        d += "LayerSetOffset Shadow (" + std::to_string(shadowX) + " " + std::to_string(shadowY) + ");\n";
        d += "LayerSetBaseOrder Shadow -2;\n";
    }
    WriteFile(outBase + ".txt", d);
    Made("fonts/" + file);
    cache.Store("fonts/" + file, key);
}

} // namespace

std::vector<ManifestEntry> MakeFonts(const Options& options, bool make)
{
    std::vector<FontJob> jobs;
    for (const RecipeLine& line : ReadRecipe(options.src + "/fonts/fonts.txt")) {
        if (line.Word(0) != "font")
            Fail(line.file + ":" + std::to_string(line.line) + ": unknown kind " + line.Word(0));
        jobs.push_back({line, line.file + ":" + std::to_string(line.line)});
    }
    if (make) {
        Cache cache(options.cache);
        ParallelFor(int(jobs.size()), options.jobs, [&](int i) { MakeFont(options, jobs[size_t(i)], cache); });
    }
    std::vector<ManifestEntry> entries;
    for (const FontJob& job : jobs) {
        ManifestEntry e;
        e.group = job.recipe.Word(1);
        e.kind = "Font";
        e.id = job.recipe.Word(2);
        e.attributes = "path=\"fonts\\" + job.recipe.Word(3) + ".txt\"";
        if (job.recipe.Has("tags"))
            e.attributes += " tags=\"" + job.recipe.Get("tags") + "\"";
        e.file = "fonts/" + job.recipe.Word(3) + ".txt";
        entries.push_back(e);
    }
    return entries;
}

} // namespace datagen
