// Parsing and evaluating the ground line; the location's creature settings.
#include "world/CWalkPath.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "data/CLevelInfo.h"

namespace tilvan
{

std::vector<FPoint> CWalkPath::Parse(const std::string& text)
{
    std::vector<FPoint> points;
    std::string run;
    bool xWaiting = false;
    float x = 0;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            run += c;
            continue;
        }
        if (run.empty())
            continue;
        const float value = float(std::atoi(run.c_str()));
        if (!xWaiting) {
            x = value;
            xWaiting = true;
        } else {
            points.emplace_back(x, value);
            xWaiting = false;
        }
        run.clear();
    }
    std::stable_sort(points.begin(), points.end(), [](const FPoint& a, const FPoint& b) { return a.x < b.x; });
    return points;
}

int CWalkPath::Evaluate(int x) const
{
    if (mPoints.empty())
        return 0;
    const float fx = float(x);
    size_t i = 0;
    while (i < mPoints.size() && !(mPoints[i].x > fx))
        ++i;
    if (i == mPoints.size())
        i = mPoints.size() - 1;
    const FPoint& p = mPoints[i];
    if (fx == p.x || i == 0 || fx > p.x)
        return int(p.y);
    const FPoint& q = mPoints[i - 1];
    return int(q.y + (p.y - q.y) * (fx - q.x) / (p.x - q.x));
}

CAnimalLocation& AnimalLocation()
{
    static CAnimalLocation location;
    return location;
}

void SetAnimalLocation(const CLevelInfo* level)
{
    if (!level || !level->location)
        return;
    CAnimalLocation& settings = AnimalLocation();
    settings.min_fish_y = level->location->min_fish_y;
    settings.max_fish_y = level->location->max_fish_y;
    for (const std::string& text : level->location->paths) {
        std::vector<FPoint> points = CWalkPath::Parse(text);
        if (!points.empty())
            settings.path.SetPoints(std::move(points));
    }
}

} // namespace tilvan
