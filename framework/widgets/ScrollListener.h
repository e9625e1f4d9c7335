// What a scrollbar reports to its owner: the position it now shows.
#pragma once

namespace Olvarn
{

class ScrollListener
{
public:
    virtual ~ScrollListener() = default;

    virtual void ScrollPosition(int id, double position) = 0;
};

} // namespace Olvarn
