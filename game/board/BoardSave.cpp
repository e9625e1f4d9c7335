// How the board's objects are written to and read from saves: one row each, children first.
#include "board/BoardSave.h"
#include "board/CPearlCreator.h"

#include <stdexcept>

#include "board/CElementCreator.h"
#include "board/CGrid.h"
#include "board/CPipeline.h"
#include "board/CPlayerInfo.h"
#include "data/CSaveSchema.h"
#include "data/DataCodecs.h"
#include "data/StartupRegistrations.h"
#include "shell/CImage.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

namespace
{

using save::CSaveSchema;

const CSaveSchema kElement{"element",
                           {"id", "type", "pos", "angle", "bonus", "is_rotating", "time_left", "f_angle", "is_tremble",
                            "add_angle", "tremble_time", "tremble_time_left", "is_moving", "speed", "target_pos",
                            "image", "rotate_sign"}};
const CSaveSchema kGrid{"grid", {"elements", "pearls", "offset", "is_full", "empty_cells", "complete_percents"}};
const CSaveSchema kGridElement{"grid_element", {"element", "x", "y"}};
const CSaveSchema kGridPearl{"grid_pearl", {"pearl", "x", "y", "min_percent"}};
const CSaveSchema kPearl{"pearl", {"pos", "image", "enabled", "time", "dead"}};
const CSaveSchema kPearlCreator{"pearl_creator", {"pearl_levels"}};
const CSaveSchema kPipeline{"pipeline", {"elements", "bonus_elements", "is_full", "is_nearly_full", "free_space"}};
const CSaveSchema kPipelineElement{"pipeline_element",
                                   {"element", "vel", "acc", "in_water", "space_pos", "target_x", "inserted"}};
const CSaveSchema kPlayer{"player",
                          {"statistic",
                           "consecutively_win_count",
                           "flags",
                           "lost_level_count",
                           "pearl_creator",
                           "name",
                           "last_lost_level",
                           "lost_count",
                           "score",
                           "level",
                           "is_bonus_level",
                           "points",
                           "fire_level",
                           "free_space",
                           "elements_num",
                           "bonus_count",
                           "bonus_used",
                           "custom_data",
                           "save_fire_level",
                           "save_score",
                           "save_level",
                           "save_isbonus",
                           "save_points",
                           "save_freespace",
                           "save_elementsnum",
                           "save_bonus_count",
                           "start_level"}};
const CSaveSchema kCreator{"creator", {"level", "last_elem", "repeat_num", "time_left", "skipped_creation"}};

// The picture a piece or pearl shows, saved as its own "image" row; the row's number is what the
// owner's "image" attribute holds. Loading takes the picture from the type or resource again.
int SavePicture(const std::string& id, FPoint pos, float animationTime)
{
    CImage picture(id, static_cast<int>(pos.x), static_cast<int>(pos.y));
    picture.SetTime(static_cast<int>(animationTime));
    return picture.Save();
}

// The clock of a picture saved by SavePicture; the picture itself comes from the type or resource.
float LoadPictureTime(const std::string& row)
{
    if (row.empty())
        return 0;
    CImage picture{std::string()};
    save::LoadChildObject(row, picture);
    return picture.GetTime();
}

// Every listed row loaded into a new object appended to the list.
template <typename T, typename List> void LoadList(const std::string& rows, List& list)
{
    save::LoadChildList(rows, [&](int row) {
        auto object = std::make_unique<T>();
        save::CLoadGuard guard(T::kClassId, row);
        object->Load(row);
        list.push_back(std::move(object));
    });
}

} // namespace

int CElement::Save()
{
    const CElementType* type = GetType();
    return SaveWriter().WriteRow(kElement.element, mId, type ? mId : -1, mPos, mRotation, mBonus, mIsRotating,
                                 mTimeLeft, mFAngle, mIsTremble, mAddAngle, mTrembleTime, mTrembleTimeLeft, mIsMoving,
                                 mSpeed, mTargetPos,
                                 SavePicture(type ? type->mImageId : std::string(), mPos, mAnimTime), mRotateSign);
}

void CElement::Load(int row)
{
    int type = -1;
    std::string image;
    FPoint pos;
    SaveReader().GetRow(kElement.element, row, mId, type, pos, mRotation, mBonus, mIsRotating, mTimeLeft, mFAngle,
                        mIsTremble, mAddAngle, mTrembleTime, mTrembleTimeLeft, mIsMoving, mSpeed, mTargetPos, image,
                        mRotateSign);
    // The picture is the type's; the type is the saved one, and the picture's clock goes on.
    mId = type;
    mAnimTime = LoadPictureTime(image);
    mRotation = ((mRotation % 6) + 6) % 6;
    SetPosition(pos);
    mEffects.clear();
    if (mBonus != 0 && mBonus != 8 && element_effects::EffectMakers().bonus)
        AddEffect(element_effects::EffectMakers().bonus(*this));
}

int CGridElement::Save()
{
    return SaveWriter().WriteRow(kGridElement.element, save::Child(element), x, y);
}

void CGridElement::Load(int row)
{
    SaveReader().GetRow(kGridElement.element, row, save::Child(element), x, y);
}

int CGridPearl::Save()
{
    return SaveWriter().WriteRow(kGridPearl.element, save::Child(pearl), x, y, min_percent);
}

void CGridPearl::Load(int row)
{
    SaveReader().GetRow(kGridPearl.element, row, save::Child(pearl), x, y, min_percent);
}

