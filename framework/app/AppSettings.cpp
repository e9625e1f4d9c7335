// The application's settings (registry values of its key, kept by the settings store) and its
// command line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/OlvarnAppBase.h"
#include "core/StringUtils.h"
#include "platform/Log.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"

namespace Olvarn
{

namespace
{

uint32_t VolumeToStored(double volume)
{
    // Rounded, so a volume read back from its stored form is stored as the same number again.
    return static_cast<uint32_t>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
}

double StoredToVolume(uint32_t value)
{
    return std::clamp(static_cast<int32_t>(value) * 0.01, 0.0, 1.0);
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ToLowerCopy(a) == ToLowerCopy(b);
}

} // namespace

bool ParseDemoNumber(const std::string& name, const std::string& base, int& number)
{
    const std::string suffix = ".dmo";
    if (name.size() <= base.size() + suffix.size())
        return false;
    if (!EqualsIgnoreCase(name.substr(0, base.size()), base) ||
        !EqualsIgnoreCase(name.substr(name.size() - suffix.size()), suffix))
        return false;
    std::string digits = name.substr(base.size(), name.size() - base.size() - suffix.size());
    return digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 9 &&
           ParseInt(digits, number);
}

// ---- The store -----------------------------------------------------------------------------

SettingsStore* OlvarnAppBase::OpenSettings()
{
    if (mRegKey.empty())
        return nullptr;
    if (!mSettings || mSettingsKey != mRegKey) {
        mSettings = std::make_unique<SettingsStore>(SettingsStore::PathForKey(mRegKey));
        mSettings->Load();
        mSettingsKey = mRegKey;
    }
    return mSettings.get();
}

bool OlvarnAppBase::ReadRegistryValue(const std::string& name, uint32_t& type, unsigned char* data, uint32_t& size)
{
    if (mRegKey.empty())
        return false;
    if (mPlayingDemo)
        return PlayRegistryRead(type, data, size);
    SettingsStore* store = OpenSettings();
    SettingsStore::Value value;
    if (!store || !store->Get(name, value) || value.mData.size() > size) {
        RecordRegistryRead(false, 0, nullptr, 0);
        return false;
    }
    type = value.mType;
    size = static_cast<uint32_t>(value.mData.size());
    std::copy(value.mData.begin(), value.mData.end(), data);
    RecordRegistryRead(true, type, data, size);
    return true;
}

bool OlvarnAppBase::WriteRegistryValue(const std::string& name, uint32_t type, const unsigned char* data, uint32_t size)
{
    if (mRegKey.empty())
        return false;
    if (mPlayingDemo)
        return PlayRegistryWrite();
    SettingsStore* store = OpenSettings();
    if (!store)
        return false;
    store->Set(name, type, data, size);
    bool ok = mSettingsBatch || store->Save();
    if (!ok)
        LogWrite(LogLevel::Warning, "%s", store->LastError().c_str());
    RecordRegistryWrite(ok);
    return ok;
}

bool OlvarnAppBase::WriteRegistryString(const std::string& name, const std::string& text)
{
    return WriteRegistryValue(name, REG_SZ, reinterpret_cast<const unsigned char*>(text.data()),
                              static_cast<uint32_t>(text.size()));
}

bool OlvarnAppBase::WriteRegistryDWORD(const std::string& name, uint32_t value)
{
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return WriteRegistryValue(name, REG_DWORD, bytes, 4);
}

bool OlvarnAppBase::ReadRegistryDWORD(const std::string& name, uint32_t& value)
{
    unsigned char bytes[4] = {};
    uint32_t type = 0, size = 4;
    if (!ReadRegistryValue(name, type, bytes, size) || type != REG_DWORD || size != 4)
        return false;
    value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

bool OlvarnAppBase::ReadRegistryBool(const std::string& name, bool& value)
{
    uint32_t number = 0;
    if (!ReadRegistryDWORD(name, number))
        return false;
    value = number != 0;
    return true;
}

bool OlvarnAppBase::ReadRegistryString(const std::string& name, std::string& value)
{
    std::vector<unsigned char> bytes(SettingsStore::kMaxValueBytes);
    uint32_t type = 0, size = static_cast<uint32_t>(bytes.size());
    if (!ReadRegistryValue(name, type, bytes.data(), size) || type != REG_SZ)
        return false;
    value.assign(bytes.begin(), bytes.begin() + size);
    return true;
}

void OlvarnAppBase::DeleteRegistryValue(const std::string& name)
{
    // A replay leaves this machine's settings as they are.
    if (mPlayingDemo)
        return;
    SettingsStore* store = OpenSettings();
    if (store && store->Remove(name) && !store->Save())
        LogWrite(LogLevel::Warning, "%s", store->LastError().c_str());
}

// ---- Load and save -------------------------------------------------------------------------

void OlvarnAppBase::LoadSettings()
{
    mLoadedSettings = true;
    mRegKey = GetStringProperty("RegistryKey", mRegKey);
    if (mRegKey.empty())
        return;
    uint32_t value = 0;
    if (ReadRegistryDWORD("MusicVolume", value))
        mMusicVolume = StoredToVolume(value);
    if (ReadRegistryDWORD("SfxVolume", value))
        mSfxVolume = StoredToVolume(value);
    if (ReadRegistryDWORD("Muted", value))
        mMuteCount = value != 0 ? 1 : 0;
    if (ReadRegistryDWORD("ScreenMode", value))
        mIsWindowed = value == 0;
    if (ReadRegistryDWORD("PreferredX", value))
        mPreferredX = static_cast<int32_t>(value);
    if (ReadRegistryDWORD("PreferredY", value))
        mPreferredY = static_cast<int32_t>(value);
    if (ReadRegistryDWORD("CustomCursors", value)) {
        mCustomCursorsEnabled = value != 0;
        ApplyCursor();
    }
    if (ReadRegistryDWORD("WaitForVSync", value))
        mWaitForVSync = value != 0;
    if (ReadRegistryDWORD("InProgress", value))
        mLastShutdownWasGraceful = value == 0;
    if (!mIsScreenSaver)
        WriteRegistryDWORD("InProgress", 1);
}

void OlvarnAppBase::SaveSettings()
{
    SettingsStore* store = OpenSettings();
    if (!store)
        return;
    // Every value goes into one whole-file write.
    mSettingsBatch = true;
    WriteRegistryDWORD("MusicVolume", VolumeToStored(mMusicVolume));
    WriteRegistryDWORD("SfxVolume", VolumeToStored(mSfxVolume));
    WriteRegistryDWORD("Muted", mMuteCount - mAutoMuteCount > 0 ? 1 : 0);
    WriteRegistryDWORD("ScreenMode", mIsWindowed || mFullScreenForced ? 0 : 1);
    WriteRegistryDWORD("PreferredX", static_cast<uint32_t>(mPreferredX));
    WriteRegistryDWORD("PreferredY", static_cast<uint32_t>(mPreferredY));
    WriteRegistryDWORD("CustomCursors", mCustomCursorsEnabled ? 1 : 0);
    if (!mIsScreenSaver)
        WriteRegistryDWORD("InProgress", 0);
    WriteRegistryDWORD("WaitForVSync", mWaitForVSync ? 1 : 0);
    mSettingsBatch = false;
    if (!mPlayingDemo && !store->Save())
        LogWrite(LogLevel::Warning, "%s", store->LastError().c_str());
}

// ---- Command line --------------------------------------------------------------------------

void OlvarnAppBase::ParseProcessCommandLine()
{
    std::string line = Process::CommandLine();
    mCmdLineParsed = true;
    size_t start = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close == std::string::npos)
            return;
        start = close + 1;
    }
    size_t blank = line.find(' ', start);
    if (blank != std::string::npos)
        SplitCommandLine(line.substr(blank + 1));
}

