// The help script host and what the help pages see of the game.
#include "shell/CHelpScript.h"

#include <memory>

#include "core/Color.h"
#include "core/Vector2.h"
#include "data/CStringTable.h"
#include "shell/CEventImage.h"
#include "shell/CHelpWindow.h"
#include "shell/CImage.h"
#include "shell/CText.h"
#include "shell/GameLog.h"
#include "shell/HelpActions.h"

namespace tilvan
{

namespace
{

using Olvarn::OlvarnVector2;

luabind::object NoArgument()
{
    return luabind::object();
}

void AddMove(CEventImage* p, const OlvarnVector2& to, int ms, const std::string& fn, int delay, luabind::object arg)
{
    if (p)
        p->AddAction(std::make_shared<actions::CMoveAction>(*p, to, float(ms), fn, delay, std::move(arg)));
}

void AddRotate(CEventImage* p, float degrees, int ms, const std::string& fn, int delay, luabind::object arg)
{
    if (p)
        p->AddAction(std::make_shared<actions::CRotateAction>(*p, actions::DegreesToRadians(degrees), float(ms), fn,
                                                              delay, std::move(arg)));
}

void AddAlpha(CEventImage* p, int alpha, int ms, const std::string& fn, int delay, luabind::object arg)
{
    if (p)
        p->AddAction(std::make_shared<actions::CAlphaAction>(*p, alpha, float(ms), fn, delay, std::move(arg)));
}

void AddScale(CEventImage* p, float scale, int ms, const std::string& fn, int delay, luabind::object arg)
{
    if (p)
        p->AddAction(std::make_shared<actions::CScaleAction>(*p, scale, float(ms), fn, delay, std::move(arg)));
}

void AddDelayedCall(CEventImage* p, const std::string& fn, int delay, luabind::object arg)
{
    if (p)
        p->AddAction(std::make_shared<actions::CTimedLuaCallAction>(*p, fn, float(delay), std::move(arg), false));
}

// The argument may be left out of every action function.
void AddMove5(CEventImage* p, const OlvarnVector2& to, int ms, const std::string& fn, int delay)
{
    AddMove(p, to, ms, fn, delay, NoArgument());
}
void AddRotate5(CEventImage* p, float degrees, int ms, const std::string& fn, int delay)
{
    AddRotate(p, degrees, ms, fn, delay, NoArgument());
}
void AddAlpha5(CEventImage* p, int alpha, int ms, const std::string& fn, int delay)
{
    AddAlpha(p, alpha, ms, fn, delay, NoArgument());
}
void AddScale5(CEventImage* p, float scale, int ms, const std::string& fn, int delay)
{
    AddScale(p, scale, ms, fn, delay, NoArgument());
}
void AddDelayedCall3(CEventImage* p, const std::string& fn, int delay)
{
    AddDelayedCall(p, fn, delay, NoArgument());
}

std::string LocalString(const std::string& text)
{
    return Localize(text);
}

int AddText4(CHelpWindow& w, const std::string& text, const OlvarnVector2& pos, const Olvarn::Color& color,
             const std::string& font)
{
    return w.AddText(text, pos, color, font);
}
int AddText5(CHelpWindow& w, const std::string& text, const OlvarnVector2& pos, const Olvarn::Color& color,
             const std::string& font, const OlvarnVector2& size)
{
    return w.AddText(text, pos, color, font, size);
}
int AddText6(CHelpWindow& w, const std::string& text, const OlvarnVector2& pos, const Olvarn::Color& color,
             const std::string& font, const OlvarnVector2& size, int layer)
{
    return w.AddText(text, pos, color, font, size, layer);
}

void RegisterHelpClasses(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CHelpWindow>("help_window_class")
                  .def("add_image", &CHelpWindow::AddImage)
                  .def("get_image", &CHelpWindow::GetImage)
                  .def("remove_image", static_cast<void (CHelpWindow::*)(int)>(&CHelpWindow::RemoveImage))
                  .def("remove_image", static_cast<void (CHelpWindow::*)(CEventImage*)>(&CHelpWindow::RemoveImage))
                  .def("add_text", &AddText4)
                  .def("add_text", &AddText5)
                  .def("add_text", &AddText6)
                  .def("get_text", &CHelpWindow::GetText)
                  .def("remove_text", static_cast<void (CHelpWindow::*)(int)>(&CHelpWindow::RemoveText))
                  .def("remove_text", static_cast<void (CHelpWindow::*)(CText*)>(&CHelpWindow::RemoveText)),
              class_<CEventImage, CImage>("event_image_class")
                  .property("pos", &CEventImage::GetPos, &CEventImage::SetPos)
                  .property("angle", &CEventImage::GetAngle, &CEventImage::SetAngle)
                  .property("alpha", &CEventImage::GetAlphaValue, &CEventImage::SetAlphaValue)
                  .def("get_layer", &CEventImage::GetLayer)
                  .def("set_image", &CEventImage::ChangeImage)
                  .def("get_image", &CEventImage::AsImage),
              class_<CText>("text_class")
                  .property("pos", &CText::GetPos, &CText::SetPos)
                  .property("text", &CText::GetText, &CText::SetText)
                  .property("color", &CText::GetColor, &CText::SetColor),
              def("local_string", &LocalString), def("add_move_action", &AddMove), def("add_move_action", &AddMove5),
              def("add_rotate_action", &AddRotate), def("add_rotate_action", &AddRotate5),
              def("add_alpha_action", &AddAlpha), def("add_alpha_action", &AddAlpha5),
              def("add_scale_action", &AddScale), def("add_scale_action", &AddScale5),
              def("add_delayed_call_action", &AddDelayedCall), def("add_delayed_call_action", &AddDelayedCall3)];
}

} // namespace

CHelpScript::CHelpScript(std::string scriptFile) : CBasicScript(std::move(scriptFile), "") {}

void CHelpScript::RegisterBindings(lua_State* state)
{
    CBasicScript::RegisterBindings(state);
    CImage::RegisterLuaClass(state);
    RegisterHelpClasses(state);
}

void CHelpScript::OnError(lua_State* state, const std::exception* detail)
{
    const char* text = lua_tostring(state, -1);
    LogText(FormatError(text ? text : (detail ? detail->what() : "unknown script error")));
    lua_pop(state, 1);
}

} // namespace tilvan
