// Helpers for the font and resource manager tests: an application on the fake display that keeps
// its fatal messages, a sound manager that notes its calls, and picture files made on the spot.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "resources/ImageLib.h"
#include "sound/DSoundManager.h"
#include "support/TempDir.h"

namespace restest
{

// A silent sound manager that notes what the resource manager asks of it; paths containing
// "missing" fail to load.
class RecordingSounds : public Olvarn::DSoundManager
{
public:
    RecordingSounds() : DSoundManager(nullptr, false) {}

    bool LoadSoundAtId(int id, const std::string& fileName) override
    {
        mCalls.push_back("load " + std::to_string(id) + " " + fileName);
        // The base clears the slot through ReleaseSound first; only the caller's releases are noted.
        mInLoad = true;
        bool loaded = fileName.find("missing") == std::string::npos && DSoundManager::LoadSoundAtId(id, fileName);
        mInLoad = false;
        return loaded;
    }
    void ReleaseSound(int id) override
    {
        if (!mInLoad)
            mCalls.push_back("release " + std::to_string(id));
        DSoundManager::ReleaseSound(id);
    }
    bool SetSoundVolume(int id, double volume) override
    {
        mCalls.push_back("volume " + std::to_string(id) + " " + std::to_string(volume));
        return true;
    }
    bool SetSoundPan(int id, int pan) override
    {
        mCalls.push_back("pan " + std::to_string(id) + " " + std::to_string(pan));
        return true;
    }

    std::vector<std::string> mCalls;
    bool mInLoad = false;
};

// The application with a display device on the fake display; fatal messages are kept, not shown.
class TestApp : public Olvarn::OlvarnAppBase
{
public:
    TestApp()
    {
        mDDInterface = new Olvarn::DDInterface(this, GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
        mSounds = new RecordingSounds();
        mSoundManager = mSounds;
    }

    void ShowFatalMessage(const std::string& text) override { mFatal.push_back(text); }
    Olvarn::DDImage* LoadImageFile(const std::string& path) override
    {
        ++mImageLoads;
        return OlvarnAppBase::LoadImageFile(path);
    }

    std::vector<std::string> mFatal;
    int mImageLoads = 0;
    RecordingSounds* mSounds = nullptr;
};

// Writes a PNG of w x h pixels, each made by f(x, y) as 0xAARRGGBB.
inline void WritePng(const std::string& path, int w, int h, const std::function<uint32_t(int, int)>& f)
{
    ImageLib::Image image;
    image.Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.GetBits()[y * w + x] = f(x, y);
    ImageLib::SavePng(path, image);
}

inline void WriteSolidPng(const std::string& path, int w, int h, uint32_t color)
{
    WritePng(path, w, h, [color](int, int) { return color; });
}

} // namespace restest
