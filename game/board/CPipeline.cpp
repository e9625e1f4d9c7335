// The pipeline: pieces falling into the water, their slots, and the floating row of bonus pieces.
#include "board/CPipeline.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "graphics/Image.h"

namespace tilvan
{

namespace
{
float gElementVel = 0;
}

void CPipeline::SetBonusElementVelocity(float v)
{
    gElementVel = v;
}
float CPipeline::BonusElementVelocity()
{
    return gElementVel;
}

CPipeline::CPipeline(const CWaterSurface* water) : mWater(water)
{
    // Without its picture the water answers no surface, and pieces would float at the top of the screen.
    if (!water || water->GetSurfaceY(0) < 0)
        throw std::runtime_error(std::string("Missing image ") + kWaterImageId +
                                 ": the water has no surface for the pipeline");
}

void CPipeline::Reset()
{
    is_full = is_nearly_full = false;
    // A level that starts again is not ending any more.
    mFading = false;
    mSlots = {};
    elements.clear();
    bonus_elements.clear();
    free_space = kSlots;
}

bool CPipeline::OccupySlots(CPipelineElement* e, int s)
{
    if (s < 0)
        return false;
    int w = e->element.GetWidth();
    for (int i = s; i < s + w && i < kSlots; ++i) {
        if (!mSlots[i].free)
            return false;
        mSlots[i].free = false;
        mSlots[i].occupant = e;
    }
    return true;
}

bool CPipeline::FreeSlots(CPipelineElement* e)
{
    for (int i = 0; i < kSlots; ++i)
        if (mSlots[i].occupant == e) {
            int w = e->element.GetWidth();
            for (int j = i; j < i + w && j < kSlots; ++j)
                mSlots[j] = Slot{};
            return true;
        }
    return false;
}

int CPipeline::SlotOf(int slot) const
{
    if (slot < 0 || slot >= kSlots || mSlots[slot].free)
        return -1;
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].get() == mSlots[slot].occupant)
            return static_cast<int>(i);
    return -1;
}

void CPipeline::UpdateFreeSpace()
{
    free_space = 0;
    for (const auto& s : mSlots)
        free_space += s.free;
    if (BoardEvents())
        BoardEvents()->OnPipelineSpace(free_space, static_cast<int>(elements.size()));
}

// Every piece at or past the slot moves by delta slots. A piece covers several slots, so each is
// moved once; moving up starts from the top and moving down from the bottom, so no piece is ever
// written over one that has not moved yet.
void CPipeline::ShiftPiecesFrom(int first, int delta)
{
    std::vector<CPipelineElement*> moved;
    auto shift = [&](int i) {
        CPipelineElement* o = mSlots[i].occupant;
        if (!o || o->space_pos < first || std::find(moved.begin(), moved.end(), o) != moved.end())
            return;
        moved.push_back(o);
        MoveToSlot(o, o->space_pos + delta);
    };
    if (delta > 0)
        for (int i = kSlots - 1; i >= first; --i)
            shift(i);
    else
        for (int i = first; i < kSlots; ++i)
            shift(i);
}

void CPipeline::MoveToSlot(CPipelineElement* e, int slot)
{
    FreeSlots(e);
    e->space_pos = slot;
    e->target_x = 20.0f * slot + e->element.GetImageCenter().x;
    OccupySlots(e, slot);
}

void CPipeline::PlacePendingElements()
{
    bool waiting = false;
    for (auto& pe : elements) {
        if (pe->space_pos != -1)
            continue;
        int b = kSlots;
        while (b > 0 && mSlots[b - 1].free)
            --b;
        int w = pe->element.GetWidth();
        if (kSlots - b < w) {
            waiting = true;
            continue;
        }
        pe->space_pos = b;
        pe->target_x = 20.0f * b + pe->element.GetImageCenter().x;
        OccupySlots(pe.get(), b);
    }
    is_nearly_full = waiting;
}

bool CPipeline::AddElement(const CElement& e, float vel, float acc, bool onWater)
{
    if (mFading)
        return false;
    for (const auto& pe : elements)
        if (pe->space_pos == -1)
            return false;
    int i = 0;
    while (i < kSlots && !mSlots[i].free)
        ++i;
    int w = e.GetWidth();
    FPoint c = e.GetImageCenter();
    int spacePos;
    float x0;
    if (i + w <= kSlots) {
        spacePos = i;
        x0 = 20.0f * i;
    } else {
        spacePos = -1;
        is_nearly_full = true;
        x0 = 20.0f * (kSlots - w);
    }
    float y = -c.y;
    if (onWater)
        y = static_cast<float>(SurfaceY(static_cast<int>(x0)) + e.GetSinkDepth());
    elements.push_back(std::make_unique<CPipelineElement>(this, e, x0 + c.x, y, vel, acc, spacePos, x0 + c.x));
    CPipelineElement* added = elements.back().get();
    if (spacePos >= 0)
        OccupySlots(added, spacePos);
    UpdateFreeSpace();
    added->element.NotifyCreated();
    return true;
}

