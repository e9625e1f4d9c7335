// A temporary folder for one test, removed with everything in it when the object goes.
#pragma once

#include <string>

namespace testsupport
{

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return mPath; }
    // Path of a file inside the folder.
    std::string File(const std::string& name) const { return mPath + "/" + name; }

    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;

private:
    std::string mPath;
};

// The source tree, for fixtures kept under tests/data.
std::string SourceDir();
// The build tree, for programs the tests start.
std::string BinaryDir();

// Leaves a file in the build's fuzz corpus for the fuzz target of that name (tools/fuzz.sh seeds
// from it).
void SaveFuzzSeed(const std::string& target, const std::string& name, const std::string& bytes);
} // namespace testsupport
