// The game's registrations at start-up, made in one fixed order by one call from the entry
// (the order of static initialisers across files would be left to the linker), and torn down
// in the reverse order at exit.
#pragma once

#include <functional>
#include <map>
#include <vector>

namespace tilvan
{

// The steps, in the order they run.
enum class EStartupStep {
    WorldSaveClasses = 1,        // save classes 7001 to 7009; the first creates the save reader and writer
    AnimalLists,                 // animal prototype map and animal list
    AnimalSaveClasses,           // animal -1620, aquarium 1162
    BirdAndBonusTables,          // bird kind table, bonus table
    LevelLists,                  // level, location, drop and edge lists
    ElementSaveClasses,          // element 199, element type list, creator 113
    BonusEffect,                 // bonus effect colours, constants handler "bonus_effect"
    LevelCompleteEffect,         // constants handler "level_complete_effect" and its texts
    LevelStartAndScoreEffects,   // "level_start_effect", floating score colour, "floating_score", "pearl_effect"
    EnvironmentCursorFire,       // environment 116, cursor 12, fire 114, fire configuration
    GameAndGridSaveClasses,      // game 0, "grid_blink", grid 111, grid_element 1111, grid_pearl 1112
    HintColour,                  // hint colour
    HintText,                    // the "show hints" text (expanded when first used, after the string table loads)
    ImageAndInfoPanel,           // image 9999, info panel labels, info panel and loading screen texts
    LevelAndLocationSaveClasses, // level 11, location 1161
    MenuAndMapTexts,             // main menu and level map texts
    PlaySaveClasses,             // map 2, pearl_creator 117, pearl 1171, pipeline 112, pipeline_element 1121,
                                 // play 1, player 3, "player", level-start snapshot
    ProfileSaveClasses,          // profiles 1998, profile 1999, records 2000, record 2001, "records_window"
    StatisticsWindow,            // statistics window text and colour, "statistics_window"
    WaterSaveClass,              // water 115
    FolderComponents,            // each folder's property components, constants handlers and script classes,
                                 // once every saved class is known
};

class CStartupRegistrations
{
public:
    // Adds a registration to a step; registrations of one step run in the order they were added.
    void Add(EStartupStep step, std::function<void()> registration);

private:
    friend void RunStartupRegistrations(const std::vector<void (*)(CStartupRegistrations&)>& contributors);
    std::map<EStartupStep, std::vector<std::function<void()>>> mSteps;
};

// The one registration call, first thing in the entry: every subsystem above the data layer adds its
// registrations through its contributor, then all of them run in step order, the data layer's own
// objects (the save registry, the level lists, the constants registry) at their steps. Lazily made
// singletons register their own destruction when made, so exit tears them down in reverse. Runs once;
// later calls do nothing.
void RunStartupRegistrations(const std::vector<void (*)(CStartupRegistrations&)>& contributors);
bool StartupRegistrationsDone();

} // namespace tilvan
