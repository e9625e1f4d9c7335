// The records folder's one registration entry.
#include "records/RecordsRegistrations.h"

#include "data/StartupRegistrations.h"
#include "records/RecordsConstants.h"
#include "records/RecordsSaveClasses.h"

namespace tilvan
{

void RegisterRecords(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::ProfileSaveClasses, [] { RegisterRecordsSaveClasses(); });
    steps.Add(EStartupStep::StatisticsWindow, [] { RegisterRecordsConstants(); });
}

} // namespace tilvan
