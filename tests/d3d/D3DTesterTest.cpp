// The card's acceptance test: the stored outcome, video memory, the card lists with the driver-year
// rule, and the five scenes on a real OpenGL context.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Hardware3DSupport.h"
#include "graphics/D3DTester.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"

using namespace Olvarn;

namespace
{

constexpr uint64_t kMB = uint64_t(1) << 20;

D3DCardFacts Card(uint64_t videoMemory = 64 * kMB)
{
    D3DCardFacts facts;
    facts.mDescription = "Example Graphics 3000";
    facts.mGuid.fill(7);
    facts.mVideoMemory = videoMemory;
    facts.mDesktopBytes = 4 * 1024 * 768;
    return facts;
}

std::vector<uint8_t> Dword(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// The values a run for the card with 6 and 14 MB would have stored.
void StoreOutcome(d3dtest::MemoryHost& host, const std::string& failure, const std::string& warning,
                  uint8_t guidByte = 7)
{
    host.mValues["Test3D\\Version"] = {SettingsStore::kDWord, Dword(2)};
    host.mValues["Test3D\\MinVidMemory"] = {SettingsStore::kDWord, Dword(6)};
    host.mValues["Test3D\\RecVidMemory"] = {SettingsStore::kDWord, Dword(14)};
    host.mValues["Test3D\\DisplayGUID"] = {SettingsStore::kBinary, std::vector<uint8_t>(16, guidByte)};
    host.mValues["Test3D\\FailureReason"] = {SettingsStore::kString,
                                             std::vector<uint8_t>(failure.begin(), failure.end())};
    host.mValues["Test3D\\Warning"] = {SettingsStore::kString, std::vector<uint8_t>(warning.begin(), warning.end())};
}

struct Tester {
    explicit Tester(d3dtest::MemoryHost& host) : tester(&host)
    {
        tester.mMinVidMemory = 6;
        tester.mRecVidMemory = 14;
    }
    D3DTester tester;
};

TEST(D3DTester, StoredOutcomeIsUsedWithoutRendering)
{
    d3dtest::MemoryHost host;
    StoreOutcome(host, "", "Low video memory.");
    Tester t(host);
    t.tester.Run(Card(), true);
    EXPECT_FALSE(t.tester.mFreshResult);
    EXPECT_EQ(t.tester.mWarning, "Low video memory.");
    EXPECT_TRUE(t.tester.IsSupported());
    EXPECT_FALSE(t.tester.IsRecommended());
    EXPECT_EQ(host.Text("Test3D\\Warning"), "Low video memory.");
}

TEST(D3DTester, NotEnoughVideoMemoryFailsBeforeTheStoredOutcome)
{
    d3dtest::MemoryHost host;
    StoreOutcome(host, "", "");
    Tester t(host);
    D3DCardFacts facts = Card(5 * kMB - 4 * 1024 * 768);
    t.tester.Run(facts, true);
    EXPECT_EQ(t.tester.mFailureReason, "Not enough video memory.");
    EXPECT_FALSE(t.tester.mFreshResult) << "a failure reason was stored before";
    EXPECT_EQ(host.Text("Test3D\\FailureReason"), "Not enough video memory.");

    d3dtest::MemoryHost empty;
    Tester first(empty);
    first.tester.Run(facts, true);
    EXPECT_TRUE(first.tester.mFreshResult);
}

TEST(D3DTester, VideoMemoryBeyondFourGigabytesIsCountedInFull)
{
    d3dtest::MemoryHost host;
    StoreOutcome(host, "", "");
    Tester t(host);
    // Summed in 32 bits, 4 GB and the desktop would come to 3 MB.
    t.tester.Run(Card(uint64_t(4) << 30), true);
    EXPECT_EQ(t.tester.mFailureReason, "");
    EXPECT_EQ(t.tester.mWarning, "");
}

TEST(D3DTester, PlaybackTakesTheRecordedFindingsAndStoresNothing)
{
    // A demo played back gives what the recording kept, in the order it was kept.
    struct ReplayingHost : d3dtest::MemoryHost {
        std::string SyncTextWithDemo(const std::string&) override { return texts.at(next++); }
        bool SyncFlagWithDemo(bool) override { return true; }
        std::vector<std::string> texts{"", "Low video memory."};
        size_t next = 0;
    } host;
    host.mPlayingDemo = true;
    Tester t(host);
    t.tester.Run(Card(uint64_t(1) * kMB), true);
    EXPECT_EQ(host.mWrites, 0);
    EXPECT_EQ(t.tester.mFailureReason, "");
    EXPECT_EQ(t.tester.mWarning, "Low video memory.");
    EXPECT_TRUE(t.tester.mFreshResult);
}

TEST(D3DTester, CardListsAndDriverYear)
{
    testsupport::TempDir dir;
    struct Case {
        const char* description;
        int year;
        const char* rejected; // contents of the rejected list, null for no file
        const char* accepted;
        bool expected;
    };
    const Case cases[] = {
        {"ATI Rage 128", 2001, nullptr, nullptr, true},
        {"S3 Savage4", 2001, nullptr, nullptr, false},
        {"S3 Savage4", 2002, nullptr, nullptr, true},
        {"NVIDIA RIVA TNT2", 1999, nullptr, nullptr, true},
        // A driver year nobody can read is a current driver, not one from year 0.
        {"S3 Savage4", 0, nullptr, nullptr, true},
        {"S3 Savage4", 2005, "  savage \n", "S3 Savage4\n", false},
        {"S3 Savage4", 2005, nullptr, "\n\nradeon\n", false},
        {"ATI Radeon 9000", 1999, nullptr, "\n  RADEON  \n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.description) + " " + std::to_string(c.year));
        std::remove((dir.Path() + "/vhwb.dat").c_str());
        std::remove((dir.Path() + "/vhw.dat").c_str());
        if (c.rejected)
            std::ofstream(dir.Path() + "/vhwb.dat") << c.rejected;
        if (c.accepted)
            std::ofstream(dir.Path() + "/vhw.dat") << c.accepted;
        D3DTester tester(nullptr);
        tester.mCardListFolder = dir.Path();
        tester.mDriverYear = c.year;
        EXPECT_EQ(tester.CheckCard(c.description), c.expected);
    }
}

TEST(D3DTestImage, ComparesBlocksAndStripes)
{
    D3DTestImage image;
    image.Resize(100, 100);
    std::fill(image.mBits.begin(), image.mBits.end(), 0xFF7F007F);
    int off = -1;
    EXPECT_TRUE(image.Compare(0x7F007F, off, 10, 10));
    EXPECT_EQ(off, 0);
    image.mBits[5] = 0xFF80007F; // near enough, but not the same
    EXPECT_FALSE(image.Compare(0x7F007F, off, 10, 10));
    EXPECT_EQ(off, 0);
    image.mBits[101] = 0xFF000000;
    image.Compare(0x7F007F, off, 10, 10);
    EXPECT_EQ(off, 1);

    image.FillStripes();
    EXPECT_EQ(image.CountStripeErrors(62, 62, 0, 0), 0);
    EXPECT_EQ(image.CountStripeErrors(62, 62, 1, 0), 62 * 62) << "the stripes are counted from the block's edge";
}

class D3DTesterRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!d3dtest::GLContextAvailable(why))
            GTEST_SKIP() << "no OpenGL context on this machine: " << why;
    }
};

