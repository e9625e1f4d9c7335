// Opening a web address with the desktop's browser; only http and https addresses are handed on.
#pragma once

#include <string>

namespace Olvarn
{

class Url
{
public:
    // True for an "http://" or "https://" address (scheme in any case) with something after the
    // scheme and no blanks or control characters.
    static bool IsOpenable(const std::string& url);
    // Asks the desktop to open the address (url is Windows-1252). False when the address is not
    // openable or the desktop could not be asked. No shell is involved.
    static bool Open(const std::string& url);
};

} // namespace Olvarn
