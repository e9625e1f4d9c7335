// A single word of the descriptor language, kept as it was tokenized or resolved.
#pragma once

#include <string>

#include "resources/DataElement.h"

namespace Olvarn
{

class SingleDataElement : public DataElement
{
public:
    SingleDataElement() : DataElement(false) {}
    explicit SingleDataElement(std::string text) : DataElement(false), mString(std::move(text)) {}
    SingleDataElement(const SingleDataElement&) = default;
    SingleDataElement& operator=(const SingleDataElement&) = default;

    std::unique_ptr<DataElement> Duplicate() const override { return std::make_unique<SingleDataElement>(*this); }

    std::string mString;
};

} // namespace Olvarn
