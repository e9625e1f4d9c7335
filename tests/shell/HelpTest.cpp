// The help window and its script actions: action values over time on a stepped clock, chained and
// delayed script calls, picture and text ids, draw order, page changes, keys, script errors, and
// what the window holds and gives back over its life.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "graphics/Graphics.h"
#include "shell/CCreditsDialog.h"
#include "shell/CEventImage.h"
#include "shell/CGameButton.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CHelpScript.h"
#include "shell/CHelpWindow.h"
#include "shell/CLoadingScreen.h"
#include "shell/CScreen.h"
#include "shell/CText.h"
#include "shell/HelpActions.h"
#include "widgets/WidgetManager.h"

using shelltest::InFolder;
using tilvan::CEventImage;
using tilvan::CHelpWindow;
namespace actions = tilvan::actions;

namespace
{

// Advances a picture by whole 10 ms updates.
void Step(CEventImage& picture, int ms)
{
    for (int t = 0; t < ms; t += 10)
        picture.Advance(10.0f);
}

void Step(CHelpWindow& window, int ms)
{
    for (int t = 0; t < ms; t += 10)
        window.Update();
}

CEventImage MakePicture()
{
    return CEventImage("IMAGE_NONE", 0, Olvarn::OlvarnVector2(0, 0), 0);
}

} // namespace

TEST(HelpActions, ValuesFollowTheClockAndEndExactly)
{
    enum Kind { MOVE, ROTATE, ALPHA, SCALE };
    struct Case {
        Kind kind;
        float target;
        int duration;
        int at;
        float expected;
    };
    const Case cases[] = {
        {MOVE, 1000, 1000, 10, 10},     // 1 % of the way after the first 10 ms update
        {MOVE, 1000, 1000, 500, 500},   // linear
        {MOVE, 1000, 1000, 1000, 1000}, // exactly the end after the hundredth
        {MOVE, 1000, 1000, 2000, 1000}, // and no further
        {MOVE, 300, 0, 10, 300},        // no duration: the end value in the first update
        {ROTATE, 180, 100, 50, 3.1415f / 2},
        {ROTATE, 180, 100, 100, 3.1415f}, // 3.1415, not pi
        {ALPHA, 255, 100, 50, 127},       // truncated
        {ALPHA, 255, 100, 10, 25},
        {ALPHA, 300, 100, 100, 300}, // the value is kept as set
        {SCALE, 3, 100, 50, 2},
        {SCALE, 3, 100, 100, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " at " << c.at << " ms");
        CEventImage picture = MakePicture();
        if (c.kind == ALPHA)
            picture.SetAlphaValue(0);
        std::shared_ptr<actions::CAction> action;
        switch (c.kind) {
        case MOVE:
            action = std::make_shared<actions::CMoveAction>(picture, Olvarn::OlvarnVector2(c.target, c.target / 2),
                                                            float(c.duration), "", 0, luabind::object());
            break;
        case ROTATE:
            action = std::make_shared<actions::CRotateAction>(picture, actions::DegreesToRadians(c.target),
                                                              float(c.duration), "", 0, luabind::object());
            break;
        case ALPHA:
            action = std::make_shared<actions::CAlphaAction>(picture, int(c.target), float(c.duration), "", 0,
                                                             luabind::object());
            break;
        case SCALE:
            action =
                std::make_shared<actions::CScaleAction>(picture, c.target, float(c.duration), "", 0, luabind::object());
            break;
        }
        picture.AddAction(action);
        Step(picture, c.at);
        const float value[] = {picture.x, picture.angle, float(picture.GetAlphaValue()), picture.GetScale()};
        EXPECT_FLOAT_EQ(value[c.kind], c.expected);
        if (c.kind == MOVE) {
            EXPECT_FLOAT_EQ(picture.y, c.expected / 2);
        }
        if (c.kind == ALPHA) {
            EXPECT_EQ(picture.GetAlpha(), std::min(int(c.expected), 255));
        }
        EXPECT_EQ(picture.Actions().empty(), c.at >= c.duration);
    }
}

