// Reading the level definitions, their locations and drop tables from the property files.
#include "data/CLevelInfo.h"

#include <loki/Singleton.h>

#include "data/CDataError.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"

namespace tilvan
{

namespace
{

FireConfigDeclareFn gFireDeclare = nullptr;
FireConfigLoadFn gFireLoad = nullptr;

void ReadGrid(const std::string& text, CLevelInfo& level)
{
    level.ClearGrid();
    int k = 0;
    for (char c : text) {
        if (k >= kGridCells)
            break;
        if (c != '0' && c != '1')
            continue;
        int column = k % kGridColumns;
        int row = k / kGridColumns;
        level.grid[column * kGridRows + row] = c == '1';
        ++k;
    }
}

bool HasCell(const CLevelInfo& level)
{
    for (bool cell : level.grid)
        if (cell)
            return true;
    return false;
}

void ReadLevels(CXmlDataReader& reader, CLevelDefinitions& lists)
{
    const int rows = reader.GetRowCount("level");
    int n = 1;
    for (int i = 0; i < rows; ++i) {
        CLevelInfo level;
        std::string location, grid;
        reader.GetRow("level", i, location, level.name, level.offx, level.offy, level.color, level.bonus, level.time,
                      grid);
        ReadGrid(grid, level);
        if (!HasCell(level))
            throw CDataError(reader.Source(), "level", i, "grid", "no cell of the grid is enabled");

        std::string place = Localize(location);
        if (lists.locations.empty() || lists.locations.back().name.Get() != place) {
            lists.locations.emplace_back();
            AssignLocalized(lists.locations.back().name, location);
        }
        level.location = &lists.locations.back();

        const std::deque<CDropTable>& tables = level.bonus ? lists.bonus_drops : lists.drops;
        if (!tables.empty()) {
            level.drop_table = &tables.front();
            for (const CDropTable& table : tables)
                if (table.from_level <= i)
                    level.drop_table = &table;
        }
        level.number = n++;
        level.mSourceFile = reader.Source();
        level.mSourceRow = i;
        lists.levels.push_back(level);
    }
}

void ReadDrops(CXmlDataReader& reader, const char* element, std::deque<CDropTable>& list)
{
    const int rows = reader.GetRowCount(element);
    for (int i = 0; i < rows; ++i) {
        int fromLevel = 0;
        std::string elementsText, distributionText;
        CDropTable table;
        reader.GetRow(element, i, fromLevel, elementsText, distributionText, table.filter_max_repeat);
        table.from_level = fromLevel - 1 < 0 ? 0 : fromLevel - 1;
        std::vector<int> elements, weights;
        ParseIntList(elementsText, elements);
        ParseIntList(distributionText, weights);
        if (elements.size() > weights.size())
            throw "Elements size is greater then distribution size!";
        long long start = 0;
        for (size_t j = 0; j < elements.size(); ++j) {
            long long weight = weights[j];
            if (start + weight > 0x7FFFFFFF)
                throw CDataError(reader.Source(), element, i, "distribution", "the weights add up past the int range");
            table.ranges.push_back({elements[j], static_cast<int>(start), static_cast<int>(start + weight - 1)});
            start += weight;
        }
        table.total = static_cast<int>(start);
        table.mSourceFile = reader.Source();
        table.mSourceRow = i;
        // The element creator draws a number below the total; a table of nothing cannot deal.
        if (table.total <= 0)
            throw CDataError(reader.Source(), element, i, "distribution", "the weights add up to 0");
        list.push_back(std::move(table));
    }
}

CLocationInfo* LocationByNumber(CLevelDefinitions& lists, int number)
{
    if (number < 1 || static_cast<size_t>(number) > lists.locations.size())
        return nullptr;
    return &lists.locations[static_cast<size_t>(number - 1)];
}

void ReadLocationRows(CXmlDataReader& reader, CLevelDefinitions& lists)
{
    for (int i = 0, rows = reader.GetRowCount("location_image"); i < rows; ++i) {
        int number = 0;
        CLocationImage image;
        reader.GetRow("location_image", i, number, image.image, image.pos, image.z, image.max_level);
        if (CLocationInfo* location = LocationByNumber(lists, number))
            location->images.push_back(image);
    }
    for (int i = 0, rows = reader.GetRowCount("location_config"); i < rows; ++i) {
        int number = 0;
        reader.GetRow("location_config", i, number);
        if (CLocationInfo* location = LocationByNumber(lists, number))
            reader.GetRow("location_config", i, number, location->level_z, location->fire_pos, location->min_fish_y,
                          location->max_fish_y, location->night);
    }
    for (int i = 0, rows = reader.GetRowCount("path"); i < rows; ++i) {
        int number = 0;
        std::string path;
        reader.GetRow("path", i, number, path);
        if (CLocationInfo* location = LocationByNumber(lists, number))
            location->paths.push_back(path);
    }
}

void ReadElementCreation(CXmlDataReader& reader, CLevelDefinitions& lists)
{
    for (int i = 0, rows = reader.GetRowCount("config_element_creation"); i < rows; ++i) {
        int number = 0;
        float time = 0, speed = 0, gravity = 0;
        reader.GetRow("config_element_creation", i, number, time, speed, gravity);
        if (number < 1 || static_cast<size_t>(number) > lists.levels.size())
            continue;
        CLevelInfo& level = lists.levels[static_cast<size_t>(number - 1)];
        level.creation_time = time;
        level.speed = speed;
        level.gravity = gravity;
    }
}

} // namespace

CLevelDefinitions& CLevelDefinitions::Instance()
{
    return Loki::SingletonHolder<CLevelDefinitions>::Instance();
}

void CLevelDefinitions::Clear()
{
    levels.clear();
    locations.clear();
    drops.clear();
    bonus_drops.clear();
    edges.clear();
}

void SetFireConfiguration(FireConfigDeclareFn declare, FireConfigLoadFn load)
{
    gFireDeclare = declare;
    gFireLoad = load;
}

void DeclareLevelSchema(CXmlDataReader& reader)
{
    if (gFireDeclare)
        gFireDeclare(reader);
    const char* const levelAttributes[] = {"location", "name", "offx", "offy", "color", "bonus", "time", "grid"};
    for (const char* name : levelAttributes)
        reader.DeclareAttribute("level", name, "");
    for (const char* element : {"config_drop", "config_bonus_drop"})
        for (const char* name : {"from_level", "elements", "distribution", "filter_max_repeat"})
            reader.DeclareAttribute(element, name, "");
    for (const char* name : {"matrix", "image"})
        reader.DeclareAttribute("edge", name, "");
    for (const char* name : {"location", "image", "pos", "z", "max_level"})
        reader.DeclareAttribute("location_image", name, "");
    for (const char* name : {"location", "level_z", "fire_pos", "min_fish_y", "max_fish_y", "night"})
        reader.DeclareAttribute("location_config", name, "");
    for (const char* name : {"location", "path"})
        reader.DeclareAttribute("path", name, "");
    for (const char* name : {"level", "time", "speed", "gravity"})
        reader.DeclareAttribute("config_element_creation", name, "");
}

void LoadLevels(CXmlDataReader& reader, Olvarn::OlvarnAppBase* application)
{
    if (gFireLoad)
        gFireLoad(reader, application);
    CLevelDefinitions& lists = CLevelDefinitions::Instance();
    ReadLevels(reader, lists);
    ReadDrops(reader, "config_drop", lists.drops);
    ReadDrops(reader, "config_bonus_drop", lists.bonus_drops);
    for (int i = 0, rows = reader.GetRowCount("edge"); i < rows; ++i) {
        std::string matrix, image;
        reader.GetRow("edge", i, matrix, image);
        lists.edges.emplace_back(matrix, image);
    }
    ReadLocationRows(reader, lists);
    ReadElementCreation(reader, lists);
    int number = 1;
    for (CLocationInfo& location : lists.locations)
        location.number = number++;
}

const CLevelInfo* GetLevelInfo(int index)
{
    const auto& levels = CLevelDefinitions::Instance().levels;
    return static_cast<size_t>(static_cast<unsigned>(index)) < levels.size() ? &levels[static_cast<size_t>(index)]
                                                                             : nullptr;
}

int GetLevelCount()
{
    return static_cast<int>(CLevelDefinitions::Instance().levels.size());
}

const CLocationInfo* GetLocationInfo(int index)
{
    const auto& locations = CLevelDefinitions::Instance().locations;
    return static_cast<size_t>(static_cast<unsigned>(index)) < locations.size() ? &locations[static_cast<size_t>(index)]
                                                                                : nullptr;
}

int GetLocationCount()
{
    return static_cast<int>(CLevelDefinitions::Instance().locations.size());
}

} // namespace tilvan
