// The sound-effect manager: ids, channels, volumes in decibels, pitch, the silent mode, and loading
// through the decoded-sound cache.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/AudioDevice.h"
#include "platform/Paths.h"
#include "platform/SoundBuffer.h"
#include "sound/DSoundInstance.h"
#include "sound/DSoundManager.h"
#include "sound/SoundFixtures.h"
#include "support/TempDir.h"

using namespace Olvarn;
using namespace soundtest;

namespace
{

// Runs each test inside a scratch data folder with a few sounds, on a manual device.
class SoundManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        mOldDir = std::filesystem::current_path();
        std::filesystem::current_path(mData.Path());
        // Each test starts with an empty decoded-sound cache, also when tests are repeated.
        std::filesystem::remove_all(Paths::ProductCacheFolder() + "/cached");
        mData.WriteFile("sounds/beep.wav", MakeWav(1, 22050, 16, Samples16(Sine(2205, 1, 22050, 440))));
        mDevice = ManualDevice();
        mManager = std::make_unique<DSoundManager>(mDevice, false);
    }
    void TearDown() override
    {
        mManager.reset();
        std::filesystem::current_path(mOldDir);
        AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
    }
    std::string CacheFile(const std::string& name) { return Paths::ProductCacheFolder() + "/cached/" + name; }

    testsupport::TempDir mData;
    std::filesystem::path mOldDir;
    std::shared_ptr<AudioDevice> mDevice;
    std::unique_ptr<DSoundManager> mManager;
};

void SetModificationTime(const std::string& path, time_t seconds)
{
    struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0);
}

bool ReadWholeFileForTest(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

} // namespace

TEST_F(SoundManagerTest, LoadsIntoTheHighestFreeIdsAndRejectsBadIds)
{
    EXPECT_TRUE(mManager->IsReady());
    EXPECT_EQ(mManager->LoadSoundAnyId("sounds\\beep"), 255);
    EXPECT_EQ(mManager->LoadSoundAnyId("sounds\\beep"), 254);
    EXPECT_EQ(mManager->GetDataSize(255), 2205 * 2);
    EXPECT_EQ(mManager->LoadSoundAnyId("sounds\\missing"), -1);

    for (int id : {-1, -256, 256, 1000}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(mManager->LoadSoundAtId(id, "sounds\\beep"));
        EXPECT_FALSE(mManager->SetSoundVolume(id, 0.5));
        EXPECT_FALSE(mManager->SetSoundPan(id, 100));
        EXPECT_EQ(mManager->NewInstance(id), nullptr);
        mManager->ReleaseSound(id); // no effect, no crash
    }
    mManager->ReleaseSound(255);
    EXPECT_EQ(mManager->GetSoundBuffer(255), nullptr);
    EXPECT_EQ(mManager->LoadSoundAnyId("sounds\\beep"), 255);
}

TEST_F(SoundManagerTest, InstancesNeedALoadedSoundAndAFreeChannel)
{
    ASSERT_TRUE(mManager->LoadSoundAtId(3, "sounds\\beep"));
    EXPECT_EQ(mManager->NewInstance(4), nullptr); // free id with a device

    std::vector<SoundInstance*> instances;
    for (int i = 0; i < DSoundManager::kMaxChannels; ++i) {
        SoundInstance* instance = mManager->NewInstance(3);
        ASSERT_NE(instance, nullptr) << i;
        EXPECT_TRUE(instance->Play(true, false));
        instances.push_back(instance);
    }
    EXPECT_EQ(mManager->NewInstance(3), nullptr);

    // One that stops with auto-release frees its channel for the next call.
    ASSERT_TRUE(instances[7]->Play(false, true));
    mDevice->Render(5000);
    EXPECT_FALSE(instances[7]->IsPlaying());
    SoundInstance* reused = mManager->NewInstance(3);
    EXPECT_NE(reused, nullptr);
    EXPECT_EQ(mManager->NewInstance(3), nullptr);
}

TEST_F(SoundManagerTest, ReleasedAndAutoReleasedInstancesAreDone)
{
    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\beep"));
    SoundInstance* kept = mManager->NewInstance(0);
    SoundInstance* once = mManager->NewInstance(0);
    ASSERT_TRUE(kept->Play(false, false));
    ASSERT_TRUE(once->Play(false, true));
    EXPECT_TRUE(kept->IsPlaying());
    mDevice->Render(5000);
    EXPECT_FALSE(kept->IsDone()); // stopped but not released
    EXPECT_TRUE(once->IsDone());
    kept->Release();
    EXPECT_TRUE(kept->IsDone());
}

TEST_F(SoundManagerTest, StopAllKeepsAutoReleaseSoStoppedSoundsAreCollected)
{
    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\beep"));
    SoundInstance* looping = mManager->NewInstance(0);
    ASSERT_TRUE(looping->Play(true, true));
    mManager->StopAll();
    EXPECT_FALSE(looping->IsPlaying());
    EXPECT_TRUE(looping->IsDone());
}