TEST(HelpActions, TwoMovesRunTogetherAndTheLaterOneDecidesUntilOneEnds)
{
    CEventImage picture = MakePicture();
    picture.AddAction(std::make_shared<actions::CMoveAction>(picture, Olvarn::OlvarnVector2(100, 0), 100.0f, "", 0,
                                                             luabind::object()));
    picture.AddAction(std::make_shared<actions::CMoveAction>(picture, Olvarn::OlvarnVector2(0, 400), 200.0f, "", 0,
                                                             luabind::object()));
    Step(picture, 50);
    EXPECT_FLOAT_EQ(picture.x, 0);
    EXPECT_FLOAT_EQ(picture.y, 100);
    Step(picture, 50); // the later one still writes last in this update
    EXPECT_FLOAT_EQ(picture.y, 200);
    EXPECT_FLOAT_EQ(picture.x, 0);
    EXPECT_EQ(picture.Actions().size(), 1u);
    Step(picture, 100);
    EXPECT_FLOAT_EQ(picture.y, 400);
    EXPECT_TRUE(picture.Actions().empty());
}

namespace
{

// A help window over a screen, in a folder with its own help script and the resources it uses.
class HelpWindow : public shelltest::InFolder
{
protected:
    HelpWindow()
    {
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mResources.AddImage("IMAGE_GUI_STANDARDBUTTON", 140, 40);
        mResources.AddImage("IMAGE_A", 10, 10);
        mResources.AddImage("IMAGE_B", 20, 20);
        mFont = mResources.AddFont("FONT_DEFAULT");
        mResources.AddFontObject("FONT_LOG", new LoggingFont(mOrder));
        mResources.AddSound("SOUND_WINDOW_OPEN", 1);
        mResources.AddSound("SOUND_WINDOW_CLOSE", 2);
        mResources.AddSound("SOUND_BUTTON_CLICK", 3);
        auto& constants = tilvan::CConstantsRegistry::Instance();
        constants.Get("help_window", "ok_text") = "OK";
        constants.Get("help_window", "ok_x") = "800";
        constants.Get("help_window", "ok_y") = "700";
        constants.Get("help_window", "ok_width") = "160";
        std::filesystem::create_directory("scripts");
    }
    ~HelpWindow() override { tilvan::CConstantsRegistry::Instance()["help_window"].clear(); }

    void Script(const std::string& text) { Write("scripts/help.lua", text); }
    // Reads a global of the help state as a string ("" when it is not one).
    std::string Global(CHelpWindow& window, const char* name)
    {
        luabind::object value = luabind::globals(window.Script().State())[name];
        return luabind::type(value) == LUA_TSTRING ? luabind::object_cast<std::string>(value) : "";
    }

    // Test resources that also take a font made by the test.
    struct Resources : shelltest::TestResources {
        void AddFontObject(const std::string& id, Olvarn::Font* font)
        {
            auto res = std::make_unique<FontRes>();
            res->mFont = font;
            mFontMap[id] = std::move(res);
        }
    };
    // Logs every text it draws into the test's drawing order.
    struct LoggingFont : widgettest::FixedFont {
        explicit LoggingFont(std::shared_ptr<std::vector<std::string>> log) : log(std::move(log)) {}
        void DrawText(Olvarn::Graphics*, int, int, const std::string& text, const Olvarn::Color&,
                      const Olvarn::Rect&) override
        {
            log->push_back("text " + text);
        }
        Olvarn::Font* Clone() override { return new LoggingFont(*this); }
        std::shared_ptr<std::vector<std::string>> log;
    };

