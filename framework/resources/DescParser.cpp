// Reading, tokenizing and resolving the descriptor language; the commands are the subclass's.
#include "resources/DescParser.h"

#include <algorithm>
#include <cstdio>

#include "core/StringUtils.h"
#include "platform/Directories.h"
#include "platform/Paths.h"

namespace Olvarn
{

namespace
{

// Descriptor files are kilobytes; the cap only keeps a wrong file from taking the memory.
constexpr size_t kMaxFileBytes = 16u << 20;

// Splits a file into command texts: quotes, escapes, '#' line comments and ';' terminators.
class CommandCollector
{
public:
    // Feeds one character; true when it ended a command.
    bool Feed(char c, int& lineCounter, std::string& text, int& commandLine)
    {
        if (c == '\r')
            return false;
        if (c == '\n')
            ++lineCounter;
        if (mAtLineStart) {
            if (c == ' ' || c == '\t' || c == '\n')
                return false;
            mAtLineStart = false;
            if (c == '#') {
                mInComment = true;
                return false;
            }
        }
        if (mInComment) {
            if (c == '\n') {
                mInComment = false;
                mAtLineStart = true;
            }
            return false;
        }
        if (mEscape) {
            mEscape = false;
            Store(c, lineCounter, text, commandLine);
            mAtLineStart = c == '\n';
            return false;
        }
        bool quoted = mSingleQuotes || mDoubleQuotes;
        if (c == '\n') {
            Store(c, lineCounter, text, commandLine);
            mAtLineStart = true;
            return false;
        }
        if (c == '\'' && !mDoubleQuotes)
            mSingleQuotes = !mSingleQuotes;
        else if (c == '"' && !mSingleQuotes)
            mDoubleQuotes = !mDoubleQuotes;
        else if (c == '\\' && quoted)
            mEscape = true;
        else if (c == ';' && !quoted) {
            *this = CommandCollector();
            return true;
        }
        Store(c, lineCounter, text, commandLine);
        return false;
    }

private:
    static void Store(char c, int lineCounter, std::string& text, int& commandLine)
    {
        if (text.empty())
            commandLine = lineCounter + 1;
        text += c;
    }

    bool mAtLineStart = true;
    bool mInComment = false;
    bool mSingleQuotes = false;
    bool mDoubleQuotes = false;
    bool mEscape = false;
};

bool IsSeparator(char c)
{
    return c == '\t' || c == '\n' || c == ' ' || c == ',';
}

// Elements in a tree, counting at most up to limit + 1.
std::size_t CountElements(const DataElement& element, std::size_t limit)
{
    if (!element.mIsList)
        return 1;
    std::size_t count = 1;
    for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector) {
        count += CountElements(*child, limit);
        if (count > limit)
            break;
    }
    return count;
}

// Nesting depth of an element (0 for a single word), counted no further than limit + 1.
int NestingDepth(const DataElement& element, int limit)
{
    if (!element.mIsList)
        return 0;
    int deepest = 0;
    if (limit >= 0) {
        for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector)
            deepest = std::max(deepest, NestingDepth(*child, limit - 1));
    }
    return 1 + deepest;
}

} // namespace

bool DescParser::Error(const std::string& text)
{
    mError = text;
    return false;
}

DataElement* DescParser::GetDefinedElement(const std::string& name)
{
    auto it = mDefineMap.find(ToUpperCopy(name));
    return it == mDefineMap.end() ? nullptr : it->second.get();
}

bool DescParser::LoadDescriptor(const std::string& fileName)
{
    std::string bytes;
    if (!ReadWholeFile(Paths::Resolve(fileName), bytes, kMaxFileBytes)) {
        mCurrentLine = 0;
        mError.clear();
        mCurrentCommand.clear();
        return false;
    }
    return Parse(bytes);
}

bool DescParser::Parse(std::string_view bytes)
{
    mCurrentLine = 0;
    mError.clear();
    mCurrentCommand.clear();

    int lineCounter = 0;
    bool ok = true;
    CommandCollector collector;
    for (size_t at = 0; ok; ++at) {
        bool atEnd = at >= bytes.size();
        bool ended = atEnd || collector.Feed(bytes[at], lineCounter, mCurrentCommand, mCurrentLine);
        if (ended && !mCurrentCommand.empty()) {
            ok = ParseCommand(mCurrentCommand);
            mCurrentCommand.clear();
        }
        if (atEnd)
            break;
    }

    mCurrentCommand.clear();
    mCurrentLine = 0;
    return ok;
}

