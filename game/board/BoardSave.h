// The board's saved classes with their rows, and their registration at start-up.
#pragma once

namespace tilvan
{

class CStartupRegistrations;

// Adds the board's saved classes (element, grid and its parts, pearls, pipeline and its elements,
// creator, pearl creator) to their start-up steps.
void AddBoardRegistrations(CStartupRegistrations& registrations);
// The same at once, for programs and tests that do not run the start-up registrations.
void RegisterBoardSaveClasses();

} // namespace tilvan
