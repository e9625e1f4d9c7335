// The framework's path helpers: splitting, joining, resolving, and the directory walks on a real folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Common.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

TEST(PathUtils, ResolveRelativePath)
{
    struct Case {
        const char* path;
        const char* base;
        const char* expected;
    };
    const Case cases[] = {
        {"..\\images\\a.png", "c:\\game\\data", "c:\\game\\images\\a.png"},
        {"d:\\x", "c:\\anything", "d:\\x"},
        {"d:/x", "", "d:/x"},
        {"./a/../b", "base", "base/a/../b"}, // only the leading segments resolve
        {"\\top", "c:\\game", "c:\\top"},
        {"..\\..\\x", "a", "..\\x"},  // the extra ".." stays
        {"..\\x", "..", "..\\..\\x"}, // a base that climbs climbs further
        {"a.png", "fonts\\", "fonts\\a.png"},
        {"images/a.png", "c:\\game", "c:\\game\\images\\a.png"}, // one separator throughout
        {"images\\a.png", "data/fonts", "data\\fonts\\images\\a.png"},
        {"x/y.png", "", "x/y.png"},
        {"x\\y.png", "", "x\\y.png"},
        {"./././f", "d", "d/f"},
        {"../../f", "/data/fonts", "/f"},
        {"../../../f", "/data/fonts", "/f"}, // above the root is the root
        {"..\\f", "c:\\", "c:\\f"},
        {"/abs/f", "rel", "/abs/f"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Olvarn::ResolveRelativePath(c.path, c.base), c.expected) << c.path << " against " << c.base;
}

TEST(PathUtils, FileNameAndDirectory)
{
    struct Case {
        const char* path;
        const char* name;
        const char* nameWithoutExtension;
        const char* directory;
        const char* directoryWithSeparator;
    };
    const Case cases[] = {
        {"c:\\dir\\file.ext", "file.ext", "file", "c:\\dir", "c:\\dir\\"},
        {"file", "file", "file", "", ""},
        {"a.b\\c", "c", "c", "a.b", "a.b\\"},
        {"x/y.tar.gz", "y.tar.gz", "y.tar", "x", "x/"},
        {"a\\b/c.d", "c.d", "c", "a\\b", "a\\b/"}, // the separator that stands last wins
        {"a/b\\c", "c", "c", "a/b", "a/b\\"},
        {"dir\\", "", "", "dir", "dir\\"},
        {".hidden", ".hidden", "", "", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Olvarn::PathFileName(c.path, false), c.name) << c.path;
        EXPECT_EQ(Olvarn::PathFileName(c.path, true), c.nameWithoutExtension) << c.path;
        EXPECT_EQ(Olvarn::PathDirectory(c.path, false), c.directory) << c.path;
        EXPECT_EQ(Olvarn::PathDirectory(c.path, true), c.directoryWithSeparator) << c.path;
    }
}

TEST(PathUtils, TrailingSeparators)
{
    struct Case {
        const char* path;
        const char* stripped;
        const char* ensuredBackslash;
        const char* ensuredSlash;
    };
    const Case cases[] = {
        {"a\\b", "a\\b", "a\\b\\", "a\\b/"},
        {"a\\b\\", "a\\b", "a\\b\\", "a\\b\\"},
        {"a/b/", "a/b", "a/b/", "a/b/"},
        {"a//", "a/", "a//", "a//"}, // only one is removed
        {"", "", "", ""},
        {"\\", "", "\\", "\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Olvarn::StripTrailingSeparator(c.path), c.stripped) << c.path;
        EXPECT_EQ(Olvarn::EnsureTrailingSeparator(c.path, true), c.ensuredBackslash) << c.path;
        EXPECT_EQ(Olvarn::EnsureTrailingSeparator(c.path, false), c.ensuredSlash) << c.path;
    }
}

TEST(PathUtils, MakeDirectoriesCreatesEveryLevel)
{
    testsupport::TempDir temp;
    Olvarn::MakeDirectories(temp.Path() + "/users\\saves\\slot1");
    EXPECT_TRUE(fs::is_directory(temp.Path() + "/users/saves/slot1"));

    Olvarn::MakeDirectories(temp.Path() + "/new/levels/under/slashes/");
    EXPECT_TRUE(fs::is_directory(temp.Path() + "/new/levels/under/slashes"));

    // Existing levels are no error, and nothing else changes.
    temp.WriteFile("users/saves/slot1/keep.dat", "x");
    Olvarn::MakeDirectories(temp.Path() + "/users\\saves\\slot1\\more");
    EXPECT_TRUE(fs::is_directory(temp.Path() + "/users/saves/slot1/more"));
    EXPECT_EQ(temp.ReadFile("users/saves/slot1/keep.dat"), "x");
}

namespace
{

// A small tree with files at two depths and an empty folder.
void MakeTree(const testsupport::TempDir& temp, const std::string& name)
{
    temp.WriteFile(name + "/a.txt", "a");
    temp.WriteFile(name + "/sub/b.txt", "b");
    temp.WriteFile(name + "/sub/deeper/c.txt", "c");
    fs::create_directories(temp.File(name + "/empty"));
}

} // namespace

TEST(PathUtils, DeleteDirectoryTreeWithOrWithoutTrailingSeparator)
{
    testsupport::TempDir temp;
    for (const char* suffix : {"", "/", "\\"}) {
        MakeTree(temp, "dump");
        EXPECT_TRUE(Olvarn::DeleteDirectoryTree(temp.File("dump") + suffix)) << "suffix '" << suffix << "'";
        EXPECT_FALSE(fs::exists(temp.File("dump"))) << "suffix '" << suffix << "'";
    }
}

TEST(PathUtils, DeleteDirectoryTreeRefusals)
{
    testsupport::TempDir temp;
    EXPECT_FALSE(Olvarn::DeleteDirectoryTree(""));
    EXPECT_FALSE(Olvarn::DeleteDirectoryTree("x"));
    EXPECT_FALSE(Olvarn::DeleteDirectoryTree(temp.File("missing")));
    temp.WriteFile("plain.txt", "p");
    EXPECT_FALSE(Olvarn::DeleteDirectoryTree(temp.File("plain.txt")));
    EXPECT_EQ(temp.ReadFile("plain.txt"), "p");
}

TEST(PathUtils, DeleteDirectoryTreeRemovesLinksNotWhatTheyPointTo)
{
    testsupport::TempDir temp;
    MakeTree(temp, "outside");
    MakeTree(temp, "dump");
    fs::create_directory_symlink(temp.File("outside"), temp.File("dump/linked-folder"));
    fs::create_symlink(temp.File("outside/a.txt"), temp.File("dump/linked-file"));

    EXPECT_TRUE(Olvarn::DeleteDirectoryTree(temp.File("dump")));
    EXPECT_FALSE(fs::exists(temp.File("dump")));
    EXPECT_EQ(temp.ReadFile("outside/a.txt"), "a");
    EXPECT_EQ(temp.ReadFile("outside/sub/deeper/c.txt"), "c");
}

namespace
{

// Runs DeleteDirectoryTree without the right to empty a read-only folder. Root has that right, so
// as root the call runs in a child process that has given up root for an unprivileged user.
bool DeleteAsUnprivilegedUser(const std::string& dir)
{
    if (geteuid() != 0)
        return Olvarn::DeleteDirectoryTree(dir);
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(Olvarn::DeleteDirectoryTree(dir) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not drop root";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

} // namespace

TEST(PathUtils, DeleteDirectoryTreeKeepsGoingPastAFailure)
{
    testsupport::TempDir temp;
    MakeTree(temp, "dump");
    // Everything open to the unprivileged user but one folder whose entries cannot be removed.
    for (const auto& entry : fs::recursive_directory_iterator(temp.Path()))
        fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(temp.Path(), fs::perms::all);
    fs::permissions(temp.File("dump/sub/deeper"),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);

    EXPECT_FALSE(DeleteAsUnprivilegedUser(temp.File("dump")));
    EXPECT_FALSE(fs::exists(temp.File("dump/a.txt")));
    EXPECT_FALSE(fs::exists(temp.File("dump/empty")));
    EXPECT_TRUE(fs::exists(temp.File("dump/sub/deeper/c.txt")));
    fs::permissions(temp.File("dump/sub/deeper"), fs::perms::owner_all);
}
