// The creatures' components: choosing, turning, pausing, the fall into the water and moving.
#include "world/AnimalComponents.h"

#include <cmath>
#include <vector>

#include "board/CLevelView.h"
#include "board/CPipeline.h"
#include "core/Random.h"
#include "data/CSaveSchema.h"
#include "graphics/Image.h"
#include "shell/GameServices.h"
#include "world/CWalkPath.h"
#include "world/SafeMath.h"
#include "world/WorldHooks.h"

namespace tilvan
{

using Olvarn::Rand;
using save::SaveReader;
using save::SaveWriter;

namespace
{

constexpr float kThrowAcc = 600.0f;
constexpr int kLeftLanding = 30;
constexpr int kRightLanding = 770;
constexpr float kSceneWidth = 877.0f;

int WaterLine()
{
    CLevelView* level = CurrentLevelView();
    return level ? level->GetWaterLine() : 610;
}

CPipeline* LevelPipeline()
{
    CLevelView* level = CurrentLevelView();
    return level ? level->GetPipeline() : nullptr;
}

float LandingX(float x)
{
    const int sign = RandomSign();
    const float target = x + float(sign * (Rand() % 100 + 30));
    return std::min(std::max(target, float(kLeftLanding)), float(kRightLanding));
}

// A random vertical offset of a swim: none on an odd draw, else 10 to 40 up or down.
int SwimOffset()
{
    if (Rand() % 2 != 0)
        return 0;
    const int sign = RandomSign();
    return sign * (Rand() % 31 + 10);
}

// The edges of the swimming or walking range; true when one was hit (the creature then faces in).
bool AtEdge(CAnimal& a)
{
    const float half = float(a.PixelWidth()) / 2.0f;
    if (a.pos.x < -half) {
        a.dir = 1;
        a.pos.x = -half;
        return true;
    }
    if (a.pos.x > kSceneWidth + half) {
        a.dir = -1;
        a.pos.x = kSceneWidth + half;
        return true;
    }
    return false;
}

bool TimeLeft(float& time)
{
    if (time <= 0) {
        time = 0;
        return false;
    }
    return true;
}

const save::CSaveSchema kCreeperController{"creeper_controller", {}};
const save::CSaveSchema kFishController{"fish_controller", {"last_dy", "time", "y", "inited"}};
const save::CSaveSchema kCreeperMover{"creeper_mover", {"acc", "time", "vel", "under_water"}};
const save::CSaveSchema kFishFall{
    "fish_fall", {"d_up", "d_down", "acc", "target_scale", "max_time", "time", "vel", "d_scale", "is_underwater"}};
const save::CSaveSchema kFishMover{"fish_mover", {"time", "vel", "state", "fall"}};
const save::CSaveSchema kSharkMover{"shark_mover", {"time", "vel", "state", "fall"}};
const save::CSaveSchema kOctopusMover{"octopus_mover", {"time", "vel", "state", "cycle_time", "acc", "y", "fall"}};
const save::CSaveSchema kRotater{"rotater", {"time", "is_half_turn"}};
const save::CSaveSchema kThinker{"thinker", {"state", "time", "rep_left"}};

template <typename T> std::unique_ptr<T> CopyFor(const T& self, CAnimal* owner)
{
    auto copy = std::make_unique<T>(self);
    copy->animal = owner;
    return copy;
}

} // namespace

int RandomSign()
{
    return Rand() % 2 != 0 ? 1 : -1;
}

void RegisterAnimalComponentClasses()
{
    save::RegisterSchema<kCreeperController>(CCreeperController::kClassId);
    save::RegisterSchema<kFishController>(CFishController::kClassId);
    save::RegisterSchema<kCreeperMover>(CCreeperMover::kClassId);
    save::RegisterSchema<kFishFall>(CFishFall::kClassId);
    save::RegisterSchema<kFishMover>(CFishMover::kClassId);
    save::RegisterSchema<kSharkMover>(CSharkMover::kClassId);
    save::RegisterSchema<kOctopusMover>(COctopusMover::kClassId);
    save::RegisterSchema<kRotater>(CRotater::kClassId);
    save::RegisterSchema<kThinker>(CThinker::kClassId);
}

bool CPicture::AnimationLength(float& ms) const
{
    Olvarn::Image* picture = image.GetImage();
    if (!picture || !picture->mAnimation)
        return false;
    ms = float(picture->mAnimation->mTotalAnimTime);
    return true;
}

void CActivity::Show(CPicture& picture)
{
    // The rows are read before the play pictures are loaded: a picture named in a row is found
    // when it is first shown.
    if (!picture.image.GetImage() && !picture.image.GetId().empty())
        picture.image.SetImage(picture.image.GetId());
    picture.image.ResetTime();
    animal->image = picture.image;
    animal->image.SetScale(animal->scale);
    animal->ApplyFacing();
}

// Controllers.

void CController::SetWeights(int move, int turn, int think)
{
    moveEnd = move;
    turnEnd = move + turn;
    total = move + turn + think;
}

bool CController::ChooseNext()
{
    if (total <= 0)
        return false;
    const int previous = animal->state;
    for (int draw = 0; draw < 6; ++draw) {
        const int r = Rand() % total;
        animal->state = r < moveEnd ? 0 : r < turnEnd ? 1 : 2;
        if (animal->state != previous)
            break;
    }
    return true;
}

int CCreeperController::Save()
{
    return SaveWriter().WriteRow("creeper_controller");
}

std::unique_ptr<CController> CCreeperController::CloneFor(CAnimal* owner) const
{
    return CopyFor(*this, owner);
}

void CFishController::Update(float ms)
{
    if (animal->isfalling)
        return;
    if (!inited) {
        y = animal->pos.y;
        inited = true;
    }
    time += ms;
    const float s = animal->scale;
    const float dy = s * amplitude * std::sin(time * s / 1000.0f * frequency * 6.1415f);
    animal->pos.y += dy - last_dy;
    last_dy = dy;
}

int CFishController::Save()
{
    return SaveWriter().WriteRow("fish_controller", last_dy, time, y, inited);
}

void CFishController::Load(int row)
{
    SaveReader().GetRow("fish_controller", row, last_dy, time, y, inited);
}

std::unique_ptr<CController> CFishController::CloneFor(CAnimal* owner) const
{
    return CopyFor(*this, owner);
}

// Rotater.

bool CRotater::Start()
{
    is_half_turn = false;
    if (turn_image.AnimationLength(time)) {
        Show(turn_image);
    } else {
        time = 0;
        animal->dir = -animal->dir;
        is_half_turn = true;
        animal->image.AddFlags(CImage::STOP_ANIMATION);
    }
    return true;
}

bool CRotater::Update(float ms)
{
    time -= ms;
    if (time > 0)
        return true;
    if (is_half_turn) {
        time = 0;
        return false;
    }
    is_half_turn = true;
    turn_image.AnimationLength(time);
    animal->dir = -animal->dir;
    animal->ApplyFacing();
    animal->image.AddFlags(CImage::BACKWARD_ANIMATION);
    animal->image.ResetTime();
    return true;
}

int CRotater::Save()
{
    return SaveWriter().WriteRow("rotater", time, is_half_turn);
}

void CRotater::Load(int row)
{
    SaveReader().GetRow("rotater", row, time, is_half_turn);
}

std::unique_ptr<CActivity> CRotater::CloneFor(CAnimal* owner) const
{
    return CopyFor(*this, owner);
}

// Thinker.

float CThinker::DrawPause() const
{
    return float(DrawBetween(Rand(), min_pause, max_pause));
}

bool CThinker::Start()
{
    rep_left = SafeMod(Rand(), max_reps);
    state = 0;
    time = DrawPause();
    Show(pause_image);
    animal->image.AddFlags(CImage::STOP_ANIMATION);
    return true;
}

bool CThinker::Update(float ms)
{
    time -= ms;
    if (time > 0)
        return true;
    switch (state) {
    case 0:
        time = 0;
        pause_image.AnimationLength(time);
        animal->image.RemoveFlags(CImage::STOP_ANIMATION);
        animal->image.ResetTime();
        state = 1;
        return true;
    case 1:
        time = DrawPause();
        animal->image.AddFlags(CImage::STOP_ANIMATION);
        state = 2;
        return true;
    case 2:
        if (rep_left-- > 0) {
            state = 0;
            time = DrawPause();
            return true;
        }
        time = 0;
        return false;
    default:
        return true;
    }
}

int CThinker::Save()
{
    return SaveWriter().WriteRow("thinker", state, time, rep_left);
}

void CThinker::Load(int row)
{
    SaveReader().GetRow("thinker", row, state, time, rep_left);
}

std::unique_ptr<CActivity> CThinker::CloneFor(CAnimal* owner) const
{
    return CopyFor(*this, owner);
}

// The fall into the water.

float ThrowTime(float velY, float dy)
{
    const float disc = 4.0f * velY * velY + 4800.0f * dy;
    if (!(disc >= 0))
        return 0;
    return std::max(0.0f, (std::sqrt(disc) - 2.0f * velY) / 1200.0f);
}

bool CFishFall::Start()
{
    CAnimal& a = *animal;
    target_scale = a.scale;
    vel.y = float(-200 - Rand() % 50);
    a.targetpos.x = LandingX(a.pos.x);
    const CAnimalLocation& band = AnimalLocation();
    const int h = a.PixelHeight() / 2;
    int hi = int(float(band.max_fish_y - h) - d_up);
    int lo = int(float(band.min_fish_y + h) + d_down);
    if (hi < lo)
        hi = lo = (lo + hi) / 2;
    a.targetpos.y = float(lo) + float(Rand() % 1000) / 1000.0f * float(hi - lo);
    acc = kThrowAcc;
    const float t = ThrowTime(vel.y, a.targetpos.y - a.pos.y);
    time = 1000.0f * t;
    vel.x = t > 0 ? (a.targetpos.x - a.pos.x) / t : 0;
    const int width = a.PixelWidth();
    if (width > 70) {
        a.scale = 70.0f / float(int(float(width) / a.scale));
        d_scale = target_scale - a.scale;
        a.image.SetScale(a.scale);
    }
    return true;
}

void CFishFall::Land()
{
    if (is_underwater && d_scale != 0) {
        animal->scale = target_scale;
        animal->image.SetScale(target_scale);
    }
    animal->isfalling = false;
    animal->pos = animal->targetpos;
}

bool CFishFall::Update(float ms)
{
    CAnimal& a = *animal;
    time -= ms;
    a.pos.x += vel.x * ms / 1000.0f;
    a.pos.y += vel.y * ms / 1000.0f;
    const float water = float(WaterLine());
    if (is_underwater) {
        if (d_scale != 0) {
            a.scale = target_scale - d_scale * SafeDiv(time, max_time);
            a.image.SetScale(a.scale);
        }
        vel.y += ms * acc / 1000.0f;
    } else if (a.pos.y >= water) {
        if (vel.y != 0)
            a.pos.x -= (a.pos.y - water) / vel.y * vel.x;
        a.pos.y = water;
        vel.y *= 0.25f;
        const float t = SafeDiv(a.targetpos.y - a.pos.y, vel.y * 1.2f / 2.0f);
        // Landing at or above the line (a depth of 0) ends the sinking at once.
        if (t > 0) {
            acc = vel.y * -0.8f / t;
            time = max_time = 1000.0f * t;
            vel.x = (a.targetpos.x - a.pos.x) / t;
        } else {
            time = max_time = 0;
        }
        is_underwater = true;
        WorldHooks().OnDropInWater(a.id);
    } else {
        vel.y += ms * acc / 1000.0f;
    }
    if (time <= 0) {
        Land();
        return false;
    }
    return true;
}

int CFishFall::Save()
{
    return SaveWriter().WriteRow("fish_fall", d_up, d_down, acc, target_scale, max_time, time, vel, d_scale,
                                 is_underwater);
}

void CFishFall::Load(int row)
{
    SaveReader().GetRow("fish_fall", row, d_up, d_down, acc, target_scale, max_time, time, vel, d_scale, is_underwater);
}

float CyclesTime(const CPicture& picture, int minCycles, int maxCycles)
{
    const int n = DrawBetween(Rand(), minCycles, maxCycles);
    float length = 0;
    return picture.AnimationLength(length) ? float(n) * length : float(n);
}

// Creeper.

bool CCreeperMover::Start()
{
    CAnimal& a = *animal;
    Show(walk_image);
    if (!a.isfalling) {
        time = CyclesTime(walk_image, min_cycles, max_cycles);
        return true;
    }
    a.image.AddFlags(CImage::STOP_ANIMATION);
    vel.y = float(-200 - Rand() % 50);
    a.targetpos.x = LandingX(a.pos.x);
    a.targetpos.y = float(AnimalLocation().path.Evaluate(int(a.targetpos.x)) - a.PixelHeight() / 2);
    acc = kThrowAcc;
    const float t = ThrowTime(vel.y, a.targetpos.y - a.pos.y);
    time = 1000.0f * t;
    vel.x = t > 0 ? (a.targetpos.x - a.pos.x) / t : 0;
    return true;
}

bool CCreeperMover::Update(float ms)
{
    CAnimal& a = *animal;
    time -= ms;
    if (a.isfalling) {
        a.pos.x += vel.x * ms / 1000.0f;
        a.pos.y += vel.y * ms / 1000.0f;
        const float water = float(WaterLine());
        if (!under_water && a.pos.y >= water) {
            if (collect)
                if (CPipeline* pipeline = LevelPipeline())
                    pipeline->CollectWaterBonuses();
            if (vel.y != 0)
                a.pos.x -= (a.pos.y - water) / vel.y * vel.x;
            a.pos.y = water;
            vel.y *= 0.25f;
            const float t = SafeDiv(a.targetpos.y - a.pos.y, vel.y * 1.2f / 2.0f);
            if (t > 0) {
                acc = vel.y * -0.8f / t;
                time = 1000.0f * t;
                vel.x = (a.targetpos.x - a.pos.x) / t;
            } else {
                time = 0;
            }
            under_water = true;
            WorldHooks().OnDropInWater(a.id);
        } else {
            vel.y += ms * acc / 1000.0f;
        }
        if (time <= 0) {
            a.isfalling = false;
            a.pos = a.targetpos;
            Start();
        }
        return true;
    }
    if (AtEdge(a))
        return false;
    a.pos.x += float(a.dir) * a.scale * speed * ms / 1000.0f;
    a.pos.y = float(AnimalLocation().path.Evaluate(int(a.pos.x)) - a.PixelHeight() / 2);
    return TimeLeft(time);
}

int CCreeperMover::Save()
{
    return SaveWriter().WriteRow("creeper_mover", acc, time, vel, under_water);
}

void CCreeperMover::Load(int row)
{
    SaveReader().GetRow("creeper_mover", row, acc, time, vel, under_water);
}

std::unique_ptr<CActivity> CCreeperMover::CloneFor(CAnimal* owner) const
{
    return CopyFor(*this, owner);
}

// Fish.

bool CFishMover::Start()
{
    CAnimal& a = *animal;
    Show(swim_image);
    if (state == 0) {
        fall.animal = animal;
        return fall.Start();
    }
    state = 2;
    time = CyclesTime(swim_image, min_cycles, max_cycles);
    int dy = SwimOffset();
    const CAnimalLocation& band = AnimalLocation();
    if (a.pos.y + float(dy) > float(band.max_fish_y))
        dy = int(float(band.max_fish_y) - a.pos.y);
    if (a.pos.y + float(dy) < float(band.min_fish_y))
        dy = int(float(band.min_fish_y) - a.pos.y);
    vel.x = speed;
    vel.y = time != 0 ? float(dy) / (time / 1000.0f) : 0;
    return true;
}

bool CFishMover::Update(float ms)
{
    CAnimal& a = *animal;
    if (state == 0) {
        fall.animal = animal;
        if (!fall.Update(ms)) {
            state = 2;
            Start();
        }
        return true;
    }
    time -= ms;
    if (state == 2) {
        if (AtEdge(a))
            state = 1;
        const float k = ms * a.scale / 1000.0f;
        a.pos.x += float(a.dir) * vel.x * k;
        a.pos.y += vel.y * k;
    }
    return TimeLeft(time);
}

int CFishMover::Save()
{
    return SaveWriter().WriteRow("fish_mover", time, vel, state, save::Child(fall));
}

void CFishMover::Load(int row)
{
    SaveReader().GetRow("fish_mover", row, time, vel, state, save::Child(fall));
}

std::unique_ptr<CActivity> CFishMover::CloneFor(CAnimal* owner) const
{
    auto copy = CopyFor(*this, owner);
    copy->fall.animal = owner;
    return copy;
}

// Octopus.

void COctopusMover::ResetHop()
{
    animal->image.ResetTime();
    animal->pos.y = y;
    swim_image.AnimationLength(cycle_time);
    vel = FPoint(speed, hop);
}

bool COctopusMover::Start()
{
    CAnimal& a = *animal;
    Show(swim_image);
    if (state == 0) {
        fall.animal = animal;
        fall.d_up = a.scale * hop;
        a.image.AddFlags(CImage::STOP_ANIMATION);
        return fall.Start();
    }
    state = 2;
    const int n = DrawBetween(Rand(), min_cycles, max_cycles);
    float length = 0;
    if (swim_image.AnimationLength(length) && length > 0) {
        time = float(n) * length;
        cycle_time = length;
        acc = hop * -2000.0f / length;
        y = a.pos.y;
        vel = FPoint(speed, hop);
        a.image.ResetTime();
    }
    return true;
}

bool COctopusMover::Update(float ms)
{
    CAnimal& a = *animal;
    if (state == 0) {
        fall.animal = animal;
        if (!fall.Update(ms)) {
            state = 2;
            Start();
        }
        return true;
    }
    time -= ms;
    if (state == 2) {
        if (AtEdge(a))
            state = 1;
        const float t = ms / 1000.0f;
        a.pos.x += float(a.dir) * a.scale * vel.x * t;
        a.pos.y += a.scale * vel.y * t;
        vel.y += t * acc;
        cycle_time -= ms;
        if (cycle_time <= 0 || time <= 0 || state != 2)
            ResetHop();
    }
    return TimeLeft(time);
}

int COctopusMover::Save()
{
    return SaveWriter().WriteRow("octopus_mover", time, vel, state, cycle_time, acc, y, save::Child(fall));
}

void COctopusMover::Load(int row)
{
    SaveReader().GetRow("octopus_mover", row, time, vel, state, cycle_time, acc, y, save::Child(fall));
}

std::unique_ptr<CActivity> COctopusMover::CloneFor(CAnimal* owner) const
{
    auto copy = CopyFor(*this, owner);
    copy->fall.animal = owner;
    return copy;
}

// Shark.

bool CSharkMover::Start()
{
    CAnimal& a = *animal;
    Show(swim_image);
    if (state == 0) {
        fall.animal = animal;
        return fall.Start();
    }
    if (state == 1)
        state = 2;
    vel.x = speed;
    time = CyclesTime(swim_image, min_cycles, max_cycles);
    if (state == 4) {
        Show(attack_image);
        a.pos.y = float(WaterLine() + 20);
        vel.y = 0;
        vel.x = 2.0f * vel.x;
        a.image.AddFlags(CImage::STOP_ANIMATION);
        return true;
    }
    int dy = SwimOffset();
    const CAnimalLocation& band = AnimalLocation();
    const float h = float(a.PixelHeight()) / 2.0f;
    if (a.pos.y + float(dy) > float(band.max_fish_y) - h)
        dy = int(float(band.max_fish_y) - a.pos.y - h);
    if (a.pos.y + float(dy) < float(band.min_fish_y) + h)
        dy = int(float(band.min_fish_y) - a.pos.y + h);
    vel.y = time != 0 ? float(dy) / (time / 1000.0f) : 0;
    return true;
}

void CSharkMover::Bite()
{
    CPipeline* pipeline = LevelPipeline();
    if (!pipeline)
        return;
    CAnimal& a = *animal;
    const int w = a.PixelWidth();
    const int h = a.PixelHeight();
    const bool mirrored = (a.image.GetFlags() & CImage::MIRRORED) != 0;
    const int left = mirrored ? int(a.pos.x - float(w) / 2.0f) : int(a.pos.x);
    std::vector<CElement*> eaten;
    pipeline->FindWaterElementsInRect(left, int(a.pos.y - float(h) / 2.0f), int(0.4f * float(w)), h, eaten);
    if (eaten.empty())
        return;
    if (!a.image.IsAnimatingOnce()) {
        services::PlaySound("SOUND_SHARK_EAT");
        a.image.RemoveFlags(CImage::STOP_ANIMATION);
        a.image.PlayAnimationOnce();
    }
    for (CElement* element : eaten)
        pipeline->RemoveElement(element, false, false);
}

bool CSharkMover::Update(float ms)
{
    CAnimal& a = *animal;
    if (state == 0) {
        fall.animal = animal;
        if (!fall.Update(ms)) {
            state = 3;
            Start();
        }
        return true;
    }
    time -= ms;
    if (state != 1) {
        const float k = ms * a.scale / 1000.0f;
        a.pos.x += float(a.dir) * vel.x * k;
        a.pos.y += vel.y * k;
        if (state == 4)
            Bite();
        if (AtEdge(a)) {
            if (state == 3) {
                state = 4;
                Start();
                return true;
            }
            if (state == 4) {
                const CAnimalLocation& band = AnimalLocation();
                const int h = a.PixelHeight() / 2;
                int hi = band.max_fish_y - h;
                int lo = band.min_fish_y + h;
                if (hi < lo)
                    hi = lo = (lo + hi) / 2;
                a.pos.y = float(lo) + float(Rand() % 1000) / 1000.0f * float(hi - lo);
            }
            state = 1;
        }
    }
    return TimeLeft(time);
}

int CSharkMover::Save()
{
    return SaveWriter().WriteRow("shark_mover", time, vel, state, save::Child(fall));
}

void CSharkMover::Load(int row)
{
    SaveReader().GetRow("shark_mover", row, time, vel, state, save::Child(fall));
}

std::unique_ptr<CActivity> CSharkMover::CloneFor(CAnimal* owner) const
{
    auto copy = CopyFor(*this, owner);
    copy->fall.animal = owner;
    return copy;
}

} // namespace tilvan
