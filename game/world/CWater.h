// The animated water band along the bottom of a level or the main menu: two drawing passes around
// the board and the wavy surface height the floating pieces and the creatures follow.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardServices.h"
#include "data/CSaveObject.h"

namespace Olvarn
{
class Graphics;
class Image;
class MemoryImage;
} // namespace Olvarn

namespace tilvan
{

class CWater : public save::CSaveObject, public CWaterSurface
{
public:
    static constexpr int kClassId = 115;
    static constexpr const char* kElement = "water";
    static constexpr int kCels = 22;
    static constexpr int kCelMs = 50;

    static constexpr const char* kNightImageId = "IMAGE_WATER_ANIM_NIGHT";

    CWater();
    ~CWater() override;
    CWater(const CWater&) = delete;
    CWater& operator=(const CWater&) = delete;

    void Update(float ms) { time += ms; }
    void SetY(int value) { y = value; }
    int GetY() const { return y; }
    int GetAmplitude() const { return amplitude; }
    float GetTime() const { return time; }
    // Water by night takes the night wave picture, or the day one where there is no night picture.
    void SetNight(bool on) { night = on; }
    bool IsNight() const { return night; }
    // The wave picture drawn and measured now; null when there is none.
    Olvarn::Image* Picture() const;

    void DrawBack(Olvarn::Graphics& g) const;
    void DrawFront(Olvarn::Graphics& g) const;
    // -1 when the wave picture is missing.
    int GetSurfaceY(int x) const override;
    // Wave pictures by resource id; tests and benchmarks set their own, null restores the resources.
    static void SetPictureLookup(std::function<Olvarn::Image*(const std::string& id)> lookup);

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    // Starting cel of a row drawn with the time offset, for the drawing passes.
    int StartCel(float offsetMs) const;

    // The 22 cels stretched once to a row's height (each from a source one pixel narrower than the
    // cel) with the row's opacity taken into their alpha, so a frame only blits them; rebuilt when the
    // picture, the height or the opacity changes.
    const Olvarn::MemoryImage* ScaledRow(Olvarn::Image* image, int destH, int alpha) const;

private:
    struct CScaledRow {
        Olvarn::Image* source = nullptr;
        int celW = 0;
        int celH = 0;
        int destH = 0;
        int alpha = 255;
        std::unique_ptr<Olvarn::MemoryImage> strip;
    };

    void DrawRow(Olvarn::Graphics& g, Olvarn::Image* image, int alpha, int startX, int destY, int destH, int cel) const;

    int amplitude = 4;
    int y = 610;
    float time = 0;
    bool night = false;
    mutable std::vector<CScaledRow> scaledRows;
};

} // namespace tilvan
