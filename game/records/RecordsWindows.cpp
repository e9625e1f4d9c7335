// Opening the records' windows.
#include "records/RecordsWindows.h"

#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "records/CBonusStatisticsWindow.h"
#include "records/CCreateProfileDialog.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CRecordsWindow.h"
#include "records/CStatisticsWindow.h"
#include "records/CUserManagementDialog.h"
#include "records/RecordsModal.h"

namespace tilvan
{

int RunRecordsWindow(bool highlight)
{
    return records::RunModal(new CRecordsWindow(highlight, CRecords::Instance(), CProfiles::Instance()), -1);
}

int RunUserManagement()
{
    return records::RunModal(new CUserManagementDialog(CProfiles::Instance()), -1);
}

int RunCreateProfile(bool noCancel, const std::string& initialName)
{
    return records::RunModal(new CCreateProfileDialog(CProfiles::Instance(), noCancel, initialName), -1);
}

int RunStatisticsWindow(int levelIndex)
{
    return records::RunModal(new CStatisticsWindow(levelIndex, GetLevelCount(), CPlayerInfo::Instance(),
                                                   CProfiles::Instance(), CRecords::Instance()),
                             -1);
}

int RunBonusStatisticsWindow(bool completed, int timeLeftMs)
{
    return records::RunModal(new CBonusStatisticsWindow(completed, timeLeftMs, GetLevelCount(), CPlayerInfo::Instance(),
                                                        CProfiles::Instance(), CRecords::Instance()),
                             -1);
}

} // namespace tilvan
