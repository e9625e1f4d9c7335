// The small codecs of the data files: base64, the attribute parsers and the save transform.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tilvan
{

// Standard base64 alphabet with "=" padding; a line break (CR LF) after every 64 characters.
std::string Base64Encode(const unsigned char* bytes, size_t length);
std::string Base64EncodeString(const std::string& text);
// Decodes skipping every byte outside the alphabet; true when as many bytes came out as the
// count of alphabet characters promised.
bool Base64Decode(const char* text, size_t length, std::vector<unsigned char>& out);
// The decoded bytes up to the first NUL.
std::string Base64DecodeToString(const char* text);
// The string table's own entry to the same decoder.
std::string XmlBase64DecodeToString(const char* text);

// Parsers of attribute texts, in the "C" locale. Integers read like atoi but saturate instead
// of overflowing.
int ParseInt(const char* text);
float ParseFloat(const char* text);
bool ParseBool(const char* text);
// "%f %f": a value that is not there stays 0.
void ParseFloatPair(const char* text, float& x, float& y);
// Appends every run of decimal digits that some character follows; returns how many it appended.
int ParseIntList(const char* text, std::vector<int>& out);

inline int ParseInt(const std::string& text)
{
    return ParseInt(text.c_str());
}
inline float ParseFloat(const std::string& text)
{
    return ParseFloat(text.c_str());
}
inline bool ParseBool(const std::string& text)
{
    return ParseBool(text.c_str());
}
inline int ParseIntList(const std::string& text, std::vector<int>& out)
{
    return ParseIntList(text.c_str(), out);
}

// The keyless transform of saved files, its own inverse, byte by byte. It never turns a byte
// into NUL, CR, LF or 0x1A (those and the other control bytes map to themselves), so a
// transformed file still reads back as text. False for a null buffer or a length of 0.
bool XmlDataCrypt(unsigned char* bytes, size_t length);
bool XmlDataCrypt(std::string& bytes);

// Float as the data files write it: 10 significant digits, fixed notation for decimal exponents
// -1 to 9, exponent notation otherwise, trailing zeros dropped and the point kept ("1.", "0.25",
// "5.e-02").
std::string FormatDataFloat(double value);
// Numbers each followed by one blank ("1 2 3 "), so that the list parser takes the last one too.
std::string IntListText(const std::vector<int>& values);

// Fills a text from a data file that holds "%s" and "%i" codes (a window title, a score line):
// each code takes the next value, "%%" is one percent sign, and everything else, other codes
// and codes past the last value included, stands as written. Data texts are never handed to
// printf, so a stray code in them can neither read nor write anything.
std::string SubstituteTextCodes(const std::string& text, const std::vector<std::string>& values);

} // namespace tilvan
