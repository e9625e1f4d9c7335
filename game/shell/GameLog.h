// The game's log: lines on standard output, which the entry may send to "output.txt".
#pragma once

#include <string>

namespace tilvan
{

// Writes the text as it stands and flushes, so a log survives a crash right after it.
void LogText(const std::string& text);
// The local time of day as "hh:mm:ss".
std::string TimeOfDay();

} // namespace tilvan
