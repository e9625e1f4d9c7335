// A parenthesised list of the descriptor language; owns its elements.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "resources/DataElement.h"

namespace Olvarn
{

class ListDataElement : public DataElement
{
public:
    ListDataElement() : DataElement(true) {}
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);

    std::unique_ptr<DataElement> Duplicate() const override;

    std::size_t Size() const { return mElementVector.size(); }
    DataElement* At(std::size_t i) const { return mElementVector[i].get(); }
    // Takes ownership.
    DataElement* Append(std::unique_ptr<DataElement> element);

    std::vector<std::unique_ptr<DataElement>> mElementVector;
};

} // namespace Olvarn
