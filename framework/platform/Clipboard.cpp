// Clipboard through SDL, converting between the program's Windows-1252 and SDL's UTF-8.
#include "platform/Clipboard.h"

#include <SDL.h>

#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"

namespace Olvarn
{

bool Clipboard::SetText(const std::string& text)
{
    // SDL keeps the clipboard in its video subsystem; without it there is nowhere to put the text.
    if (!VideoSystem::IsRunning())
        return false;
    // SDL takes a C string: the text ends at its first zero byte as it would on the desktop.
    std::string utf8 = Cp1252ToUtf8(text.substr(0, text.find('\0')));
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

std::string Clipboard::GetText()
{
    if (!VideoSystem::IsRunning())
        return std::string();
    char* utf8 = SDL_GetClipboardText();
    if (!utf8)
        return std::string();
    std::string text = Utf8ToCp1252(utf8);
    SDL_free(utf8);
    return text;
}

} // namespace Olvarn
