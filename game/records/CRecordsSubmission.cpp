// The submission's snapshot, exchange and reply.
#include "records/CRecordsSubmission.h"

#include "platform/Log.h"
#include "records/CRecords.h"
#include "records/RecordsExchange.h"

namespace tilvan
{

namespace
{
bool SameResult(const CRecord& a, const CRecord& b)
{
    return a.name == b.name && a.score == b.score && a.date == b.date;
}
} // namespace

void CRecordsSubmission::Start(CRecords& records, const std::string& url, uint64_t now)
{
    records::PruneQueue(records.send_records, now);
    mSentQueue = records.send_records;
    mBody = records::EncodeSubmissionBody(records::BuildSubmissionText(records.send_records, records.local, now));
    if (url.empty()) {
        mState = EState::Failed;
        return;
    }
    mState = EState::Running;
    mTransfer.Post(url, mBody);
}

CRecordsSubmission::EState CRecordsSubmission::Poll(CRecords& records)
{
    if (mState != EState::Running)
        return mState;
    int result = mTransfer.GetResult();
    if (result == Olvarn::HTTPTransfer::kRunning)
        return mState;
    if (result != Olvarn::HTTPTransfer::kDone) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "Records not sent (transfer result %d)", result);
        mState = EState::Failed;
        return mState;
    }
    for (const CRecord& sent : mSentQueue)
        for (auto it = records.send_records.begin(); it != records.send_records.end(); ++it)
            if (SameResult(*it, sent)) {
                records.send_records.erase(it);
                break;
            }
    for (CRecord& r : records.local)
        r.sended = true;
    if (!records::ParseRecordsReply(mTransfer.GetContent(), records.daily, records.global))
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "The score server's reply was refused");
    mState = EState::Succeeded;
    return mState;
}

void CRecordsSubmission::Abort()
{
    if (mState == EState::Running)
        mTransfer.Abort();
}

} // namespace tilvan
