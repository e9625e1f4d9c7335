// The elements and attributes of the profiles and records files, in their stored order.
#include "records/RecordsSaveClasses.h"

#include <vector>

#include "data/CSaveObject.h"
#include "data/CSaveSchema.h"

namespace tilvan
{

namespace
{

using save::CSaveSchema;

const CSaveSchema kProfiles{"profiles", {"all_profiles", "current"}};
const CSaveSchema kProfile{
    "profile", {"name", "max_level", "is_saved", "save_file_num", "save_path", "show_hints", "medals", "crown"}};
const CSaveSchema kRecords{"records", {"local", "last_record", "send_records"}};
const CSaveSchema kRecord{"record",
                          {"name", "score", "sun_medal", "star_medal", "fish_medal", "crown", "sended", "date_low",
                           "date_high", "generated"}};

} // namespace

void RegisterRecordsSaveClasses()
{
    save::RegisterSchema<kProfiles>(1998);
    save::RegisterSchema<kProfile>(1999);
    save::RegisterSchema<kRecords>(2000);
    save::RegisterSchema<kRecord>(2001);
}

} // namespace tilvan
