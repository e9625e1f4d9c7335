// Reading the board's part of the property files: element types and offsets, the creator and pearl
// settings, the board's constants, and the check of every level once all files are read.
#include "board/BoardConfig.h"

#include <cstdlib>
#include <stdexcept>

#include "board/BonusKinds.h"
#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPearl.h"
#include "board/CPearlCreator.h"
#include "board/CPipeline.h"
#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CPropertyLoader.h"
#include "data/CXmlDataReader.h"
#include "graphics/DDImage.h"
#include "resources/ResourceManager.h"

namespace tilvan
{

namespace
{
const char* const kElementAttributes[] = {"grid1",   "grid2",        "grid3",     "grid4",   "grid5",     "grid6",
                                          "center1", "center2",      "center3",   "center4", "center5",   "center6",
                                          "image",   "image_center", "positions", "score",   "sink_depth"};
const char* const kCreatorAttributes[] = {"grid_full_percents", "pipeline_full_percents", "chance_boost",
                                          "chance_boost_2",     "must_lose_levels",       "lose_chance_boost"};

// The rows of one element as attribute maps, in the declared attribute order.
std::vector<AttributeRow> Rows(const CXmlDataReader& reader, const std::string& element)
{
    std::vector<AttributeRow> rows;
    auto schema = reader.Schema().find(element);
    if (schema == reader.Schema().end())
        return rows;
    for (int i = 0; i < reader.GetRowCount(element); ++i) {
        const std::vector<std::string>* texts = reader.FindRow(element, i);
        AttributeRow row;
        for (size_t a = 0; texts && a < schema->second.size() && a < texts->size(); ++a)
            row[schema->second[a].first] = (*texts)[a];
        rows.push_back(std::move(row));
    }
    return rows;
}

// Runs one loading step, naming the file in what it throws.
template <typename F> void InFile(const CXmlDataReader& reader, F step)
{
    try {
        step();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(reader.Source() + ": " + e.what());
    }
}

// "file: element row N" (rows counted from 0 within their file).
std::string RowName(const std::string& file, const char* element, int row)
{
    std::string name = std::string(element) + " row " + std::to_string(row);
    return file.empty() ? name : file + ": " + name;
}

void GridBlinkHandler(CConstantsRegistry::Group& group)
{
    CGrid::SetBlinkConstants(std::atoi(group["blink_time"].c_str()), std::atoi(group["max_blink_pause"].c_str()));
}

void BonusLevelHandler(CConstantsRegistry::Group& group)
{
    CPipeline::SetBonusElementVelocity(static_cast<float>(std::atof(group["element_vel"].c_str())));
}
} // namespace

void DeclareElementConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("element");
    for (const char* a : kElementAttributes) {
        std::string name = a;
        reader.DeclareAttribute("element", name, name == "image_center" ? "0 0" : (name == "positions" ? "6" : ""));
    }
    reader.DeclareElement("element_offset");
    for (int k = 1; k <= 6; ++k)
        reader.DeclareAttribute("element_offset", "offset" + std::to_string(k), "");
}

void LoadElementConfig(CXmlDataReader& reader)
{
    // Pictures come from the resource manager that the property loader was built with, unless the
    // game has installed its own look-up.
    if (g_pPropertyResources && !HasBoardImageLookup()) {
        Olvarn::ResourceManager* rm = g_pPropertyResources;
        SetBoardImageLookup([rm](const std::string& id) -> Olvarn::Image* { return rm->FindImage(id); });
    }
    InFile(reader, [&] { LoadElementTypes(Rows(reader, "element"), Rows(reader, "element_offset")); });
}

void DeclareCreatorConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("element_creator");
    for (const char* a : kCreatorAttributes)
        reader.DeclareAttribute("element_creator", a, "");
}

void LoadCreatorConfig(CXmlDataReader& reader)
{
    InFile(reader, [&] { CElementCreator::LoadConfig(Rows(reader, "element_creator")); });
}

void DeclarePearlConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("pearl_creator");
    reader.DeclareAttribute("pearl_creator", "cycle", "");
}

void LoadPearlConfig(CXmlDataReader& reader)
{
    InFile(reader, [&] { CPearlCreator::LoadConfig(Rows(reader, "pearl_creator")); });
}

void RegisterBoardProperties()
{
    SetPropertyComponent(
        EPropertyComponent::ElementConfig,
        {&DeclareElementConfig, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadElementConfig(r); }});
    SetPropertyComponent(EPropertyComponent::ElementCreator,
                         {&DeclareCreatorConfig,
                          [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadCreatorConfig(r); }, &ValidateLevelData});
    SetPropertyComponent(EPropertyComponent::PearlCreator,
                         {&DeclarePearlConfig, [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadPearlConfig(r); }});
    CConstantsRegistry::Instance().RegisterHandler("grid_blink", &GridBlinkHandler);
    CConstantsRegistry::Instance().RegisterHandler("bonus_level", &BonusLevelHandler);
    SetPropertyComponent(EPropertyComponent::Bonuses,
                         {[](CXmlDataReader& r) {
                              r.DeclareElement("bonus");
                              DeclareBonusConfig(r);
                          },
                          [](CXmlDataReader& r, Olvarn::OlvarnAppBase*) { LoadBonusConfig(r); }});
    CConstantsRegistry::Instance().RegisterHandler("player", [](CConstantsRegistry::Group& group) {
        CPlayerInfo::SetScoreToPearl(std::atoi(group["score_to_pearl"].c_str()));
    });
}

CChanceTable ToChanceTable(const CDropTable& table, const std::string& rowName)
{
    CChanceTable out;
    for (const auto& r : table.ranges)
        out.ranges.push_back({r.element, r.first, r.last});
    out.total = table.total;
    out.from_level = table.from_level;
    out.filter_max_repeat = table.filter_max_repeat;
    ValidateChanceTable(out, rowName);
    return out;
}

CCreatorLevel ToCreatorLevel(const CLevelInfo& level, const CChanceTable* table)
{
    return CCreatorLevel{level.number, level.bonus, level.speed, level.gravity, level.creation_time, table};
}

void ValidateLevelData()
{
    auto& defs = CLevelDefinitions::Instance();
    for (const auto& t : defs.drops)
        ToChanceTable(t, RowName(t.mSourceFile, "config_drop", t.mSourceRow));
    for (const auto& t : defs.bonus_drops)
        ToChanceTable(t, RowName(t.mSourceFile, "config_bonus_drop", t.mSourceRow));
    for (const auto& level : defs.levels) {
        const std::string name = RowName(level.mSourceFile, "level", level.mSourceRow);
        CChanceTable table;
        if (level.drop_table)
            table = ToChanceTable(*level.drop_table, name);
        ValidateCreatorLevel(ToCreatorLevel(level, level.drop_table ? &table : nullptr), name);
    }
}

void CGrid::Configure(const CLevelInfo& level)
{
    std::array<bool, kCells> enabled;
    for (int i = 0; i < kCells; ++i)
        enabled[i] = level.grid[i];
    Configure(FPoint(level.offx, level.offy), enabled);
}

void CElementCreator::Begin(const CLevelInfo& level, CCreatorPlayer& player)
{
    std::string name = "level " + std::to_string(level.number);
    CChanceTable table;
    if (level.drop_table)
        table = ToChanceTable(*level.drop_table, name);
    CCreatorLevel view = ToCreatorLevel(level, level.drop_table ? &table : nullptr);
    ValidateCreatorLevel(view, name);
    Begin(view, player);
}

void CElementCreator::Restore(const CLevelInfo& level, CCreatorPlayer& player)
{
    const int last = mLastElem, repeats = mRepeatNum;
    const float timeLeft = mTimeLeft;
    const bool skipped = mSkipped;
    Begin(level, player);
    mLastElem = last;
    mRepeatNum = repeats;
    mTimeLeft = timeLeft;
    mSkipped = skipped;
}

} // namespace tilvan