    shelltest::TestApp mApp;
    Resources mResources;
    widgettest::FixedFont* mFont = nullptr;
    std::shared_ptr<std::vector<std::string>> mOrder = std::make_shared<std::vector<std::string>>();
    tilvan::CScreen mScreen;
};

// Every image blit, in drawing order, into a log the test shares with its font.
struct OrderImage : shelltest::RecordingImage {
    void BlitImage(Olvarn::Image* src, int x, int y, const Olvarn::Rect& r, const Olvarn::Color& c,
                   DrawMode mode) override
    {
        RecordingImage::BlitImage(src, x, y, r, c, mode);
        order->push_back("image " + std::to_string(r.mWidth));
    }
    std::shared_ptr<std::vector<std::string>> order;
};

} // namespace

TEST_F(HelpWindow, ChainedAndDelayedCallsRunOnTimeWithTheirArguments)
{
    Script(R"(
        calls = ""
        function note(w, p, a) calls = calls .. string.format("[%s %s %d]", tostring(a), tostring(w ~= nil), p.pos.x) end
        function init(w)
            local p = w:get_image(w:add_image("IMAGE_A", 1, vector2(0, 0), 0))
            add_move_action(p, vector2(100, 0), 100, "note", 0)
            add_delayed_call_action(p, "note", 50)
            add_alpha_action(p, 0, 30, "note", 20, "faded")
            add_scale_action(p, 2, 10, "", 0)
        end)");
    CHelpWindow window(&mScreen, true);
    struct Case {
        int at;
        std::string calls;
    };
    // The chained call counts its delay from the update its action finished in, that update
    // included: a delay of 0 runs in the same update.
    const Case cases[] = {
        {30, ""},
        {40, "[faded true 40]"},
        {50, "[faded true 40][nil true 50]"},
        {90, "[faded true 40][nil true 50]"},
        {100, "[faded true 40][nil true 50][0 true 100]"},
        {300, "[faded true 40][nil true 50][0 true 100]"},
    };
    int now = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        Step(window, c.at - now);
        now = c.at;
        EXPECT_EQ(Global(window, "calls"), c.calls);
    }
    EXPECT_FLOAT_EQ(window.GetImage(0)->GetScale(), 2);
    EXPECT_TRUE(window.GetImage(0)->Actions().empty());
}

TEST_F(HelpWindow, IdsFillTheFirstGapAboveAUsedIdOnceTheRemovalIsDone)
{
    Script("function init(w) end");
    CHelpWindow window(nullptr, true);
    Olvarn::OlvarnVector2 at(0, 0);
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 0);
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 1);
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 2);
    window.RemoveImage(1);
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 3); // 1 is still taken until the update
    Step(window, 10);
    EXPECT_EQ(window.GetImage(1), nullptr);
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 1);
    window.RemoveImage(window.GetImage(0));
    Step(window, 10);
    // A gap below the smallest id is never used.
    EXPECT_EQ(window.AddImage("IMAGE_A", 0, at, 0), 4);

    Olvarn::Color black(0, 0, 0);
    EXPECT_EQ(window.AddText("a", at, black, "FONT_DEFAULT"), 0);
    EXPECT_EQ(window.AddText("b", at, black, "FONT_DEFAULT"), 1);
    window.RemoveText(window.GetText(0));
    window.RemoveText(7); // names nothing
    Step(window, 10);
    EXPECT_EQ(window.AddText("c", at, black, "FONT_DEFAULT"), 2);
    EXPECT_EQ(window.Texts().size(), 2u);
}

TEST_F(HelpWindow, PicturesAndTextsAreDrawnByLayerPicturesFirst)
{
    Script(R"(
        function init(w)
            w:add_image("IMAGE_B", 5, vector2(0, 0), 0)
            w:add_text("top", vector2(0, 0), color(0, 0, 0, 255), "FONT_LOG")
            w:add_text("five", vector2(0, 0), color(0, 0, 0, 255), "FONT_LOG", vector2(0, 0), 5)
            w:add_image("IMAGE_A", 5, vector2(0, 0), 0)
            gone = w:add_text("gone", vector2(0, 0), color(0, 0, 0, 255), "FONT_LOG", vector2(0, 0), 1)
            w:add_image("IMAGE_A", 100000, vector2(0, 0), 0)
            w:add_text("lost", vector2(0, 0), color(0, 0, 0, 255), "FONT_NONE")
            w:remove_text(gone)
        end)");
    CHelpWindow window(nullptr, true);
    OrderImage target;
    target.order = mOrder;
    Olvarn::Graphics g(&target);
    window.Draw(g);
    // On one layer the pictures lie under the texts; a text without a layer lies over every picture
    // of a lower one. The removed text is gone from this frame although its entry stays until the
    // next update, and a text whose font does not exist is kept but not drawn.
    EXPECT_EQ(*mOrder, (std::vector<std::string>{"image 20", "image 10", "text five", "text top", "image 10"}));
    EXPECT_EQ(window.Texts().size(), 4u);
    Step(window, 10);
    EXPECT_EQ(window.Texts().size(), 3u);
}

