// SDL's own large blocks (the window's frame buffer above all) on huge pages, as our surfaces are: a
// frame-sized block on small pages takes hundreds of page faults on its first writes, which on some
// virtual machines cost tens of milliseconds before the first frame.
#pragma once

namespace Olvarn
{

// Installs the allocator into SDL once; call before SDL starts a subsystem. Blocks SDL allocated
// before stay with the C library, and are freed there.
void UseFramePagesForSdl();

} // namespace Olvarn
