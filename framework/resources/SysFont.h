// A font of the desktop's text renderer, measured in pixels and drawn onto display images; the
// framework's plain widgets, dialogs and developer overlays use it.
#pragma once

#include <memory>
#include <string>

#include "graphics/Font.h"

namespace Olvarn
{

class ResourceHost;
class DDImage;
class SystemFont;
struct TextCoverage;

class SysFont : public Font
{
public:
    SysFont(ResourceHost* app, const std::string& face, int pointSize, int charSet = 0, bool bold = false,
            bool italic = false, bool underline = false);
    // An independent font made from the source's description.
    SysFont(const SysFont& other);
    SysFont& operator=(const SysFont&) = delete;
    ~SysFont() override;

    int TextWidth(const std::string& text) override;
    void DrawText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip) override;
    // System fonts only draw in a colour.
    void DrawTextWhite(Graphics* g, int x, int y, const std::string& text, const Rect& clip) override {}
    Font* Clone() override;

    // False when no installed face could be opened; such a font measures 0 and draws nothing.
    bool IsValid() const;

    ResourceHost* mApp = nullptr;

private:
    void DrawOnSurface(DDImage* image, int left, int top, const TextCoverage& coverage, const Color& color,
                       const Rect& clip);

    std::unique_ptr<SystemFont> mSystemFont;
};

} // namespace Olvarn
