// The system's number for the calling thread, as crash reports show it.
#pragma once

#include <cstdint>

namespace Olvarn
{

uint32_t CurrentThreadNumber();

} // namespace Olvarn
