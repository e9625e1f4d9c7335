// The level definitions: levels, their locations and the drop tables, in process-wide lists
// filled from the property files.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "data/CLocalizedText.h"
#include "data/DataValues.h"

namespace Olvarn
{
class OlvarnAppBase;
}

namespace tilvan
{

class CXmlDataReader;

constexpr int kGridColumns = 40;
constexpr int kGridRows = 20;
constexpr int kGridCells = kGridColumns * kGridRows;

struct CLocationImage {
    CFloatPair pos;
    int z = 0;
    std::string image;
    int max_level = 0;
};

class CLocationInfo
{
public:
    CLocalizedText name;
    int number = 0;
    int level_z = 0;
    CFloatPair fire_pos;
    int min_fish_y = 0;
    int max_fish_y = 0;
    // A place shown by night: its water takes the night wave picture.
    bool night = false;
    std::vector<CLocationImage> images;
    std::vector<std::string> paths;
};

struct CDropRange {
    int element = 0;
    int first = 0;
    int last = 0;
};

class CDropTable
{
public:
    int from_level = 0;
    std::vector<CDropRange> ranges;
    // Never 0: a table whose weights add up to nothing is rejected at load.
    int total = 0;
    int filter_max_repeat = 0;
    // Where the row was read, for messages about it.
    std::string mSourceFile;
    int mSourceRow = 0;
};

class CLevelInfo
{
public:
    CLevelInfo() { ClearGrid(); }
    // Cell of column c and row r at c * 20 + r.
    bool IsCell(int column, int row) const { return grid[column * kGridRows + row]; }
    void ClearGrid()
    {
        for (bool& cell : grid)
            cell = false;
    }

    CLocalizedText name;
    int number = 0;
    bool grid[kGridCells];
    float offx = 0;
    float offy = 0;
    int color = 0;
    bool bonus = false;
    int time = 0;
    float speed = 0;
    float gravity = 0;
    float creation_time = 0;
    CLocationInfo* location = nullptr;
    const CDropTable* drop_table = nullptr;
    // Where the row was read, for messages about it.
    std::string mSourceFile;
    int mSourceRow = 0;
};

// The lists; entries keep their addresses until exit (references between them stay valid).
class CLevelDefinitions
{
public:
    static CLevelDefinitions& Instance();

    std::deque<CLevelInfo> levels;
    std::deque<CLocationInfo> locations;
    std::deque<CDropTable> drops;
    std::deque<CDropTable> bonus_drops;
    std::vector<std::pair<std::string, std::string>> edges;

    // Empties every list (tests and a reload start from nothing).
    void Clear();
};

void DeclareLevelSchema(CXmlDataReader& reader);
// Adds the loaded file's levels, drop tables, locations and their details to the lists. Throws
// "Elements size is greater then distribution size!" for a drop row with too few weights, and a
// CDataError for a drop table whose weights add up to 0 or a level grid without a cell.
void LoadLevels(CXmlDataReader& reader, Olvarn::OlvarnAppBase* application);

// The level at a 0-based position, null outside the list.
const CLevelInfo* GetLevelInfo(int index);
int GetLevelCount();
const CLocationInfo* GetLocationInfo(int index);
int GetLocationCount();

// The fire configuration shares the level files: its elements are declared and read with them.
using FireConfigDeclareFn = void (*)(CXmlDataReader&);
using FireConfigLoadFn = void (*)(CXmlDataReader&, Olvarn::OlvarnAppBase*);
void SetFireConfiguration(FireConfigDeclareFn declare, FireConfigLoadFn load);

} // namespace tilvan
