// The dialog that names a new profile: an edit box, ok and cancel. A taken or empty name is refused.
#pragma once

#include <string>

#include "records/CProfileNameDialog.h"

namespace tilvan
{

class CCreateProfileDialog : public CProfileNameDialog
{
public:
    // Without cancel the player must name a profile (the game has none yet).
    CCreateProfileDialog(CProfiles& profiles, bool noCancel, const std::string& initialName);

protected:
    bool IsTakenBy(const CProfile& holder) const override;
    bool TakeName(const std::string& name) override;
};

} // namespace tilvan
