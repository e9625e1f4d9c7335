// The desktop clipboard as Windows-1252 text; the desktop side holds UTF-8.
#pragma once

#include <string>

namespace Olvarn
{

class Clipboard
{
public:
    // False when the clipboard cannot be reached (no video system running) or refused the text.
    static bool SetText(const std::string& text);
    // Empty when there is no text or no clipboard. Characters outside Windows-1252 become '?'.
    static std::string GetText();
};

} // namespace Olvarn
