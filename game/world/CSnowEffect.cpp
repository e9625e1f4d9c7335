// The snowflakes, the snow effect's script state and its step.
#include "world/CSnowEffect.h"

#include <algorithm>
#include <climits>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "shell/GameLog.h"
#include "shell/ScriptApi.h"
#include "world/SafeMath.h"

namespace tilvan
{

namespace
{

// The last second of a flake's life is its fade.
constexpr float kFadeMs = 1000.0f;

} // namespace

CSnowflake::CSnowflake(const CImage& image_, const Olvarn::OlvarnVector2& pos, const Olvarn::OlvarnVector2& vel_,
                       const Olvarn::OlvarnVector2& acc_, float scale, int lifetime_)
    : image(image_), x(pos.x), y(pos.y), vel(vel_.x * scale, vel_.y * scale), acc(acc_.x * scale, acc_.y * scale),
      lifetime(int(std::clamp(double(lifetime_) / double(scale), double(INT_MIN), double(INT_MAX))))
{
    image.AddFlags(CImage::MIRRORED);
    image.RandomizeTime();
    image.SetScale(scale);
}

void CSnowflake::Update(float ms)
{
    age += ms;
    if (int(age) >= lifetime)
        dead = true;
    image.Update(ms);
    const float t = ms / 1000.0f;
    vel.x += t * acc.x;
    vel.y += t * acc.y;
    x += t * vel.x;
    y += t * vel.y;
}

void CSnowflake::Advance(int ms)
{
    const float t = float(ms) / 1000.0f;
    age += float(ms);
    x += t * vel.x + t * t * acc.x / 2;
    y += t * vel.y + t * t * acc.y / 2;
    vel.x += t * acc.x;
    vel.y += t * acc.y;
}

void CSnowflake::Draw(Olvarn::Graphics& g)
{
    if (float(lifetime) - kFadeMs < age) {
        Olvarn::GraphicsStateSaver saver(g);
        const int alpha = std::clamp(int((float(lifetime) - age) * 255.0f / kFadeMs), 0, 255);
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
        g.SetModulateImages(true);
        image.DrawAt(g, int(x), int(y));
        return;
    }
    image.DrawAt(g, int(x), int(y));
}

void CSnowEffect::CSnowScript::RegisterBindings(lua_State* state)
{
    RegisterValueTypes(state);
    CSnowEffect::RegisterLuaClass(state);
}

void CSnowEffect::CSnowScript::OnError(lua_State* state, const std::exception* detail)
{
    mFailed = true;
    const char* text = lua_tostring(state, -1);
    LogText("-- " + std::string(text ? text : (detail ? detail->what() : "unknown script error")) + "\n");
    lua_pop(state, 1);
}

bool CSnowEffect::CSnowScript::CallWithEffect(const char* name, CSnowEffect* effect)
{
    mFailed = false;
    if (!FindFunction(name).is_valid()) {
        ReportMissingFunction(name);
        return false;
    }
    CallFunction(name, effect);
    return !mFailed;
}

bool CSnowEffect::CSnowScript::CallGarbageCollector()
{
    mFailed = false;
    CallFunction("collectgarbage");
    return !mFailed;
}

std::unique_ptr<CSnowEffect> CSnowEffect::Create(const std::string& scriptPath)
{
    std::unique_ptr<CSnowEffect> effect(new CSnowEffect(scriptPath));
    effect->mScript->Run();
    if (effect->mScript->CallWithEffect("init", effect.get()))
        effect->mScript->CallGarbageCollector();
    effect->PreSpread();
    return effect;
}

CSnowEffect::CSnowEffect(const std::string& scriptPath) : mScript(std::make_unique<CSnowScript>(scriptPath)) {}

CSnowEffect::~CSnowEffect()
{
    groups.clear();
    mScript.reset();
}

void CSnowEffect::PreSpread()
{
    for (auto& entry : groups)
        for (CSnowflake& flake : entry.second)
            // A flake with no life left to spread over stays where it was made (and dies next step).
            flake.Advance(SafeMod(Olvarn::Rand(), flake.lifetime));
}

void CSnowEffect::Update(float ms)
{
    for (auto& entry : groups) {
        for (CSnowflake& flake : entry.second)
            flake.Update(ms);
        entry.second.remove_if([](const CSnowflake& f) { return f.dead; });
    }
    if (mScript->CallWithEffect("update", this))
        mScript->CallGarbageCollector();
}

void CSnowEffect::Draw(Olvarn::Graphics& g)
{
    for (auto& entry : groups)
        for (CSnowflake& flake : entry.second)
            flake.Draw(g);
}

void CSnowEffect::Emit(int group, const std::string& imageName, const Olvarn::OlvarnVector2& pos,
                       const Olvarn::OlvarnVector2& vel, const Olvarn::OlvarnVector2& acc, float scale, int lifetime)
{
    if (!(scale > 0)) {
        if (!mReportedScale)
            LogText("-- snow: a flake of scale " + std::to_string(scale) + " is not made; scales must be above 0\n");
        mReportedScale = true;
        return;
    }
    groups[group].emplace_back(CImage(imageName), pos, vel, acc, scale, lifetime);
}

int CSnowEffect::EnumSnowflakes(int group) const
{
    if (group == -1) {
        size_t count = 0;
        for (const auto& entry : groups)
            count += entry.second.size();
        return int(count);
    }
    auto it = groups.find(group);
    return it == groups.end() ? 0 : int(it->second.size());
}

void CSnowEffect::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CSnowEffect>("snow_effect_class")
                  .def("emit", &CSnowEffect::Emit)
                  .def("enum_snowflakes", &CSnowEffect::EnumSnowflakes)];
}

} // namespace tilvan
