// String helpers that behave the same in every locale: bytes are compared and classed as ASCII.
#include "core/StringUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Olvarn
{

namespace
{

constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of a digit in the given base, or -1.
int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int FindIgnoreCase(const std::string& text, const char* pattern)
{
    if (!pattern || text.empty())
        return -1;
    const size_t patternLength = std::strlen(pattern);
    if (patternLength > text.size())
        return -1;
    for (size_t start = 0; start + patternLength <= text.size(); ++start) {
        size_t i = 0;
        while (i < patternLength && AsciiLower(text[start + i]) == AsciiLower(pattern[i]))
            ++i;
        if (i == patternLength)
            return static_cast<int>(start);
    }
    return -1;
}

int FindIgnoreCase(const std::string& text, const std::string& pattern)
{
    return FindIgnoreCase(text, pattern.c_str());
}

bool ParseInt(const std::string& text, int& out)
{
    out = 0;
    if (text.empty())
        return false;
    uint32_t value = 0; // unsigned, so an overflow wraps instead of being undefined
    bool negative = false;
    bool hex = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (i == 0 && c == '-') {
            negative = true;
            continue;
        }
        if (i == 1 && (c == 'x' || c == 'X') && text[0] == '0') {
            hex = true;
            continue;
        }
        int digit = DigitValue(c, hex);
        if (digit < 0)
            return false;
        value = value * (hex ? 16u : 10u) + static_cast<uint32_t>(digit);
    }
    out = static_cast<int>(negative ? 0u - value : value);
    return true;
}

bool ParseDouble(const std::string& text, double& out)
{
    out = 0;
    if (text.empty())
        return false;
    double value = 0;
    double weight = 0.1;
    bool negative = false;
    bool inFraction = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (i == 0 && c == '-') {
            negative = true;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            if (inFraction) {
                value += (c - '0') * weight;
                weight *= 0.1;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            return false;
        }
    }
    out = negative ? -value : value;
    return true;
}

std::string ToUpperCopy(const std::string& s)
{
    std::string result = s;
    for (char& c : result)
        c = AsciiUpper(c);
    return result;
}

std::string ToLowerCopy(const std::string& s)
{
    std::string result = s;
    for (char& c : result)
        c = AsciiLower(c);
    return result;
}

std::string TrimWhitespace(const std::string& s)
{
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsCSpace(s[begin]))
        ++begin;
    while (end > begin && IsCSpace(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string CommaSeparate(int value)
{
    long long magnitude = value;
    bool negative = magnitude < 0;
    if (negative)
        magnitude = -magnitude;
    std::string digits = std::to_string(magnitude);
    std::string result;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result += ',';
        result += digits[i];
    }
    return negative ? "-" + result : result;
}

std::string VFormatString(const char* format, va_list args)
{
    char small[160];
    va_list retry;
    va_copy(retry, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    std::string result;
    if (length >= 0 && length < static_cast<int>(sizeof small)) {
        result.assign(small, length);
    } else if (length >= 0) {
        std::vector<char> large(static_cast<size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, retry);
        result.assign(large.data(), length);
    }
    va_end(retry);
    return result;
}

std::string FormatString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string result = VFormatString(format, args);
    va_end(args);
    return result;
}

namespace
{

struct XmlEntity {
    const char* mName;
    char mChar;
};

constexpr XmlEntity kXmlEntities[] = {
    {"lt", '<'}, {"amp", '&'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'},
};

} // namespace

std::string DecodeXmlEntities(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        size_t semicolon = text[i] == '&' ? text.find(';', i + 1) : std::string::npos;
        if (semicolon == std::string::npos) {
            result += text[i++];
            continue;
        }
        const std::string name = text.substr(i + 1, semicolon - i - 1);
        char decoded = '&';
        for (const XmlEntity& entity : kXmlEntities)
            if (name == entity.mName)
                decoded = entity.mChar;
        result += decoded;
        i = semicolon + 1;
    }
    return result;
}

} // namespace Olvarn
