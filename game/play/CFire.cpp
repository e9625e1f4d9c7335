// The fire and wood: burning carried pieces, going out for the level's delay, buying fire levels.
#include "play/CFire.h"

#include <algorithm>
#include <cmath>

#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "data/CXmlDataReader.h"
#include "play/CCursor.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

constexpr int kHand = 1;

bool Inside(const Olvarn::Rect& r, int x, int y)
{
    return x >= r.mX && x < r.mX + r.mWidth && y >= r.mY && y < r.mY + r.mHeight;
}

} // namespace

CFireConfig& FireConfig()
{
    static CFireConfig config;
    return config;
}

int get_fire_upgrade_cost(int n)
{
    return n >= 1 && n <= 3 ? FireConfig().cost[n] : 0;
}

void CFire::DeclareConfig(CXmlDataReader& reader)
{
    reader.DeclareElement("fire");
    for (const char* name : {"image",
                             "image_on",
                             "delay_0",
                             "cost_1",
                             "delay_1",
                             "cost_2",
                             "delay_2",
                             "cost_3",
                             "delay_3",
                             "fireplace_image",
                             "fireplace_offset",
                             "fireplace_image_1",
                             "fireplace_image_2",
                             "fireplace_image_3",
                             "wood_image",
                             "wood_offset",
                             "wood_image_1",
                             "wood_image_2",
                             "wood_image_3",
                             "wood_light"})
        reader.DeclareAttribute("fire", name, "");
}

void CFire::LoadConfig(CXmlDataReader& reader)
{
    CFireConfig& c = FireConfig();
    for (int i = 0, n = reader.GetRowCount("fire"); i < n; ++i) {
        CFloatPair fo, wo;
        reader.GetRow("fire", i, c.image, c.image_on, c.delay[0], c.cost[1], c.delay[1], c.cost[2], c.delay[2],
                      c.cost[3], c.delay[3], c.fireplace_image[0], fo, c.fireplace_image[1], c.fireplace_image[2],
                      c.fireplace_image[3], c.wood_image[0], wo, c.wood_image[1], c.wood_image[2], c.wood_image[3],
                      c.wood_light);
        c.fireplace_offset = Olvarn::OlvarnVector2(fo.x, fo.y);
        c.wood_offset = Olvarn::OlvarnVector2(wo.x, wo.y);
    }
}

CFire::CFire()
{
    const CFireConfig& c = FireConfig();
    image.SetImage(c.image);
    fireplace.SetImage(c.fireplace_image[0]);
    wood.SetImage(c.wood_image[0]);
    light_wood.SetImage(c.wood_light);
    glow.SetImage("IMAGE_FIREPLACE_GLOW");
    delay = c.delay[0];
    rect = Olvarn::Rect(0, 0, static_cast<int>(image.GetDimensions().x), static_cast<int>(image.GetDimensions().y));
    SetLevel(CPlayerInfo::Instance().fire_level);
    image.AddFlags(CCursor::kCenterPosFlag);
}

void CFire::Begin(const CLevelInfo& level)
{
    delay_time_left = 0;
    is_faded = false;
    if (!level.location)
        return;
    pos = Olvarn::OlvarnVector2(level.location->fire_pos.x, level.location->fire_pos.y);
    rect.mX = static_cast<int>(pos.x);
    rect.mY = static_cast<int>(pos.y);
    is_bonus = level.bonus;
    firepos = pos;
    if (image.GetImage())
        firepos = Olvarn::OlvarnVector2(pos.x + image.GetDimensions().x / image.GetScale() / 2,
                                        pos.y + image.GetDimensions().y / image.GetScale());
    SetLevel(CPlayerInfo::Instance().fire_level);
}

void CFire::SetLevel(int level)
{
    level = std::clamp(level, 0, 3);
    const CFireConfig& c = FireConfig();
    fireplace.SetImage(c.fireplace_image[level]);
    wood.SetImage(c.wood_image[level]);
    int old = delay;
    delay = c.delay[level];
    if (delay_time_left > 0 && old > 0)
        delay_time_left = delay_time_left * static_cast<float>(delay) / static_cast<float>(old);
    CPlayerInfo::Instance().fire_level = level;
    UpdateLook();
}

void CFire::UpdateLook()
{
    float scale = 0.85f + 0.1f * static_cast<float>(CPlayerInfo::Instance().fire_level);
    add_y = 0;
    int alpha = 255;
    if (delay_time_left > 0) {
        const float d = static_cast<float>(delay), t = delay_time_left;
        float f = -1;
        if (t > d - 250)
            f = (d - t) / 250;
        else if (t < 250)
            f = t / 250;
        if (f >= 0) {
            scale *= 1 - f / 2;
            add_y = -5 * f;
            alpha = std::clamp(static_cast<int>((1 - f) * 255), 0, 255);
        } else {
            scale *= 0.5f;
            add_y = -5;
            alpha = 0;
        }
    }
    image.SetScale(scale);
    image.SetAlpha(alpha);
    float w = image.GetDimensions().x, h = image.GetDimensions().y;
    rect = Olvarn::Rect(static_cast<int>(firepos.x - w / 2), static_cast<int>(firepos.y - h + add_y),
                        static_cast<int>(w), static_cast<int>(h));
}