TEST_F(HelpWindow, PageButtonsSwapThePagesAndDropEverythingOfTheOldOne)
{
    Script(R"(
        function build(w, name)
            page = name
            local p = w:get_image(w:add_image("IMAGE_A", 1, vector2(0, 0), 0))
            add_move_action(p, vector2(500, 0), 1000, "never", 0)
            w:add_text(name, vector2(0, 0), color(0, 0, 0, 255), "FONT_DEFAULT")
        end
        function init(w) build(w, "one") end
        function second_init(w) build(w, "two") build(w, "two") end)");
    CHelpWindow window(nullptr, true);
    EXPECT_EQ(Global(window, "page"), "one");
    EXPECT_TRUE(window.Button(CHelpWindow::BUTTON_PAGE1)->mIsDisabled);
    EXPECT_FALSE(window.Button(CHelpWindow::BUTTON_PAGE2)->mIsDisabled);
    Step(window, 100);
    window.RemoveImage(0);

    window.OnButtonRelease(CHelpWindow::BUTTON_PAGE2);
    EXPECT_FALSE(window.IsFirstPage());
    EXPECT_EQ(Global(window, "page"), "two");
    // Built anew: ids from 0, pictures at their start, and no action of the first page left.
    ASSERT_EQ(window.Images().size(), 2u);
    EXPECT_FLOAT_EQ(window.GetImage(0)->x, 0);
    EXPECT_EQ(window.GetImage(0)->Actions().size(), 1u);
    EXPECT_EQ(window.Texts().size(), 2u);
    EXPECT_FALSE(window.Button(CHelpWindow::BUTTON_PAGE1)->mIsDisabled);
    EXPECT_TRUE(window.Button(CHelpWindow::BUTTON_PAGE2)->mIsDisabled);
    Step(window, 10); // the removal asked for on the old page touches nothing of the new one
    EXPECT_EQ(window.Images().size(), 2u);

    window.OnButtonRelease(CHelpWindow::BUTTON_PAGE1);
    EXPECT_TRUE(window.IsFirstPage());
    EXPECT_EQ(Global(window, "page"), "one");
    EXPECT_EQ(window.Images().size(), 1u);
    // Three button clicks, each with its sound; the window opened with its own.
    EXPECT_EQ(std::count(mApp.mSounds.begin(), mApp.mSounds.end(), 3), 2);
    EXPECT_EQ(mApp.mSounds.front(), 1);

    // F12 runs the script file again on the same page.
    Script(R"(
        function init(w) page = "reloaded" w:add_text("x", vector2(0, 0), color(0, 0, 0, 255), "FONT_DEFAULT") end)");
    window.OnKeyDown(123);
    EXPECT_TRUE(window.IsFirstPage());
    EXPECT_EQ(Global(window, "page"), "reloaded");
    EXPECT_TRUE(window.Images().empty());
    EXPECT_EQ(window.Texts().size(), 1u);
}

