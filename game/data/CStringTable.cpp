// The string table: numbered texts, read once, and the one-pass "$N" expansion.
#include "data/CStringTable.h"

#include <loki/Singleton.h>

#include <cstdio>
#include <exception>

#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace tilvan
{

namespace
{

// Base64 as the table is written: the alphabet, padding and line breaks, decoding to whole bytes.
bool IsCleanBase64(const std::string& text)
{
    static const char kAllowed[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/= \t\r\n";
    if (text.find_first_not_of(kAllowed) != std::string::npos)
        return false;
    size_t letters = 0;
    for (char c : text)
        letters += c != '=' && c != ' ' && c != '\t' && c != '\r' && c != '\n';
    // One letter left over holds only six bits: no whole byte.
    return letters % 4 != 1;
}

std::function<void(const std::string&)>& Reporter()
{
    static std::function<void(const std::string&)> reporter;
    return reporter;
}

void ReportLoadFailure(const std::string& text)
{
    if (Reporter()) {
        Reporter()(text);
    } else {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Error: %s", text.c_str());
    }
}

struct CGlobalStringTable {
    CStringTable table;
    bool loaded = false;
};

} // namespace

void CStringTable::SetFailureReporter(std::function<void(const std::string&)> reporter)
{
    Reporter() = std::move(reporter);
}

void CStringTable::Load(const std::string& path)
{
    CStringTable loaded = *this;
    try {
        LoadStringTable(loaded, path);
    } catch (const char* text) {
        ReportLoadFailure(text);
        return;
    } catch (const std::exception& e) {
        ReportLoadFailure(e.what());
        return;
    }
    mStrings = std::move(loaded.mStrings);
}

const std::string& CStringTable::GetString(int id)
{
    auto it = mStrings.find(id);
    if (it != mStrings.end())
        return it->second;
    mMissing = "String \"$" + std::to_string(id) + "\" has not found!";
    return mMissing;
}

const std::string* CStringTable::Find(int id) const
{
    auto it = mStrings.find(id);
    return it == mStrings.end() ? nullptr : &it->second;
}

std::string CStringTable::Expand(const std::string& text) const
{
    return ExpandStringRefs(text, *this);
}

std::string& StringTableFolder()
{
    static std::string folder;
    return folder;
}

void SetStringTableFolder(const std::string& folder)
{
    StringTableFolder() = folder;
}

std::string StringTablePath()
{
    std::string folder = StringTableFolder();
    if (folder.empty()) {
        std::string executable = Olvarn::Paths::ExecutablePath();
        size_t slash = executable.find_last_of('/');
        if (slash != std::string::npos)
            folder = executable.substr(0, slash);
    }
    return folder.empty() ? std::string("properties/strings.xml") : folder + "/properties/strings.xml";
}

CStringTable& GetStringTable()
{
    CGlobalStringTable& global = Loki::SingletonHolder<CGlobalStringTable>::Instance();
    if (!global.loaded) {
        global.loaded = true;
        global.table.Load(StringTablePath());
    }
    return global.table;
}

void LoadStringTable(CStringTable& table, const std::string& path)
{
    CXmlDataReader reader;
    reader.DeclareElement("base64");
    reader.DeclareAttribute("text", "id", "");
    reader.DeclareAttribute("text", "text", "");
    reader.LoadFile(path);
    const bool base64 = reader.GetRowCount("base64") > 0;
    const int rows = reader.GetRowCount("text");
    for (int i = 0; i < rows; ++i) {
        int id = 0;
        std::string text;
        reader.GetRow("text", i, id, text);
        if (base64 && !IsCleanBase64(text))
            Olvarn::LogWrite(Olvarn::LogLevel::Warning, "%s: text %d is not valid base64", path.c_str(), id);
        table.Set(id, base64 ? XmlBase64DecodeToString(text.c_str()) : text);
    }
    reader.Clear();
}

std::string ExpandStringRefs(const std::string& text, const CStringTable& table)
{
    std::string out;
    out.reserve(text.size());
    bool inReference = false;
    long long number = 0;
    auto resolve = [&] {
        if (number <= 0x7FFFFFFF) {
            if (const std::string* found = table.Find(static_cast<int>(number)))
                out += *found;
        }
        inReference = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inReference) {
            if (c >= '0' && c <= '9') {
                // Past int's range no id can match; keep the number from wrapping onto one.
                if (number <= 0x7FFFFFFF)
                    number = number * 10 + (c - '0');
            } else {
                resolve();
            }
        } else if (c == '$' && i + 1 < text.size() && text[i + 1] == '$') {
            out += '$';
            ++i;
        } else if (c == '$') {
            inReference = true;
            number = 0;
        } else {
            out += c;
        }
    }
    if (inReference)
        resolve();
    return out;
}

void LocalizeInPlace(std::string& text)
{
    text = ExpandStringRefs(text, GetStringTable());
}

std::string Localize(const std::string& text)
{
    return ExpandStringRefs(text, GetStringTable());
}

void AssignLocalized(CLocalizedText& destination, const std::string& text)
{
    destination.SetExpanded(ExpandStringRefs(text, GetStringTable()));
}

void AssignLocalized(std::string& destination, const std::string& text)
{
    destination = ExpandStringRefs(text, GetStringTable());
}

bool EqualsLocalized(const std::string& text, const std::string& plain)
{
    return text == Localize(plain);
}

} // namespace tilvan