void CFire::Use()
{
    if (is_bonus)
        return;
    is_faded = true;
    delay_time_left = static_cast<float>(delay);
    UpdateLook();
}

void CFire::Update(float ms)
{
    if (is_faded || delay_time_left > 0) {
        delay_time_left -= ms;
        if (delay_time_left <= 0) {
            is_faded = false;
            delay_time_left = 0;
        }
        UpdateLook();
    }
    image.Update(ms);
    fireplace.Update(ms);
    glow.Update(ms);
    glowPhase += ms;
    if (glowPhase > 1000)
        glowPhase = static_cast<float>(static_cast<int>(glowPhase) % 1000);
    glow.SetAlpha(static_cast<int>(std::floor(180 + 70 * std::sin(6.28 * glowPhase / 1000))));
    wood.Update(ms);
}

Olvarn::Rect CFire::WoodRect()
{
    const CFireConfig& c = FireConfig();
    return Olvarn::Rect(static_cast<int>(pos.x + c.wood_offset.x), static_cast<int>(pos.y + c.wood_offset.y),
                        static_cast<int>(wood.GetDimensions().x), static_cast<int>(wood.GetDimensions().y));
}

void CFire::Draw(Olvarn::Graphics& g)
{
    const CFireConfig& c = FireConfig();
    int fx = static_cast<int>(pos.x + c.fireplace_offset.x), fy = static_cast<int>(pos.y + c.fireplace_offset.y);
    fireplace.DrawAt(g, fx, fy);
    glow.DrawAt(g, fx, fy);
    if (image.GetAlpha() > 0)
        image.DrawAt(g, static_cast<int>(firepos.x), static_cast<int>(firepos.y - image.GetDimensions().y / 2 + add_y));
    Olvarn::Rect w = WoodRect();
    if (is_light_wood && CPlayerInfo::Instance().fire_level < 3)
        light_wood.DrawAt(g, w.mX, w.mY);
    wood.DrawAt(g, w.mX, w.mY);
}

bool CFire::Contains(int x, int y) const
{
    return Inside(rect, x, y);
}

bool CFire::MouseDown(int x, int y, int clicks, CCursor& cursor)
{
    if (clicks != 1 && clicks != 2)
        return false;
    pressed = true;
    CPlayerInfo& player = CPlayerInfo::Instance();
    if (Inside(rect, x, y) && delay_time_left <= 0 && cursor.IsCarrying()) {
        bool lifted = cursor.GetState() == CCursor::octopus_element;
        if (!lifted)
            Use();
        player.flags |= CPlayerInfo::fire_used;
        int kind = cursor.Element().GetBonusKind();
        if (kind != kBonusNone && kind != kBonusRandom)
            player.statistic.bonus_lost = true;
        cursor.EmptyElement();
        cursor.SetState(lifted ? CCursor::octopus : CCursor::free);
        services::PlaySound("SOUND_FIRE_BURN");
    }
    if (Inside(WoodRect(), x, y) && cursor.GetState() == CCursor::free) {
        int next = player.fire_level + 1;
        if (player.fire_level < 3 && player.points >= get_fire_upgrade_cost(next)) {
            player.AddPearls(-get_fire_upgrade_cost(next));
            SetLevel(next);
            player.flags |= CPlayerInfo::wood_used;
            return true;
        }
    }
    return false;
}

bool CFire::MouseUp(int, int, int, CCursor&)
{
    pressed = false;
    return false;
}

bool CFire::MouseMove(int x, int y, CCursor& cursor)
{
    if (pressed) {
        pressed = false;
        return false;
    }
    const CFireConfig& c = FireConfig();
    bool overFire = Inside(rect, x, y);
    if (overFire) {
        bool burning = delay_time_left <= 0;
        bool wantOn = burning && cursor.IsCarrying() && !c.image_on.empty();
        const std::string& want = wantOn ? c.image_on : c.image;
        if (image.GetId() != want) {
            float t = image.GetTime();
            image.SetImage(want);
            image.SetTime(static_cast<int>(t));
            UpdateLook();
        }
        fireHovered = true;
    } else if (fireHovered) {
        image.SetImage(c.image);
        UpdateLook();
        fireHovered = false;
    }
    if (Inside(WoodRect(), x, y) && cursor.GetState() == CCursor::free) {
        is_light_wood = true;
        services::SetAppCursor(kHand);
        return true;
    }
    is_light_wood = false;
    return overFire;
}

} // namespace tilvan
