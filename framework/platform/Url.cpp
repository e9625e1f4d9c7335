// URL opening through SDL_OpenURL, after checking the scheme and characters.
#include "platform/Url.h"

#include <SDL.h>

#include <cctype>

#include "platform/TextEncoding.h"

namespace Olvarn
{

namespace
{

bool StartsWithIgnoringCase(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        if (std::tolower(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

bool Url::IsOpenable(const std::string& url)
{
    size_t schemeLength = 0;
    if (StartsWithIgnoringCase(url, "http://"))
        schemeLength = 7;
    else if (StartsWithIgnoringCase(url, "https://"))
        schemeLength = 8;
    else
        return false;
    if (url.size() <= schemeLength)
        return false;
    for (char c : url) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

bool Url::Open(const std::string& url)
{
    if (!IsOpenable(url))
        return false;
    return SDL_OpenURL(Cp1252ToUtf8(url).c_str()) == 0;
}

} // namespace Olvarn
