// The descriptor command language of font files: commands, nested value lists, named definitions.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/DataElement.h"
#include "resources/ListDataElement.h"
#include "resources/SingleDataElement.h"

namespace Olvarn
{

class DescParser
{
public:
    DescParser() = default;
    virtual ~DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Keeps the text; always false, so a handler can return it directly.
    virtual bool Error(const std::string& text);
    // The definition of a name (any case), still owned by the parser; null when undefined.
    virtual DataElement* GetDefinedElement(const std::string& name);
    // Carries out one command (the first element is the command word); false stops the load.
    virtual bool HandleCommand(const ListDataElement& params) = 0;

    // Reads and runs a whole file; false when it cannot be opened (no message) or a command fails.
    bool LoadDescriptor(const std::string& fileName);
    // Runs every command of a descriptor's text; false when a command fails.
    bool Parse(std::string_view bytes);
    // Tokenizes one command and hands it to HandleCommand.
    bool ParseCommand(const std::string& command);
    // The language's own "Define" (name, value) command, for HandleCommand to call.
    bool HandleDefine(const ListDataElement& params);

    // Value operations for command handlers.
    bool ResolveList(const ListDataElement& source, ListDataElement& out);
    bool GetList(const DataElement& source, ListDataElement& out);
    bool GetString(const DataElement& source, std::string& out);
    bool GetStringList(const DataElement& source, std::vector<std::string>& out);
    bool GetIntList(const DataElement& source, std::vector<int>& out);
    bool GetDoubleList(const DataElement& source, std::vector<double>& out);
    static std::string DataElementToText(const DataElement& element);
    static std::string Unquote(const std::string& text);
    static bool IsImmediate(const std::string& text);

    const std::string& GetErrorText() const { return mError; }
    int GetCurrentLine() const { return mCurrentLine; }
    const std::string& GetCurrentCommand() const { return mCurrentCommand; }

    // Nesting deeper than this is taken as an unterminated list, and a resolution that would nest
    // a definition deeper fails (it bounds the recursion).
    static constexpr int kMaxListDepth = 64;
    // Most elements one resolution may produce: definitions that repeat each other double in size.
    static constexpr std::size_t kMaxResolvedElements = std::size_t(1) << 16;

protected:
    std::string mError;
    // Line of the current command's first character, from 1; 0 outside LoadDescriptor and Parse.
    int mCurrentLine = 0;
    std::string mCurrentCommand;
    // Keyed by the upper-cased name.
    std::map<std::string, std::unique_ptr<DataElement>> mDefineMap;

private:
    bool Tokenize(const std::string& text, ListDataElement& out, bool inList, std::size_t& pos, int depth);
    bool ResolveWithin(const ListDataElement& source, ListDataElement& out, std::size_t& budget, int depth);
    bool DereferenceError(const std::string& word);
};

} // namespace Olvarn
