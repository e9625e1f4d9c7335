// The typed values of data rows: how a row text becomes a value and a value becomes a row text.
// Other components add their own types with ConvertText / DataValueText overloads in their
// type's namespace.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "data/CLocalizedText.h"
#include "data/DataCodecs.h"

namespace tilvan
{

// Two floats written "x y " (a point or a size).
struct CFloatPair {
    float x = 0;
    float y = 0;
    bool operator==(const CFloatPair& o) const { return x == o.x && y == o.y; }
};

inline void ConvertText(const std::string& text, std::string& out)
{
    out = text;
}
inline void ConvertText(const std::string& text, int& out)
{
    out = ParseInt(text);
}
inline void ConvertText(const std::string& text, float& out)
{
    out = ParseFloat(text);
}
inline void ConvertText(const std::string& text, bool& out)
{
    out = ParseBool(text);
}
inline void ConvertText(const std::string& text, CFloatPair& out)
{
    ParseFloatPair(text.c_str(), out.x, out.y);
}
inline void ConvertText(const std::string& text, std::vector<int>& out)
{
    ParseIntList(text, out);
}
void ConvertText(const std::string& text, CLocalizedText& out);

inline std::string DataValueText(const std::string& value)
{
    return value;
}
inline std::string DataValueText(const char* value)
{
    return value ? value : "";
}
inline std::string DataValueText(int value)
{
    return std::to_string(value);
}
inline std::string DataValueText(bool value)
{
    return value ? "1" : "0";
}
inline std::string DataValueText(float value)
{
    return FormatDataFloat(value);
}
inline std::string DataValueText(double value)
{
    return FormatDataFloat(value);
}
inline std::string DataValueText(const CFloatPair& value)
{
    return FormatDataFloat(value.x) + " " + FormatDataFloat(value.y) + " ";
}
inline std::string DataValueText(const CLocalizedText& value)
{
    return value.Get();
}

// Any other point type of two public floats x and y (the framework's vector) reads and writes as
// a pair, without this layer naming it.
template <typename V>
using IfFloatPoint = std::enable_if_t<std::is_same_v<decltype(V::x), float> && std::is_same_v<decltype(V::y), float>>;
template <typename V, typename = IfFloatPoint<V>> void ConvertText(const std::string& text, V& out)
{
    ParseFloatPair(text.c_str(), out.x, out.y);
}
template <typename V, typename = IfFloatPoint<V>> std::string DataValueText(const V& value)
{
    return DataValueText(CFloatPair{value.x, value.y});
}

// A data text with its "%s" / "%i" codes filled from any row values, in order.
template <typename... Values> std::string FormatDataText(const std::string& text, const Values&... values)
{
    return SubstituteTextCodes(text, std::vector<std::string>{DataValueText(values)...});
}

} // namespace tilvan