bool DescParser::ParseCommand(const std::string& command)
{
    ListDataElement params;
    std::size_t pos = 0;
    if (!Tokenize(command, params, false, pos, 0))
        return false;
    if (params.Size() == 0)
        return true;
    if (params.At(0)->mIsList)
        return Error("Missing Command");
    return HandleCommand(params);
}

bool DescParser::Tokenize(const std::string& text, ListDataElement& out, bool inList, std::size_t& pos, int depth)
{
    if (depth > kMaxListDepth)
        return Error("Unterminated List");

    bool singleQuotes = false;
    bool doubleQuotes = false;
    bool escape = false;
    SingleDataElement* word = nullptr;
    auto store = [&](char c) {
        if (!word)
            word = static_cast<SingleDataElement*>(out.Append(std::make_unique<SingleDataElement>()));
        word->mString += c;
    };

    while (pos < text.size()) {
        char c = text[pos++];
        if (escape) {
            store(c);
            escape = false;
        } else if (c == '\\') {
            escape = true;
        } else if (c == '\'' && !doubleQuotes) {
            singleQuotes = !singleQuotes;
            store(c);
        } else if (c == '"' && !singleQuotes) {
            doubleQuotes = !doubleQuotes;
            store(c);
        } else if (singleQuotes || doubleQuotes) {
            store(c);
        } else if (c == ')') {
            if (!inList)
                return Error("Unexpected List End");
            return true;
        } else if (c == '(') {
            if (word)
                return Error("Unexpected List Start");
            auto list = std::make_unique<ListDataElement>();
            if (!Tokenize(text, *list, true, pos, depth + 1))
                return false;
            out.Append(std::move(list));
        } else if (IsSeparator(c)) {
            word = nullptr;
        } else {
            store(c);
        }
    }

    if (singleQuotes)
        return Error("Unterminated Single Quotes");
    if (doubleQuotes)
        return Error("Unterminated Double Quotes");
    if (inList)
        return Error("Unterminated List");
    return true;
}

