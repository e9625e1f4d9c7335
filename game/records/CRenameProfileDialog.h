// The dialog that renames the current profile: an edit box with its name, ok and cancel.
#pragma once

#include <string>

#include "records/CProfileNameDialog.h"

namespace tilvan
{

class CRenameProfileDialog : public CProfileNameDialog
{
public:
    explicit CRenameProfileDialog(CProfiles& profiles);

protected:
    bool IsTakenBy(const CProfile& holder) const override;
    bool TakeName(const std::string& name) override;
};

} // namespace tilvan
