// The creature: its update by activities, its copy and its saved row.
#include "world/CAnimal.h"

#include "core/Random.h"
#include "graphics/Image.h"
#include "world/CScaledCels.h"

namespace tilvan
{

namespace
{

constexpr const char* kAttributes[] = {"id",       "state",    "image",   "logoimage", "pos",        "targetpos",
                                       "minscale", "maxscale", "scale",   "isfalling", "minz",       "maxz",
                                       "dir",      "mover",    "rotater", "thinker",   "controller", "isfirsttime"};

} // namespace

CAnimal::CAnimal(EAnimalKind kind_, std::unique_ptr<CController> controller_, std::unique_ptr<CActivity> mover_,
                 std::unique_ptr<CActivity> rotater_, std::unique_ptr<CActivity> thinker_)
    : CLayerObject(false, 0), state(Olvarn::Rand() % 3), dir(RandomSign()), kind(kind_),
      controller(std::move(controller_)), mover(std::move(mover_)), rotater(std::move(rotater_)),
      thinker(std::move(thinker_))
{
    controller->animal = this;
    mover->animal = this;
    rotater->animal = this;
    thinker->animal = this;
}

CAnimal::CAnimal(const CAnimal& o)
    : CLayerObject(o), save::CSaveObject(o), id(o.id), state(o.state), image(o.image), logoimage(o.logoimage),
      pos(o.pos), targetpos(o.targetpos), minscale(o.minscale), maxscale(o.maxscale), scale(o.scale),
      isfalling(o.isfalling), minz(o.minz), maxz(o.maxz), dir(o.dir), isfirsttime(true), kind(o.kind),
      controller(o.controller->CloneFor(this)), mover(o.mover->CloneFor(this)), rotater(o.rotater->CloneFor(this)),
      thinker(o.thinker->CloneFor(this))
{
}

CAnimal::~CAnimal() = default;

void CAnimal::ApplyFacing()
{
    if (dir == -1)
        image.AddFlags(CImage::MIRRORED);
    else
        image.RemoveFlags(CImage::MIRRORED);
}

void CAnimal::Draw(Olvarn::Graphics& g)
{
    const int x = int(pos.x - float(PixelWidth()) / 2.0f), y = int(pos.y - float(PixelHeight()) / 2.0f);
    // Each creature keeps its own size and turns about: stretching and mirroring every frame would
    // cost the most of a frame.
    if (!CScaledCels::Draw(g, image, x, y))
        image.DrawAt(g, x, y);
}

void CAnimal::Update(float ms)
{
    image.Update(ms);
    bool busy = true;
    if (!isfirsttime) {
        controller->Update(ms);
        if (state == 0)
            busy = mover->Update(ms);
        else if (state == 1)
            busy = rotater->Update(ms);
        else if (state == 2)
            busy = thinker->Update(ms);
    }
    if (isfirsttime) {
        isfirsttime = false;
        state = 0;
        scale = minscale + float(Olvarn::Rand() % 1000) / 1000.0f * (maxscale - minscale);
        mover->Start();
        return;
    }
    if (busy)
        return;
    controller->ChooseNext();
    if (state == 0)
        mover->Start();
    else if (state == 1)
        rotater->Start();
    else if (state == 2)
        thinker->Start();
}

int CAnimal::GetClassId() const
{
    switch (kind) {
    case EAnimalKind::Creeper:
        return 11621;
    case EAnimalKind::Fish:
        return 11622;
    case EAnimalKind::Octopus:
        return 11623;
    case EAnimalKind::Shark:
        return 11624;
    }
    return kClassId;
}

int CAnimal::Save()
{
    return save::SaveWriter().WriteRow(kElement, id, state, save::Child(image), save::Child(logoimage), pos, targetpos,
                                       minscale, maxscale, scale, isfalling, minz, maxz, dir, save::Child(*mover),
                                       save::Child(*rotater), save::Child(*thinker), save::Child(*controller),
                                       isfirsttime);
}

void CAnimal::Load(int row)
{
    save::SaveReader().GetRow(kElement, row, id, state, save::Child(image), save::Child(logoimage), pos, targetpos,
                              minscale, maxscale, scale, isfalling, minz, maxz, dir, save::Child(*mover),
                              save::Child(*rotater), save::Child(*thinker), save::Child(*controller), isfirsttime);
}

void CAnimal::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    for (const char* a : kAttributes)
        reader.DeclareAttribute(kElement, a, "");
}

void CAnimal::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    for (const char* a : kAttributes)
        writer.DeclareAttribute(kElement, a);
}

} // namespace tilvan
