// The saved classes of profiles and records: their elements in the "data" files.
#pragma once

namespace tilvan
{

// Declares "profiles" 1998, "profile" 1999, "records" 2000 and "record" 2001 with the save registry
// (schemas only: these objects are never made by class id). Safe to call more than once.
void RegisterRecordsSaveClasses();

} // namespace tilvan
