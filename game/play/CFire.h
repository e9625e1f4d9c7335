// The fireplace of a level: clicking the burning fire with a carried piece burns it and puts the
// fire out for a while; clicking the wood with an empty hand buys the next fire level for pearls.
#pragma once

#include <string>

#include "board/CMouseListener.h"
#include "core/Rect.h"
#include "core/Vector2.h"
#include "data/CSaveObject.h"
#include "shell/CImage.h"

namespace tilvan
{

class CLevelInfo;
class CXmlDataReader;

struct CFireConfig {
    std::string image, image_on;
    int delay[4] = {0, 0, 0, 0};
    int cost[4] = {0, 0, 0, 0};
    std::string fireplace_image[4];
    Olvarn::OlvarnVector2 fireplace_offset;
    std::string wood_image[4];
    Olvarn::OlvarnVector2 wood_offset;
    std::string wood_light;
};

CFireConfig& FireConfig();
// The pearls level n of the fire costs (1 to 3); 0 otherwise.
int get_fire_upgrade_cost(int n);

class CFire : public CMouseListener, public save::CSaveObject
{
public:
    static constexpr int kClassId = 114;

    CFire();

    int Save() override;
    // The look stays the saved one until the next step; the picture is the burning one again.
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    static void DeclareConfig(CXmlDataReader& reader);
    static void LoadConfig(CXmlDataReader& reader);

    void Begin(const CLevelInfo& level);
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    bool Contains(int x, int y) const;
    bool MouseDown(int x, int y, int clicks, CCursor& cursor) override;
    bool MouseUp(int x, int y, int clicks, CCursor& cursor) override;
    bool MouseMove(int x, int y, CCursor& cursor) override;

    void SetLevel(int level);
    void Use();
    bool IsFaded() const { return is_faded; }
    float DelayTimeLeft() const { return delay_time_left; }
    int Delay() const { return delay; }
    Olvarn::Rect GetRect() const { return rect; }
    Olvarn::Rect WoodRect();
    float GetAddY() const { return add_y; }
    bool IsBonus() const { return is_bonus; }
    Olvarn::OlvarnVector2 GetPos() const { return pos; }
    int GetAlpha() const { return image.GetAlpha(); }

private:
    void UpdateLook();

    Olvarn::OlvarnVector2 pos, firepos;
    float add_y = 0;
    Olvarn::Rect rect;
    int delay = 0;
    CImage image{std::string()}, fireplace{std::string()}, glow{std::string()}, wood{std::string()},
        light_wood{std::string()};
    bool is_light_wood = false;
    bool is_bonus = false;
    float delay_time_left = 0;
    bool is_faded = false;
    bool fireHovered = false, pressed = false;
    float glowPhase = 0;
};

} // namespace tilvan
