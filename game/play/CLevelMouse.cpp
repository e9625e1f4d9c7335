// The road of a click on the level: taking a piece from the pipeline, putting the carried piece into
// the board or back into the pipeline, and using the carried tool.
#include <algorithm>

#include "board/BonusKinds.h"
#include "data/CConstantsRegistry.h"
#include "play/CCursor.h"
#include "play/CLevel.h"

namespace tilvan
{

namespace
{

int AirScore()
{
    int score = 0;
    CConstantsRegistry::Instance().GetInt("scores", "get_element_in_air", score);
    return score;
}

} // namespace

void CLevel::ShowScore(int score, FPoint pos)
{
    if (auto& make = level_effects::LevelEffectMakers().floatingScore)
        AddEffect(make(score, pos));
}

void CLevel::AddAirScore(const CElement& e, bool onWater, bool putBack, const CCursor& cursor)
{
    if (onWater || putBack)
        return;
    int score = AirScore();
    CPlayerInfo::Instance().AddScore(score, true);
    float y = std::max(30.0f, cursor.pos.y - e.GetImageCenter().y);
    ShowScore(score, FPoint(cursor.pos.x, y));
}

void CLevel::UseTool(CCursor& cursor, int slot)
{
    cursor.UseBonus();
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.AddBonusCount(slot, -1);
    player.SetBonusUsed(slot);
}

void CLevel::ShowCrabCatch(const CElement& e)
{
    const auto& makers = level_effects::LevelEffectMakers();
    if (makers.spread)
        AddEffect(makers.spread(e, 3000, 0.5f, 12));
    if (int s = GetBonusScore(e.GetBonusKind())) {
        CPlayerInfo::Instance().AddScore(s, true);
        ShowScore(s, e.GetPosition());
    }
}

bool CLevel::MouseMove(int, int, CCursor&)
{
    return false;
}

bool CLevel::CatchBird(int x, int y)
{
    CBird* bird = birds.FindBird(x, y);
    if (!bird)
        return false;
    const FPoint at = bird->GetPosition();
    if (auto& make = level_effects::LevelEffectMakers().fadeImage)
        AddEffect(make(bird->GetImage(), at, 500));
    ShowScore(bird->GetScore(), at);
    CPlayerInfo::Instance().AddScore(bird->GetScore(), true);
    bird->Hit();
    return true;
}

bool CLevel::MouseDown(int x, int y, int clicks, CCursor& cursor)
{
    if (clicks != 1 && clicks != 2)
        return false;
    if (!started || state == ending)
        return false;
    CPlayerInfo& player = CPlayerInfo::Instance();
    switch (cursor.GetState()) {
    case CCursor::free: {
        // A bird in front of a piece is caught first.
        if (CatchBird(x, y))
            return true;
        CElement* e = pipeline.FindElementAt(x, y);
        if (!e)
            return false;
        cursor.SetState(CCursor::element_state);
        CElement carried(*e);
        carried.SetTremble(false);
        cursor.SetElement(carried);
        bool onWater = pipeline.IsInWater(e);
        AddAirScore(*e, onWater, pipeline.IsInserted(e), cursor);
        pipeline.RemoveElement(e, false, false);
        bool fits = grid.CanPlaceAnywhere(cursor.Element());
        cursor.Element().NotifyPickedUp(fits, onWater);
        return true;
    }
    case CCursor::element_state:
    case CCursor::octopus_element:
        return DropCarried(x, y, cursor);
    case CCursor::pufferfish:
        return player.GetBonusCount(kSlotPufferfish) > 0 && UsePufferfish(x, y, cursor);
    case CCursor::hammerfish:
        return player.GetBonusCount(kSlotHammerfish) > 0 && UseHammerfish(x, y, cursor);
    case CCursor::octopus:
        return player.GetBonusCount(kSlotOctopus) > 0 && UseOctopus(x, y, cursor);
    default:
        return false;
    }
}

bool CLevel::DropCarried(int x, int y, CCursor& cursor)
{
    CElement& carried = cursor.Element();
    const int after = cursor.GetState() == CCursor::octopus_element ? CCursor::octopus : CCursor::free;
    int s = GetBonusScore(carried.GetBonusKind());
    bool pearlTaken = false, outside = false;
    if (grid.InsertElement(carried, &pearlTaken, &outside)) {
        FPoint at = carried.GetPosition();
        if (s != 0) {
            CPlayerInfo::Instance().AddScore(s, true);
            ShowScore(s, at);
        }
        if (pearlTaken)
            if (auto& make = level_effects::LevelEffectMakers().pearl)
                AddEffect(make(at));
        cursor.SetState(after);
        cursor.EmptyElement();
        return true;
    }
    if (!is_bonus() && outside && !fire.Contains(x, y) && pipeline.InsertElementAt(carried, 90, 30)) {
        cursor.SetState(after);
        cursor.EmptyElement();
    }
    return false;
}

bool CLevel::UsePufferfish(int x, int y, CCursor& cursor)
{
    CGridCell* cell = grid.CellAtPoint(x, y);
    if (!cell || !cell->enabled || !cell->free)
        return false;
    CElement piece(14, 0);
    // Insertion snaps a shape 35 pixels below its anchor; the anchor goes that much higher so the
    // one-cell piece lands on the clicked cell.
    piece.SetPosition(cell->center.x, cell->center.y - 35);
    if (!cell->up)
        piece.StepRotation();
    bool pearlTaken = false;
    if (!grid.InsertElement(piece, &pearlTaken))
        return false;
    if (pearlTaken)
        if (auto& make = level_effects::LevelEffectMakers().pearl)
            AddEffect(make(cell->center));
    UseTool(cursor, kSlotPufferfish);
    return true;
}

bool CLevel::UseHammerfish(int x, int y, CCursor& cursor)
{
    auto& spread = level_effects::LevelEffectMakers().spread;
    if (CElement* e = pipeline.FindElementAt(x, y)) {
        if (spread)
            AddEffect(spread(*e, 4000, 1.0f, -1));
        cursor.UseBonus();
        int s = GetBonusScore(e->GetBonusKind());
        if (s != 0) {
            CPlayerInfo::Instance().AddScore(s, true);
            ShowScore(s, e->GetPosition());
        }
        pipeline.RemoveElement(e, false, true);
        CPlayerInfo::Instance().AddBonusCount(kSlotHammerfish, -1);
        CPlayerInfo::Instance().SetBonusUsed(kSlotHammerfish);
        return true;
    }
    CElement* g = grid.ElementAt(x, y);
    if (!g)
        return false;
    if (spread)
        AddEffect(spread(*g, 4000, 1.0f, -1));
    cursor.UseBonus();
    grid.RemoveElement(g);
    CPlayerInfo::Instance().AddBonusCount(kSlotHammerfish, -1);
    CPlayerInfo::Instance().SetBonusUsed(kSlotHammerfish);
    return true;
}

bool CLevel::UseOctopus(int x, int y, CCursor& cursor)
{
    if (CElement* g = grid.ElementAt(x, y)) {
        UseTool(cursor, kSlotOctopus);
        cursor.SetState(CCursor::octopus_element);
        CElement lifted(*g);
        lifted.SetTremble(false);
        cursor.SetElement(lifted);
        grid.RemoveElement(g);
        return true;
    }
    CElement* e = pipeline.FindElementAt(x, y);
    if (!e)
        return false;
    AddAirScore(*e, pipeline.IsInWater(e), pipeline.IsInserted(e), cursor);
    UseTool(cursor, kSlotOctopus);
    cursor.SetState(CCursor::octopus_element);
    CElement lifted(*e);
    lifted.SetTremble(false);
    cursor.SetElement(lifted);
    pipeline.RemoveElement(e, false, false);
    return true;
}

} // namespace tilvan
