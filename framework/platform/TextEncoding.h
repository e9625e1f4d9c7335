// Windows-1252 (the program's characters) to and from UTF-8 (what SDL and the desktop speak).
#pragma once

#include <string>

namespace Olvarn
{

std::string Cp1252ToUtf8(const std::string& text);
// Characters without a Windows-1252 byte become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1252(const std::string& text);

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

} // namespace Olvarn
