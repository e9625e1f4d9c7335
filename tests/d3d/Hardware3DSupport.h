// A host for the hardware renderer's tests: settings kept in memory, and an OpenGL probe.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/GraphicsHost.h"
#include "platform/Clock.h"
#include "platform/Device3D.h"

namespace d3dtest
{

class MemoryHost : public Olvarn::GraphicsHost
{
public:
    struct Value {
        uint32_t mType = 0;
        std::vector<uint8_t> mData;
    };

    void RegisterImage(Olvarn::MemoryImage*) override {}
    void UnregisterImage(Olvarn::MemoryImage* image) override { ReleaseImageTextures(image); }
    void SetImageSetLock(Olvarn::CriticalSection*) override {}
    void ReleaseImageTextures(Olvarn::MemoryImage* image) override;
    bool Is3DEnabled() override { return mIs3D; }
    Olvarn::DDInterface* GetDisplayDevice() override { return mDevice; }
    const unsigned char* GetSaturationTable() override { return nullptr; }
    bool InSystemPopup() override { return false; }
    void OnVSyncBroken() override {}
    Olvarn::Clock& GetClock() const override { return Olvarn::SystemClock::Instance(); }

    bool ReadSetting(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) override
    {
        auto it = mValues.find(name);
        if (it == mValues.end())
            return false;
        type = it->second.mType;
        data = it->second.mData;
        return true;
    }
    bool WriteSetting(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override
    {
        mValues[name] = {type, data};
        ++mWrites;
        return true;
    }
    bool IsPlayingDemo() override { return mPlayingDemo; }
    void On3DTestRanAfresh() override { ++mFreshTests; }

    std::string Text(const std::string& name) const
    {
        auto it = mValues.find(name);
        if (it == mValues.end())
            return "<missing>";
        std::string s(it->second.mData.begin(), it->second.mData.end());
        return s.substr(0, s.find('\0'));
    }

    std::map<std::string, Value> mValues;
    int mWrites = 0;
    int mFreshTests = 0;
    bool mIs3D = false;
    bool mPlayingDemo = false;
    Olvarn::DDInterface* mDevice = nullptr;
};

// Whether this machine can give an OpenGL context at all; the reason when it cannot.
inline bool GLContextAvailable(std::string& why)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    bool missing = false;
    std::unique_ptr<Olvarn::Device3D> probe = Olvarn::Device3D::Create(8, 8, why, &missing);
    return probe || !missing;
}

} // namespace d3dtest
