// The "data" reader: TinyXML parses, the walk turns declared children into rows.
#include "data/CXmlDataReader.h"

#include <tinyxml.h>

#include <cctype>
#include <cstring>

#include "data/CStringTable.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace tilvan
{

namespace
{
// Saves and data files are kilobytes; the cap only keeps a wrong file from taking the memory.
constexpr size_t kMaxDataFileBytes = 64u << 20;
const char kCannotParse[] = "Unable to load XML document into the parser";
const char kNoRoot[] = "Unable to locate 'data' XML node";
const char kMissingRow[] = "The saved data refers to a row it does not hold";
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// A file's CR LF and lone CR read as LF, as TinyXML's own file loading has them.
std::string NormalizeLineEnds(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            out += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            out += bytes[i];
        }
    }
    return out;
}
// Data files are two levels deep; the parser recurses once per level, so a hostile file nested
// deeper than this is refused before it can exhaust the stack.
const int kMaxNesting = 256;

const char* SkipPast(const char* p, const char* end)
{
    const char* found = std::strstr(p, end);
    return found ? found + std::strlen(end) : p + std::strlen(p);
}

// The deepest element nesting of the text, counted without parsing (quotes and comments aware);
// stops counting once past the limit.
int ElementNesting(const char* p)
{
    int depth = 0, deepest = 0;
    while ((p = std::strchr(p, '<')) != nullptr) {
        if (p[1] == '/') {
            depth = depth > 0 ? depth - 1 : 0;
            p = SkipPast(p, ">");
        } else if (p[1] == '?') {
            p = SkipPast(p, "?>");
        } else if (std::strncmp(p, "<!--", 4) == 0) {
            p = SkipPast(p, "-->");
        } else if (std::strncmp(p, "<![CDATA[", 9) == 0) {
            p = SkipPast(p, "]]>");
        } else if (p[1] == '!') {
            p = SkipPast(p, ">");
        } else {
            char quote = 0, last = 0;
            for (++p; *p && (quote || *p != '>'); ++p) {
                if (quote && *p == quote)
                    quote = 0;
                else if (!quote && (*p == '"' || *p == '\''))
                    quote = *p;
                if (!std::isspace(static_cast<unsigned char>(*p)))
                    last = *p;
            }
            if (last != '/' && ++depth > deepest && (deepest = depth) > kMaxNesting)
                return deepest;
        }
    }
    return deepest;
}

} // namespace

void ConvertText(const std::string& text, CLocalizedText& out)
{
    AssignLocalized(out, text);
}

void CXmlDataReader::DeclareElement(const std::string& element)
{
    mSchema[element];
}

void CXmlDataReader::DeclareAttribute(const std::string& element, const std::string& attribute,
                                      const std::string& defaultText)
{
    mSchema[element].emplace_back(attribute, defaultText);
}

void CXmlDataReader::LoadFile(const std::string& path)
{
    if (mLoaded)
        Clear();
    mSource = path;
    std::string bytes;
    if (!Olvarn::ReadWholeFile(Olvarn::Paths::Resolve(path), bytes, kMaxDataFileBytes)) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s: cannot be read", path.c_str());
        throw kCannotParse;
    }
    ParseAndWalk(NormalizeLineEnds(bytes).c_str(), true, path);
    mLoaded = true;
}

void CXmlDataReader::LoadFromMemory(const char* text)
{
    if (mLoaded)
        Clear();
    mSource.clear();
    ParseAndWalk(text ? text : "", false, std::string());
    mLoaded = true;
}

void CXmlDataReader::LoadFromMemory(const std::string& text)
{
    LoadFromMemory(text.c_str());
}

void CXmlDataReader::ParseAndWalk(const char* text, bool fromFile, const std::string& path)
{
    // Editors that save as UTF-8 put a byte-order mark first; it says nothing the reader needs.
    if (std::strncmp(text, kByteOrderMark, sizeof kByteOrderMark - 1) == 0)
        text += sizeof kByteOrderMark - 1;
    // The thrown texts are the ones players know; the log says where the fault is.
    const char* source = fromFile ? path.c_str() : "saved data";
    if (ElementNesting(text) > kMaxNesting) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s: elements nested deeper than %d", source, kMaxNesting);
        throw kCannotParse;
    }
    TiXmlDocument document;
    // Legacy encoding: the files hold Windows-1252 bytes, passed through as they are.
    document.Parse(text, nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error()) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s:%d: %s", source, document.ErrorRow(), document.ErrorDesc());
        throw kCannotParse;
    }
    const TiXmlElement* root = document.FirstChildElement("data");
    if (!root) {
        Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s: no \"data\" element at the top", source);
        throw kNoRoot;
    }
    const bool crypted = root->FirstChildElement("crypted") != nullptr;

    std::vector<std::vector<std::string>> rows;
    std::map<std::string, IndexEntry> index;
    for (const auto& [element, attributes] : mSchema) {
        IndexEntry entry;
        entry.first = static_cast<int>(rows.size());
        for (const TiXmlElement* child = root->FirstChildElement(element.c_str()); child;
             child = child->NextSiblingElement(element.c_str())) {
            std::vector<std::string> row;
            row.reserve(attributes.size());
            for (const auto& [name, defaultText] : attributes) {
                const char* value = child->Attribute(name.c_str());
                if (!value) {
                    row.push_back(defaultText);
                } else if (crypted) {
                    std::string stored(value);
                    XmlDataCrypt(stored);
                    row.push_back(stored.substr(0, std::strlen(stored.c_str())));
                } else {
                    row.emplace_back(value);
                }
            }
            rows.push_back(std::move(row));
            ++entry.count;
        }
        index[element] = entry;
    }
    mRows = std::move(rows);
    mIndex = std::move(index);
}

void CXmlDataReader::Clear()
{
    mRows.clear();
    mIndex.clear();
    mLoaded = false;
}

int CXmlDataReader::GetRowCount(const std::string& element) const
{
    if (!mLoaded)
        return 0;
    auto it = mIndex.find(element);
    return it == mIndex.end() ? 0 : it->second.count;
}

const std::vector<std::string>* CXmlDataReader::FindRow(const std::string& element, int row) const
{
    if (mLoaded && row >= 0) {
        auto it = mIndex.find(element);
        if (it != mIndex.end() && row < it->second.count)
            return &mRows[static_cast<size_t>(it->second.first + row)];
    }
    if (mStrictRows)
        throw kMissingRow;
    return nullptr;
}

} // namespace tilvan
