// The board's interfaces to the layers above: the image look-up, the events and the water surface.
#include "board/BoardServices.h"

namespace tilvan
{

namespace
{
ImageLookup& Lookup()
{
    static ImageLookup lookup;
    return lookup;
}
CBoardEvents* gEvents = nullptr;
} // namespace

void SetBoardImageLookup(ImageLookup lookup)
{
    Lookup() = std::move(lookup);
}

bool HasBoardImageLookup()
{
    return static_cast<bool>(Lookup());
}

Olvarn::Image* FindBoardImage(const std::string& id)
{
    return Lookup() ? Lookup()(id) : nullptr;
}

void SetBoardEvents(CBoardEvents* events)
{
    gEvents = events;
}
CBoardEvents* BoardEvents()
{
    return gEvents;
}

} // namespace tilvan
