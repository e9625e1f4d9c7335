// Helpers for the shell tests: a resource manager filled in memory, a destination image that notes
// every picture drawn into it, and a script host whose error lines the test can read.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Image.h"
#include "platform/DisplayFake.h"
#include "resources/ResourceManager.h"
#include "shell/CGameApp.h"
#include "shell/CImage.h"
#include "shell/CScript.h"
#include "shell/DataFileCheck.h"
#include "shell/GameServices.h"
#include "support/TempDir.h"
#include "widgets/WidgetTestSupport.h"

namespace shelltest
{

// The application on the fake display; message boxes and played sounds are kept, not shown.
class TestApp : public Olvarn::OlvarnAppBase
{
public:
    TestApp()
    {
        mDDInterface = new Olvarn::DDInterface(this, GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
        tilvan::services::InstallFrameworkApp(this);
    }
    ~TestApp() override { tilvan::services::InstallFrameworkApp(nullptr); }

    int ShowMessageBox(const std::string& text, const std::string& title, int flags) override
    {
        mMessages.push_back(title + ": " + text);
        return 0;
    }
    void ShowFatalMessage(const std::string& text) override { mMessages.push_back("fatal: " + text); }
    void PlaySoundOnce(int soundId) override { mSounds.push_back(soundId); }

    std::vector<std::string> mMessages;
    std::vector<int> mSounds;
};

// Images, fonts and sounds by id without files; the shell's lookups find them while it lives.
class TestResources : public Olvarn::ResourceManager
{
public:
    TestResources() : ResourceManager(nullptr) { tilvan::services::SetTestResources(this); }
    ~TestResources() override
    {
        tilvan::services::SetTestResources(nullptr);
        UnloadGroup("");
    }

    Olvarn::DDImage* AddImage(const std::string& id, int width, int height, int cols = 1, int rows = 1)
    {
        auto res = std::make_unique<ImageRes>();
        res->mImage = new Olvarn::DDImage(Olvarn::gOlvarnApp->mDDInterface);
        res->mImage->Create(width, height);
        res->mImage->mNumCols = cols;
        res->mImage->mNumRows = rows;
        Olvarn::DDImage* image = res->mImage;
        mImageMap[id] = std::move(res);
        return image;
    }
    void RemoveImage(const std::string& id)
    {
        auto it = mImageMap.find(id);
        if (it != mImageMap.end()) {
            it->second->ReleaseData();
            mImageMap.erase(it);
        }
    }
    // An animation of `frames` cells of `delay` ms each, looping; the image owns it.
    Olvarn::ImageAnimation* Animate(Olvarn::DDImage* image, int frames, int delay, int type = 3)
    {
        auto* a = new Olvarn::ImageAnimation();
        a->mType = type;
        a->mFrameDelay = delay;
        a->Prepare(frames, 0, 0);
        image->mAnimation = a;
        return a;
    }
    widgettest::FixedFont* AddFont(const std::string& id)
    {
        auto res = std::make_unique<FontRes>();
        auto* font = new widgettest::FixedFont();
        res->mFont = font;
        mFontMap[id] = std::move(res);
        return font;
    }
    void AddSound(const std::string& id, int soundId)
    {
        auto res = std::make_unique<SoundRes>();
        res->mSoundId = soundId;
        mSoundMap[id] = std::move(res);
    }
};

// A destination that keeps every blit instead of drawing it.
class RecordingImage : public Olvarn::Image
{
public:
    struct Blit {
        std::string kind;
        Olvarn::Rect dest;
        Olvarn::Rect source;
        Olvarn::Color color;
    };

    RecordingImage(int width = 1024, int height = 768)
    {
        mWidth = width;
        mHeight = height;
    }
    void BlitImage(Olvarn::Image* src, int x, int y, const Olvarn::Rect& srcRect, const Olvarn::Color& color,
                   DrawMode) override
    {
        mBlits.push_back({"blit", Olvarn::Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect, color});
    }
    void BlitImageScaled(Olvarn::Image*, const Olvarn::Rect& dest, const Olvarn::Rect& srcRect, const Olvarn::Rect&,
                         const Olvarn::Color& color, DrawMode, bool) override
    {
        mBlits.push_back({"scaled", dest, srcRect, color});
    }
    void BlitImageScaledMirrored(Olvarn::Image*, const Olvarn::Rect& dest, const Olvarn::Rect& srcRect,
                                 const Olvarn::Rect&, const Olvarn::Color& color, DrawMode, bool) override
    {
        mBlits.push_back({"mirrored", dest, srcRect, color});
    }
    void BlitImageMirrored(Olvarn::Image*, int x, int y, const Olvarn::Rect& srcRect, const Olvarn::Color& color,
                           DrawMode) override
    {
        mBlits.push_back({"mirrored", Olvarn::Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect, color});
    }
    void BlitTexturedTriangles(Olvarn::Image*, const Olvarn::TriVertex*, int numTriangles, const Olvarn::Rect&,
                               const Olvarn::Color& color, DrawMode, float, float, bool) override
    {
        mBlits.push_back({"triangles", Olvarn::Rect(0, 0, numTriangles, 0), Olvarn::Rect(), color});
    }

    std::vector<Blit> mBlits;
};

// Error lines of a host, kept instead of logged.
template <typename Base = tilvan::CBasicScript> class CapturingScript : public Base
{
public:
    CapturingScript(std::string file, std::string entry) : Base(std::move(file), std::move(entry)) {}

    std::vector<std::string> mErrors;

protected:
    void OnError(lua_State* state, const std::exception* detail) override
    {
        const char* text = lua_tostring(state, -1);
        mErrors.push_back(text ? text : "");
        lua_pop(state, 1);
    }
};

// Runs a test inside its own folder, as the program runs inside its data folder.
class InFolder : public testing::Test
{
protected:
    InFolder() : mPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(mDir.Path());
        std::filesystem::create_directory("properties");
    }
    ~InFolder() override { std::filesystem::current_path(mPrevious); }

    void Write(const std::string& name, const std::string& text) { mDir.WriteFile(name, text); }
    // Signs every property file as it is now.
    void Sign()
    {
        std::string sig = "[crc]\r\n";
        for (const auto& entry : std::filesystem::directory_iterator("properties")) {
            if (entry.is_directory())
                continue;
            std::string bytes = mDir.ReadFile("properties/" + entry.path().filename().string());
            sig +=
                entry.path().filename().string() + "=" +
                std::to_string(tilvan::Checksum(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()))) +
                "\r\n";
        }
        Write("xml.sig", sig);
    }

    testsupport::TempDir mDir;
    std::filesystem::path mPrevious;
};

// The application with message boxes kept instead of shown.
class QuietGameApp : public tilvan::CGameApp
{
public:
    int ShowMessageBox(const std::string& text, const std::string& title, int flags) override
    {
        mMessages.push_back(title + ": " + text);
        return 0;
    }
    std::vector<std::string> mMessages;
};

} // namespace shelltest
