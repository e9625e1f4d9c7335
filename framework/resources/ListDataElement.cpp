// Deep copies of descriptor lists.
#include "resources/ListDataElement.h"

namespace Olvarn
{

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true)
{
    *this = other;
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other)
{
    if (this == &other)
        return *this;
    mElementVector.clear();
    mElementVector.reserve(other.mElementVector.size());
    for (const auto& element : other.mElementVector)
        mElementVector.push_back(element->Duplicate());
    return *this;
}

std::unique_ptr<DataElement> ListDataElement::Duplicate() const
{
    return std::make_unique<ListDataElement>(*this);
}

DataElement* ListDataElement::Append(std::unique_ptr<DataElement> element)
{
    mElementVector.push_back(std::move(element));
    return mElementVector.back().get();
}

} // namespace Olvarn
