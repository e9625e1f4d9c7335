// One submission of the records to the score server. The main thread takes a snapshot of what to
// send and later applies the reply; in between only the transfer's own worker runs, and it touches
// nothing of the records. The transfer is joined when this object goes, before the records do.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "app/HTTPTransfer.h"
#include "records/CRecord.h"

namespace tilvan
{

class CRecords;

class CRecordsSubmission
{
public:
    enum class EState { Idle, Running, Succeeded, Failed };

    // Prunes the queue, builds the body from the queue and the local table and posts it to url.
    // An empty url fails at once (there is no score server).
    void Start(CRecords& records, const std::string& url, uint64_t now);
    // Every tick on the main thread: while the exchange runs, Running; once it ends, the records are
    // updated (success: the sent results leave the queue, the local entries count as sent, the
    // tables take the reply) and the final state is answered, once.
    EState Poll(CRecords& records);
    // Stops a running exchange; the next Poll answers Failed and changes nothing.
    void Abort();
    EState State() const { return mState; }
    // The body sent last, as it went out.
    const std::string& Body() const { return mBody; }
    // Milliseconds the whole exchange may take.
    void SetDeadlineMs(int ms) { mTransfer.SetDeadlineMs(ms); }

private:
    Olvarn::HTTPTransfer mTransfer;
    std::list<CRecord> mSentQueue;
    std::string mBody;
    EState mState = EState::Idle;
};

} // namespace tilvan
