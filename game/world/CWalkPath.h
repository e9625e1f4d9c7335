// The ground line creepers walk on and the band fish swim in: the current location's settings,
// shared by every creature.
#pragma once

#include <string>
#include <vector>

#include "board/BoardServices.h"

namespace tilvan
{

class CLevelInfo;

class CWalkPath
{
public:
    // Unsigned integers taken in pairs, any other character a separator; an open number at the end
    // and an x without its y are dropped. Sorted by x, equal x keeping their order.
    static std::vector<FPoint> Parse(const std::string& text);

    void SetPoints(std::vector<FPoint> points) { mPoints = std::move(points); }
    const std::vector<FPoint>& Points() const { return mPoints; }
    // The line's y at x: 0 without points, the end's y outside, linear between.
    int Evaluate(int x) const;

private:
    std::vector<FPoint> mPoints;
};

struct CAnimalLocation {
    int min_fish_y = 640;
    int max_fish_y = 740;
    CWalkPath path;
};
CAnimalLocation& AnimalLocation();

// Applies the level's location: the swimming band and the last path text with points.
void SetAnimalLocation(const CLevelInfo* level);

} // namespace tilvan
