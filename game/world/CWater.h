// The animated water band along the bottom of a level or the main menu: two drawing passes around
// the board and the wavy surface height the floating pieces and the creatures follow.
#pragma once

#include <functional>

#include "board/BoardServices.h"
#include "data/CSaveObject.h"

namespace Olvarn
{
class Graphics;
class Image;
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

    CWater() = default;

    void Update(float ms) { time += ms; }
    void SetY(int value) { y = value; }
    int GetY() const { return y; }
    int GetAmplitude() const { return amplitude; }
    float GetTime() const { return time; }

    void DrawBack(Olvarn::Graphics& g) const;
    void DrawFront(Olvarn::Graphics& g) const;
    // -1 when the wave picture is missing.
    int GetSurfaceY(int x) const override;
    // The wave picture's cel width for a surface query (0 without one); tests set their own.
    static void SetPictureLookup(std::function<Olvarn::Image*()> lookup);

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    // Starting cel of a row drawn with the time offset, for the drawing passes.
    int StartCel(float offsetMs) const;

private:
    void DrawRow(Olvarn::Graphics& g, Olvarn::Image* image, int alpha, int startX, int destY, int destH, int cel) const;

    int amplitude = 4;
    int y = 610;
    float time = 0;
};

} // namespace tilvan
