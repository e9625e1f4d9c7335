// Element types: the cells a piece covers in each rotation, its picture, anchor, sink depth, width and
// score, read from the "element" rows; and the per-rotation resting offsets of the offsets file.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "board/BoardServices.h"

namespace tilvan
{

// 5 x 5 cells, index column * 5 + row.
using CellMask = std::array<bool, 25>;

// One row of a property file: attribute name to text.
using AttributeRow = std::map<std::string, std::string>;

struct CElementType {
    // The pictures belong to a resource group that loads after the types are read and may be
    // unloaded and loaded again, so the type holds their ids and looks them up when drawn.
    Olvarn::Image* Picture() const { return FindBoardImage(mImageId); }
    // The "_LIGHT" picture of the 3D mode, eight cells, one per light direction.
    Olvarn::Image* LightPicture() const { return FindBoardImage(mLightImageId); }

    std::string mImageId;
    std::string mLightImageId;
    FPoint image_center;
    std::array<CellMask, 6> masks{};
    std::array<FPoint, 6> centers{};
    std::array<FPoint, 6> offsets{};
    int positions = 6;
    int width = 0;
    int sink_depth = 0;
    int score = 0;
};

// Digits '0'/'1' row by row, five a row, top row first; other characters are skipped, digits past the
// 25th ignored, missing ones empty.
CellMask ParseMask(const std::string& text);
// 1 + the widest row span of the mask (a single triangle is 2 slots wide).
int MaskWidth(const CellMask& mask);
// "x y" into point; false (point untouched) unless two numbers are there.
bool ParseFloatPairInto(const std::string& text, FPoint& point);
int ParseIntText(const std::string& text);

// The process-wide list; a type's id is its position.
std::vector<CElementType>& ElementTypes();
const CElementType* FindElementType(int id);

// Appends one type per "element" row (in order) and then applies the "element_offset" rows to the
// types from the beginning of the list. Throws std::runtime_error naming the row for a type the game
// cannot use (positions outside 1..6, a rotation without any cell).
void LoadElementTypes(const std::vector<AttributeRow>& elementRows, const std::vector<AttributeRow>& offsetRows);
// Empties the list (tests, and a fresh property load).
void ClearElementTypes();

// The offsets file's text for the current list.
std::string FormatOffsetsFile();
// Writes "properties/offsets.xml" under folder only when the offsets differ from what was last loaded
// or written, atomically; returns false on a failed write, true when written or nothing to write.
bool SaveOffsetsFile(const std::string& folder);

} // namespace tilvan
