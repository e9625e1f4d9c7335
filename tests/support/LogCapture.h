// Catches the program's log lines for one test (the log goes back to standard error after).
#pragma once

#include <cstdio>
#include <string>

#include "platform/Log.h"

namespace testsupport
{

class LogCapture
{
public:
    LogCapture() : mFile(std::tmpfile()) { Olvarn::SetLogOutput(mFile); }
    ~LogCapture()
    {
        Olvarn::SetLogOutput(nullptr);
        if (mFile)
            std::fclose(mFile);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Everything logged so far.
    std::string Text() const
    {
        std::string text;
        if (!mFile)
            return text;
        std::fflush(mFile);
        std::rewind(mFile);
        for (int c; (c = std::fgetc(mFile)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }
    size_t Lines() const
    {
        size_t lines = 0;
        for (char c : Text())
            lines += c == '\n';
        return lines;
    }

private:
    std::FILE* mFile;
};

} // namespace testsupport
