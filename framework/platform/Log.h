// The program's log: printf-like lines at a level, one sink for the whole process (standard error
// unless the program chooses another, such as standard output or a log file).
#pragma once

#include <cstdio>

namespace Olvarn
{

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3 };

// Writes one line (the line end is added when the text has none) when the level is at least the
// minimum (Info unless set). Safe from any thread; each line is flushed at once, so a crash loses
// nothing already written.
void LogWrite(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

void SetLogOutput(std::FILE* out);
void SetLogLevel(LogLevel minimum);

} // namespace Olvarn
