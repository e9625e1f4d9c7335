// One item the pull XML reader hands out: a start or end tag, a text run or an instruction.
#pragma once

#include <map>
#include <string>

namespace Olvarn
{

class XMLElement
{
public:
    // Fixed values: callers compare the type against them.
    enum Type {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_TEXT = 3,
        TYPE_INSTRUCTION = 4,
        // Only the reader's state while it skips a comment; never handed out.
        TYPE_COMMENT = 5,
    };

    int mType = TYPE_NONE;
    // Path of the open elements ("a/b") when the element was read.
    std::string mSection;
    // Tag name, text, or an instruction's target.
    std::string mValue;
    // An instruction's text after its target.
    std::string mInstruction;
    std::map<std::string, std::string> mAttributes;
};

} // namespace Olvarn
