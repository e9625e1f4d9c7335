// The music step refuses a tune it cannot make as the game needs it, naming the tune's file.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "Assets.h"
#include "support/TempDir.h"

namespace
{

TEST(MusicSources, FaultyTunesFailNamingTheirFile)
{
    struct Case {
        const char* what;
        const char* tune;
        const char* message;
    } const kCases[] = {
        {"a chord abc2midi cannot read", "X:1\nT:t\nM:4/4\nL:1/8\nQ:1/4=120\nK:C\n\"Xq\"c8 |]\n", "Guitar chord"},
        {"eight seconds, not a minute", "X:1\nT:t\nM:4/4\nL:1/8\nQ:1/4=120\nK:C\nc8 | d8 | e8 | f8 |]\n",
         "not 60 to 120 s"},
        {"no notes at all", "X:1\nT:t\nM:4/4\nL:1/8\nK:C\n", "lasts 0"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        std::filesystem::create_directories(dir.File("src/music"));
        dir.WriteFile("src/music/tune.abc", c.tune);
        datagen::Options options;
        options.src = dir.File("src");
        options.out = dir.File("out");
        options.jobs = 1;
        try {
            datagen::MakeMusic(options, true);
            ADD_FAILURE() << "made the tune";
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("tune.abc"), std::string::npos) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("out/music/tune.ogg")));
    }
}

} // namespace
