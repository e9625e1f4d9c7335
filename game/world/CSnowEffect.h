// A self-contained field of falling snowflakes driven by a script of its own: the script's "init"
// emits the first flakes and its "update", called every step, emits more. A flake's scale slows it
// and lengthens its life; every flake fades out in its last second. Also the script class
// "snow_effect_class", registered only in the effect's own state.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>

#include "core/Vector2.h"
#include "shell/CImage.h"
#include "shell/CScript.h"

struct lua_State;

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CSnowflake
{
public:
    // Velocity and acceleration are scaled by the scale, the lifetime divided by it; the picture is
    // mirrored and starts at a random point of its animation.
    CSnowflake(const CImage& image, const Olvarn::OlvarnVector2& pos, const Olvarn::OlvarnVector2& vel,
               const Olvarn::OlvarnVector2& acc, float scale, int lifetime);

    void Update(float ms);
    // Moves along its path at once, with the motion integrated exactly; it neither dies nor animates.
    void Advance(int ms);
    void Draw(Olvarn::Graphics& g);

    CImage image;
    float x = 0;
    float y = 0;
    Olvarn::OlvarnVector2 vel;
    Olvarn::OlvarnVector2 acc;
    int lifetime = 0;
    float age = 0;
    bool dead = false;
};

class CSnowEffect
{
public:
    using Flakes = std::list<CSnowflake>;

    // Runs the script and its "init", then spreads the flakes over a random part of their lives so
    // the field starts already falling. Script errors are logged; the effect is made all the same.
    static std::unique_ptr<CSnowEffect> Create(const std::string& scriptPath);
    ~CSnowEffect();
    CSnowEffect(const CSnowEffect&) = delete;
    CSnowEffect& operator=(const CSnowEffect&) = delete;

    // The flakes step and the dead ones go, then the script's "update" runs.
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);

    // Script members. A scale of 0 or below makes no flake (its speed and life would divide by it).
    void Emit(int group, const std::string& imageName, const Olvarn::OlvarnVector2& pos,
              const Olvarn::OlvarnVector2& vel, const Olvarn::OlvarnVector2& acc, float scale, int lifetime);
    // Flakes of the group, 0 when it does not exist; -1 counts every group.
    int EnumSnowflakes(int group) const;

    const std::map<int, Flakes>& Groups() const { return groups; }
    CScript& Script() { return *mScript; }

    static void RegisterLuaClass(lua_State* L);

private:
    // Script errors are printed as "-- message"; a failed call is remembered for the step.
    class CSnowScript : public CScript
    {
    public:
        explicit CSnowScript(std::string path) : CScript(std::move(path), "") {}
        // Calls the function with the effect; false when it failed.
        bool CallWithEffect(const char* name, CSnowEffect* effect);
        bool CallGarbageCollector();

    protected:
        void RegisterBindings(lua_State* state) override;
        void OnError(lua_State* state, const std::exception* detail) override;

    private:
        bool mFailed = false;
    };

    explicit CSnowEffect(const std::string& scriptPath);
    void PreSpread();

    std::map<int, Flakes> groups;
    std::unique_ptr<CSnowScript> mScript;
    bool mReportedScale = false;
};

} // namespace tilvan
