// Symbolic names of display, 3D, sound and shared result codes, for error texts.
#pragma once

#include <string>

namespace Olvarn
{

// The name the old SDK headers give the code, or its 32 bits in lower-case hexadecimal.
std::string GetDirectXErrorName(int code);

} // namespace Olvarn
