// Paths, text conversion, message-box answers and termination requests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/Directories.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "support/TempDir.h"

using namespace Olvarn;

TEST(Paths, BackslashPathsReachTheFileWhateverItsCase)
{
    testsupport::TempDir dir;
    dir.WriteFile("Properties/Resources.XML", "x");
    EXPECT_EQ(Paths::ToNative("a\\b/c\\d"), "a/b/c/d");
    EXPECT_EQ(Paths::Resolve(dir.Path() + "\\properties\\resources.xml"), dir.File("Properties/Resources.XML"));
    EXPECT_EQ(Paths::Resolve(dir.Path() + "\\Properties\\Resources.XML"), dir.File("Properties/Resources.XML"));
    // A missing file keeps the asked name, so the caller's error names what it asked for.
    EXPECT_EQ(Paths::Resolve(dir.Path() + "\\properties\\missing.xml"), dir.Path() + "/properties/missing.xml");
}

TEST(Paths, UserFoldersFollowTheEnvironment)
{
    EXPECT_EQ(Paths::ConfigHome(), std::getenv("XDG_CONFIG_HOME"));
    EXPECT_EQ(Paths::RuntimeDir(), std::getenv("XDG_RUNTIME_DIR"));
    std::string saved = std::getenv("XDG_CACHE_HOME");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(Paths::CacheHome(), std::string(std::getenv("HOME")) + "/.cache");
    setenv("XDG_CACHE_HOME", "relative/not/allowed", 1);
    EXPECT_EQ(Paths::CacheHome(), std::string(std::getenv("HOME")) + "/.cache");
    setenv("XDG_CACHE_HOME", saved.c_str(), 1);
}

TEST(Paths, WithoutHomeAndXdgTheUsersFoldersComeFromThePasswordDatabase)
{
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    const std::string home = user->pw_dir;
    const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : names)
        if (const char* value = std::getenv(name))
            saved.emplace_back(name, value);
    for (const char* name : names)
        unsetenv(name);
    // A relative HOME is no home either.
    for (const char* relativeHome : {static_cast<const char*>(nullptr), "relative/home", ""}) {
        SCOPED_TRACE(relativeHome ? relativeHome : "(unset)");
        if (relativeHome)
            setenv("HOME", relativeHome, 1);
        EXPECT_EQ(Paths::ConfigHome(), home + "/.config");
        EXPECT_EQ(Paths::DataHome(), home + "/.local/share");
        EXPECT_EQ(Paths::CacheHome(), home + "/.cache");
    }
    unsetenv("HOME");
    for (const auto& [name, value] : saved)
        setenv(name.c_str(), value.c_str(), 1);
}

TEST(Paths, MakeFoldersMakesEveryLevel)
{
    testsupport::TempDir dir;
    EXPECT_TRUE(Paths::MakeFolders(dir.Path() + "\\x\\y\\z"));
    EXPECT_TRUE(Paths::MakeFolders(dir.Path() + "/x/y/z"));
    dir.WriteFile("file", "");
    EXPECT_FALSE(Paths::MakeFolders(dir.File("file/sub")));
}

TEST(Directories, WholeFilesAreReadWithTheirBytesUpToTheCallersCap)
{
    testsupport::TempDir dir;
    const std::string bytes = std::string("a\0b\r\n", 5) + std::string(200000, 'x');
    dir.WriteFile("data.bin", bytes);
    dir.WriteFile("empty.bin", "");
    std::string read = "stale";
    ASSERT_TRUE(Olvarn::ReadWholeFile(dir.File("data.bin"), read, bytes.size()));
    EXPECT_EQ(read, bytes);
    ASSERT_TRUE(Olvarn::ReadWholeFile(dir.File("empty.bin"), read, 0));
    EXPECT_TRUE(read.empty());
    read = "stale";
    EXPECT_FALSE(Olvarn::ReadWholeFile(dir.File("data.bin"), read, bytes.size() - 1));
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(Olvarn::ReadWholeFile(dir.File("missing.bin"), read, 1000));
}

