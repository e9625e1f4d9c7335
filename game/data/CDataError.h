// A data file rejected at load: the file, the row and the field it stopped at.
#pragma once

#include <stdexcept>
#include <string>

namespace tilvan
{

class CDataError : public std::runtime_error
{
public:
    CDataError(const std::string& file, const std::string& element, int row, const std::string& field,
               const std::string& reason)
        : std::runtime_error((file.empty() ? std::string("data") : file) + ": " + element + " row " +
                             std::to_string(row + 1) + ", " + field + ": " + reason)
    {
    }
};

} // namespace tilvan
