// The game's application object as far as the program starts today: its identity and options on
// top of the framework's application. The screens and game logic join it later.
#pragma once

#include "app/OlvarnAppBase.h"

namespace tilvan
{

class CStartupApp : public Olvarn::OlvarnAppBase
{
public:
    static constexpr const char* kProductName = "Tamberlo";
    static constexpr const char* kVersion = "1.01";

    CStartupApp();
};

} // namespace tilvan