TEST(SoundVolume, DecibelsOfLinearVolumes)
{
    struct Case {
        double volume;
        int decibels;
    } cases[] = {
        {1.0, 0},      {0.5, -605}, {0.0431, -2000}, {0.0430, -10000}, {0.04, -10000},
        {0.0, -10000}, {2.0, 0},    {100.0, 0},      {-0.5, -10000},   {NAN, -10000}, // outside 0..1 is clamped first
    };
    for (const Case& c : cases)
        EXPECT_EQ(DSoundManager::VolumeToDecibels(c.volume), c.decibels) << c.volume;
}

TEST_F(SoundManagerTest, InstanceVolumeCombinesMasterBaseAndOwn)
{
    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\beep"));
    mManager->SetSoundVolume(0, 0.5);
    mManager->SetSoundPan(0, 20000); // clamped
    auto* instance = static_cast<DSoundInstance*>(mManager->NewInstance(0));
    SoundBuffer* buffer = instance->GetBuffer();
    EXPECT_EQ(buffer->GetVolume(), -605);
    EXPECT_EQ(buffer->GetPan(), 10000);

    instance->SetPan(-3000);
    EXPECT_EQ(buffer->GetPan(), 7000);
    instance->SetVolume(7.0); // clamped to 1
    EXPECT_DOUBLE_EQ(instance->GetVolume(), 1.0);
    mManager->SetMasterVolume(0.04);
    EXPECT_EQ(buffer->GetVolume(), -10000);
    mManager->SetMasterVolume(2.0);
    EXPECT_EQ(buffer->GetVolume(), -605);
}

TEST_F(SoundManagerTest, PitchShiftInSemitonesWithinLimits)
{
    mData.WriteFile("sounds/full.wav", MakeWav(1, 44100, 16, Samples16(Sine(100, 1, 44100, 440))));
    ASSERT_TRUE(mManager->LoadSoundAtId(1, "sounds\\full"));
    auto* instance = static_cast<DSoundInstance*>(mManager->NewInstance(1));
    struct Case {
        double semitones;
        uint32_t frequency;
    } cases[] = {{0, 44100}, {12, 88200}, {-12, 22049} /* truncated */, {-120, 100}, {40, 100000}, {1, 46722}};
    for (const Case& c : cases) {
        instance->ShiftPitch(c.semitones);
        EXPECT_EQ(instance->GetBuffer()->GetFrequency(), c.frequency) << c.semitones;
    }
}

TEST_F(SoundManagerTest, PlayedInstancesAreHeardThroughTheMixer)
{
    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\beep"));
    SoundInstance* instance = mManager->NewInstance(0);
    EXPECT_EQ(Peak(mDevice->Render(256)), 0);
    instance->Play(false, true);
    EXPECT_GT(Peak(mDevice->Render(256)), 10000);
    instance->SetVolume(0.0);
    EXPECT_EQ(Peak(mDevice->Render(256)), 0);
}

TEST(SoundManagerWithoutDevice, LoadsSucceedAndInstancesAreSilent)
{
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        std::unique_ptr<DSoundManager> manager;
        if (variant == 0) {
            manager = std::make_unique<DSoundManager>(nullptr, true);
        } else {
            AudioDevice::SetBackend(AudioDevice::Backend::Unavailable);
            manager = std::make_unique<DSoundManager>(AudioDevice::Acquire(), false);
            AudioDevice::SetBackend(AudioDevice::Backend::Sdl);
        }
        EXPECT_FALSE(manager->IsReady());
        EXPECT_TRUE(manager->LoadSoundAtId(5, "no\\such\\sound"));
        EXPECT_FALSE(manager->LoadSoundAtId(-5, "no\\such\\sound"));
        SoundInstance* instance = manager->NewInstance(9);
        ASSERT_NE(instance, nullptr);
        EXPECT_FALSE(instance->Play(false, false));
        EXPECT_FALSE(instance->IsPlaying());
        instance->ShiftPitch(3);
        instance->Release();
        EXPECT_TRUE(instance->IsDone());
    }
}

