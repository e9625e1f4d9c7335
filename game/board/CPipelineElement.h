// One piece in the pipeline: falling into the water, then drifting to its slot; saved as a
// "pipeline_element" row.
#pragma once

#include "board/CElement.h"
#include "data/CSaveObject.h"

namespace tilvan
{

class CPipeline;

class CPipelineElement : public save::CSaveObject
{
public:
    static constexpr int kClassId = 1121;
    CPipelineElement() = default;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    CPipelineElement(CPipeline* owner, const CElement& e, float x, float y, float vel, float acc, int spacePos,
                     float targetX);
    void Update(float ms);
    void ReplaceElement(const CElement& e);

    CElement element;
    float vel = 0, acc = 0;
    CPipeline* owner = nullptr;
    bool in_water = false;
    int space_pos = -1;
    float target_x = 0;
    bool inserted = false;
};

} // namespace tilvan
