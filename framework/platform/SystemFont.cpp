// System fonts on FreeType: fontconfig picks the installed file for a face name, FreeType hints and
// rasterises each Windows-1252 character once, and texts are laid out from those cached glyphs.
#include "platform/SystemFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <strings.h>

namespace Olvarn
{

namespace
{

// FreeType's library object may not be used from two threads at once for opening and closing
// faces, and fonts can be made on the loading thread.
std::mutex gLibraryMutex;
FT_Library gLibrary = nullptr;

FT_Library Library()
{
    if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0)
        gLibrary = nullptr;
    return gLibrary;
}

// The Windows faces the program asks for by name are not installed here; they all stand for the
// desktop's plain sans-serif, and naming one family keeps every machine's result the same.
const char* FamilyFor(const std::string& face)
{
    static constexpr const char* kSansAliases[] = {"SansSerif", "Tahoma", "Arial", "MS Sans Serif", ""};
    for (const char* alias : kSansAliases)
        if (strcasecmp(face.c_str(), alias) == 0)
            return "DejaVu Sans";
    return face.c_str();
}

// Windows-1252 bytes 0x80..0x9F differ from Latin-1; the undefined five keep their byte value.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned long CodePointOf(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

// The installed file and face index that fontconfig matches best, or an empty path.
std::pair<std::string, int> MatchFontFile(const SystemFontSpec& spec)
{
    static std::once_flag initOnce;
    static bool fcReady = false;
    std::call_once(initOnce, [] {
        fcReady = FcInit() == FcTrue;
        // Fontconfig keeps its configuration until told to let go; nothing matches faces after exit.
        if (fcReady)
            std::atexit([] { FcFini(); });
    });
    if (!fcReady)
        return {};
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(FamilyFor(spec.mFace)));
    FcPatternAddInteger(pattern, FC_WEIGHT, spec.mBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, spec.mItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::pair<std::string, int> found;
    if (match) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            found = {reinterpret_cast<const char*>(file), index};
        }
        FcPatternDestroy(match);
    }
    return found;
}

int CeilPixels(FT_Pos v)
{
    return static_cast<int>((v + 63) >> 6);
}

} // namespace

struct SystemFont::Glyph {
    bool mLoaded = false;
    int mAdvance = 0;
    int mLeft = 0; // from the pen position
    int mTop = 0;  // from the top of the text cell
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint8_t> mBits;
};

struct SystemFont::Impl {
    FT_Face mFace = nullptr;
    bool mSynthBold = false;
    bool mSynthItalic = false;
    std::array<Glyph, 256> mGlyphs;
};

SystemFont::SystemFont(const SystemFontSpec& spec) : mSpec(spec), mImpl(std::make_unique<Impl>())
{
    Open();
}

SystemFont::SystemFont(const SystemFont& other) : mSpec(other.mSpec), mImpl(std::make_unique<Impl>())
{
    Open();
}

SystemFont::~SystemFont()
{
    if (mImpl->mFace) {
        std::lock_guard<std::mutex> lock(gLibraryMutex);
        FT_Done_Face(mImpl->mFace);
    }
}

int SystemFont::PixelHeightForPoints(int points)
{
    long long product = static_cast<long long>(points) * kDotsPerInch;
    long long half = 72 / 2;
    return static_cast<int>(product >= 0 ? (product + half) / 72 : -((-product + half) / 72));
}

bool SystemFont::IsValid() const
{
    return mImpl->mFace != nullptr;
}

void SystemFont::Open()
{
    auto [path, index] = MatchFontFile(mSpec);
    if (path.empty())
        return;
    FT_Face face = nullptr;
    {
        std::lock_guard<std::mutex> lock(gLibraryMutex);
        FT_Library library = Library();
        if (!library || FT_New_Face(library, path.c_str(), index, &face) != 0)
            return;
    }
    // A height of 0 asks the desktop for its default size.
    int pixels = mSpec.mPixelHeight == 0 ? 16 : std::abs(mSpec.mPixelHeight);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) {
        std::lock_guard<std::mutex> lock(gLibraryMutex);
        FT_Done_Face(face);
        return;
    }
    mImpl->mFace = face;
    mFilePath = path;
    mImpl->mSynthBold = mSpec.mBold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    mImpl->mSynthItalic = mSpec.mItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    mAscent = CeilPixels(face->size->metrics.ascender);
    mHeight = mAscent + CeilPixels(-face->size->metrics.descender);
}

