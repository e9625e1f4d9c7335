// The script hooks the creatures and birds call: through the events script, or a test's own.
#pragma once

#include <string>

namespace tilvan
{

class CWorldHooks
{
public:
    virtual ~CWorldHooks() = default;
    virtual void OnDropInWater(const std::string& animalId);
    virtual void OnBirdCreated(int controlId, float x, float y);
};

// Null restores the events script's hooks.
void SetWorldHooks(CWorldHooks* hooks);
CWorldHooks& WorldHooks();

} // namespace tilvan
