// What the game's scripts see of it: value types, the control ids and the global functions.
#pragma once

struct lua_State;

namespace tilvan
{

// "rect", "color" and "vector2": every basic host has them.
void RegisterValueTypes(lua_State* L);
// The enum "controls" and the global functions of the events script.
void RegisterGameApi(lua_State* L);

// The fixed ids of the script-addressable controls of the play screen.
enum EControlId {
    CONTROL_PEARL_COUNT_INFO = 0,
    CONTROL_BUTTON_NEXTICE = 1,
    CONTROL_BUTTON_MENU = 2,
    CONTROL_BUTTON_HELP = 3,
    CONTROL_BUTTON_PUFFERFISH = 4,
    CONTROL_BUTTON_PUFFERFISH_PLUS = 5,
    CONTROL_BUTTON_SNAIL = 6,
    CONTROL_BUTTON_SNAIL_PLUS = 7,
    CONTROL_BUTTON_HAMMERFISH = 8,
    CONTROL_BUTTON_HAMMERFISH_PLUS = 9,
    CONTROL_BUTTON_OCTOPUS = 10,
    CONTROL_BUTTON_OCTOPUS_PLUS = 11,
    CONTROL_BUTTON_MINIMIZE = 12,
    CONTROL_BUTTON_CLOSE = 13,
    CONTROL_FIRE = 14,
    CONTROL_WOOD = 15,
    CONTROL_MEDAL_SUN = 16,
    CONTROL_MEDAL_STAR = 17,
    CONTROL_MEDAL_FISH = 18,
    CONTROL_MEDAL_CROWN = 19,
    CONTROL_BIRD = 20,
};

} // namespace tilvan
