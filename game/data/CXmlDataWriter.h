// Writer of the "data" files: rows gathered while open, written grouped by element on Close,
// the whole file replacing the old one at once.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "data/DataValues.h"

namespace tilvan
{

class CXmlDataWriter
{
public:
    CXmlDataWriter() = default;
    // A file still open is completed.
    ~CXmlDataWriter();
    CXmlDataWriter(const CXmlDataWriter&) = delete;
    CXmlDataWriter& operator=(const CXmlDataWriter&) = delete;

    void DeclareElement(const std::string& element);
    void DeclareAttribute(const std::string& element, const std::string& attribute);

    // Completes a file still open, then starts a new one; the folder is made when missing.
    // False when the folder cannot be made (the writer stays closed).
    bool Open(const std::string& path, bool crypted, const std::string& encoding);
    // Writes every stored row and the closing tag through a temporary file that replaces the old
    // file only when whole. True when there was nothing to write or the file is in place; false
    // when the write failed (the old file is kept, LastError says why).
    bool Close();
    bool IsOpen() const { return mOpen; }
    const std::string& LastError() const { return mLastError; }

    // One row of the element: values in the element's declared order; returns the row's number
    // within its element, 0 when no file is open or the element is not declared (nothing stored).
    template <typename... Values> int WriteRow(const std::string& element, const Values&... values)
    {
        if (!mOpen || mSchema.find(element) == mSchema.end())
            return 0;
        std::vector<std::string> texts{DataValueText(values)...};
        return WriteRowTexts(element, texts);
    }
    int WriteRowTexts(const std::string& element, const std::vector<std::string>& texts);

    // The attribute appenders: ` name="value"` with the value escaped for an XML attribute.
    static void AppendAttribute(std::string& row, const std::string& name, const std::string& value);
    static void AppendPointAttribute(std::string& row, const std::string& name, float x, float y);

    const std::map<std::string, std::vector<std::string>>& Schema() const { return mSchema; }

private:
    std::map<std::string, std::vector<std::string>> mSchema;
    std::map<std::string, std::vector<std::string>> mRows;
    std::string mPath;
    std::string mHeader;
    std::string mLastError;
    bool mCrypted = false;
    bool mOpen = false;
};

// Escapes a value for a double-quoted attribute: quote, "<", ">", "&" and control bytes become
// references that the reader turns back. A NUL ends the value (XML cannot carry one).
std::string EscapeAttributeValue(const std::string& value);

} // namespace tilvan
