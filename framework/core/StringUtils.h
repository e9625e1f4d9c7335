// Free functions on narrow strings: search, number parsing, case, trimming, formatting, entities.
#pragma once

#include <cstdarg>
#include <string>

namespace Olvarn
{

// Index of the first case-insensitive occurrence of pattern in text, or -1. An empty pattern
// is found at 0 in a non-empty text and nowhere in an empty one.
int FindIgnoreCase(const std::string& text, const char* pattern);
int FindIgnoreCase(const std::string& text, const std::string& pattern);

// Decimal with an optional leading '-', or "0x"/"0X" and hexadecimal digits (unsigned). out is 0
// on failure; a lone "-" is 0 and true. Overflow wraps.
bool ParseInt(const std::string& text, int& out);
// Optional leading '-', digits, an optional '.' and fraction digits; no exponent. out is 0 on failure.
bool ParseDouble(const std::string& text, double& out);

// Case and white space as the "C" locale has them, whatever locale the process is in.
std::string ToUpperCopy(const std::string& s);
std::string ToLowerCopy(const std::string& s);
std::string TrimWhitespace(const std::string& s);

// Decimal text with ',' between groups of three digits: 1234567 gives "1,234,567".
std::string CommaSeparate(int value);

// printf-style formatting into a string of any length.
std::string VFormatString(const char* format, va_list args);
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces "&lt;" "&amp;" "&gt;" "&quot;" "&apos;" "&nbsp;" (a plain space) and "&cr;" (a line
// feed). A '&' with a ';' after it whose name is none of these becomes a lone '&'; a '&' with no ';'
// after it is kept.
std::string DecodeXmlEntities(const std::string& text);

} // namespace Olvarn
