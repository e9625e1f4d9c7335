// The creatures as data: one "animal" row per prototype, and the making of creatures from them.
#pragma once

#include <memory>
#include <string>

#include "world/CAnimal.h"

namespace tilvan
{

class CXmlDataReader;

void DeclareAnimalConfig(CXmlDataReader& reader);
// Builds a prototype for every row of a known type; a row whose descriptions lack values or hold
// empty ranges throws a CDataError naming the file and row.
void LoadAnimalConfig(CXmlDataReader& reader);
// Registers a prototype made in code (tools and benchmarks); an id already present keeps its first.
void AddAnimalPrototype(std::unique_ptr<CAnimal> prototype);
// Forgets every prototype (tests and reloads).
void ClearAnimalPrototypes();
const CAnimal* FindAnimalPrototype(const std::string& id);

// A new creature of the prototype, facing a random way on a drawn layer, visible and added to the
// current aquarium; null without such a prototype.
CAnimal* CreateAnimal(const std::string& id);

} // namespace tilvan
