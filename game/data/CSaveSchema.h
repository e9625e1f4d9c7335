// A saved class's row as plain data (its element and attributes in order) and its registration with
// the save registry, for the many classes whose rows need no code of their own to declare.
#pragma once

#include <vector>

#include "data/CSaveObject.h"
#include "data/CXmlDataReader.h"
#include "data/CXmlDataWriter.h"

namespace tilvan::save
{

struct CSaveSchema {
    const char* element;
    std::vector<const char*> attributes;
};

template <const CSaveSchema& S> void DeclareSchemaReader(CXmlDataReader& reader)
{
    reader.DeclareElement(S.element);
    for (const char* attribute : S.attributes)
        reader.DeclareAttribute(S.element, attribute, "");
}

template <const CSaveSchema& S> void DeclareSchemaWriter(CXmlDataWriter& writer)
{
    writer.DeclareElement(S.element);
    for (const char* attribute : S.attributes)
        writer.DeclareAttribute(S.element, attribute);
}

// The schema functions run on every registration and declaring the attributes twice would repeat them
// in every row, so a class is registered once. Without a creator the objects are made by their owners,
// never by class id; the top-level game states give theirs, since a saved game names them by class id.
template <const CSaveSchema& S> void RegisterSchema(int classId, CreatorFn creator = nullptr)
{
    if (CSaveObjectRegistry::Instance().IsRegistered(classId))
        return;
    CSaveObjectRegistry::Instance().Register(creator, classId, &DeclareSchemaReader<S>, &DeclareSchemaWriter<S>);
}

} // namespace tilvan::save
