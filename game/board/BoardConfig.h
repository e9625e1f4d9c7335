// The board's part of the property files and constants: element types and offsets, the creator's
// tilts, the pearl cycle, the blink timing and the floating row's speed; and the check that the level
// definitions only name what the board can run.
#pragma once

#include <string>

namespace tilvan
{

class CXmlDataReader;
class CLevelInfo;
class CDropTable;
struct CChanceTable;
struct CCreatorLevel;

// Hands the board's declare/load functions to the property loader and its handlers to the constants
// registry ("grid_blink", "bonus_level"). Call before the property loader is built.
void RegisterBoardProperties();

void DeclareElementConfig(CXmlDataReader& reader);
void LoadElementConfig(CXmlDataReader& reader);
void DeclareCreatorConfig(CXmlDataReader& reader);
void LoadCreatorConfig(CXmlDataReader& reader);
void DeclarePearlConfig(CXmlDataReader& reader);
void LoadPearlConfig(CXmlDataReader& reader);

CChanceTable ToChanceTable(const CDropTable& table, const std::string& rowName);
// The creator's view of a level definition; its table must outlive the result.
CCreatorLevel ToCreatorLevel(const CLevelInfo& level, const CChanceTable* table);

// Every drop table names existing types, and every level's creation time, fall speed and gravity can
// be run. Throws std::runtime_error naming the drop row or the level. Runs when the creator's rows
// are read and should run again once all property files are in.
void ValidateLevelData();

} // namespace tilvan
