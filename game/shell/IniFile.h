// Windows profile (INI) files as the game reads them: "game.ini" and the signature file "xml.sig".
#pragma once

#include <map>
#include <string>

namespace tilvan
{

class IniFile
{
public:
    // Sections "[name]" and "key=value" lines; names compare without case; ';' starts a comment line.
    static IniFile Parse(const std::string& text);
    // An unreadable file reads as an empty one, as every key then takes its default.
    static IniFile Load(const std::string& path);

    // The integer the text of the key starts with (optional blanks and sign, decimal digits);
    // the default when the key is absent. Values beyond 32 bits wrap as an unsigned 32-bit number.
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool Has(const std::string& section, const std::string& key) const;

private:
    std::map<std::string, std::string> values; // "section\nkey", lower case
};

} // namespace tilvan
