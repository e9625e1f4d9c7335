// A copy of the laid-out game (the program and its data set from the build's bin/) in a temporary
// folder, for tests that start the program: it reads its data beside itself, so each test may
// change its own copy. Pictures, fonts, sounds and music are linked, not copied.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace testsupport
{

class GameDataSet
{
public:
    GameDataSet()
    {
        namespace fs = std::filesystem;
        fs::path bin = fs::path(BinaryDir()) / "bin";
        fs::copy_file(bin / "tamberlo", Path("tamberlo"));
        fs::permissions(Path("tamberlo"), fs::perms::owner_all);
        for (const char* folder : {"properties", "scripts"})
            fs::copy(bin / folder, Path(folder), fs::copy_options::recursive);
        for (const char* file : {"game.ini", "xml.sig"})
            fs::copy_file(bin / file, Path(file));
        for (const char* folder : {"images", "fonts", "sounds", "music"})
            fs::create_directory_symlink(bin / folder, Path(folder));
        // The board's configuration may not be part of this build yet: a bare one lets loading
        // finish. It is not signed, so the copy skips the data-file check.
        if (!fs::exists(Path("properties/config.xml"))) {
            std::ofstream(Path("properties/config.xml"), std::ios::binary) << "<data></data>\n";
            std::ofstream(Path("game.ini"), std::ios::binary) << "[debug]\r\nno_check=1\r\n";
            mUnsigned = true;
        }
    }

    std::string Path(const std::string& name) const { return mDir.File(name); }
    std::string Program() const { return Path("tamberlo"); }
    // True when the copy had to add a file the signature does not cover.
    bool Unsigned() const { return mUnsigned; }

private:
    TempDir mDir;
    bool mUnsigned = false;
};

} // namespace testsupport
