// One particle: a small animated picture that flies with its own velocity and acceleration, may spin,
// grow or shrink over its life, tremble sideways and be tinted, and dies when its lifetime runs out.
// Also the script class "particle_class".
#pragma once

#include <string>

#include "core/Color.h"
#include "core/Vector2.h"
#include "shell/CImage.h"

struct lua_State;

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CParticle
{
public:
    // From a resource id: mirrored on an odd draw, its animation started at a random point.
    CParticle(const std::string& imageName, const Olvarn::OlvarnVector2& pos, float angle, int lifetime);
    // From a picture as it stands: flags and animation time are kept.
    CParticle(const CImage& image, const Olvarn::OlvarnVector2& pos, float angle, int lifetime);

    // One step of the owning system.
    void Update(float ms);
    // Advances at once, with the motion integrated exactly over the interval (scripts place a new
    // particle part-way along its path with it).
    void MoveInTime(int ms);
    void Draw(Olvarn::Graphics& g);

    // Script members.
    void SetImage(const std::string& imageName);
    int GetLifetime() const { return lifetime; }
    void SetScaling(float from, float to);
    void SetTremble(int period, float amplitude);
    float GetScale() const { return scale; }
    void SetScale(float value);

    static void RegisterLuaClass(lua_State* L);

    CImage image;
    float x = 0;
    float y = 0;
    // Radians; exactly 0 draws unrotated.
    float angle = 0;
    Olvarn::OlvarnVector2 vel;
    float angular_vel = 0;
    Olvarn::OlvarnVector2 acc;
    float angular_acc = 0;
    float tremble_offset = 0;
    // Milliseconds per tremble cycle; 0 = no tremble.
    int tremble_period = 0;
    float tremble_amplitude = 0;
    float scale = 1;
    float scale_from = 1;
    float scale_to = 1;
    Olvarn::Color color = Olvarn::Color::White;
    // Milliseconds; 0 lives until the system is cleared.
    int lifetime = 0;
    float age = 0;
    bool dead = false;

private:
    // The steps Update and MoveInTime share after the motion: scale and tremble from the age.
    void AfterMotion();
    // Share of the life lived, 0..1; a particle without a lifetime counts as at its end.
    float LifeProgress() const;
};

} // namespace tilvan
