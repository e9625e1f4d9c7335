// The particle's step, its exact advance, its drawing and its script class.
#include "world/CParticle.h"

#include <cmath>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "world/SafeMath.h"

namespace tilvan
{

namespace
{

constexpr float kTwoPi = 6.283f;

} // namespace

CParticle::CParticle(const std::string& imageName, const Olvarn::OlvarnVector2& pos, float angle_, int lifetime_)
    : image(imageName), x(pos.x), y(pos.y), angle(angle_), lifetime(lifetime_)
{
    if (Olvarn::Rand() % 2 != 0)
        image.AddFlags(CImage::MIRRORED);
    image.RandomizeTime();
}

CParticle::CParticle(const CImage& image_, const Olvarn::OlvarnVector2& pos, float angle_, int lifetime_)
    : image(image_), x(pos.x), y(pos.y), angle(angle_), lifetime(lifetime_)
{
}

float CParticle::LifeProgress() const
{
    return lifetime > 0 ? age / float(lifetime) : 1.0f;
}

void CParticle::AfterMotion()
{
    if (scale_from != scale_to) {
        scale = scale_from + LifeProgress() * (scale_to - scale_from);
        image.SetScale(scale);
    }
    if (tremble_period != 0)
        tremble_offset =
            std::sin(float(SafeMod(int(age), tremble_period)) / float(tremble_period) * kTwoPi) * tremble_amplitude;
}

void CParticle::Update(float ms)
{
    age += ms;
    if (lifetime != 0 && int(age) >= lifetime) {
        dead = true;
        age = float(lifetime);
    }
    image.Update(ms);
    const float t = ms / 1000.0f;
    vel.x += t * acc.x;
    vel.y += t * acc.y;
    angular_vel += t * angular_acc;
    x += t * vel.x;
    y += t * vel.y;
    angle += t * angular_vel;
    AfterMotion();
}

void CParticle::MoveInTime(int ms)
{
    age += float(ms);
    // A particle without a lifetime lives until its system is cleared, here as in Update.
    if (lifetime != 0 && int(age) >= lifetime) {
        dead = true;
        age = float(lifetime);
    }
    image.Update(float(ms));
    const float t = float(ms) / 1000.0f;
    x += t * vel.x + t * t * acc.x / 2;
    y += t * vel.y + t * t * acc.y / 2;
    angle += t * angular_vel + t * t * angular_acc / 2;
    vel.x += t * acc.x;
    vel.y += t * acc.y;
    angular_vel += t * angular_acc;
    AfterMotion();
}

void CParticle::Draw(Olvarn::Graphics& g)
{
    if (color.mAlpha == 0)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    if (color != Olvarn::Color::White) {
        g.SetModulateImages(true);
        g.SetColor(color);
    }
    const int drawX = int(x + tremble_offset);
    const int drawY = int(y);
    if (angle == 0)
        image.DrawAt(g, drawX, drawY);
    else
        image.DrawRotated(g, drawX, drawY, angle, -1, -1);
}

void CParticle::SetImage(const std::string& imageName)
{
    image.SetImage(imageName);
}

void CParticle::SetScaling(float from, float to)
{
    scale = from;
    image.SetScale(from);
    scale_from = from;
    scale_to = to;
}

void CParticle::SetTremble(int period, float amplitude)
{
    tremble_period = period;
    tremble_amplitude = amplitude;
    tremble_offset = 0;
}

void CParticle::SetScale(float value)
{
    scale = value;
    image.SetScale(value);
}

void CParticle::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CParticle>("particle_class")
                  .def(constructor<const std::string&, const Olvarn::OlvarnVector2&, float, int>())
                  .def(constructor<const CImage&, const Olvarn::OlvarnVector2&, float, int>())
                  .def("set_image", &CParticle::SetImage)
                  .def("get_lifetime", &CParticle::GetLifetime)
                  .def("move_in_time", &CParticle::MoveInTime)
                  .def("set_scaling", &CParticle::SetScaling)
                  .def("set_tremble", &CParticle::SetTremble)
                  .property("scale", &CParticle::GetScale, &CParticle::SetScale)
                  .def_readwrite("color", &CParticle::color)
                  .def_readwrite("vel", &CParticle::vel)
                  .def_readwrite("acc", &CParticle::acc)
                  .def_readwrite("angular_vel", &CParticle::angular_vel)
                  .def_readwrite("angular_acc", &CParticle::angular_acc)];
}

} // namespace tilvan