TEST(Directories, WhatIsNoRegularFileOrTooLargeFailsAtOnce)
{
    testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.File("zero").c_str()), 0);
    // Sparse: 20 GB claimed, nothing on disk.
    {
        int fd = ::open(dir.File("sparse").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{20} << 30), 0);
        ::close(fd);
    }
    ::mkdir(dir.File("folder").c_str(), 0700);
    const std::pair<const char*, std::string> cases[] = {
        {"a FIFO nobody writes", dir.File("fifo")},
        {"a link to an endless device", dir.File("zero")},
        {"a sparse file over the cap", dir.File("sparse")},
        // A folder opens like a file and claims a size it does not have.
        {"a folder", dir.File("folder")},
    };
    for (const auto& [what, path] : cases) {
        SCOPED_TRACE(what);
        auto start = std::chrono::steady_clock::now();
        std::string read = "stale";
        EXPECT_FALSE(Olvarn::ReadWholeFile(path, read, 64u << 20));
        EXPECT_TRUE(read.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

TEST(TextEncoding, Windows1252AndUtf8ConvertBothWays)
{
    struct Case {
        std::string cp1252;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"caf\xe9", "caf\xc3\xa9"},
        {"\x80 \x99 \x9f", "\xe2\x82\xac \xe2\x84\xa2 \xc5\xb8"},
        {"\xff", "\xc3\xbf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
    }
    // Characters Windows-1252 lacks, and broken UTF-8, become '?'.
    EXPECT_EQ(Utf8ToCp1252("\xe4\xb8\xad|\xc3|\xff|\xf0\x9f\x98\x80"), "?|?|?|?");
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xef\xbf\xbd");
}

TEST(MessageBox, HeadlessBoxesAnswerWithTheirDefaultButton)
{
    struct Case {
        int flags;
        int answer;
    };
    const std::vector<Case> cases = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_OK | MB_DEFBUTTON2, IDOK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBox::DefaultAnswer(c.flags), c.answer) << c.flags;
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBox::Show("text", "Title", c.flags, nullptr), c.answer);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Title] text\n");
    }
}

TEST(MessageBox, ABoxThatCannotOpenLogsWhyAndAnswersWithItsDefault)
{
    // A real video driver with no server behind it: SDL cannot open the box.
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    };
    std::vector<Saved> saved;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? value : "", value != nullptr});
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", "127.0.0.1:6543.0", 1);
    unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    const int answer = MessageBox::Show("text", "Title", MB_YESNO | MB_DEFBUTTON2, nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    for (const Saved& s : saved)
        s.set ? setenv(s.name, s.value.c_str(), 1) : unsetenv(s.name);
    EXPECT_EQ(answer, IDNO);
    const std::string reason = "cannot show a message box: ";
    const size_t at = log.find(reason);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_NE(log[at + reason.size()], '\n') << "the reason is given: " << log;
    EXPECT_NE(log.find("[Title] text\n"), std::string::npos) << log;
}

TEST(Process, ATerminationSignalBecomesOneEndSessionRecord)
{
    Process::InstallTerminationHandler();
    EventPump pump;
    std::vector<AppMessage> records;
    pump.Poll(nullptr, records);
    EXPECT_TRUE(records.empty());
    raise(SIGTERM);
    pump.Poll(nullptr, records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].mKind, AppMessageKind::EndSession);
    pump.Poll(nullptr, records);
    EXPECT_EQ(records.size(), 1u);
}

TEST(Process, TheCommandLineQuotesTheProgramAndArgumentsWithBlanks)
{
    const char* argv[] = {"/opt/my game/tamberlo", "-play", "-demofile=a b.dmo"};
    Process::SetArguments(3, const_cast<char**>(argv));
    EXPECT_EQ(Process::CommandLine(), "\"/opt/my game/tamberlo\" -play \"-demofile=a b.dmo\"");
}

TEST(Log, LinesAtOrAboveTheMinimumLevelReachTheChosenOutputEachWithOneLineEnd)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    Olvarn::SetLogOutput(out);
    Olvarn::LogWrite(Olvarn::LogLevel::Info, "plain %d", 1);
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "ended %s\n", "already");
    Olvarn::LogWrite(Olvarn::LogLevel::Debug, "below the minimum");
    Olvarn::SetLogLevel(Olvarn::LogLevel::Error);
    Olvarn::LogWrite(Olvarn::LogLevel::Warning, "filtered");
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "kept");
    Olvarn::SetLogLevel(Olvarn::LogLevel::Info);
    Olvarn::SetLogOutput(nullptr);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(out);
    EXPECT_EQ(text, "plain 1\nended already\nkept\n");
}
