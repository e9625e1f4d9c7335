// Glows on a piece: the piece drawn again lit by passing lights placed around it. The lights light
// only that one drawing; they never join the scenery's light list.
#pragma once

#include "board/CElement.h"
#include "core/Color.h"

namespace tilvan::element_effects
{

// `count` lights on a circle of `radius` about the piece, the first at `startAngle` radians.
void DrawLightRing(Olvarn::Graphics& g, CElement& element, int count, float radius, float startAngle,
                   Olvarn::Color color);
// One light at `angle` radians on a circle of `radius` about the piece.
void DrawLightAt(Olvarn::Graphics& g, CElement& element, float radius, float angle, Olvarn::Color color);

} // namespace tilvan::element_effects
