// File helpers of the audio code: modification stamps of sound files.
#pragma once

#include <cstdint>
#include <string>

namespace Olvarn
{

// The last-write time of a file as a Windows FILETIME (100 ns units since 1601); 0 when the file
// cannot be opened. The path is native.
uint64_t AudioFileWriteTime(const std::string& path);

} // namespace Olvarn
