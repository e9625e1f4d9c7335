// What a check box reports when it is toggled.
#pragma once

namespace Olvarn
{

class CheckboxToggleListener
{
public:
    virtual ~CheckboxToggleListener() = default;

    virtual void CheckboxChecked(int id, bool checked) = 0;
};

} // namespace Olvarn
