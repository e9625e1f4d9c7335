// The aquarium's list, its step and its saved row.
#include "world/CAquarium.h"

#include <cstdlib>

#include "data/CLevelInfo.h"
#include "world/AnimalConfig.h"
#include "world/CScaledCels.h"
#include "world/CWalkPath.h"

namespace tilvan
{

namespace
{
CAquarium* gCurrent = nullptr;
}

CAquarium* CAquarium::Current()
{
    return gCurrent;
}

CAquarium::CAquarium(std::function<int()> levelNumber_) : levelNumber(std::move(levelNumber_))
{
    gCurrent = this;
}

CAquarium::~CAquarium()
{
    Clear();
    if (gCurrent == this)
        gCurrent = nullptr;
}

void CAquarium::Add(std::unique_ptr<CAnimal> animal)
{
    animals.push_back(std::move(animal));
}

void CAquarium::Update(float ms)
{
    for (auto& animal : animals)
        animal->Update(ms);
}

void CAquarium::Clear()
{
    animals.clear();
    // A new level may come with other pictures at the addresses of the old ones.
    CScaledCels::Instance().Clear();
}

int CAquarium::Save()
{
    // Apostrophes: the writer escapes the attribute, and an id or a row needs no quote of its own.
    std::string text;
    for (auto& animal : animals)
        text += "'" + animal->id + "' '" + std::to_string(animal->Save()) + "' ";
    text += " ";
    return save::SaveWriter().WriteRow(kElement, text);
}

void CAquarium::Load(int row)
{
    if (levelNumber)
        SetAnimalLocation(GetLevelInfo(levelNumber() - 1));
    std::string text;
    save::SaveReader().GetRow(kElement, row, text);
    std::string token;
    CAnimal* pending = nullptr;
    bool pendingSkipped = false;
    for (char c : text) {
        if (c == ' ' && token.empty())
            continue;
        if (c != '\'') {
            token += c;
            continue;
        }
        if (token.empty())
            continue;
        if (pending) {
            pending->Load(std::atoi(token.c_str()));
            pending = nullptr;
        } else if (pendingSkipped) {
            // The row of a creature without a prototype: skipped with it.
            pendingSkipped = false;
        } else {
            pending = CreateAnimal(token);
            pendingSkipped = pending == nullptr;
        }
        token.clear();
    }
}

void CAquarium::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    reader.DeclareAttribute(kElement, "animals", "");
}

void CAquarium::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    writer.DeclareAttribute(kElement, "animals");
}

} // namespace tilvan
