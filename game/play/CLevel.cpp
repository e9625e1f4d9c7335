// The level: beginning from a definition, the two-clock update of its parts and the end check.
#include "play/CLevel.h"

#include "board/BoardConfig.h"
#include "board/BonusKinds.h"
#include "data/CLevelInfo.h"
#include "play/CPlay.h"
#include "play/PlayHooks.h"
#include "shell/GameServices.h"
#include "world/CEnvironment.h"

namespace tilvan
{

namespace
{

CPipeline* gCurrentPipeline = nullptr;

} // namespace

CPipeline* CLevel::CurrentPipeline()
{
    return gCurrentPipeline;
}

CLevel::CLevel(CPlay* owner) : CLayerObject(true, 0), owner(owner), pipeline(&water), creator(&pipeline, &grid)
{
    CPlayerInfo::Instance().SetCurrentLevel(this);
    gCurrentPipeline = &pipeline;
    SetCurrentLevelView(this);
    // The pieces draw their lit pass only when the application draws in 3D.
    CElement::SetUse3D(services::Is3DEnabled());
    environment = std::make_unique<CEnvironment>(this, &pipeline, &birds);
}

CLevel::~CLevel()
{
    effects.clear();
    environment.reset();
    if (CurrentLevelView() == this)
        SetCurrentLevelView(nullptr);
    // Nothing may reach this level's pipeline or the level through the player once it is gone.
    if (gCurrentPipeline == &pipeline)
        gCurrentPipeline = nullptr;
    CPlayerInfo::Instance().WithdrawCurrentLevel(this);
}

bool CLevel::Begin(int index)
{
    winning = false;
    pipeline.Reset();
    definition = GetLevelInfo(index);
    if (!definition)
        return false;
    state = started ? normal : before_start;
    if (definition->location)
        SetLayer(definition->location->level_z);
    water.SetNight(definition->location && definition->location->night);
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.is_bonus_level = definition->bonus;
    time_left = 0;
    if (definition->bonus) {
        time_left = static_cast<float>(definition->time) * 1000.0f;
        if (auto& make = level_effects::LevelEffectMakers().bonusClock)
            AddEffect(make(*this, static_cast<int>(time_left)));
    }
    grid.Configure(*definition);
    environment->SetLevel(definition);
    CCreatorPlayer view = player.CreatorView();
    creator.Begin(*definition, view);
    player.TakeCreatorFlags(view);
    fire.Begin(*definition);
    creator.SetTimeLeft(0);
    if (player.IsPearlLevel(index))
        grid.AddPearl();
    // The start sequence belongs to the scenery's effects; without one the level runs at once.
    if (!started) {
        auto& make = level_effects::LevelEffectMakers().startLevel;
        if (make)
            AddEffect(make(*this));
        else
            Start();
    }
    return true;
}

void CLevel::StartEnvironment()
{
    environment->Start();
}

void CLevel::MeltScenery(int ms)
{
    environment->Melt(ms);
}

void CLevel::Start()
{
    state = normal;
    started = true;
    creator.SetTimeLeft(0);
}

void CLevel::BringNextElement()
{
    if (!is_bonus())
        creator.SetTimeLeft(0);
}

bool CLevel::is_bonus() const
{
    return definition && definition->bonus;
}

int CLevel::get_number() const
{
    return definition ? definition->number : -1;
}

void CLevel::AddEffect(level_effects::EffectPtr effect)
{
    if (effect)
        effects.push_back(std::move(effect));
}

void CLevel::OnScorePearls(int pearls)
{
    if (auto& make = level_effects::LevelEffectMakers().scorePearl)
        AddEffect(make(pearls));
}

void CLevel::Update(float scaled, float real)
{
    CElement::SetUse3D(services::Is3DEnabled());
    // The scenery runs on the real clock: a slowed game does not slow the sea.
    environment->Update(real);
    if (started && state != ending) {
        creator.Update(scaled);
        CPlayerInfo::Instance().AddPlayTime(real);
    }
    for (auto& e : effects)
        e->Update(scaled);
    effects.remove_if([](const level_effects::EffectPtr& e) { return e->IsFinished(); });
    water.Update(scaled);
    birds.Update(scaled);
    grid.Update(scaled);
    fire.Update(real);
    pipeline.Update(scaled);
    EndCheck(scaled);
}

void CLevel::EndCheck(float scaled)
{
    if (!started || state == win || state == lose)
        return;
    int d = pipeline.is_nearly_full ? danger : normal;
    if (pipeline.is_full)
        d = lose;
    if (is_bonus()) {
        if (state != ending)
            time_left -= scaled;
        if (time_left <= 0)
            d = lose;
    }
    if (grid.IsFull())
        d = win;
    const bool wasEnding = state == ending;
    if (!wasEnding)
        state = d;
    if (d != win && d != lose)
        return;
    if (!wasEnding) {
        winning = d == win;
        CallPlayHook("on_end_level", this);
        if (owner)
            owner->AddPause(1.0f, 0);
        state = ending;
        if (winning || is_bonus()) {
            if (pipeline.HasBonusElement())
                CPlayerInfo::Instance().statistic.bonus_lost = true;
            effects.clear();
            if (auto& make = level_effects::LevelEffectMakers().levelComplete)
                AddEffect(make(*this));
        }
    }
    if (effects.empty())
        state = d;
}

void CLevel::Draw(Olvarn::Graphics& g)
{
    water.DrawBack(g);
    grid.Draw(g);
    if (gridOverlay)
        grid.DrawOverlay(g);
    fire.Draw(g);
    birds.Draw(g);
    pipeline.Draw(g);
}

void CLevel::DrawFront(Olvarn::Graphics& g)
{
    water.DrawFront(g);
    for (auto& e : effects)
        e->Draw(g);
}

void CLevel::FillGrid()
{
    for (int c = 0; c < CGrid::kColumns; ++c)
        for (int r = 0; r < CGrid::kRows; ++r) {
            CGridCell* cell = grid.GetCell(c, r);
            if (!cell || !cell->enabled || !cell->free)
                continue;
            CElement e(14, 0);
            // Insertion snaps the shape 35 pixels lower than its anchor.
            e.SetPosition(cell->center.x, cell->center.y - 35);
            if (!cell->up)
                e.StepRotation();
            grid.InsertElement(e);
        }
}

} // namespace tilvan
