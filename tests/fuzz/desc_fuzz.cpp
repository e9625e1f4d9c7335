// Fuzz target: the descriptor language, with every value operation run on every parameter.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/DescParser.h"

namespace
{

class FuzzParser : public Olvarn::DescParser
{
public:
    bool HandleCommand(const Olvarn::ListDataElement& params) override
    {
        const std::string& word = static_cast<const Olvarn::SingleDataElement*>(params.At(0))->mString;
        if (word == "Define" || word == "define")
            return HandleDefine(params);
        for (size_t i = 1; i < params.Size(); ++i) {
            const Olvarn::DataElement& element = *params.At(i);
            std::string text;
            std::vector<int> ints;
            std::vector<double> doubles;
            Olvarn::ListDataElement list;
            GetString(element, text);
            GetIntList(element, ints);
            GetDoubleList(element, doubles);
            GetList(element, list);
            DataElementToText(list);
        }
        return word != "Stop";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzParser parser;
    parser.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
