// A value of the descriptor language: a single word or a parenthesised list.
#pragma once

#include <memory>

namespace Olvarn
{

class DataElement
{
public:
    explicit DataElement(bool isList) : mIsList(isList) {}
    virtual ~DataElement() = default;
    // A deep copy of the same class.
    virtual std::unique_ptr<DataElement> Duplicate() const = 0;

    bool mIsList = false;

protected:
    DataElement(const DataElement&) = default;
    DataElement& operator=(const DataElement&) = default;
};

} // namespace Olvarn
