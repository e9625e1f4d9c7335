// The program's log.
#include "platform/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <mutex>

namespace Olvarn
{

namespace
{
std::mutex sMutex;
std::FILE* sOut = nullptr; // standard error until set
std::atomic<int> sMinimum{static_cast<int>(LogLevel::Info)};
} // namespace

void LogWrite(LogLevel level, const char* format, ...)
{
    if (static_cast<int>(level) < sMinimum.load())
        return;
    std::lock_guard<std::mutex> lock(sMutex);
    std::FILE* out = sOut ? sOut : stderr;
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
    const size_t length = std::strlen(format);
    if (length == 0 || format[length - 1] != '\n')
        std::fputc('\n', out);
    std::fflush(out);
}

void SetLogOutput(std::FILE* out)
{
    std::lock_guard<std::mutex> lock(sMutex);
    sOut = out;
}

void SetLogLevel(LogLevel minimum)
{
    sMinimum.store(static_cast<int>(minimum));
}

} // namespace Olvarn
