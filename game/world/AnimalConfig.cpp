// The animal rows, their descriptions and the prototype registry.
#include "world/AnimalConfig.h"

#include <cstdio>
#include <map>
#include <memory>

#include "core/Random.h"
#include "data/CDataError.h"
#include "data/CXmlDataReader.h"
#include "world/AnimalComponents.h"
#include "world/CAquarium.h"

namespace tilvan
{

namespace
{

constexpr const char* kElement = "animal";
constexpr const char* kAttributes[] = {"id",    "type",       "behavior", "move",  "rotate",
                                       "think", "logo_image", "scale",    "min_z", "max_z"};

std::map<std::string, std::unique_ptr<CAnimal>>& Prototypes()
{
    static auto* prototypes = new std::map<std::string, std::unique_ptr<CAnimal>>();
    return *prototypes;
}

// Reports a description of the row that cannot be used.
struct RowCheck {
    const std::string& file;
    int row;
    void Fail(const char* field, const std::string& reason) const
    {
        throw CDataError(file, kElement, row, field, reason);
    }
    void Values(const char* field, int got, int wanted) const
    {
        if (got != wanted)
            Fail(field, "needs " + std::to_string(wanted) + " values");
    }
    void Range(const char* field, int lo, int hi) const
    {
        if (hi < lo)
            Fail(field, "the smaller value must come first");
    }
};

void SetPicture(CPicture& picture, const char* id)
{
    picture.image = std::string(id);
}

std::unique_ptr<CController> MakeController(bool fish, const std::string& text, const RowCheck& check)
{
    int w[3] = {0, 0, 0};
    if (fish) {
        auto c = std::make_unique<CFishController>();
        check.Values("behavior",
                     std::sscanf(text.c_str(), "%i %i %i %f %f", &w[0], &w[1], &w[2], &c->amplitude, &c->frequency), 5);
        c->SetWeights(w[0], w[1], w[2]);
        return c;
    }
    auto c = std::make_unique<CCreeperController>();
    check.Values("behavior", std::sscanf(text.c_str(), "%i %i %i", &w[0], &w[1], &w[2]), 3);
    c->SetWeights(w[0], w[1], w[2]);
    return c;
}

std::unique_ptr<CActivity> MakeMover(EAnimalKind kind, const std::string& text, const RowCheck& check)
{
    char picture[512] = {0};
    char attack[512] = {0};
    switch (kind) {
    case EAnimalKind::Creeper: {
        auto m = std::make_unique<CCreeperMover>();
        int collect = 0;
        check.Values("move",
                     std::sscanf(text.c_str(), "%511s %f %i %i %i", picture, &m->speed, &m->min_cycles, &m->max_cycles,
                                 &collect),
                     5);
        check.Range("move", m->min_cycles, m->max_cycles);
        m->collect = collect != 0;
        SetPicture(m->walk_image, picture);
        return m;
    }
    case EAnimalKind::Fish: {
        auto m = std::make_unique<CFishMover>();
        check.Values(
            "move", std::sscanf(text.c_str(), "%511s %f %i %i", picture, &m->speed, &m->min_cycles, &m->max_cycles), 4);
        check.Range("move", m->min_cycles, m->max_cycles);
        SetPicture(m->swim_image, picture);
        return m;
    }
    case EAnimalKind::Octopus: {
        auto m = std::make_unique<COctopusMover>();
        check.Values(
            "move",
            std::sscanf(text.c_str(), "%511s %f %f %i %i", picture, &m->speed, &m->hop, &m->min_cycles, &m->max_cycles),
            5);
        check.Range("move", m->min_cycles, m->max_cycles);
        SetPicture(m->swim_image, picture);
        return m;
    }
    case EAnimalKind::Shark: {
        auto m = std::make_unique<CSharkMover>();
        check.Values("move",
                     std::sscanf(text.c_str(), "%511s %511s %f %i %i", picture, attack, &m->speed, &m->min_cycles,
                                 &m->max_cycles),
                     5);
        check.Range("move", m->min_cycles, m->max_cycles);
        SetPicture(m->swim_image, picture);
        SetPicture(m->attack_image, attack);
        return m;
    }
    }
    return nullptr;
}

bool KindOf(const std::string& type, EAnimalKind& kind)
{
    static const std::map<std::string, EAnimalKind> kinds{{"creeper", EAnimalKind::Creeper},
                                                          {"fish", EAnimalKind::Fish},
                                                          {"octopus", EAnimalKind::Octopus},
                                                          {"shark", EAnimalKind::Shark}};
    auto it = kinds.find(type);
    if (it == kinds.end())
        return false;
    kind = it->second;
    return true;
}

} // namespace

void DeclareAnimalConfig(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    for (const char* a : kAttributes)
        reader.DeclareAttribute(kElement, a, "");
}

void LoadAnimalConfig(CXmlDataReader& reader)
{
    for (int i = 0, rows = reader.GetRowCount(kElement); i < rows; ++i) {
        std::string id, type, behavior, move, rotate, think, logo, scale;
        int minz = 0, maxz = 0;
        reader.GetRow(kElement, i, id, type, behavior, move, rotate, think, logo, scale, minz, maxz);
        EAnimalKind kind;
        if (!KindOf(type, kind))
            continue;
        const RowCheck check{reader.Source(), i};
        const bool fish = kind == EAnimalKind::Fish || kind == EAnimalKind::Shark;

        auto rotater = std::make_unique<CRotater>();
        char picture[512] = {0};
        check.Values("rotate", std::sscanf(rotate.c_str(), "%511s", picture), 1);
        SetPicture(rotater->turn_image, picture);

        auto thinker = std::make_unique<CThinker>();
        check.Values("think",
                     std::sscanf(think.c_str(), "%511s %i %i %i", picture, &thinker->min_pause, &thinker->max_pause,
                                 &thinker->max_reps),
                     4);
        check.Range("think", thinker->min_pause, thinker->max_pause);
        if (thinker->max_reps < 1)
            check.Fail("think", "needs at least one repetition");
        SetPicture(thinker->pause_image, picture);
        if (maxz < minz)
            check.Fail("max_z", "must not be below min_z");

        auto animal = std::make_unique<CAnimal>(kind, MakeController(fish, behavior, check),
                                                MakeMover(kind, move, check), std::move(rotater), std::move(thinker));
        animal->logoimage = logo;
        animal->logoimage.AddFlags(CImage::STOP_ANIMATION);
        animal->id = id;
        float lo = 1.0f, hi = 1.0f;
        if (std::sscanf(scale.c_str(), "%f %f", &lo, &hi) == 2) {
            animal->minscale = lo;
            animal->maxscale = hi;
        }
        animal->minz = minz;
        animal->maxz = maxz;
        Prototypes().emplace(id, std::move(animal));
    }
}

void AddAnimalPrototype(std::unique_ptr<CAnimal> prototype)
{
    const std::string id = prototype->id;
    Prototypes().emplace(id, std::move(prototype));
}

void ClearAnimalPrototypes()
{
    Prototypes().clear();
}

const CAnimal* FindAnimalPrototype(const std::string& id)
{
    auto it = Prototypes().find(id);
    return it == Prototypes().end() ? nullptr : it->second.get();
}

CAnimal* CreateAnimal(const std::string& id)
{
    const CAnimal* prototype = FindAnimalPrototype(id);
    CAquarium* aquarium = CAquarium::Current();
    // Without an aquarium nothing would own the creature.
    if (!prototype || !aquarium)
        return nullptr;
    std::unique_ptr<CAnimal> animal = prototype->Clone();
    animal->dir = RandomSign();
    animal->SetLayer(animal->minz + Olvarn::Rand() % (animal->maxz - animal->minz + 1));
    animal->visible = true;
    CAnimal* made = animal.get();
    aquarium->Add(std::move(animal));
    return made;
}

} // namespace tilvan
