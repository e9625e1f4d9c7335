// The level-effect makers, filled by the folder that draws the effects.
#include "board/CLevelEffect.h"

namespace tilvan
{
namespace level_effects
{

CLevelEffectMakers& LevelEffectMakers()
{
    static CLevelEffectMakers makers;
    return makers;
}

} // namespace level_effects
} // namespace tilvan
