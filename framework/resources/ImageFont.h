// The layered bitmap font all game text uses: shares its FontData with its copies and adds a point
// size, a scale and tags, from which it picks and prepares the layers it measures and draws with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "resources/ActiveFontLayer.h"

namespace Olvarn
{

class FontData;
class FontLayerSpec;
class MemoryImage;
class ResourceHost;

class ImageFont : public Font
{
public:
    // From a font descriptor; the caller checks mFontData->mLoaded.
    ImageFont(ResourceHost* app, const std::string& descriptorFileName);
    // From one picture and a widths file; the font data keeps a share of the picture.
    ImageFont(std::shared_ptr<MemoryImage> image, const std::string& widthsFileName);
    ImageFont(const ImageFont& other);
    ImageFont& operator=(const ImageFont&) = delete;
    ~ImageFont() override;

    int TextWidth(const std::string& text) override;
    int CharWidth(char c) override;
    // A previous character of 0 stands for none.
    int CharWidthKerned(char c, char previous) override;
    void DrawText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip) override;
    void DrawTextWhite(Graphics* g, int x, int y, const std::string& text, const Rect& clip) override;
    Font* Clone() override;

    virtual void PrepareLayers();
    // Draws the glyphs of every active layer, lowest order first. rects (optional) receives each
    // glyph's rectangle, width (optional) the advance of the drawn text. The clip argument is not
    // used: the context's own clip applies to every glyph.
    virtual void DrawLayered(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip,
                             std::vector<Rect>* rects, int* width, bool colorize);
    virtual void SetPointSize(int pointSize);
    virtual int PointSize() { return mPointSize; }
    virtual void SetScale(double scale);
    virtual int DefaultPointSize();
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag);
    virtual std::string DefineAsText(const std::string& name);
    virtual void EnsurePrepared();

    // Most glyph draws one DrawLayered call stores; the rest of a longer text is cut off.
    static constexpr int kMaxDrawCommands = 4096;

    std::shared_ptr<FontData> mFontData;
    int mPointSize = 0;
    std::vector<std::string> mTags;
    bool mPrepared = false;
    std::vector<ActiveFontLayer> mActiveLayers;
    double mScale = 1.0;

    // v x factor truncated toward zero (v itself for a factor of exactly 1), held inside int. v is
    // wide so callers can add descriptor values (any int) before scaling without overflow.
    static int ScaleFontValue(long long v, double factor)
    {
        if (factor == 1.0)
            return ClampToInt(v);
        const double scaled = static_cast<double>(v) * factor;
        return scaled >= 2147483647.0 ? 2147483647 : scaled <= -2147483648.0 ? -2147483647 - 1 : int(scaled);
    }
    static int ClampToInt(long long v)
    {
        return v > 2147483647LL ? 2147483647 : v < -2147483648LL ? -2147483647 - 1 : static_cast<int>(v);
    }

private:
    // Size factor of a layer at the font's point size and scale.
    double LayerFactor(const FontLayerSpec& layer) const;
    bool LayerApplies(const FontLayerSpec& layer) const;
    ActiveFontLayer MakeActiveLayer(const FontLayerSpec& layer, double factor) const;
    void BuildScaledStrip(const FontLayerSpec& layer, double factor, ActiveFontLayer& active) const;
    void TakeLayerMetrics(const FontLayerSpec& layer, double factor, bool first);
};

} // namespace Olvarn