const SystemFont::Glyph& SystemFont::GlyphFor(unsigned char c) const
{
    Glyph& glyph = mImpl->mGlyphs[c];
    if (glyph.mLoaded || !mImpl->mFace)
        return glyph;
    glyph.mLoaded = true;
    FT_Face face = mImpl->mFace;
    FT_UInt index = FT_Get_Char_Index(face, CodePointOf(c));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
        return glyph;
    FT_GlyphSlot slot = face->glyph;
    if (mImpl->mSynthItalic)
        FT_GlyphSlot_Oblique(slot);
    if (mImpl->mSynthBold)
        FT_GlyphSlot_Embolden(slot);
    glyph.mAdvance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.mLeft = slot->bitmap_left;
    glyph.mTop = mAscent - slot->bitmap_top;
    glyph.mWidth = static_cast<int>(bitmap.width);
    glyph.mHeight = static_cast<int>(bitmap.rows);
    glyph.mBits.resize(static_cast<size_t>(glyph.mWidth) * glyph.mHeight);
    for (int y = 0; y < glyph.mHeight; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
        std::copy(row, row + glyph.mWidth, glyph.mBits.begin() + static_cast<long>(y) * glyph.mWidth);
    }
    return glyph;
}

int SystemFont::TextWidth(const std::string& text) const
{
    int width = 0;
    for (char c : text)
        width += GlyphFor(static_cast<unsigned char>(c)).mAdvance;
    return width;
}

TextCoverage SystemFont::Render(const std::string& text) const
{
    TextCoverage cov;
    if (!IsValid() || text.empty())
        return cov;
    // 1. The box that holds the cell and every glyph's ink (ink may hang outside the cell).
    int width = TextWidth(text);
    int left = 0, top = 0, right = width, bottom = mHeight;
    int pen = 0;
    for (char c : text) {
        const Glyph& g = GlyphFor(static_cast<unsigned char>(c));
        if (g.mWidth > 0 && g.mHeight > 0) {
            left = std::min(left, pen + g.mLeft);
            right = std::max(right, pen + g.mLeft + g.mWidth);
            top = std::min(top, g.mTop);
            bottom = std::max(bottom, g.mTop + g.mHeight);
        }
        pen += g.mAdvance;
    }
    cov.mLeft = left;
    cov.mTop = top;
    cov.mWidth = right - left;
    cov.mHeight = bottom - top;
    cov.mBits.assign(static_cast<size_t>(cov.mWidth) * cov.mHeight, 0);
    // 2. Glyphs added with saturation, so the shared edge pixels of neighbours are not lost.
    pen = 0;
    for (char c : text) {
        const Glyph& g = GlyphFor(static_cast<unsigned char>(c));
        for (int y = 0; y < g.mHeight; ++y) {
            uint8_t* dst = &cov.mBits[static_cast<size_t>(g.mTop - top + y) * cov.mWidth + (pen + g.mLeft - left)];
            const uint8_t* src = &g.mBits[static_cast<size_t>(y) * g.mWidth];
            for (int x = 0; x < g.mWidth; ++x)
                dst[x] = static_cast<uint8_t>(std::min(255, dst[x] + src[x]));
        }
        pen += g.mAdvance;
    }
    // 3. The underline.
    if (mSpec.mUnderline)
        AddUnderline(cov, width);
    return cov;
}

void SystemFont::AddUnderline(TextCoverage& cov, int width) const
{
    FT_Face face = mImpl->mFace;
    FT_Fixed scale = face->size->metrics.y_scale;
    int thickness = std::max(1, static_cast<int>((FT_MulFix(face->underline_thickness, scale) + 32) >> 6));
    int centre = static_cast<int>((FT_MulFix(-face->underline_position, scale) + 32) >> 6);
    int firstRow = mAscent + centre - thickness / 2;
    for (int row = firstRow; row < firstRow + thickness; ++row) {
        int y = row - cov.mTop;
        if (y < 0 || y >= cov.mHeight)
            continue;
        for (int x = 0; x < width; ++x)
            cov.mBits[static_cast<size_t>(y) * cov.mWidth + (x - cov.mLeft)] = 255;
    }
}

} // namespace Olvarn
