// The desktop's own text renderer: opens a face by name, measures Windows-1252 text and rasterises
// it into an anti-aliased coverage mask that callers blend into their pixels in any colour.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Olvarn
{

// What a system font is made from; kept so a copy can open the same face again.
struct SystemFontSpec {
    std::string mFace;
    int mPixelHeight = 0; // character height (em size), not cell height
    bool mBold = false;
    bool mItalic = false;
    bool mUnderline = false;
    int mCharSet = 0;
};

// Coverage of a rendered text, one byte a pixel (0 nothing, 255 full), rows from the top.
// mLeft and mTop are where its top-left pixel lies relative to the top-left of the text cell.
struct TextCoverage {
    int mLeft = 0;
    int mTop = 0;
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint8_t> mBits;

    uint8_t At(int x, int y) const { return mBits[static_cast<size_t>(y) * mWidth + x]; }
};

class SystemFont
{
public:
    // The screen's vertical dots per inch that point sizes are converted with.
    static constexpr int kDotsPerInch = 96;

    // Opens the best installed match; a face that cannot be found leaves the font invalid, and an
    // invalid font measures 0 and renders nothing.
    explicit SystemFont(const SystemFontSpec& spec);
    // An independent font opened from the same description.
    SystemFont(const SystemFont& other);
    SystemFont& operator=(const SystemFont&) = delete;
    ~SystemFont();

    // Points to pixels at kDotsPerInch, rounded half away from zero as the desktop's MulDiv does.
    static int PixelHeightForPoints(int points);

    bool IsValid() const;
    const SystemFontSpec& Spec() const { return mSpec; }
    // The file the face was opened from (empty when invalid).
    const std::string& FilePath() const { return mFilePath; }
    int Ascent() const { return mAscent; }
    int Height() const { return mHeight; }

    // Advance width of the text in pixels; every byte is a character (no prefix or line processing).
    int TextWidth(const std::string& text) const;
    // The text rendered with its cell's top-left at (0, 0).
    TextCoverage Render(const std::string& text) const;

private:
    struct Impl;
    struct Glyph;
    const Glyph& GlyphFor(unsigned char c) const;
    void Open();
    void AddUnderline(TextCoverage& cov, int width) const;

    SystemFontSpec mSpec;
    std::string mFilePath;
    int mAscent = 0;
    int mHeight = 0;
    std::unique_ptr<Impl> mImpl;
};

} // namespace Olvarn