void OlvarnAppBase::SplitCommandLine(const std::string& text)
{
    std::string name, value;
    bool inQuotes = false, afterEquals = false, pending = false;
    auto finish = [&] {
        // Two blanks in a row, or a blank after a closing quote, leave an empty name: not a switch.
        if (!name.empty())
            ApplyCommandLineSwitch(name, value);
        name.clear();
        value.clear();
        afterEquals = false;
        pending = false;
    };
    for (char c : text) {
        if (c == '"') {
            if (inQuotes)
                finish();
            inQuotes = !inQuotes;
        } else if (c == ' ' && !inQuotes) {
            finish();
        } else if (c == '=') {
            afterEquals = true;
            pending = true;
        } else {
            (afterEquals ? value : name) += c;
            pending = true;
        }
    }
    if (pending || !name.empty())
        finish();
}

void OlvarnAppBase::ApplyCommandLineSwitch(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        mPlayingDemo = true;
        mRecordingDemo = false;
    } else if (name == "-record") {
        mRecordingDemo = true;
        mPlayingDemo = false;
    } else if (name == "-recnum") {
        ApplySwitchRecNum(value);
    } else if (name == "-playnum") {
        ApplySwitchPlayNum(value);
    } else if (name == "-demofile") {
        mDemoFileName = value;
        mDemo.mFileFromCommandLine = true;
    } else if (name == "-screensaver") {
        mIsScreenSaver = true;
    } else if (name == "-crash") {
        Process::Crash();
    } else {
        ShowFatalMessage("Invalid Command Line Param: " + name);
        ExitProcessClean(1);
    }
}

void OlvarnAppBase::ApplySwitchRecNum(const std::string& value)
{
    // The file is named once the program stands in its own folder (ResolveDemoFileName), and an old
    // recording gives way only once the new one has been written (SaveDemoFile).
    int count = std::atoi(value.c_str());
    mDemo.mNumbered = DemoState::Numbered::Record;
    mDemo.mNumberedCount = count > 0 ? count : 5;
    mRecordingDemo = true;
    mPlayingDemo = false;
}

void OlvarnAppBase::ApplySwitchPlayNum(const std::string& value)
{
    // Taken down from at least 1, so the lowest int cannot overflow.
    mDemo.mNumbered = DemoState::Numbered::Play;
    mDemo.mNumberedCount = std::max(std::atoi(value.c_str()), 1) - 1;
    mPlayingDemo = true;
    mRecordingDemo = false;
}

int OlvarnAppBase::NextDemoFileName(const std::string& base, int count, bool deleteOldest)
{
    std::set<int> numbers;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
        int number = 0;
        if (ParseDemoNumber(it->path().filename().string(), base, number))
            numbers.insert(number);
    }
    if (numbers.empty())
        return 0;
    if (count - 1 < static_cast<int>(numbers.size()) && deleteOldest) {
        for (std::filesystem::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
            int number = 0;
            if (ParseDemoNumber(it->path().filename().string(), base, number) && number == *numbers.begin()) {
                std::filesystem::remove(it->path(), ec);
                break;
            }
        }
    }
    return *numbers.rbegin();
}

} // namespace Olvarn