TEST_F(SoundManagerTest, DecodedSoundsAreCachedUntilTheirSourceChanges)
{
    std::string wav = MakeWav(1, 22050, 16, Samples16(Sine(4410, 1, 22050, 440)));
    std::string ogg = EncodeOgg(wav);
    ASSERT_FALSE(ogg.empty());
    mData.WriteFile("sounds/click.ogg", ogg);
    SetModificationTime(mData.File("sounds/click.ogg"), 1000000000);

    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\click"));
    EXPECT_EQ(mManager->GetDataSize(0), 4410 * 2);
    std::string cache;
    ASSERT_TRUE(ReadWholeFileForTest(CacheFile("sounds/click.wav"), cache));
    EXPECT_EQ(cache.substr(36, 4), "dep ");
    EXPECT_EQ(cache.substr(46, 16), "sounds\\click.ogg");

    // Same stamp, unreadable source: the cache is used.
    mData.WriteFile("sounds/click.ogg", "not an ogg file");
    SetModificationTime(mData.File("sounds/click.ogg"), 1000000000);
    ASSERT_TRUE(mManager->LoadSoundAtId(1, "sounds\\click"));
    EXPECT_EQ(mManager->GetDataSize(1), 4410 * 2);

    // A changed stamp makes the cache stale, and the broken source then fails to load.
    SetModificationTime(mData.File("sounds/click.ogg"), 1000000100);
    EXPECT_FALSE(mManager->LoadSoundAtId(2, "sounds\\click"));

    // A replaced source is decoded again and the cache rewritten.
    mData.WriteFile("sounds/click.ogg", EncodeOgg(MakeWav(1, 22050, 16, Samples16(Sine(2000, 1, 22050, 220)))));
    ASSERT_TRUE(mManager->LoadSoundAtId(2, "sounds\\click"));
    EXPECT_EQ(mManager->GetDataSize(2), 2000 * 2);
}

TEST_F(SoundManagerTest, ACacheEntryThatIsNoSoundFileIsRebuiltFromItsSource)
{
    mData.WriteFile("sounds/click.ogg", EncodeOgg(MakeWav(1, 22050, 16, Samples16(Sine(4410, 1, 22050, 440)))));
    const std::string entry = CacheFile("sounds/click.wav");
    std::filesystem::create_directories(std::filesystem::path(entry).parent_path());
    using Plant = void (*)(const std::string&);
    const std::pair<const char*, Plant> cases[] = {
        {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"a link to /dev/zero", [](const std::string& path) { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); }},
        {"a sparse file of 20 GB",
         [](const std::string& path) {
             std::ofstream(path, std::ios::binary).put('R');
             ASSERT_EQ(::truncate(path.c_str(), off_t{20} << 30), 0);
         }},
    };
    int id = 0;
    for (const auto& [what, plant] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove(entry);
        plant(entry);
        ASSERT_TRUE(mManager->LoadSoundAtId(id, "sounds\\click"));
        EXPECT_EQ(mManager->GetDataSize(id), 4410 * 2);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(entry)));
        EXPECT_LT(std::filesystem::file_size(entry), 100000u);
        ++id;
    }
}

TEST_F(SoundManagerTest, WhatIsNeverCached)
{
    // WAV sources are read directly.
    ASSERT_TRUE(mManager->LoadSoundAtId(0, "sounds\\beep"));
    EXPECT_FALSE(std::filesystem::exists(CacheFile("sounds/beep.wav")));

    // Absolute names, drive names and names climbing out of the cache folder.
    mData.WriteFile("sub/x.au", MakeAu(24, 0xFFFFFFFFu, 1, 8000, 1, std::string(800, '\x10')));
    std::string absolute = mData.File("sub/x");
    ASSERT_TRUE(mManager->LoadSoundAtId(1, absolute));
    ASSERT_TRUE(mManager->LoadSoundAtId(2, "sub\\..\\sub\\x"));
    EXPECT_EQ(mManager->GetDataSize(2), 1600);
    std::error_code ec;
    size_t cached = 0;
    for (auto& entry : std::filesystem::recursive_directory_iterator(Paths::ProductCacheFolder(), ec))
        cached += entry.is_regular_file() && entry.path().filename() == "x.wav";
    EXPECT_EQ(cached, 0u);

    // A relative AU name is cached.
    ASSERT_TRUE(mManager->LoadSoundAtId(3, "sub\\x"));
    EXPECT_TRUE(std::filesystem::exists(CacheFile("sub/x.wav")));
}

TEST_F(SoundManagerTest, Mp3IsDecodedOnlyWhenTheManagerUsesFmod)
{
    std::string mp3 = EncodeMp3(MakeWav(2, 44100, 16, Samples16(Sine(4410, 2, 44100, 440))));
    ASSERT_FALSE(mp3.empty());
    mData.WriteFile("sounds/zap.mp3", mp3);
    EXPECT_FALSE(mManager->LoadSoundAtId(0, "sounds\\zap"));

    DSoundManager withFmod(mDevice, true);
    ASSERT_TRUE(withFmod.LoadSoundAtId(0, "sounds\\zap"));
    ASSERT_NE(withFmod.GetSoundBuffer(0), nullptr);
    EXPECT_EQ(withFmod.GetSoundBuffer(0)->Format().mChannels, 2);
    EXPECT_EQ(withFmod.GetSoundBuffer(0)->Format().mSamplesPerSec, 44100);
    EXPECT_GE(withFmod.GetDataSize(0), 4410 * 4); // plus the encoder's padding
    std::string cache;
    ASSERT_TRUE(ReadWholeFileForTest(CacheFile("sounds/zap.wav"), cache));
    EXPECT_EQ(cache.substr(46, 14), "sounds\\zap.mp3");
}
