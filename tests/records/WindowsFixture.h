// The records' windows on the fake display: the game's own window descriptions, texts and constants,
// pictures and fonts made in memory, and a modal runner that answers the boxes a window opens.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "RecordsFixture.h"
#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "records/RecordsConstants.h"
#include "records/RecordsModal.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGuiDescriptions.h"
#include "shell/ShellTestSupport.h"
#include "support/TempDir.h"
#include "widgets/Dialog.h"

namespace recordstest
{

constexpr int kEnter = 13;
constexpr int kEscape = 27;

inline std::string ReadSource(const std::string& relative)
{
    std::ifstream in(testsupport::SourceDir() + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What a window asked to be run modally: the dialog itself (still alive while the answer is made),
// its description name for boxes, and the text a box showed.
struct CModalCall {
    std::string box;
    std::string text;
};

class WindowsTest : public RecordsFolder
{
protected:
    static constexpr int kClickSound = 3;
    static constexpr int kConnectionErrorSound = 7;
    static constexpr int kCountSound = 20;
    static constexpr int kMedal1 = 11, kMedal2 = 12, kMedal3 = 13;

    void SetUp() override
    {
        RecordsFolder::SetUp();
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mOwnResources = mApp.mResourceManager;
        mApp.mResourceManager = &mResources;
        mResources.AddImage("IMAGE_GUI_FRAME", 96, 96, 3, 3);
        mResources.AddImage("IMAGE_GUI_DEKOR", 72, 72);
        for (const char* id : {"IMAGE_GUI_STANDARDBUTTON", "IMAGE_GUI_STANDARDBUTTON_OVER",
                               "IMAGE_GUI_STANDARDBUTTON_PRESS", "IMAGE_GUI_STANDARDBUTTON_OFF"})
            mResources.AddImage(id, 140, 40);
        for (const char* id : {"IMAGE_GUI_RECORDS_BOOKMARK_ACTIVE", "IMAGE_GUI_RECORDS_BOOKMARK_NORMAL",
                               "IMAGE_GUI_RECORDS_BOOKMARK_OVER"})
            mResources.AddImage(id, 120, 38);
        for (const char* id : {"IMAGE_GUI_RECORDS_SCROLL_UP", "IMAGE_GUI_RECORDS_SCROLL_UP_OVER",
                               "IMAGE_GUI_RECORDS_SCROLL_UP_PRESS", "IMAGE_GUI_RECORDS_SCROLL_DOWN",
                               "IMAGE_GUI_RECORDS_SCROLL_DOWN_OVER", "IMAGE_GUI_RECORDS_SCROLL_DOWN_PRESS"})
            mResources.AddImage(id, 20, 20);
        mResources.AddImage("IMAGE_GUI_RECORDS_SCROLL_BASE", 18, 36);
        mResources.AddImage("IMAGE_GUI_RECORDS_SCROLL_THUMB", 18, 36);
        for (const char* id : {"IMAGE_GUI_MEDALS_SUN", "IMAGE_GUI_MEDALS_STAR", "IMAGE_GUI_MEDALS_CROWN"})
            mResources.AddImage(id, 48, 48);
        mResources.AddImage("IMAGE_GUI_MEDALS_FISH", 52, 36);
        for (const char* id : {"FONT_DEFAULT", "FONT_TEXT", "FONT_HEADER", "FONT_SCORE"})
            mResources.AddFont(id);
        mResources.AddSound("SOUND_BUTTON_CLICK", kClickSound);
        mResources.AddSound("SOUND_CONNECTION_ERROR", kConnectionErrorSound);
        mResources.AddSound("SOUND_COUNT", kCountSound);
        mResources.AddSound("SOUND_MEDAL1", kMedal1);
        mResources.AddSound("SOUND_MEDAL2", kMedal2);
        mResources.AddSound("SOUND_MEDAL3", kMedal3);

        tilvan::SetStringTableFolder(testsupport::SourceDir() + "/data");
        tilvan::LoadStringTable(tilvan::GetStringTable(), testsupport::SourceDir() + "/data/properties/strings.xml");
        tilvan::CGuiDescriptions::Instance().Clear();
        tilvan::CGuiDescriptions::DeclareSchema(mReader);
        mReader.LoadFromMemory(ReadSource("data/properties/gui.xml"));
        tilvan::CGuiDescriptions::Instance().Load(mReader, &mApp);
        mReader.Clear();
        tilvan::RegisterRecordsConstants();
        tilvan::CConstantsRegistry::Instance().Load(testsupport::SourceDir() + "/data/properties/constants.xml");
        SetUrl("");

        tilvan::records::SetModalRunner([this](Olvarn::Dialog* dialog, int id) {
            CModalCall call;
            if (auto* box = dynamic_cast<tilvan::CDialogBuilder*>(dialog)) {
                call.box = mBoxName(box);
                call.text = box->GetText();
            }
            int result = -1;
            if (!mAnswers.empty()) {
                result = mAnswers.front()(dialog);
                mAnswers.erase(mAnswers.begin());
            }
            mCalls.push_back(call);
            delete dialog;
            return result;
        });
    }

    void TearDown() override
    {
        tilvan::records::SetModalRunner(nullptr);
        tilvan::CGuiDescriptions::Instance().Clear();
        mApp.mResourceManager = mOwnResources;
        SetUrl("");
    }

    static void SetUrl(const std::string& url) { tilvan::CConstantsRegistry::Instance().Get("records", "url") = url; }

    // The next modal window is answered by this.
    void Answer(std::function<int(Olvarn::Dialog*)> answer) { mAnswers.push_back(std::move(answer)); }
    void Answer(int result)
    {
        Answer([result](Olvarn::Dialog*) { return result; });
    }

    std::vector<int> SoundsSince(size_t from) const
    {
        return std::vector<int>(mApp.mSounds.begin() + long(from), mApp.mSounds.end());
    }

    shelltest::TestApp mApp;
    shelltest::TestResources mResources;
    Olvarn::ResourceManager* mOwnResources = nullptr;
    tilvan::CXmlDataReader mReader;
    std::vector<std::function<int(Olvarn::Dialog*)>> mAnswers;
    std::vector<CModalCall> mCalls;
    // The description a box was built from, told by its title.
    std::function<std::string(tilvan::CDialogBuilder*)> mBoxName = [](tilvan::CDialogBuilder* box) {
        for (const auto& d : tilvan::CGuiDescriptions::Instance().dialogs)
            if (box->mHeaderText == d.title.Get())
                return d.id;
        return std::string("?");
    };
};

} // namespace recordstest
