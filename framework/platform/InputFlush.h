// Discards keyboard, text and mouse input that is waiting to be read (after a system message box).
#pragma once

namespace Olvarn
{

void FlushPendingInput();

} // namespace Olvarn
