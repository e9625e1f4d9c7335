// Thread helpers: priorities of the main loop's threads.
#pragma once

namespace Olvarn
{

// The main thread runs above normal while resources load so the loader does not starve it of
// input, and back to normal afterwards. Raising a priority needs privileges an ordinary Linux user
// lacks, so these ask the scheduler and ignore a refusal.
void RaiseCurrentThreadPriority();
void RestoreCurrentThreadPriority();

// Names the calling thread for debuggers (at most 15 characters are kept).
void NameCurrentThread(const char* name);

} // namespace Olvarn
