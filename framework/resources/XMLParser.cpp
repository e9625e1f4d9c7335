// The manifest's pull XML reader: one element per call, loose syntax, the first error kept.
#include "resources/XMLParser.h"

#include "core/StringUtils.h"
#include "platform/Directories.h"
#include "platform/Paths.h"

namespace Olvarn
{

namespace
{

// Property and data files are kilobytes; the cap only keeps a wrong file from taking the memory.
constexpr size_t kMaxFileBytes = 64u << 20;

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool EndsWith(const std::string& s, const char* tail)
{
    std::string::size_type n = std::char_traits<char>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

} // namespace

// What one call to NextElement remembers between characters.
struct XMLParser::ReadState {
    bool mInQuotes = false;
    bool mPendingSpace = false;
    bool mQuotedValueClosed = false;
    bool mInAttribute = false;
    bool mAfterEquals = false;
    // Whether the last character of the attribute value was written inside quotes: only an
    // unquoted trailing slash closes the element.
    bool mLastValueCharQuoted = false;
    std::string mAttributeName;
    std::string mAttributeValue;
};

XMLParser::~XMLParser() = default;

bool XMLParser::OpenFile(const std::string& fileName)
{
    std::string bytes;
    if (!ReadWholeFile(Paths::Resolve(fileName), bytes, kMaxFileBytes)) {
        mBytes.clear();
        mAt = 0;
        mPushBack.clear();
        mLineNum = 0;
        mHasFailed = true;
        mErrorText = "Unable to open file " + fileName;
        return false;
    }
    Parse(std::move(bytes), fileName);
    return true;
}

void XMLParser::Parse(std::string bytes, const std::string& fileName)
{
    mBytes = std::move(bytes);
    mAt = 0;
    mPushBack.clear();
    mFileName = fileName;
    mErrorText.clear();
    mSection.clear();
    mLineNum = 1;
    mHasFailed = false;
}

int XMLParser::ReadChar()
{
    if (!mPushBack.empty()) {
        char c = mPushBack.back();
        mPushBack.pop_back();
        return static_cast<unsigned char>(c);
    }
    if (mAt >= mBytes.size())
        return EOF;
    int c = static_cast<unsigned char>(mBytes[mAt++]);
    // The files come from Windows, where text mode drops the CR of a CR LF pair.
    if (c == '\r' && mAt < mBytes.size() && mBytes[mAt] == '\n')
        return static_cast<unsigned char>(mBytes[mAt++]);
    return c;
}

void XMLParser::PushBack(const std::string& text)
{
    mPushBack.insert(mPushBack.end(), text.rbegin(), text.rend());
}

bool XMLParser::Fail(const std::string& text)
{
    mHasFailed = true;
    mErrorText = text;
    return false;
}

bool XMLParser::NextElement(XMLElement* element)
{
    if (mHasFailed)
        return false;
    for (;;) {
        element->mType = XMLElement::TYPE_NONE;
        element->mSection = mSection;
        element->mValue.clear();
        element->mInstruction.clear();
        element->mAttributes.clear();
        ReadState state;

        bool done = false;
        while (!done) {
            int ch = ReadChar();
            if (ch == EOF) {
                if (element->mType == XMLElement::TYPE_NONE)
                    return false;
                return Fail("Unexpected End of File");
            }
            char c = static_cast<char>(ch);
            if (c == '\n')
                ++mLineNum;

            bool ok;
            if (element->mType == XMLElement::TYPE_COMMENT)
                ok = ReadComment(*element, c, done);
            else if (element->mType == XMLElement::TYPE_INSTRUCTION)
                ok = ReadInstruction(*element, c, done);
            else
                ok = ReadMarkup(*element, state, c, done);
            if (!ok)
                return false;
        }

        element->mValue = DecodeXmlEntities(element->mValue);
        if (element->mType != XMLElement::TYPE_COMMENT)
            return true;
    }
}

bool XMLParser::ReadComment(XMLElement& element, char c, bool& done)
{
    element.mInstruction += c;
    if (c == '>' && EndsWith(element.mInstruction, "-->")) {
        element.mInstruction.resize(element.mInstruction.size() - 3);
        done = true;
    }
    return true;
}

bool XMLParser::ReadInstruction(XMLElement& element, char c, bool& done)
{
    std::string& target = (element.mInstruction.empty() && !IsXmlSpace(c)) ? element.mValue : element.mInstruction;
    target += c;
    if (EndsWith(target, "?>")) {
        target.resize(target.size() - 2);
        done = true;
    }
    return true;
}

bool XMLParser::ReadMarkup(XMLElement& element, ReadState& state, char c, bool& done)
{
    int& type = element.mType;
    bool inTag = type == XMLElement::TYPE_START || type == XMLElement::TYPE_END;

    if (c == '"') {
        state.mInQuotes = !state.mInQuotes;
        if (!state.mInQuotes)
            state.mQuotedValueClosed = true;
        if (!inTag)
            ReadOrdinary(element, state, c);
        return true;
    }
    if (state.mInQuotes) {
        ReadOrdinary(element, state, c);
        return true;
    }

    switch (c) {
    case '<':
        if (type == XMLElement::TYPE_TEXT) {
            PushBack("<");
            done = true;
            return true;
        }
        if (type == XMLElement::TYPE_NONE) {
            type = XMLElement::TYPE_START;
            return true;
        }
        return Fail("Unexpected '<'");
    case '>':
        if (type == XMLElement::TYPE_START) {
            done = true;
            return EndStartTag(element, state);
        }
        if (type == XMLElement::TYPE_END) {
            done = true;
            return EndEndTag(element);
        }
        return Fail("Unexpected '>'");
    case '/':
        if (type == XMLElement::TYPE_START && element.mValue.empty()) {
            type = XMLElement::TYPE_END;
            return true;
        }
        break;
    case '?':
        if (type == XMLElement::TYPE_START && element.mValue.empty()) {
            type = XMLElement::TYPE_INSTRUCTION;
            return true;
        }
        break;
    default:
        if (IsXmlSpace(c)) {
            if (!element.mValue.empty())
                state.mPendingSpace = true;
            if (type == XMLElement::TYPE_START && element.mValue == "!--")
                type = XMLElement::TYPE_COMMENT;
            return true;
        }
        if (static_cast<unsigned char>(c) <= 0x20)
            return Fail("Illegal Character");
        break;
    }
    ReadOrdinary(element, state, c);
    return true;
}

void XMLParser::ReadOrdinary(XMLElement& element, ReadState& state, char c)
{
    if (element.mType == XMLElement::TYPE_NONE)
        element.mType = XMLElement::TYPE_TEXT;
    if (element.mType != XMLElement::TYPE_START) {
        if (state.mPendingSpace) {
            element.mValue += ' ';
            state.mPendingSpace = false;
        }
        element.mValue += c;
        return;
    }

    // Inside quotes '=' is part of the value, not the separator.
    bool isEquals = c == '=' && !state.mInQuotes;
    if (state.mPendingSpace) {
        if (!state.mInAttribute) {
            state.mInAttribute = true;
            state.mAfterEquals = false;
        }
        if (!state.mAfterEquals && !state.mAttributeName.empty() && !isEquals)
            AddAttribute(element, state);
        else if (state.mAfterEquals && (!state.mAttributeValue.empty() || state.mQuotedValueClosed))
            AddAttribute(element, state);
        state.mPendingSpace = false;
    }

    if (!state.mInAttribute) {
        element.mValue += c;
    } else if (isEquals) {
        state.mAfterEquals = true;
        state.mQuotedValueClosed = false;
    } else if (state.mAfterEquals) {
        state.mAttributeValue += c;
        state.mLastValueCharQuoted = state.mInQuotes;
    } else {
        state.mAttributeName += c;
    }
}

void XMLParser::AddAttribute(XMLElement& element, ReadState& state)
{
    element.mAttributes[DecodeXmlEntities(state.mAttributeName)] = DecodeXmlEntities(state.mAttributeValue);
    state.mAttributeName.clear();
    state.mAttributeValue.clear();
    state.mAfterEquals = false;
    state.mLastValueCharQuoted = false;
}

bool XMLParser::EndStartTag(XMLElement& element, ReadState& state)
{
    bool selfClosing = false;
    if (state.mAttributeName == "/") {
        selfClosing = true;
    } else if (!state.mAttributeName.empty()) {
        // A slash that ends a quoted value belongs to the value ("dir/"); only one written after
        // the closing quote, or in an unquoted value, closes the element.
        bool slashCloses = state.mAfterEquals && EndsWith(state.mAttributeValue, "/") && !state.mLastValueCharQuoted;
        if (slashCloses)
            state.mAttributeValue.pop_back();
        AddAttribute(element, state);
        selfClosing = slashCloses;
    } else if (EndsWith(element.mValue, "/")) {
        element.mValue.pop_back();
        selfClosing = true;
    }

    if (selfClosing)
        PushBack("</" + element.mValue + ">");
    if (!mSection.empty())
        mSection += '/';
    mSection += element.mValue;
    return true;
}

bool XMLParser::EndEndTag(XMLElement& element)
{
    if (mSection.empty())
        return Fail("Unexpected End");
    std::string::size_type slash = mSection.rfind('/');
    std::string open = slash == std::string::npos ? mSection : mSection.substr(slash + 1);
    if (open != element.mValue)
        return Fail("End '" + element.mValue + "' Doesn't Match Start '" + open + "'");
    mSection.erase(slash == std::string::npos ? 0 : slash);
    return true;
}

} // namespace Olvarn
