// What the processor offers beyond the x86-64 baseline, asked once.
#pragma once

namespace Olvarn
{

// Whether the vector kernels may take their AVX2 forms.
bool CpuHasAvx2();

} // namespace Olvarn
