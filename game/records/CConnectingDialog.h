// The "connecting" box shown while the records go to the score server. It polls the exchange every
// update and ends with 0 when it succeeded, 1 when it failed or the player cancelled.
#pragma once

#include <cstdint>

#include "shell/CDialogBuilder.h"

namespace tilvan
{

class CRecords;

class CConnectingDialog : public CDialogBuilder
{
public:
    static constexpr int kSucceeded = 0;
    static constexpr int kFailed = 1;

    // Starts the submission (unless one still runs), made at now.
    CConnectingDialog(CRecords& records, uint64_t now);
    // A submission still running is stopped: nothing of it lands in the records afterwards.
    ~CConnectingDialog() override;

    void Update() override;
    // Its one button cancels the exchange.
    void OnButtonRelease(int id) override;

private:
    CRecords& mRecords;
};

} // namespace tilvan