int CGrid::Save()
{
    std::vector<int> flags;
    flags.reserve(2 * kCells);
    for (const auto& cell : mCells)
        flags.push_back(cell.free);
    for (const auto& cell : mCells)
        flags.push_back(cell.enabled);
    std::string elements, pearls;
    for (auto& ge : mElements)
        elements += std::to_string(ge->Save()) + " ";
    for (auto& gp : mPearls)
        pearls += std::to_string(gp->Save()) + " ";
    return SaveWriter().WriteRow(kGrid.element, elements, pearls, mOffset, mIsFull, IntListText(flags),
                                 mCompletePercents);
}

void CGrid::Load(int row)
{
    Reset();
    std::string elements, pearls;
    std::vector<int> flags;
    SaveReader().GetRow(kGrid.element, row, elements, pearls, mOffset, mIsFull, flags, mCompletePercents);
    // Both halves of the cell flags are read by index.
    if (flags.size() != static_cast<size_t>(2 * kCells))
        throw std::runtime_error("grid: the saved board holds " + std::to_string(flags.size()) +
                                 " cell flags instead of 1600");
    LoadList<CGridElement>(elements, mElements);
    LoadList<CGridPearl>(pearls, mPearls);
    ApplyOffset();
    for (int i = 0; i < kCells; ++i) {
        mCells[i].free = flags[i] != 0;
        mCells[i].enabled = flags[kCells + i] != 0;
    }
    mBackground.Build(mCells, mOffset);
}

int CPearl::Save()
{
    return SaveWriter().WriteRow(kPearl.element, mPos, SavePicture(kPearlImageId, mPos, mAnimTime), mShown, mTime,
                                 mDead);
}

void CPearl::Load(int row)
{
    std::string image;
    SaveReader().GetRow(kPearl.element, row, mPos, image, mShown, mTime, mDead);
    mAnimTime = LoadPictureTime(image);
    mCreationNotified = false;
}

int CPearlCreator::Save()
{
    return SaveWriter().WriteRow(kPearlCreator.element, IntListText(std::vector<int>(mLevels.begin(), mLevels.end())));
}

void CPearlCreator::Load(int row)
{
    std::vector<int> levels;
    SaveReader().GetRow(kPearlCreator.element, row, levels);
    mLevels = std::set<int>(levels.begin(), levels.end());
}

int CPipelineElement::Save()
{
    return SaveWriter().WriteRow(kPipelineElement.element, save::Child(element), vel, acc, in_water, space_pos,
                                 target_x, inserted);
}

void CPipelineElement::Load(int row)
{
    SaveReader().GetRow(kPipelineElement.element, row, save::Child(element), vel, acc, in_water, space_pos, target_x,
                        inserted);
}

int CPipeline::Save()
{
    std::string list, row;
    for (auto& pe : elements)
        list += std::to_string(pe->Save()) + " ";
    for (auto& e : bonus_elements)
        row += std::to_string(e.Save()) + " ";
    // The elements are a list of child rows, which ends with one more blank.
    return SaveWriter().WriteRow(kPipeline.element, list + " ", row.empty() ? " " : row, is_full, is_nearly_full,
                                 free_space);
}

void CPipeline::Load(int row)
{
    Reset();
    std::string list, floating;
    SaveReader().GetRow(kPipeline.element, row, list, floating, is_full, is_nearly_full, free_space);
    LoadList<CPipelineElement>(list, elements);
    save::LoadChildList(floating, [&](int r) {
        CElement e;
        save::CLoadGuard guard(CElement::kClassId, r);
        e.Load(r);
        bonus_elements.push_back(e);
    });
    for (auto& pe : elements)
        pe->owner = this;
    ReoccupySlots();
}

int CElementCreator::Save()
{
    return SaveWriter().WriteRow(kCreator.element, mLevel, mLastElem, mRepeatNum, mTimeLeft, mSkipped);
}

void CElementCreator::Load(int row)
{
    SaveReader().GetRow(kCreator.element, row, mLevel, mLastElem, mRepeatNum, mTimeLeft, mSkipped);
}

void RegisterBoardSaveClasses()
{
    save::RegisterSchema<kElement>(CElement::kClassId);
    save::RegisterSchema<kCreator>(CElementCreator::kClassId);
    save::RegisterSchema<kGrid>(CGrid::kClassId);
    save::RegisterSchema<kGridElement>(CGridElement::kClassId);
    save::RegisterSchema<kGridPearl>(CGridPearl::kClassId);
    save::RegisterSchema<kPearlCreator>(CPearlCreator::kClassId);
    save::RegisterSchema<kPearl>(CPearl::kClassId);
    save::RegisterSchema<kPipeline>(CPipeline::kClassId);
    save::RegisterSchema<kPipelineElement>(CPipelineElement::kClassId);
    save::RegisterSchema<kPlayer>(CPlayerInfo::kClassId);
}

void AddBoardRegistrations(CStartupRegistrations& r)
{
    r.Add(EStartupStep::ElementSaveClasses, [] {
        save::RegisterSchema<kElement>(CElement::kClassId);
        save::RegisterSchema<kCreator>(CElementCreator::kClassId);
    });
    r.Add(EStartupStep::GameAndGridSaveClasses, [] {
        save::RegisterSchema<kGrid>(CGrid::kClassId);
        save::RegisterSchema<kGridElement>(CGridElement::kClassId);
        save::RegisterSchema<kGridPearl>(CGridPearl::kClassId);
        save::RegisterSchema<kPlayer>(CPlayerInfo::kClassId);
    });
    r.Add(EStartupStep::PlaySaveClasses, [] {
        save::RegisterSchema<kPearlCreator>(CPearlCreator::kClassId);
        save::RegisterSchema<kPearl>(CPearl::kClassId);
        save::RegisterSchema<kPipeline>(CPipeline::kClassId);
        save::RegisterSchema<kPipelineElement>(CPipelineElement::kClassId);
    });
}

} // namespace tilvan
