// File helpers of the audio code: modification stamps and atomic writes of decoded sounds.
#pragma once

#include <cstdint>
#include <string>

namespace Olvarn
{

// The last-write time of a file as a Windows FILETIME (100 ns units since 1601); 0 when the file
// cannot be opened. The path is native.
uint64_t AudioFileWriteTime(const std::string& path);

// Writes the bytes to the native path through a temporary file in the same folder, flushed and
// renamed over the old file, so a reader never sees half a file. False when any step fails.
bool AudioWriteFileAtomically(const std::string& path, const std::string& bytes);

} // namespace Olvarn
