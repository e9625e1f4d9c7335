// The row of 43 slots along the water line where new pieces fall, float and wait to be taken, and the
// bonus level's floating row that drifts along the water.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <vector>

#include "board/CElement.h"
#include "board/CPipelineElement.h"
#include "data/CSaveObject.h"

namespace tilvan
{

class CPipeline : public save::CSaveObject
{
public:
    static constexpr int kClassId = 112;
    int Save() override;
    // Reset, then the saved elements, flags and free space; slots are taken again from each element
    // and overlapping slots make the save damaged (throws).
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    static constexpr int kSlots = 43;

    // Throws std::runtime_error naming the water picture when the water has no surface.
    explicit CPipeline(const CWaterSurface* water);
    // "pipeline_class" with "get_full_percents".
    static void RegisterLuaClass(lua_State* L);

    // The "element_vel" of the bonus-level constants (pixels per second).
    static void SetBonusElementVelocity(float v);
    static float BonusElementVelocity();

    bool AddElement(const CElement& e, float vel, float acc, bool onWater);
    bool InsertElementAt(const CElement& e, float vel, float acc);
    bool RemoveElement(const CElement* e, bool fade, bool collectBonus);
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    void FadeOut(int ms);
    void Reset();
    CElement* FindElementAt(int x, int y);
    bool IsInWater(const CElement* e) const;
    bool IsInserted(const CElement* e) const;
    bool HasBonusElement() const;
    void FindWaterElementsInRect(int x, int y, int width, int height, std::vector<CElement*>& out);
    void CollectWaterBonuses();
    float get_full_percents() const { return (kSlots - free_space) / static_cast<float>(kSlots); }

    bool AddBonusElement(const CElement& e);
    bool CanAddBonusElement() const;

    // After a load: every element with a slot takes its slots again. Overlapping or out-of-range slots
    // are refused (std::runtime_error) and leave the slots as they were before the call.
    void ReoccupySlots();
    // Appends an element as loaded from a save, with its fields as stored.
    CPipelineElement& AppendLoaded(const CPipelineElement& e);

    int SurfaceY(int x) const { return mWater->GetSurfaceY(x); }
    bool IsFading() const { return mFading; }
    int SlotOf(int slot) const; // index in elements of the slot's occupant, -1 when free
    const std::vector<std::unique_ptr<CPipelineElement>>& GetElements() const { return elements; }
    std::deque<CElement>& GetBonusElements() { return bonus_elements; }

    bool is_full = false;
    bool is_nearly_full = false;
    int free_space = kSlots;

private:
    struct Slot {
        bool free = true;
        CPipelineElement* occupant = nullptr;
    };

    bool OccupySlots(CPipelineElement* e, int s);
    bool FreeSlots(CPipelineElement* e);
    void UpdateFreeSpace();
    void PlacePendingElements();
    void MoveToSlot(CPipelineElement* e, int slot);
    void ShiftPiecesFrom(int first, int delta);
    void UpdateBonusRow(float ms);

    std::array<Slot, kSlots> mSlots{};
    std::vector<std::unique_ptr<CPipelineElement>> elements;
    std::deque<CElement> bonus_elements;
    const CWaterSurface* mWater;
    bool mFading = false;
};

} // namespace tilvan
