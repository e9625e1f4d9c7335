// The typed values of data rows: how a row text becomes a value and a value becomes a row text.
// Other components add their own types with ConvertText / DataValueText overloads in their
// type's namespace.
#pragma once

#include <string>
#include <vector>

#include "data/CLocalizedText.h"
#include "data/DataCodecs.h"
#include "graphics/Vector2.h"

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

} // namespace tilvan

namespace Olvarn
{
// The framework's vector is the game's point type.
inline void ConvertText(const std::string& text, OlvarnVector2& out)
{
    tilvan::ParseFloatPair(text.c_str(), out.x, out.y);
}
inline std::string DataValueText(const OlvarnVector2& value)
{
    return tilvan::FormatDataFloat(value.x) + " " + tilvan::FormatDataFloat(value.y) + " ";
}
} // namespace Olvarn