TEST_F(HelpWindow, AScriptErrorIsLoggedInItsOwnFormAndTheWindowGoesOn)
{
    Script(R"(
        function init(w)
            w:add_image("IMAGE_A", 1, vector2(0, 0), 0)
            local p = w:get_image(0)
            add_delayed_call_action(p, "broken", 10)
            add_delayed_call_action(p, "missing", 10)
            add_delayed_call_action(p, "fine", 20)
            error("page one failed")
        end
        function broken(w, p, a) error("call failed") end
        function fine(w, p, a) done = "yes" end
        function second_init(w) w:add_image("IMAGE_B", 1, vector2(0, 0), 0) end)");
    testing::internal::CaptureStdout();
    CHelpWindow window(&mScreen, true);
    Step(window, 20);
    std::string out = testing::internal::GetCapturedStdout();
    // What the script made before the error stays; every failure is one "-- " line and nothing more.
    EXPECT_EQ(window.Images().size(), 1u);
    EXPECT_EQ(Global(window, "done"), "yes");
    EXPECT_NE(out.find("-- "), std::string::npos);
    EXPECT_NE(out.find("page one failed\n"), std::string::npos);
    EXPECT_NE(out.find("call failed\n"), std::string::npos);
    EXPECT_NE(out.find("'missing'"), std::string::npos);
    for (size_t at = 0; at < out.size(); at = out.find('\n', at) + 1)
        EXPECT_EQ(out.compare(at, 3, "-- "), 0) << out;

    window.OnButtonRelease(CHelpWindow::BUTTON_PAGE2);
    EXPECT_EQ(window.Images().size(), 1u);
    EXPECT_NE(window.GetImage(0), nullptr);

    // A file that does not even load leaves an empty page and working buttons.
    Script("function init(w) this is not lua");
    testing::internal::CaptureStdout();
    window.OnKeyDown(123);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.compare(0, 3, "-- "), 0) << out;
    // The state keeps the functions of the last file that loaded.
    testing::internal::CaptureStdout();
    window.OnButtonRelease(CHelpWindow::BUTTON_PAGE1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("page one failed"), std::string::npos);
    EXPECT_TRUE(window.IsFirstPage());
}

TEST_F(HelpWindow, TheOwnerIsPausedWhileTheWindowLivesAndKeysCloseIt)
{
    Script("function init(w) end");
    const int keys[] = {13, 27, 112};
    for (int key : keys) {
        SCOPED_TRACE(key);
        CHelpWindow* window = CHelpWindow::Open(&mScreen, true);
        EXPECT_EQ(CHelpWindow::Current(), window);
        EXPECT_EQ(mApp.FindDialog(CHelpWindow::kDialogId), window);
        EXPECT_EQ(mScreen.PauseCount(), 1);
        EXPECT_EQ(mApp.mWidgetManager->mFocusWidget, window);
        window->OnKeyDown(key);
        EXPECT_EQ(window->mResult, 0);
        EXPECT_EQ(mApp.FindDialog(CHelpWindow::kDialogId), nullptr);
        mApp.PerformDeferredDeletions();
        EXPECT_EQ(CHelpWindow::Current(), nullptr);
        EXPECT_EQ(mScreen.PauseCount(), 0);
    }
    EXPECT_EQ(mApp.mSounds.back(), 2);
}

TEST_F(HelpWindow, CreditsCloseOnOkEnterAndEscape)
{
    tilvan::CXmlDataReader reader;
    tilvan::CGuiDescriptions::DeclareSchema(reader);
    reader.LoadFromMemory(R"(<data><window id="credits" size="400 300" pos="-1 -1"/>
        <widget window_id="credits" id="ok" pos="150 240" size="100 40" image="IMAGE_GUI_STANDARDBUTTON"/></data>)");
    tilvan::CGuiDescriptions::Instance().Clear();
    tilvan::CGuiDescriptions::Instance().Load(reader, &mApp);
    for (int key : {13, 27, -1}) {
        SCOPED_TRACE(key);
        auto* credits = new tilvan::CCreditsDialog();
        ASSERT_NE(credits->okButton, nullptr);
        tilvan::services::OpenDialog(credits, tilvan::CCreditsDialog::kDialogId);
        EXPECT_EQ(mApp.FindDialog(6), credits);
        if (key < 0)
            credits->OnButtonRelease(credits->okButton->mId);
        else
            credits->OnKeyDown(key);
        EXPECT_EQ(credits->mResult, 0);
        EXPECT_EQ(mApp.FindDialog(6), nullptr);
        mApp.PerformDeferredDeletions();
    }
    tilvan::CGuiDescriptions::Instance().Clear();
}

