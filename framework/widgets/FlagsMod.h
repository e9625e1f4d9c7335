// The flag word that steers the update, draw and hit-test walks down the widget tree.
#pragma once

namespace Olvarn
{

constexpr int FlagUpdate = 1; // Update runs
constexpr int FlagRedraw = 2; // dirty on every update
constexpr int FlagDraw = 4;   // Draw runs
constexpr int FlagClip = 8;   // drawing is clipped to the widget's rectangle
constexpr int FlagMouse = 16; // hit testing considers the widget
constexpr int FlagFocus = 32; // the widget may keep the keyboard focus
constexpr int FlagDefault = FlagUpdate | FlagDraw | FlagClip | FlagMouse | FlagFocus;

// Passed by reference down every walk; each container applies its masks on the way in and undoes
// them on the way out, while mIsAboveModal stays set once the modal widget has been passed.
struct FlagsMod {
    int mFlags = FlagDefault;
    int mBelowModalFlags = FlagDefault;
    bool mIsAboveModal = true;

    int Applicable() const { return mIsAboveModal ? mFlags : mBelowModalFlags; }
};

} // namespace Olvarn
