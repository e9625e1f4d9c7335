// The framework's small pull reader for the loose XML of the resource manifest.
#pragma once

#include <string>
#include <vector>

#include "resources/XMLElement.h"

namespace Olvarn
{

class XMLParser
{
public:
    XMLParser() = default;
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Reads the whole file and parses it; false (with the error text) when it cannot be read.
    bool OpenFile(const std::string& fileName);
    // Parses the bytes of a file already in memory; fileName only names them in messages.
    void Parse(std::string bytes, const std::string& fileName = std::string());
    // The next element, or false at the end of the input (no error) or on the first error.
    bool NextElement(XMLElement* element);

    std::string GetErrorText() const { return mErrorText; }
    std::string GetFileName() const { return mFileName; }
    bool HasFailed() const { return mHasFailed; }
    // Line of the last character read, counted from 1; 0 when no file could be opened.
    int GetCurrentLineNum() const { return mLineNum; }

private:
    struct ReadState;

    int ReadChar();
    void PushBack(const std::string& text);
    bool Fail(const std::string& text);

    bool ReadComment(XMLElement& element, char c, bool& done);
    bool ReadInstruction(XMLElement& element, char c, bool& done);
    bool ReadMarkup(XMLElement& element, ReadState& state, char c, bool& done);
    void ReadOrdinary(XMLElement& element, ReadState& state, char c);
    bool EndStartTag(XMLElement& element, ReadState& state);
    bool EndEndTag(XMLElement& element);
    void AddAttribute(XMLElement& element, ReadState& state);

    std::string mFileName;
    std::string mErrorText;
    int mLineNum = 0;
    std::string mBytes;
    size_t mAt = 0;
    bool mHasFailed = false;
    // Characters to read again before the file, taken from the back.
    std::vector<char> mPushBack;
    // Names of the open elements joined by '/'.
    std::string mSection;
};

} // namespace Olvarn
