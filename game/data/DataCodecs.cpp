// Base64, the attribute parsers, the save transform and the number texts of the data files.
#include "data/DataCodecs.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tilvan
{

namespace
{

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const unsigned char kSkip = 0xFF;

struct DecodeTable {
    unsigned char value[256];
    DecodeTable()
    {
        std::memset(value, kSkip, sizeof value);
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    }
};

const DecodeTable& Table()
{
    static const DecodeTable table;
    return table;
}

bool DecodeWith(const DecodeTable& table, const char* text, size_t length, std::vector<unsigned char>& out)
{
    size_t n = 0;
    for (size_t i = 0; i < length; ++i)
        if (table.value[static_cast<unsigned char>(text[i])] != kSkip)
            ++n;
    size_t expected = 3 * (n / 4) + (n % 4 == 3 ? 2 : 0) + (n % 4 == 2 ? 1 : 0);
    out.clear();
    out.reserve(expected);
    unsigned accumulator = 0;
    int pending = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char v = table.value[static_cast<unsigned char>(text[i])];
        if (v == kSkip)
            continue;
        accumulator = ((accumulator << 6) | v) & 0xFFFFFF;
        pending += 6;
        if (pending >= 8) {
            pending -= 8;
            out.push_back(static_cast<unsigned char>(accumulator >> pending));
        }
    }
    return out.size() == expected;
}

std::string UpToNul(const std::vector<unsigned char>& bytes)
{
    std::string text(bytes.begin(), bytes.end());
    size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

} // namespace

std::string Base64Encode(const unsigned char* bytes, size_t length)
{
    std::string out;
    out.reserve((length + 2) / 3 * 4 + (length / 48 + 1) * 2);
    size_t written = 0;
    for (size_t i = 0; i < length; i += 3) {
        size_t left = length - i;
        unsigned b0 = bytes[i];
        unsigned b1 = left > 1 ? bytes[i + 1] : 0;
        unsigned b2 = left > 2 ? bytes[i + 2] : 0;
        unsigned bits = (b0 << 16) | (b1 << 8) | b2;
        out += kAlphabet[(bits >> 18) & 63];
        out += kAlphabet[(bits >> 12) & 63];
        out += left > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[bits & 63] : '=';
        written += 4;
        if (written % 64 == 0)
            out += "\r\n";
    }
    return out;
}

std::string Base64EncodeString(const std::string& text)
{
    return Base64Encode(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

bool Base64Decode(const char* text, size_t length, std::vector<unsigned char>& out)
{
    if (!text) {
        out.clear();
        return length == 0;
    }
    return DecodeWith(Table(), text, length, out);
}

std::string Base64DecodeToString(const char* text)
{
    std::vector<unsigned char> bytes;
    if (text)
        Base64Decode(text, std::strlen(text), bytes);
    return UpToNul(bytes);
}

std::string XmlBase64DecodeToString(const char* text)
{
    static const DecodeTable table;
    std::vector<unsigned char> bytes;
    if (text)
        DecodeWith(table, text, std::strlen(text), bytes);
    return UpToNul(bytes);
}

int ParseInt(const char* text)
{
    if (!text)
        return 0;
    errno = 0;
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

float ParseFloat(const char* text)
{
    if (!text)
        return 0;
    double value = std::strtod(text, nullptr);
    // Narrowing a double outside float's range is undefined; saturate to the infinities instead.
    if (value > 3.4028234663852886e38)
        return HUGE_VALF;
    if (value < -3.4028234663852886e38)
        return -HUGE_VALF;
    return static_cast<float>(value);
}

bool ParseBool(const char* text)
{
    return ParseInt(text) != 0;
}

void ParseFloatPair(const char* text, float& x, float& y)
{
    float a = 0, b = 0;
    if (text && std::sscanf(text, "%f %f", &a, &b) < 1)
        a = b = 0;
    x = a;
    y = b;
}

int ParseIntList(const char* text, std::vector<int>& out)
{
    if (!text)
        return 0;
    int added = 0;
    long long run = 0;
    bool pending = false;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c >= '0' && c <= '9') {
            run = run * 10 + (c - '0');
            if (run > INT_MAX)
                run = INT_MAX;
            pending = true;
        } else if (pending) {
            out.push_back(static_cast<int>(run));
            ++added;
            run = 0;
            pending = false;
        }
    }
    return added;
}

bool XmlDataCrypt(unsigned char* bytes, size_t length)
{
    if (!bytes || length == 0)
        return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned b = bytes[i];
        // Printable ASCII mirrors onto itself (0x20 <-> 0x7E), the high half likewise
        // (0x80 <-> 0xFF); control bytes and DEL stay as they are.
        if (b >= 0x20 && b <= 0x7E)
            bytes[i] = static_cast<unsigned char>(0x9E - b);
        else if (b >= 0x80)
            bytes[i] = static_cast<unsigned char>(0x17F - b);
    }
    return true;
}

bool XmlDataCrypt(std::string& bytes)
{
    return !bytes.empty() && XmlDataCrypt(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
}

std::string FormatDataFloat(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[64];
    // The exponent after rounding to 10 significant digits decides the notation.
    std::snprintf(buffer, sizeof buffer, "%.9e", value);
    const char* e = std::strchr(buffer, 'e');
    int exponent = e ? std::atoi(e + 1) : 0;
    std::string text;
    if (exponent >= -1 && exponent <= 9) {
        std::snprintf(buffer, sizeof buffer, "%.*f", 9 - exponent, value);
        text = buffer;
        if (text.find('.') == std::string::npos)
            text += '.';
        while (text.back() == '0')
            text.pop_back();
        return text;
    }
    text = buffer;
    size_t epos = text.find('e');
    std::string mantissa = text.substr(0, epos);
    while (mantissa.back() == '0')
        mantissa.pop_back();
    return mantissa + text.substr(epos);
}

std::string IntListText(const std::vector<int>& values)
{
    std::string text;
    for (int v : values) {
        text += std::to_string(v);
        text += ' ';
    }
    return text;
}

std::string SubstituteTextCodes(const std::string& text, const std::vector<std::string>& values)
{
    std::string out;
    out.reserve(text.size());
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        char code = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '%' && code == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && (code == 's' || code == 'i') && next < values.size()) {
            out += values[next++];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tilvan
