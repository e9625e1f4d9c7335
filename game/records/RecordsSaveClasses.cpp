// The elements and attributes of the profiles and records files, in their stored order.
#include "records/RecordsSaveClasses.h"

#include <vector>

#include "data/CSaveObject.h"

namespace tilvan
{

namespace
{

struct Schema {
    const char* element;
    std::vector<const char*> attributes;
};

const Schema kProfiles{"profiles", {"all_profiles", "current"}};
const Schema kProfile{"profile",
                      {"name", "max_level", "is_saved", "save_file_num", "save_path", "show_hints", "medals", "crown"}};
const Schema kRecords{"records", {"local", "last_record", "send_records"}};
const Schema kRecord{"record",
                     {"name", "score", "sun_medal", "star_medal", "fish_medal", "crown", "sended", "date_low",
                      "date_high", "generated"}};

template <const Schema& S> void ReaderSchema(CXmlDataReader& r)
{
    r.DeclareElement(S.element);
    for (const char* a : S.attributes)
        r.DeclareAttribute(S.element, a, "");
}

template <const Schema& S> void WriterSchema(CXmlDataWriter& w)
{
    w.DeclareElement(S.element);
    for (const char* a : S.attributes)
        w.DeclareAttribute(S.element, a);
}

template <const Schema& S> void Register(int classId)
{
    // Declaring the attributes twice would repeat them in every row.
    if (save::CSaveObjectRegistry::Instance().IsRegistered(classId))
        return;
    save::CSaveObjectRegistry::Instance().Register(nullptr, classId, &ReaderSchema<S>, &WriterSchema<S>);
}

} // namespace

void RegisterRecordsSaveClasses()
{
    Register<kProfiles>(1998);
    Register<kProfile>(1999);
    Register<kRecords>(2000);
    Register<kRecord>(2001);
}

} // namespace tilvan