bool CPipeline::InsertElementAt(const CElement& e, float vel, float acc)
{
    int w = e.GetWidth();
    int freeSlots = 0;
    for (const auto& s : mSlots)
        freeSlots += s.free;
    if (mFading || freeSlots < w)
        return false;
    FPoint p = e.GetPosition();
    float best = 1754.0f;
    int chosen = 0;
    for (int i = 0; i < kSlots; ++i) {
        if (!mSlots[i].free) {
            CPipelineElement* o = mSlots[i].occupant;
            float d = std::fabs(p.x - o->element.GetPosition().x);
            if (d < best)
                best = d, chosen = o->space_pos;
        } else {
            float d = std::fabs(p.x - 20.0f * i);
            if (d < best)
                best = d, chosen = i;
            break;
        }
    }
    ShiftPiecesFrom(chosen, w);
    elements.push_back(
        std::make_unique<CPipelineElement>(this, e, p.x, p.y, vel, acc, chosen, 20.0f * chosen + e.GetImageCenter().x));
    elements.back()->inserted = true;
    OccupySlots(elements.back().get(), chosen);
    UpdateFreeSpace();
    return true;
}

bool CPipeline::RemoveElement(const CElement* e, bool fade, bool collectBonus)
{
    for (auto it = bonus_elements.begin(); it != bonus_elements.end(); ++it)
        if (&*it == e) {
            if (collectBonus)
                it->CollectBonus();
            bonus_elements.erase(it);
            return true;
        }
    size_t index = 0;
    while (index < elements.size() && &elements[index]->element != e)
        ++index;
    if (index == elements.size())
        return false;
    CPipelineElement* pe = elements[index].get();
    FreeSlots(pe);
    int s = pe->space_pos, w = pe->element.GetWidth();
    if (collectBonus)
        pe->element.CollectBonus();
    elements.erase(elements.begin() + index);
    if (s >= 0) {
        ShiftPiecesFrom(s, -w);
    }
    PlacePendingElements();
    UpdateFreeSpace();
    return true;
}

void CPipeline::Update(float ms)
{
    for (auto& pe : elements)
        pe->Update(ms);
    UpdateBonusRow(ms);
}

void CPipeline::Draw(Olvarn::Graphics& g)
{
    for (auto& pe : elements)
        pe->element.Draw(g);
    for (auto& e : bonus_elements)
        e.Draw(g);
}

void CPipeline::FadeOut(int ms)
{
    mFading = true;
    for (auto& pe : elements)
        pe->element.FadeOut(ms);
    for (auto& e : bonus_elements)
        e.FadeOut(ms);
}

CElement* CPipeline::FindElementAt(int x, int y)
{
    if (mFading)
        return nullptr;
    for (auto& pe : elements)
        if (pe->element.HitTest(static_cast<float>(x), static_cast<float>(y), 8))
            return &pe->element;
    for (auto& e : bonus_elements)
        if (e.HitTest(static_cast<float>(x), static_cast<float>(y), 8))
            return &e;
    return nullptr;
}

bool CPipeline::IsInWater(const CElement* e) const
{
    for (const auto& pe : elements)
        if (&pe->element == e)
            return pe->in_water;
    for (const auto& b : bonus_elements)
        if (&b == e)
            return true;
    return false;
}

bool CPipeline::IsInserted(const CElement* e) const
{
    for (const auto& pe : elements)
        if (&pe->element == e)
            return pe->inserted;
    return false;
}

bool CPipeline::HasBonusElement() const
{
    for (const auto& pe : elements)
        if (pe->element.GetBonusKind() != 0 && pe->element.GetBonusKind() != 8)
            return true;
    return false;
}

void CPipeline::FindWaterElementsInRect(int x, int y, int width, int height, std::vector<CElement*>& out)
{
    for (auto& pe : elements) {
        if (!pe->in_water)
            continue;
        Olvarn::Image* img = pe->element.GetImage();
        int w = img ? img->GetWidth() : 0, h = img ? img->GetHeight() : 0;
        FPoint p = pe->element.GetPosition();
        int left = static_cast<int>(p.x - w / 2.0f), top = static_cast<int>(p.y - h / 2.0f);
        if (left + w > x && top + h > y && left < x + width && top < y + height)
            out.push_back(&pe->element);
    }
}