bool DescParser::IsImmediate(const std::string& text)
{
    if (text.empty())
        return false;
    char c = text[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '\'' || c == '"';
}

std::string DescParser::Unquote(const std::string& text)
{
    if (text.empty() || (text[0] != '\'' && text[0] != '"'))
        return text;
    char quote = text[0];
    std::string result;
    bool lastWasQuote = false;
    for (char c : text) {
        if (c == quote) {
            // A quote that directly follows another one stays, so a run of n quotes keeps n - 1.
            if (lastWasQuote)
                result += c;
            lastWasQuote = true;
        } else {
            result += c;
            lastWasQuote = false;
        }
    }
    return result;
}

bool DescParser::DereferenceError(const std::string& word)
{
    return Error("Unable to Dereference \"" + word + "\"");
}

bool DescParser::ResolveList(const ListDataElement& source, ListDataElement& out)
{
    std::size_t budget = kMaxResolvedElements;
    return ResolveWithin(source, out, budget, 1);
}

bool DescParser::ResolveWithin(const ListDataElement& source, ListDataElement& out, std::size_t& budget, int depth)
{
    for (const auto& element : source.mElementVector) {
        if (budget == 0)
            return Error("Definition Too Large");
        --budget;
        if (element->mIsList) {
            auto* list = static_cast<ListDataElement*>(out.Append(std::make_unique<ListDataElement>()));
            if (!ResolveWithin(static_cast<const ListDataElement&>(*element), *list, budget, depth + 1))
                return false;
            continue;
        }
        const std::string& word = static_cast<const SingleDataElement&>(*element).mString;
        if (!word.empty() && (word[0] == '\'' || word[0] == '"')) {
            out.Append(std::make_unique<SingleDataElement>(Unquote(word)));
        } else if (IsImmediate(word)) {
            out.Append(std::make_unique<SingleDataElement>(word));
        } else {
            DataElement* defined = GetDefinedElement(word);
            if (!defined)
                return DereferenceError(word);
            std::size_t size = CountElements(*defined, budget + 1);
            if (size > budget + 1)
                return Error("Definition Too Large");
            // Definitions built from each other could otherwise nest deeper with every command
            // until copying or freeing them exhausts the stack.
            if (depth + NestingDepth(*defined, kMaxListDepth) > kMaxListDepth)
                return Error("Definition Too Large");
            budget -= size - 1;
            out.Append(defined->Duplicate());
        }
    }
    return true;
}

bool DescParser::GetList(const DataElement& source, ListDataElement& out)
{
    if (source.mIsList)
        return ResolveList(static_cast<const ListDataElement&>(source), out);
    DataElement* defined = GetDefinedElement(static_cast<const SingleDataElement&>(source).mString);
    if (!defined || !defined->mIsList)
        return false;
    out = static_cast<const ListDataElement&>(*defined);
    return true;
}

bool DescParser::GetString(const DataElement& source, std::string& out)
{
    out.clear();
    if (source.mIsList)
        return false;
    const std::string& word = static_cast<const SingleDataElement&>(source).mString;
    DataElement* defined = GetDefinedElement(word);
    if (!defined) {
        out = Unquote(word);
        return true;
    }
    if (defined->mIsList)
        return false;
    out = Unquote(static_cast<const SingleDataElement&>(*defined).mString);
    return true;
}

bool DescParser::GetStringList(const DataElement& source, std::vector<std::string>& out)
{
    out.clear();
    ListDataElement list;
    if (source.mIsList) {
        if (!ResolveList(static_cast<const ListDataElement&>(source), list))
            return false;
    } else {
        const std::string& word = static_cast<const SingleDataElement&>(source).mString;
        DataElement* defined = GetDefinedElement(word);
        if (!defined)
            return DereferenceError(word);
        if (!defined->mIsList)
            return false;
        list = static_cast<const ListDataElement&>(*defined);
    }

    for (const auto& element : list.mElementVector) {
        if (element->mIsList) {
            out.clear();
            return false;
        }
        out.push_back(static_cast<const SingleDataElement&>(*element).mString);
    }
    return true;
}

bool DescParser::GetIntList(const DataElement& source, std::vector<int>& out)
{
    out.clear();
    std::vector<std::string> texts;
    if (!GetStringList(source, texts))
        return false;
    for (const std::string& text : texts) {
        int value = 0;
        if (!ParseInt(text, value))
            return false;
        out.push_back(value);
    }
    return true;
}

bool DescParser::GetDoubleList(const DataElement& source, std::vector<double>& out)
{
    out.clear();
    std::vector<std::string> texts;
    if (!GetStringList(source, texts))
        return false;
    for (const std::string& text : texts) {
        double value = 0;
        if (!ParseDouble(text, value))
            return false;
        out.push_back(value);
    }
    return true;
}

std::string DescParser::DataElementToText(const DataElement& element)
{
    if (!element.mIsList)
        return static_cast<const SingleDataElement&>(element).mString;
    std::string text = "(";
    const auto& elements = static_cast<const ListDataElement&>(element).mElementVector;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += DataElementToText(*elements[i]);
    }
    return text + ")";
}

bool DescParser::HandleDefine(const ListDataElement& params)
{
    if (params.Size() != 3)
        return Error("Invalid Number of Parameters");
    const DataElement* nameElement = params.At(1);
    if (nameElement->mIsList)
        return Error("Invalid Paramater Type");
    std::string name = ToUpperCopy(static_cast<const SingleDataElement*>(nameElement)->mString);
    if (IsImmediate(name))
        return Error("Invalid Paramater Type");

    mDefineMap.erase(name);

    const DataElement* value = params.At(2);
    std::unique_ptr<DataElement> stored;
    if (value->mIsList) {
        auto list = std::make_unique<ListDataElement>();
        if (!ResolveList(static_cast<const ListDataElement&>(*value), *list))
            return false;
        stored = std::move(list);
    } else {
        const std::string& word = static_cast<const SingleDataElement*>(value)->mString;
        DataElement* defined = GetDefinedElement(word);
        stored = defined ? defined->Duplicate() : std::make_unique<SingleDataElement>(word);
    }
    mDefineMap[name] = std::move(stored);
    return true;
}

} // namespace Olvarn
