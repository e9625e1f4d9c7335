// The game's clock: one whole update of the application is 10 ms of game time.
#pragma once

namespace tilvan
{

// Game time passes in whole updates only. The fractional updates between them depend on the display's
// pace, which a replay does not repeat, so nothing of the game's state may advance in them.
inline constexpr float kUpdateStepMs = 10.0f;

} // namespace tilvan
