// What a slider reports: its value, while dragged and once more on release.
#pragma once

namespace Olvarn
{

class SliderValueListener
{
public:
    virtual ~SliderValueListener() = default;

    virtual void SliderValueChanged(int id, double value) = 0;
};

} // namespace Olvarn
