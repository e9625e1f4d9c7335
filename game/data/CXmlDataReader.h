// Reader of the "data" files: a root "data" whose children are rows of declared elements.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/DataValues.h"

namespace tilvan
{

class CXmlDataReader
{
public:
    CXmlDataReader() = default;

    void DeclareElement(const std::string& element);
    void DeclareAttribute(const std::string& element, const std::string& attribute, const std::string& defaultText);

    // Throws "Unable to load XML document into the parser" when the file cannot be read or
    // parsed, "Unable to locate 'data' XML node" when it has no root.
    void LoadFile(const std::string& path);
    // The same for text in memory (a save): a parse error is a failed load too.
    void LoadFromMemory(const char* text);
    void LoadFromMemory(const std::string& text);
    void Clear();
    bool IsLoaded() const { return mLoaded; }
    // The path of the last file loaded ("" for text from memory), for error texts.
    const std::string& Source() const { return mSource; }

    int GetRowCount(const std::string& element) const;

    // Converts the row's texts into the outs in declaration order; returns how many it assigned
    // (0 for a row that does not exist, nothing assigned then).
    template <typename... Outs> int GetRow(const std::string& element, int row, Outs&&... outs) const
    {
        const std::vector<std::string>* texts = FindRow(element, row);
        if (!texts || texts->empty())
            return 0;
        size_t count = 0;
        (void)std::initializer_list<int>{(Assign(*texts, count, std::forward<Outs>(outs)), 0)...};
        return static_cast<int>(count);
    }

    // The texts of one row, or null when the row does not exist (a save being restored counts a
    // missing row as damage, see SetStrictRows).
    const std::vector<std::string>* FindRow(const std::string& element, int row) const;

    // While set, asking for a row that does not exist throws instead of answering 0: a save that
    // refers to rows it does not hold is damaged.
    void SetStrictRows(bool strict) { mStrictRows = strict; }

    // The declared elements in schema order, with their attribute names and defaults.
    using AttributeList = std::vector<std::pair<std::string, std::string>>;
    const std::map<std::string, AttributeList>& Schema() const { return mSchema; }

private:
    template <typename Out> static void Assign(const std::vector<std::string>& texts, size_t& count, Out&& out)
    {
        if (count < texts.size()) {
            ConvertText(texts[count], out);
            ++count;
        }
    }

    void ParseAndWalk(const char* text, bool fromFile, const std::string& path);

    struct IndexEntry {
        int first = 0;
        int count = 0;
    };

    std::map<std::string, AttributeList> mSchema;
    std::vector<std::vector<std::string>> mRows;
    std::map<std::string, IndexEntry> mIndex;
    bool mLoaded = false;
    bool mStrictRows = false;
    std::string mSource;
};

} // namespace tilvan
