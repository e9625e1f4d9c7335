// The data-file check.
#include "shell/DataFileCheck.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Paths.h"
#include "shell/IniFile.h"

namespace tilvan
{

namespace
{

std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

uint32_t Checksum(size_t length, const unsigned char* bytes)
{
    static const std::array<uint32_t, 256> table = MakeTable();
    uint32_t c = 0;
    for (size_t i = 0; i < length; ++i)
        c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c;
}

bool FileChecksumMatches(const std::string& path, uint32_t expected)
{
    std::ifstream in(Olvarn::Paths::Resolve(path), std::ios::binary);
    if (!in)
        return false;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    return Checksum(bytes.size(), bytes.data()) == expected;
}

std::string FindModifiedDataFile(const std::string& signatureFileName)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path folder = Olvarn::Paths::Resolve("properties");
    if (!fs::is_directory(folder, error))
        return std::string();
    // The directory order of the original platform is by name; sorting makes the first failure
    // the same on every file system.
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (it->is_directory(error) || name.size() < 4)
            continue;
        std::string extension = name.substr(name.size() - 4);
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".xml")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    IniFile signatures = IniFile::Load(Olvarn::Paths::CurrentDirectory() + "/" + signatureFileName);
    for (const std::string& name : names) {
        uint32_t expected = uint32_t(signatures.GetInt("crc", name, 0));
        if (!FileChecksumMatches("properties\\" + name, expected))
            return name;
    }
    return std::string();
}

} // namespace tilvan
