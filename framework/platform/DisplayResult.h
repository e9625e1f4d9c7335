// Result codes of the display half of the platform layer: 0 is success, failures are negative
// and carry the numbers of the old SDK headers so that error texts can name them.
#pragma once

#include <cstdint>

namespace Olvarn
{

using DisplayResult = int32_t;

namespace DisplayError
{

constexpr DisplayResult Code(uint32_t value)
{
    return static_cast<DisplayResult>(value);
}
// Display and surface failures live in facility 0x876.
constexpr DisplayResult DisplayCode(uint32_t code)
{
    return Code(0x88760000u | code);
}

constexpr DisplayResult Ok = 0;
constexpr DisplayResult Generic = Code(0x80004005u);
constexpr DisplayResult Unsupported = Code(0x80004001u);
constexpr DisplayResult InvalidParams = Code(0x80070057u);
constexpr DisplayResult OutOfMemory = Code(0x8007000Eu);
constexpr DisplayResult NotInitialized = Code(0x800401F0u);
constexpr DisplayResult InvalidMode = DisplayCode(120);
constexpr DisplayResult InvalidObject = DisplayCode(130);
constexpr DisplayResult InvalidPixelFormat = DisplayCode(145);
constexpr DisplayResult InvalidRect = DisplayCode(150);
constexpr DisplayResult NoExclusiveMode = DisplayCode(225);
constexpr DisplayResult OutOfVideoMemory = DisplayCode(380);
constexpr DisplayResult SurfaceBusy = DisplayCode(430);
constexpr DisplayResult CantLockSurface = DisplayCode(435);
constexpr DisplayResult SurfaceLost = DisplayCode(450);
constexpr DisplayResult SurfaceNotAttached = DisplayCode(460);
constexpr DisplayResult UnsupportedFormat = DisplayCode(510);
constexpr DisplayResult VerticalBlankInProgress = DisplayCode(537);
constexpr DisplayResult NoHwnd = DisplayCode(569);
constexpr DisplayResult NotFlippable = DisplayCode(582);
constexpr DisplayResult NotLocked = DisplayCode(584);
constexpr DisplayResult UnsupportedMode = DisplayCode(590);

} // namespace DisplayError

constexpr bool DisplayFailed(DisplayResult result)
{
    return result < 0;
}

} // namespace Olvarn