void CPipeline::CollectWaterBonuses()
{
    bool changed = false;
    for (int i = 0; i < kSlots; ++i) {
        CPipelineElement* pe = mSlots[i].occupant;
        if (!pe || pe->space_pos != i || !pe->in_water || pe->element.GetId() == 0)
            continue;
        const int oldWidth = pe->element.GetWidth();
        if (BoardEvents())
            BoardEvents()->OnCrabReached(pe->element);
        FreeSlots(pe);
        pe->ReplaceElement(CElement(0, 0));
        const int newWidth = pe->element.GetWidth();
        const int delta = newWidth - oldWidth;
        // The later pieces make room (or close up) before the new piece takes its slots; moving right
        // starts with the last piece, so no piece is moved onto one that has not moved yet.
        std::vector<CPipelineElement*> later;
        for (int j = i + oldWidth; j < kSlots; ++j) {
            CPipelineElement* o = mSlots[j].occupant;
            if (o && o != pe && o->space_pos == j)
                later.push_back(o);
        }
        if (delta > 0) {
            for (auto it = later.rbegin(); it != later.rend(); ++it) {
                CPipelineElement* o = *it;
                // A piece pushed past the last slot waits for room again.
                if (o->space_pos + delta + o->element.GetWidth() > kSlots) {
                    FreeSlots(o);
                    o->space_pos = -1;
                    continue;
                }
                MoveToSlot(o, o->space_pos + delta);
            }
        } else if (delta < 0) {
            for (auto* o : later)
                MoveToSlot(o, o->space_pos + delta);
        }
        pe->space_pos = i;
        pe->target_x = 20.0f * i + pe->element.GetImageCenter().x;
        OccupySlots(pe, i);
        changed = true;
        i += newWidth - 1;
    }
    PlacePendingElements();
    UpdateFreeSpace();
    if (changed && BoardEvents())
        BoardEvents()->OnCrabDone();
}

void CPipeline::ReoccupySlots()
{
    std::array<Slot, kSlots> saved = mSlots;
    mSlots = {};
    for (auto& pe : elements) {
        if (pe->space_pos < 0)
            continue;
        int w = pe->element.GetWidth();
        if (pe->space_pos + w > kSlots || !OccupySlots(pe.get(), pe->space_pos)) {
            mSlots = saved;
            throw std::runtime_error("pipeline: element at slot " + std::to_string(pe->space_pos) +
                                     " overlaps another or runs past the last slot");
        }
    }
}

CPipelineElement& CPipeline::AppendLoaded(const CPipelineElement& e)
{
    elements.push_back(std::make_unique<CPipelineElement>(e));
    elements.back()->owner = this;
    return *elements.back();
}

bool CPipeline::AddBonusElement(const CElement& e)
{
    if (mFading)
        return false;
    CElement copy(e);
    copy.SetTremble(true);
    FPoint c = copy.GetImageCenter();
    int sink = copy.GetSinkDepth();
    if (bonus_elements.empty()) {
        copy.SetPosition(c.x, static_cast<float>(SurfaceY(0) + sink));
    } else {
        const CElement& newest = bonus_elements.back();
        Olvarn::Image* img = newest.GetImage();
        float l = newest.GetPosition().x - newest.GetImageCenter().x + (img ? img->GetCellWidth() : 0);
        copy.SetPosition(l + c.x, static_cast<float>(SurfaceY(static_cast<int>(l)) + sink));
    }
    bonus_elements.push_back(copy);
    return true;
}

bool CPipeline::CanAddBonusElement() const
{
    if (bonus_elements.empty())
        return true;
    const CElement& newest = bonus_elements.back();
    return newest.GetPosition().x - newest.GetImageCenter().x < 877.0f;
}

void CPipeline::UpdateBonusRow(float ms)
{
    if (bonus_elements.empty())
        return;
    float step = gElementVel * ms / 1000;
    CElement& newest = bonus_elements.back();
    float nx = newest.GetPosition().x + step;
    newest.Update(ms, ms);
    newest.SetPosition(nx, static_cast<float>(SurfaceY(static_cast<int>(nx)) + newest.GetSinkDepth()));
    for (int i = static_cast<int>(bonus_elements.size()) - 2; i >= 0; --i) {
        CElement& e = bonus_elements[i];
        const CElement& newer = bonus_elements[i + 1];
        Olvarn::Image* img = e.GetImage();
        float imageWidth = img ? static_cast<float>(img->GetWidth()) : 0;
        float left = newer.GetPosition().x - newer.GetImageCenter().x;
        float right = e.GetPosition().x - e.GetImageCenter().x + imageWidth;
        float x = right <= left ? e.GetPosition().x : left - imageWidth + e.GetImageCenter().x;
        e.SetPosition(x, static_cast<float>(SurfaceY(static_cast<int>(x)) + e.GetSinkDepth()));
        e.Update(ms, ms);
    }
    for (auto it = bonus_elements.begin(); it != bonus_elements.end();) {
        Olvarn::Image* img = it->GetImage();
        float cellWidth = img ? static_cast<float>(img->GetCellWidth()) : 0;
        if (it->GetPosition().x - it->GetImageCenter().x + cellWidth < 0)
            it = bonus_elements.erase(it);
        else
            ++it;
    }
}

} // namespace tilvan
