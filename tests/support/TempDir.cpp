#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport
{

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tamberlo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
}

void TempDir::WriteFile(const std::string& name, const std::string& bytes) const
{
    std::filesystem::path p = File(name);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
}

std::string TempDir::ReadFile(const std::string& name) const
{
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string SourceDir()
{
    const char* dir = std::getenv("TAMBERLO_SOURCE_DIR");
    return dir ? dir : TAMBERLO_SOURCE_DIR;
}

std::string BinaryDir()
{
    const char* dir = std::getenv("TAMBERLO_BINARY_DIR");
    return dir ? dir : TAMBERLO_BINARY_DIR;
}

void SaveFuzzSeed(const std::string& target, const std::string& name, const std::string& bytes)
{
    std::filesystem::path p = std::filesystem::path(BinaryDir()) / "fuzz-corpus" / target;
    std::filesystem::create_directories(p);
    std::ofstream(p / name, std::ios::binary) << bytes;
}
} // namespace testsupport
