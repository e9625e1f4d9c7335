// The data-file check.
#include "shell/DataFileCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Paths.h"
#include "shell/IniFile.h"

namespace tilvan
{

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
    const std::string signaturePath = Olvarn::Paths::CurrentDirectory() + "/" + signatureFileName;
    // Without the signature file every file would fail; the fault is the missing file, so say that.
    if (!names.empty() && !fs::is_regular_file(signaturePath, error))
        return signatureFileName + " is missing";
    IniFile signatures = IniFile::Load(signaturePath);
    for (const std::string& name : names) {
        uint32_t expected = uint32_t(signatures.GetInt("crc", name, 0));
        if (!FileChecksumMatches("properties\\" + name, expected))
            return "properties/" + name + " does not match its signature";
    }
    return std::string();
}

} // namespace tilvan
