// The board's script classes, "element_class" and "pipeline_class", and the hooks of pieces and pearls.
#include "board/BoardScript.h"

#include "board/CElement.h"
#include "board/CPipeline.h"
#include "shell/CScript.h"

namespace tilvan
{

void CElement::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(
        L)[class_<CElement>("element_class").property("id", &CElement::GetId).property("pos", &CElement::GetPosition)];
}

void CPipeline::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CPipeline>("pipeline_class").def("get_full_percents", &CPipeline::get_full_percents)];
}

void RegisterBoardScriptClasses(lua_State* L)
{
    CElement::RegisterLuaClass(L);
    CPipeline::RegisterLuaClass(L);
}

CScriptBoardEvents::CScriptBoardEvents(CScript& host, PlayerLink player) : mHost(host), mPlayer(std::move(player)) {}

void CScriptBoardEvents::OnCreateElement(const CElement& e)
{
    mHost.CallFunction("on_create_element", e.GetControlId(), const_cast<CElement*>(&e));
}

void CScriptBoardEvents::OnDropElement(const CElement& e)
{
    mHost.CallFunction("on_drop_element", e.GetControlId(), const_cast<CElement*>(&e));
}

void CScriptBoardEvents::OnPickupElement(const CElement& e, bool fits, bool onWater)
{
    mHost.CallFunction("on_pickup_element", e.GetControlId(), const_cast<CElement*>(&e), fits, onWater);
}

void CScriptBoardEvents::OnInsertElement(const CElement& e, bool inserted)
{
    mHost.CallFunction("on_insert_element", e.GetControlId(), const_cast<CElement*>(&e), inserted);
}

void CScriptBoardEvents::OnPearlCreation(int controlId)
{
    mHost.CallFunction("on_pearl_creation", controlId);
}

void CScriptBoardEvents::OnPearlCollected()
{
    int count = mPlayer.gainPearl ? mPlayer.gainPearl() : 0;
    mHost.CallFunction("on_pearl_count_changed", 0, count, true);
}

void CScriptBoardEvents::AddScore(int score)
{
    if (mPlayer.addScore)
        mPlayer.addScore(score);
}

void CScriptBoardEvents::OnPipelineSpace(int freeSpace, int elementCount)
{
    if (mPlayer.pipelineSpace)
        mPlayer.pipelineSpace(freeSpace, elementCount);
}

} // namespace tilvan
