// What the board needs from the layers above it, as small interfaces those layers implement: images by
// resource id, the script hooks of pieces and pearls, the player's counters and the water surface.
#pragma once

#include <functional>
#include <string>

#include "core/Vector2.h"

namespace Olvarn
{
class Image;
}

namespace tilvan
{

using FPoint = Olvarn::OlvarnVector2;

class CElement;

// Resource images by id; null for an id the resource manager does not hold. Unset, every id is missing.
using ImageLookup = std::function<Olvarn::Image*(const std::string& id)>;
void SetBoardImageLookup(ImageLookup lookup);
bool HasBoardImageLookup();
Olvarn::Image* FindBoardImage(const std::string& id);

// The events script's hooks and the player's record as the board reaches them. The game installs one
// implementation; without it the hooks are not called and nothing is counted.
class CBoardEvents
{
public:
    virtual ~CBoardEvents() = default;
    virtual void OnCreateElement(const CElement& e) {}
    virtual void OnDropElement(const CElement& e) {}
    virtual void OnPickupElement(const CElement& e, bool fits, bool onWater) {}
    virtual void OnInsertElement(const CElement& e, bool inserted) {}
    virtual void OnPearlCreation(int controlId) {}
    // One pearl collected from the board: the player's count goes up by one and the script hears it.
    virtual void OnPearlCollected() {}
    // The type's score for a piece put into the board, with pearl conversion.
    virtual void AddScore(int score) {}
    // The pipeline's free slots and element count, which the player's record shows.
    virtual void OnPipelineSpace(int freeSpace, int elementCount) {}
    // The crab reached a floating piece (before it becomes the crab's type): its bonus score, spread
    // effect and floating score belong to the bonuses and the level.
    virtual void OnCrabReached(const CElement& e) {}
    // Once per crab landing that changed at least one piece ("SOUND_BONUS_CRAB").
    virtual void OnCrabDone() {}
};
void SetBoardEvents(CBoardEvents* events);
CBoardEvents* BoardEvents();

// The water's wavy surface: y at a screen x, or a negative value when the water has no picture.
class CWaterSurface
{
public:
    virtual ~CWaterSurface() = default;
    virtual int GetSurfaceY(int x) const = 0;
};

// The picture whose absence leaves the water without a surface.
inline constexpr const char* kWaterImageId = "IMAGE_WATER_ANIM";

} // namespace tilvan
