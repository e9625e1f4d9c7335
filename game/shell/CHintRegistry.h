// Script-addressable controls: the record each addressable thing carries, and the registry of all
// live records through which scripts find a control's position and set its hold delay.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "core/Vector2.h"
#include "shell/CScript.h"

namespace tilvan
{

class CHint;
class CScript;

namespace lua_private
{

// Turns pointer activity on its owner into calls of the events script's hooks.
class control_id
{
public:
    // -1 takes the next automatic id (from 100 up).
    explicit control_id(int id = -1);
    control_id(const control_id& other);
    control_id& operator=(const control_id& other);
    ~control_id();

    void MouseEnter();
    void MouseLeave();
    void MouseMove(int x, int y);
    // Moves the attached hint's arrow tip; nothing without a hint.
    void MoveHint(int x, int y);
    void SetFlag(bool flag) { holdFlag = flag; }
    // Attaches a hint, releasing the one attached before.
    void SetHint(std::shared_ptr<CHint> attached);
    // "on_widget_click"(id, x, y, flag).
    void Click(int x, int y, bool flag);
    // "on_mouse_click"(id, x, y, cursor, flag); the cursor reaches the script as its registered
    // class (nil when null), so the caller's folder supplies the type.
    template <typename Cursor> void MouseClick(int px, int py, Cursor* cursor, bool flag);
    // The hold rule: "on_mouse_hold" once the pointer rested holdDelay ms.
    void Update(float ms);
    void SetPosition(float px, float py)
    {
        x = px;
        y = py;
    }

    bool hovered = false;
    float holdTime = 0;
    bool hintGiven = false;
    int id = -1;
    float x = 0;
    float y = 0;
    int holdDelay = 1000;
    bool holdFlag = false;
    bool hintFromHold = false;
    std::shared_ptr<CHint> hint;

private:
    void CloseHint();
};

} // namespace lua_private

class CHintRegistry
{
public:
    static CHintRegistry& Instance();

    // The oldest record with the id gets the delay; nothing when there is none.
    void SetHoldDelay(int id, int ms);
    // The oldest record with the id gives its position; (0, 0) and a message box when there is none.
    Olvarn::OlvarnVector2 FindPosition(int id);
    // Empties the hint list and starts the automatic ids again at 100 (a level starts).
    void Reset()
    {
        hints.clear();
        nextId = 100;
    }
    // Lists the hint (its number is returned) and attaches it to the newest control with the id; -1 and a
    // message box when no control has it, the hint keeping its number.
    int AddHint(int id, const std::shared_ptr<CHint>& hint);
    // The listed hint of that number while it lives; empty otherwise.
    std::shared_ptr<CHint> GetHint(int number) const;

    // The player's "show hints" choice. It belongs to the current profile, which installs its access;
    // until then the choice is kept here.
    void SetShowHintsAccess(std::function<bool()> get, std::function<void(bool)> set);
    bool ShowHints() const;
    void SetShowHints(bool show);

    void Add(lua_private::control_id* record) { controls.push_back(record); }
    void Remove(lua_private::control_id* record);
    int TakeNextId() { return nextId++; }
    const std::list<lua_private::control_id*>& Controls() const { return controls; }

    // The host the controls call their hooks through (the events script unless a test sets another).
    void SetScriptHost(CScript* host) { scriptHost = host; }
    CScript& ScriptHost();

private:
    std::vector<std::weak_ptr<CHint>> hints;
    std::list<lua_private::control_id*> controls;
    int nextId = 100;
    CScript* scriptHost = nullptr;
    std::function<bool()> showHintsGet;
    std::function<void(bool)> showHintsSet;
    bool showHints = true;
};

template <typename Cursor> void lua_private::control_id::MouseClick(int px, int py, Cursor* cursor, bool flag)
{
    holdTime = 0;
    hintFromHold = false;
    CloseHint();
    CHintRegistry::Instance().ScriptHost().CallFunction("on_mouse_click", id, px, py, cursor, flag);
}

} // namespace tilvan