TEST_F(D3DTesterRenderTest, TheSoftwareDriverPassesAllScenesAndTheOutcomeIsStored)
{
    d3dtest::MemoryHost host;
    Tester t(host);
    t.tester.Run(Card());
    EXPECT_EQ(t.tester.mFailureReason, "");
    EXPECT_EQ(t.tester.mWarning, "");
    EXPECT_TRUE(t.tester.mFreshResult);
    EXPECT_EQ(host.Text("Test3D\\FailureReason"), "");
    EXPECT_EQ(host.mValues.count("Test3D\\DisplayGUID"), 1u);

    // The same card and requirements next time: taken from the store.
    Tester again(host);
    again.tester.Run(Card());
    EXPECT_FALSE(again.tester.mFreshResult);

    // Another requirement renders again.
    Tester other(host);
    other.tester.mRecVidMemory = 32;
    other.tester.Run(Card());
    EXPECT_TRUE(other.tester.mFreshResult);
}

TEST_F(D3DTesterRenderTest, SixteenBitTexturesStillPassWithAWarning)
{
    d3dtest::MemoryHost host;
    Tester t(host);
    t.tester.mForce16BitTextures = true;
    t.tester.Run(Card());
    EXPECT_EQ(t.tester.mFailureReason, "");
    EXPECT_EQ(t.tester.mWarning, "A8R8G8B8 texture format not supported.");
}

} // namespace
