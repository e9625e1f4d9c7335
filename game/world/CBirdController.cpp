// The birds: spawning, flight, hints, hits and their rows.
#include "world/CBirdController.h"

#include <algorithm>
#include <cmath>

#include <luabind/luabind.hpp>

#include "core/Random.h"
#include "data/CConstantsRegistry.h"
#include "data/CXmlDataReader.h"
#include "shell/GameServices.h"
#include "world/CScaledCels.h"
#include "world/SafeMath.h"
#include "world/WorldHooks.h"

namespace tilvan
{

namespace
{

constexpr float kSceneWidth = 877.0f;
constexpr const char* kBirdAttributes[] = {"image", "miny", "maxy", "deltay", "speed", "score", "sound"};

} // namespace

CBird::CBird(const CBirdKind& kind, FPoint position_, FPoint velocity_)
    : velocity(velocity_), position(position_), image(kind.image), score(kind.score), soundId(kind.soundId),
      sound(kind.sound)
{
    image.AddFlags(CImage::CENTER_POS);
    if (velocity.x < 0)
        image.AddFlags(CImage::MIRRORED);
    hintTime = CConstantsRegistry::Instance().GetFloat("bird", "hint_time");
}

void CBird::Update(float ms)
{
    position.x += velocity.x * ms / 1000.0f;
    position.y += velocity.y * ms / 1000.0f;
    image.Update(ms);
    control.SetPosition(float(int(position.x)), float(int(position.y)));
    const float w = image.GetDimensions().x;
    if (position.x < -w || position.x > kSceneWidth + w)
        finished = true;
    control.Update(ms);
    // A caught or gone bird never announces itself.
    if (!hintDone && !finished) {
        hintTime -= ms;
        if (hintTime <= 0) {
            hintDone = true;
            WorldHooks().OnBirdCreated(kControlId, position.x, position.y);
        }
    }
}

bool CBird::HitTest(int x, int y)
{
    if (finished)
        return false;
    const int w = int(image.GetDimensions().x);
    const int h = int(image.GetDimensions().y);
    const int x0 = int(position.x - float(w) / 2.0f);
    const int y0 = int(position.y - float(h) / 2.0f);
    return x0 <= x && x < x0 + w && y0 <= y && y < y0 + h;
}

void CBird::Hit()
{
    if (soundId < 0 && !sound.empty())
        soundId = services::FindSound(sound);
    if (soundId >= 0)
        services::PlaySound(soundId);
    finished = true;
}

std::vector<CBirdKind>& CBirdController::Kinds()
{
    static std::vector<CBirdKind> kinds;
    return kinds;
}

int& CBirdController::ChancePerSecond()
{
    static int chance = 0;
    return chance;
}

void CBirdController::Update(float ms)
{
    secondTimer += ms;
    while (int(secondTimer) >= 1000) {
        if (!Kinds().empty() && Olvarn::Rand() % 1000 < ChancePerSecond())
            Spawn(size_t(Olvarn::Rand()) % Kinds().size());
        secondTimer -= 1000;
    }
    for (CBird& bird : birds)
        bird.Update(ms);
    birds.erase(std::remove_if(birds.begin(), birds.end(), [](const CBird& b) { return b.IsFinished(); }), birds.end());
}

void CBirdController::Spawn(size_t index)
{
    if (disabled || index >= Kinds().size())
        return;
    const CBirdKind& kind = Kinds()[index];
    // The rows are checked at load; a kind made by hand with empty ranges stays level.
    const int y0 = kind.miny + SafeMod(Olvarn::Rand(), kind.maxy - kind.miny);
    const int target = int(float(y0 - kind.deltay + SafeMod(Olvarn::Rand(), 2 * kind.deltay)));
    float dx = 1.0f, dy = float(target - y0) / kSceneWidth;
    const float length = std::sqrt(dx * dx + dy * dy);
    FPoint velocity(dx / length * float(kind.speed), dy / length * float(kind.speed));
    float x = 0;
    if (Olvarn::Rand() % 2 == 0) {
        x = kSceneWidth;
        velocity.x = -velocity.x;
    }
    try {
        birds.emplace_back(kind, FPoint(x, float(y0)), velocity);
    } catch (const std::exception& e) {
        services::ShowMessage(e.what(), "Fatal error", 0);
    }
}

void CBirdController::Draw(Olvarn::Graphics& g)
{
    // A caught bird is gone from the sky at once, though it stays in the list until the next step.
    for (CBird& bird : birds) {
        if (bird.IsFinished())
            continue;
        const int x = int(bird.GetPosition().x), y = int(bird.GetPosition().y);
        if (!CScaledCels::Draw(g, bird.GetImage(), x, y))
            bird.GetImage().DrawAt(g, x, y);
    }
}

CBird* CBirdController::FindBird(int x, int y)
{
    for (CBird& bird : birds)
        if (bird.HitTest(x, y))
            return &bird;
    return nullptr;
}

void CBirdController::DeclareConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("bird");
    for (const char* a : kBirdAttributes)
        reader.DeclareAttribute("bird", a, "");
    reader.DeclareElement("bird_controller");
    reader.DeclareAttribute("bird_controller", "chance_per_second", "");
}

void CBirdController::LoadConfig(CXmlDataReader& reader)
{
    std::vector<CBirdKind> kinds;
    for (int i = 0, rows = reader.GetRowCount("bird"); i < rows; ++i) {
        CBirdKind kind;
        std::string sound;
        reader.GetRow("bird", i, kind.image, kind.miny, kind.maxy, kind.deltay, kind.speed, kind.score, sound);
        if (kind.maxy <= kind.miny)
            throw CDataError(reader.Source(), "bird", i, "maxy", "must be above miny");
        RequireAbove(kind.deltay, 0, reader.Source(), "bird", i, "deltay");
        kind.soundId = services::FindSound(sound);
        kind.sound = sound;
        kinds.push_back(kind);
    }
    Kinds() = std::move(kinds);
    if (reader.GetRowCount("bird_controller") > 0)
        reader.GetRow("bird_controller", 0, ChancePerSecond());
}

void CBirdController::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CBirdController>("bird_controller_class")
                  .def("disable", &CBirdController::disable)
                  .def("is_disabled", &CBirdController::is_disabled)];
}

} // namespace tilvan
