// Element types read from the "element" and "element_offset" rows, and the offsets file.
#include "board/CElementType.h"

#include "board/CElement.h"

#include <cstdio>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "platform/AtomicFile.h"

namespace tilvan
{

namespace
{
// The offsets text as last read or written: saving the same text again would only disturb the data-file
// check of the next start.
std::string& StoredOffsets()
{
    static std::string text;
    return text;
}

std::string Get(const AttributeRow& row, const std::string& key, const char* fallback = "")
{
    auto it = row.find(key);
    return it == row.end() ? fallback : it->second;
}
} // namespace

CellMask ParseMask(const std::string& text)
{
    CellMask mask{};
    int digit = 0;
    for (char ch : text) {
        if (digit >= 25)
            break;
        if (ch != '0' && ch != '1')
            continue;
        mask[(digit % 5) * 5 + digit / 5] = ch == '1';
        ++digit;
    }
    return mask;
}

int MaskWidth(const CellMask& mask)
{
    int widest = 0;
    for (int r = 0; r < 5; ++r) {
        int first = -1, last = -1;
        for (int c = 0; c < 5; ++c)
            if (mask[c * 5 + r]) {
                if (first < 0)
                    first = c;
                last = c;
            }
        if (first >= 0 && last - first + 1 > widest)
            widest = last - first + 1;
    }
    return 1 + widest;
}

bool ParseFloatPairInto(const std::string& text, FPoint& point)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    float x = 0, y = 0;
    if (!(in >> x >> y))
        return false;
    point = FPoint(x, y);
    return true;
}

int ParseIntText(const std::string& text)
{
    return std::atoi(text.c_str());
}

std::vector<CElementType>& ElementTypes()
{
    static std::vector<CElementType> types;
    return types;
}

const CElementType* FindElementType(int id)
{
    auto& types = ElementTypes();
    return id >= 0 && id < static_cast<int>(types.size()) ? &types[id] : nullptr;
}

void ClearElementTypes()
{
    CElement::ClearTurnedPictures();
    ElementTypes().clear();
    StoredOffsets().clear();
}

static CElementType ReadType(const AttributeRow& row, size_t index)
{
    CElementType type;
    for (int k = 0; k < 6; ++k) {
        std::string n = std::to_string(k + 1);
        ParseFloatPairInto(Get(row, "center" + n), type.centers[k]);
        type.masks[k] = ParseMask(Get(row, "grid" + n));
    }
    ParseFloatPairInto(Get(row, "image_center", "0 0"), type.image_center);
    type.positions = ParseIntText(Get(row, "positions", "6"));
    type.score = ParseIntText(Get(row, "score"));
    type.sink_depth = ParseIntText(Get(row, "sink_depth"));
    std::string where = "element row " + std::to_string(index);
    // The rotation index is reduced modulo positions and stepped that many times.
    if (type.positions < 1 || type.positions > 6)
        throw std::runtime_error(where + ": positions must be 1 to 6, not " + std::to_string(type.positions));
    for (int k = 0; k < type.positions; ++k) {
        bool any = false;
        for (bool b : type.masks[k])
            any = any || b;
        if (!any)
            throw std::runtime_error(where + ": grid" + std::to_string(k + 1) + " covers no cell");
    }
    type.mImageId = Get(row, "image");
    type.mLightImageId = type.mImageId + "_LIGHT";
    type.width = MaskWidth(type.masks[0]);
    return type;
}

void LoadElementTypes(const std::vector<AttributeRow>& elementRows, const std::vector<AttributeRow>& offsetRows)
{
    auto& types = ElementTypes();
    std::vector<CElementType> added;
    for (size_t i = 0; i < elementRows.size(); ++i)
        added.push_back(ReadType(elementRows[i], i));
    types.insert(types.end(), added.begin(), added.end());
    for (size_t i = 0; i < offsetRows.size() && i < types.size(); ++i)
        for (int k = 0; k < 6; ++k)
            ParseFloatPairInto(Get(offsetRows[i], "offset" + std::to_string(k + 1)), types[i].offsets[k]);
    if (!offsetRows.empty())
        StoredOffsets() = FormatOffsetsFile();
}

std::string FormatOffsetsFile()
{
    std::string out = "<?xml version=\"1.0\"?>\r\n<data>\r\n";
    char buf[64];
    for (const auto& type : ElementTypes()) {
        out += "\t<element_offset ";
        for (int k = 0; k < 6; ++k) {
            std::snprintf(buf, sizeof buf, "offset%i=\"%3i %3i\" ", k + 1, static_cast<int>(type.offsets[k].x),
                          static_cast<int>(type.offsets[k].y));
            out += buf;
        }
        out += "/>\r\n";
    }
    out += "</data>";
    return out;
}

bool SaveOffsetsFile(const std::string& folder)
{
    std::string text = FormatOffsetsFile();
    if (text == StoredOffsets())
        return true;
    std::string path = folder.empty() ? "properties/offsets.xml" : folder + "/properties/offsets.xml";
    if (!Olvarn::WriteFileAtomically(path, text))
        return false;
    StoredOffsets() = text;
    return true;
}

} // namespace tilvan
