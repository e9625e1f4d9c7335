// Bindings of the game's script API.
#include "shell/ScriptApi.h"

#include <string>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "app/OlvarnAppBase.h"
#include "core/Color.h"
#include "core/Rect.h"
#include "core/Vector2.h"
#include "data/CStringTable.h"
#include "resources/ResourceManager.h"
#include "shell/CHint.h"
#include "shell/CHintRegistry.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

// Only a carrier of the "controls" constants; no object of it is ever made.
struct ControlsEnum {
};

int GetSound(const std::string& id)
{
    return services::FindSound(id);
}

void PlaySoundId(int soundId)
{
    services::PlaySound(soundId);
}

void PlaySoundNamed(const std::string& id)
{
    services::PlaySound(id);
}

std::string LocalString(const std::string& text)
{
    return Localize(text);
}

void SetControlPause(int id, int ms)
{
    CHintRegistry::Instance().SetHoldDelay(id, ms);
}

Olvarn::OlvarnVector2 GetControlPos(int id)
{
    return CHintRegistry::Instance().FindPosition(id);
}

// The registry lists the hint and the control owns it; a hint attached to no control goes when this returns.
int AddHintToControl(int id, const std::string& text, const Olvarn::OlvarnVector2& position, int width, int height,
                     float fadeMs, float showMs, bool pausing, bool withCheckbox, bool closeOnMove)
{
    auto hint = std::make_shared<CHint>(int(position.x), int(position.y), width, height, text, pausing, withCheckbox,
                                        fadeMs, showMs, closeOnMove);
    return CHintRegistry::Instance().AddHint(id, hint);
}

void AddImageToHint(int number, const std::string& resourceId, int x, int y)
{
    if (std::shared_ptr<CHint> hint = CHintRegistry::Instance().GetHint(number))
        hint->AddImage(resourceId, x, y);
}

void SetHintFont(const std::string& id)
{
    CHint::SetFont(services::FindFont(id));
}

void SetHintColor(int red, int green, int blue, int alpha)
{
    CHint::SetColor(Olvarn::Color(red, green, blue, alpha));
}

void SetShowHintsText(const std::string& text)
{
    CHint::SetShowHintsText(text);
}

bool ShowHints()
{
    return CHintRegistry::Instance().ShowHints();
}

} // namespace

void RegisterValueTypes(lua_State* L)
{
    using namespace luabind;
    using Rect = Olvarn::TRect<int>;
    module(L)[class_<Rect>("rect")
                  .def(constructor<>())
                  // Numbers arrive as doubles so that the conversion truncates toward zero.
                  .def(constructor<double, double, double, double>())
                  .def_readwrite("x", &Rect::mX)
                  .def_readwrite("y", &Rect::mY)
                  .def_readwrite("width", &Rect::mWidth)
                  .def_readwrite("height", &Rect::mHeight),
              class_<Olvarn::Color>("color")
                  .def(constructor<>())
                  .def(constructor<int, int, int, int>())
                  .def_readwrite("red", &Olvarn::Color::mRed)
                  .def_readwrite("green", &Olvarn::Color::mGreen)
                  .def_readwrite("blue", &Olvarn::Color::mBlue)
                  .def_readwrite("alpha", &Olvarn::Color::mAlpha),
              class_<Olvarn::OlvarnVector2>("vector2")
                  .def(constructor<>())
                  .def(constructor<float, float>())
                  .def_readwrite("x", &Olvarn::OlvarnVector2::x)
                  .def_readwrite("y", &Olvarn::OlvarnVector2::y)];
}

void RegisterGameApi(lua_State* L)
{
    using namespace luabind;
    module(
        L)[class_<ControlsEnum>("controls")
               .enum_("ids")
                   [value("pearl_count_info", CONTROL_PEARL_COUNT_INFO),
                    value("button_nextice", CONTROL_BUTTON_NEXTICE), value("button_menu", CONTROL_BUTTON_MENU),
                    value("button_help", CONTROL_BUTTON_HELP), value("button_pufferfish", CONTROL_BUTTON_PUFFERFISH),
                    value("button_pufferfish_plus", CONTROL_BUTTON_PUFFERFISH_PLUS),
                    value("button_snail", CONTROL_BUTTON_SNAIL), value("button_snail_plus", CONTROL_BUTTON_SNAIL_PLUS),
                    value("button_hammerfish", CONTROL_BUTTON_HAMMERFISH),
                    value("button_hammerfish_plus", CONTROL_BUTTON_HAMMERFISH_PLUS),
                    value("button_octopus", CONTROL_BUTTON_OCTOPUS),
                    value("button_octopus_plus", CONTROL_BUTTON_OCTOPUS_PLUS),
                    value("button_minimize", CONTROL_BUTTON_MINIMIZE), value("button_close", CONTROL_BUTTON_CLOSE),
                    value("fire", CONTROL_FIRE), value("wood", CONTROL_WOOD), value("medal_sun", CONTROL_MEDAL_SUN),
                    value("medal_star", CONTROL_MEDAL_STAR), value("medal_fish", CONTROL_MEDAL_FISH),
                    value("medal_crown", CONTROL_MEDAL_CROWN), value("bird", CONTROL_BIRD)],
           def("get_sound", &GetSound), def("play_sound", &PlaySoundNamed), def("play_sound", &PlaySoundId),
           def("local_string", &LocalString), def("set_control_pause", &SetControlPause),
           def("get_control_pos", &GetControlPos), def("add_hint_to_control", &AddHintToControl),
           def("add_image_to_hint", &AddImageToHint), def("set_hint_font", &SetHintFont),
           def("set_hint_color", &SetHintColor), def("set_showhints_text", &SetShowHintsText),
           def("show_hints", &ShowHints)];
}

} // namespace tilvan
