// The guarded part of the program entry: every failure thrown out of the game becomes one message
// titled "Error" and a non-zero exit code.
#pragma once

#include <functional>
#include <string>

namespace tilvan
{

// Runs the body and returns its code. Whatever it throws (a text, a standard exception or anything
// else) is handed to `report` with what is known of it, after which `cleanUp` runs and 1 is returned.
int RunGuarded(const std::function<int()>& body, const std::function<void(const std::string&)>& report,
               const std::function<void()>& cleanUp);

} // namespace tilvan
