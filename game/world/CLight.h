// Scenery lights: a point with a colour whose alpha is its intensity, and the one list of lights
// that lights the board's pieces in 3D mode.
#pragma once

#include <vector>

#include "board/CElement.h"
#include "core/Color.h"

namespace tilvan
{

class CLight
{
public:
    CLight(float x, float y, Olvarn::Color color);
    CLight(const CLight&) = delete;
    CLight& operator=(const CLight&) = delete;
    // Leaves the light list.
    virtual ~CLight();

    void SetPosition(float x, float y);
    FPoint GetPosition() const { return FPoint(x, y); }
    Olvarn::Color GetColor() const { return color; }
    void SetColor(Olvarn::Color value);

protected:
    float x;
    float y;
    Olvarn::Color color;
};

// The lights listed by their owners, in the order they were added. The board reads them as its
// own light records, which the list keeps current and installs with the pieces' drawing.
class CLightList
{
public:
    static CLightList& Instance();

    void Add(CLight* light);
    // Every entry pointing at the light.
    void Remove(CLight* light);
    const std::vector<CLight*>& Lights() const { return mLights; }
    // A listed light moved or changed colour.
    void Refresh();

private:
    CLightList();
    ~CLightList();

    std::vector<CLight*> mLights;
    std::vector<CBoardLight> mBoardLights;
};

} // namespace tilvan
