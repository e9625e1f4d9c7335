// The pulsing "new record" badge of the statistics windows: the text rendered once into a picture,
// drawn scaled to its height and faded in and out over its period.
#pragma once

#include <memory>
#include <string>

namespace Olvarn
{
class DDImage;
class Graphics;
} // namespace Olvarn

namespace tilvan
{

struct CStatisticsLayout;

class CNewRecordBadge
{
public:
    CNewRecordBadge();
    ~CNewRecordBadge();

    // Renders the text in white with the font; false (and no badge) when the font is missing.
    bool Make(const std::string& fontId, const std::string& text);
    bool IsMade() const { return mImage != nullptr; }
    // The badge's alpha at time ms: base + swing x sin(phase); steady at base without a period.
    static int Alpha(float timeMs, int periodMs, int base, int swing);
    void Draw(Olvarn::Graphics& g, const CStatisticsLayout& layout, float timeMs, int base, int swing);

private:
    std::unique_ptr<Olvarn::DDImage> mImage;
};

} // namespace tilvan
