// Script-addressable controls and their registry.
#include "shell/CHintRegistry.h"

#include <algorithm>
#include <string>

#include <loki/Singleton.h>

#include "app/OlvarnAppBase.h"
#include "shell/CEventsScript.h"
#include "shell/CHint.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

using lua_private::control_id;

CHintRegistry& CHintRegistry::Instance()
{
    return Loki::SingletonHolder<CHintRegistry>::Instance();
}

void CHintRegistry::Remove(control_id* record)
{
    auto it = std::find(controls.begin(), controls.end(), record);
    if (it != controls.end())
        controls.erase(it);
}

void CHintRegistry::SetHoldDelay(int id, int ms)
{
    for (control_id* record : controls) {
        if (record->id == id) {
            record->holdDelay = ms;
            return;
        }
    }
}

Olvarn::OlvarnVector2 CHintRegistry::FindPosition(int id)
{
    for (control_id* record : controls)
        if (record->id == id)
            return Olvarn::OlvarnVector2(record->x, record->y);
    services::ShowMessage("Control id=" + std::to_string(id) + " not found", "Error", Olvarn::MB_OK);
    return Olvarn::OlvarnVector2(0, 0);
}

int CHintRegistry::AddHint(int id, const std::shared_ptr<CHint>& hint)
{
    int number = int(hints.size());
    hints.push_back(hint);
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if ((*it)->id == id) {
            (*it)->SetHint(hint);
            return number;
        }
    }
    services::ShowMessage("Control id=" + std::to_string(id) + " not found", "Error", Olvarn::MB_OK);
    return -1;
}

std::shared_ptr<CHint> CHintRegistry::GetHint(int number) const
{
    if (number < 0 || number >= int(hints.size()))
        return nullptr;
    return hints[size_t(number)].lock();
}

void CHintRegistry::SetShowHintsAccess(std::function<bool()> get, std::function<void(bool)> set)
{
    showHintsGet = std::move(get);
    showHintsSet = std::move(set);
}

bool CHintRegistry::ShowHints() const
{
    return showHintsGet ? showHintsGet() : showHints;
}

void CHintRegistry::SetShowHints(bool show)
{
    if (showHintsSet)
        showHintsSet(show);
    else
        showHints = show;
}

CScript& CHintRegistry::ScriptHost()
{
    if (scriptHost)
        return *scriptHost;
    return CEventsScript::Instance();
}

namespace lua_private
{

control_id::control_id(int id_) : id(id_ == -1 ? CHintRegistry::Instance().TakeNextId() : id_)
{
    CHintRegistry::Instance().Add(this);
}

control_id::control_id(const control_id& other)
    : hovered(other.hovered), holdTime(other.holdTime), hintGiven(other.hintGiven), id(other.id), x(other.x),
      y(other.y), holdDelay(other.holdDelay), holdFlag(other.holdFlag), hintFromHold(other.hintFromHold),
      hint(other.hint)
{
    CHintRegistry::Instance().Add(this);
}

control_id& control_id::operator=(const control_id& other)
{
    hovered = other.hovered;
    holdTime = other.holdTime;
    hintGiven = other.hintGiven;
    id = other.id;
    x = other.x;
    y = other.y;
    holdDelay = other.holdDelay;
    holdFlag = other.holdFlag;
    hintFromHold = other.hintFromHold;
    hint = other.hint;
    return *this;
}

control_id::~control_id()
{
    CHintRegistry::Instance().Remove(this);
}

void control_id::MouseEnter()
{
    if (!hovered) {
        hovered = true;
        holdTime = 0;
    }
}

void control_id::CloseHint()
{
    if (hint)
        hint->Close();
}

void control_id::MouseLeave()
{
    if (hovered) {
        hovered = false;
        holdTime = 0;
        hintGiven = false;
        hintFromHold = false;
        CloseHint();
    }
}

void control_id::MouseMove(int, int)
{
    if (hintFromHold)
        return;
    holdTime = 0;
    if (hint && !hint->pausing)
        hint->Close();
}

void control_id::MoveHint(int px, int py)
{
    if (hint)
        hint->SetPosition(px, py);
}

void control_id::SetHint(std::shared_ptr<CHint> attached)
{
    hint = std::move(attached);
    hintGiven = true;
}

void control_id::Click(int px, int py, bool flag)
{
    holdTime = 0;
    CloseHint();
    hintFromHold = false;
    CHintRegistry::Instance().ScriptHost().CallFunction("on_widget_click", id, px, py, flag);
}

void control_id::Update(float ms)
{
    if (hovered) {
        holdTime += ms;
        if (holdTime >= float(holdDelay) && !hintGiven && !hint) {
            int mouseX = 0, mouseY = 0;
            services::LastMousePosition(mouseX, mouseY);
            CHintRegistry::Instance().ScriptHost().CallFunction("on_mouse_hold", id, mouseX, mouseY, holdFlag);
            if (hint)
                hintFromHold = true;
        }
    }
    if (hint && hint->closing) {
        hint.reset();
        hintFromHold = false;
    }
}

} // namespace lua_private

} // namespace tilvan
