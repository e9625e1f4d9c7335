// The numbered texts of "properties/strings.xml" and the expansion of "$N" references.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "data/CLocalizedText.h"

namespace tilvan
{

class CStringTable
{
public:
    CStringTable() = default;

    // Reads the file into the table; a failure is reported (message box titled "Error" when the
    // application exists, the log otherwise) and the table keeps what it held.
    void Load(const std::string& path);

    // The text of the id; for a missing id "String "$N" has not found!" in one shared text that
    // the next miss overwrites (keep a copy when asking twice).
    const std::string& GetString(int id);
    std::string Expand(const std::string& text) const;

    bool Has(int id) const { return mStrings.count(id) != 0; }
    const std::string* Find(int id) const;
    void Set(int id, std::string text) { mStrings[id] = std::move(text); }
    size_t Size() const { return mStrings.size(); }

    // Where load failures go when no application exists to show them (standard error by default).
    static void SetFailureReporter(std::function<void(const std::string&)> reporter);

private:
    std::map<int, std::string> mStrings;
    std::string mMissing;
};

// The process-wide table. It reads "properties/strings.xml" of the program's own folder on its
// first use, so the texts load wherever the program was started from, and whenever it is first
// asked (the application's constructor asks before the program has changed to its folder).
CStringTable& GetStringTable();
// Where the global table reads from: the folder set here, else the executable's folder.
void SetStringTableFolder(const std::string& folder);
std::string StringTablePath();

// Throws the reader's text when the file cannot be read.
void LoadStringTable(CStringTable& table, const std::string& path);
std::string ExpandStringRefs(const std::string& text, const CStringTable& table);

void LocalizeInPlace(std::string& text);
std::string Localize(const std::string& text);
void AssignLocalized(CLocalizedText& destination, const std::string& text);
void AssignLocalized(std::string& destination, const std::string& text);
bool EqualsLocalized(const std::string& text, const std::string& plain);

} // namespace tilvan
