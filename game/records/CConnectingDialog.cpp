// The connecting box.
#include "records/CConnectingDialog.h"

#include "records/CRecords.h"

namespace tilvan
{

CConnectingDialog::CConnectingDialog(CRecords& records, uint64_t now)
    : CDialogBuilder("connecting", false), mRecords(records)
{
    if (mRecords.submission.State() != CRecordsSubmission::EState::Running)
        mRecords.submission.Start(mRecords, CRecords::RecordsUrl(), now);
}

CConnectingDialog::~CConnectingDialog()
{
    mRecords.submission.Abort();
}

void CConnectingDialog::Update()
{
    CDialogBuilder::Update();
    if (mResult != kNoResult)
        return;
    switch (mRecords.submission.Poll(mRecords)) {
    case CRecordsSubmission::EState::Succeeded:
        mResult = kSucceeded;
        break;
    case CRecordsSubmission::EState::Failed:
    case CRecordsSubmission::EState::Idle:
        mResult = kFailed;
        break;
    case CRecordsSubmission::EState::Running:
        break;
    }
}

void CConnectingDialog::OnButtonRelease(int id)
{
    CDialogBuilder::OnButtonRelease(id);
    mRecords.submission.Abort();
    mResult = kFailed;
}

} // namespace tilvan