TEST_F(HelpWindow, TheShippedPagesRunForMinutesWithoutAScriptError)
{
    std::filesystem::copy_file(testsupport::SourceDir() + "/data/scripts/help.lua", "scripts/help.lua",
                               std::filesystem::copy_options::overwrite_existing);
    testing::internal::CaptureStdout();
    {
        CHelpWindow window(&mScreen, true);
        EXPECT_FALSE(window.Images().empty());
        EXPECT_FALSE(window.Texts().empty());
        Step(window, 60000);
        size_t busy = window.Images().size();
        Step(window, 60000);
        // The demonstration loops without piling up pictures.
        EXPECT_LE(window.Images().size(), busy + 4);
        window.OnButtonRelease(CHelpWindow::BUTTON_PAGE2);
        EXPECT_FALSE(window.Images().empty());
        Step(window, 120000);
        window.OnButtonRelease(CHelpWindow::BUTTON_PAGE1);
        Step(window, 5000);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(HelpWindow, TheShippedLayoutLabelsAndPlacesEveryButtonAndDescribesTheCredits)
{
    Script("function init(w) end");
    tilvan::LoadStringTable(tilvan::GetStringTable(), testsupport::SourceDir() + "/data/properties/strings.xml");
    tilvan::CConstantsRegistry::Instance().Load(testsupport::SourceDir() + "/data/properties/constants.xml");
    tilvan::CXmlDataReader reader;
    tilvan::CGuiDescriptions::DeclareSchema(reader);
    reader.LoadFile(testsupport::SourceDir() + "/data/properties/gui.xml");
    tilvan::CGuiDescriptions::Instance().Clear();
    tilvan::CGuiDescriptions::Instance().Load(reader, &mApp);
    {
        CHelpWindow window(nullptr, true);
        for (int id : {0, 1, 2, 3}) {
            SCOPED_TRACE(id);
            const tilvan::CGameButton* button = window.Button(id);
            EXPECT_FALSE(button->mLabel.empty());
            EXPECT_EQ(button->mLabel.find('$'), std::string::npos);
            EXPECT_GT(button->mWidth, 0);
            EXPECT_GE(button->mX, 0);
            EXPECT_LE(button->mX + button->mWidth, 1024);
            EXPECT_LE(button->mY + button->mHeight, 768);
        }
        tilvan::CCreditsDialog credits;
        EXPECT_NE(credits.okButton, nullptr);
        EXPECT_FALSE(credits.Description()->labels.empty());
    }
    tilvan::CGuiDescriptions::Instance().Clear();
}

// At program exit the screens are deleted before the dialogs: a help window outliving its owner
// must not lift a pause on the screen that is gone.
TEST_F(InFolder, AHelpWindowOutlivingItsOwnerScreenLeavesItAlone)
{
    Write("game.ini", "[debug]\nno_check=1\n");
    std::filesystem::create_directory("scripts");
    Write("scripts/help.lua", "function init(w) end");
    shelltest::QuietGameApp app;
    app.mWidgetManager->AddWidget(&app.ScreenHolder());
    auto* owner = new tilvan::CLoadingScreen();
    app.SetScreen(owner);
    app.ScreenHolder().Update();
    auto window = std::make_unique<CHelpWindow>(owner, true);
    EXPECT_EQ(owner->PauseCount(), 1);
    auto* next = new tilvan::CLoadingScreen();
    app.SetScreen(next);
    app.ScreenHolder().Update(); // the owner is deleted here
    window.reset();
    EXPECT_EQ(next->PauseCount(), 0);
    EXPECT_EQ(CHelpWindow::Current(), nullptr);
}
