// Profile files.
#include "shell/IniFile.h"

#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"

namespace tilvan
{

namespace
{

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::string Key(const std::string& section, const std::string& key)
{
    return Lower(section) + "\n" + Lower(key);
}

} // namespace

IniFile IniFile::Parse(const std::string& text)
{
    IniFile ini;
    std::string section;
    // A profile saved by an editor as UTF-8 may begin with a byte-order mark.
    const bool marked = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::istringstream in(marked ? text.substr(3) : text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = Key(section, Trim(line.substr(0, equals)));
        // The first of two equal keys wins, as the Windows reader finds it first.
        ini.values.emplace(key, Trim(line.substr(equals + 1)));
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path)
{
    std::ifstream in(Olvarn::Paths::Resolve(path), std::ios::binary);
    if (!in)
        return IniFile();
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

bool IniFile::Has(const std::string& section, const std::string& key) const
{
    return values.count(Key(section, key)) != 0;
}

int IniFile::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    auto it = values.find(Key(section, key));
    if (it == values.end())
        return defaultValue;
    const std::string& text = it->second;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10u + uint32_t(text[i] - '0');
    if (negative)
        value = 0u - value;
    return int(value);
}

} // namespace tilvan
