// Hints: their phases and alpha over time, what closes them, the pause a pausing hint holds, their
// layout around the anchor, the registry's numbering and the script functions that make them.
#include <gtest/gtest.h>

#include <memory>

#include "ShellTestSupport.h"
#include "shell/CHint.h"
#include "shell/CHintRegistry.h"
#include "shell/CLoadingScreen.h"
#include "shell/ScriptApi.h"

using shelltest::InFolder;
using shelltest::QuietGameApp;
using tilvan::CHint;
using tilvan::CHintRegistry;

namespace
{

struct Control : tilvan::lua_private::control_id {
    using control_id::control_id;
};

// Advances a hint by whole 10 ms updates.
void Step(CHint& hint, int ms)
{
    for (int t = 0; t < ms; t += 10)
        hint.Update();
}

std::shared_ptr<CHint> MakeHint(float fadeMs, float showMs, bool pausing = false, bool closeOnMove = false, int x = 100,
                                int y = 300)
{
    return std::make_shared<CHint>(x, y, 200, 60, "text", pausing, false, fadeMs, showMs, closeOnMove);
}

} // namespace

TEST(Hints, PhasesAndAlphaOverTime)
{
    struct Case {
        float fade, show;
        int at;
        int phase;
        int alpha;
        bool closing;
    };
    const Case cases[] = {
        {100, 200, 0, CHint::FADING_IN, 0, false},
        {100, 200, 50, CHint::FADING_IN, 128, false},
        {100, 200, 100, CHint::SHOWN, 255, false},
        {100, 200, 290, CHint::SHOWN, 255, false},
        {100, 200, 300, CHint::FADING_OUT, 255, false},
        {100, 200, 350, CHint::FADING_OUT, 127, false},
        {100, 200, 400, CHint::FADING_OUT, 0, true},
        // A show time of 0 keeps the hint until something closes it.
        {100, 0, 5000, CHint::SHOWN, 255, false},
        // A fade time of 0 shows at full alpha at once and goes without a fade.
        {0, 100, 10, CHint::SHOWN, 255, false},
        {0, 100, 110, CHint::FADING_OUT, 0, false},
        {0, 100, 120, CHint::FADING_OUT, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("fade " + std::to_string(int(c.fade)) + " show " + std::to_string(int(c.show)) + " at " +
                     std::to_string(c.at));
        auto hint = MakeHint(c.fade, c.show);
        Step(*hint, c.at);
        EXPECT_EQ(hint->phase, c.phase);
        EXPECT_EQ(hint->CurrentAlpha(), c.alpha);
        EXPECT_EQ(hint->closing, c.closing);
    }
}

TEST(Hints, ClicksMovesAndLeavingCloseThemAndTheControlLetsGo)
{
    shelltest::TestApp app;
    {
        auto hint = MakeHint(0, 0, false, true);
        hint->OnMouseDown(5, 5, -1); // right click: nothing
        EXPECT_FALSE(hint->closing);
        hint->OnMouseDown(5, 5, 1);
        EXPECT_TRUE(hint->closing);
    }
    {
        auto moving = MakeHint(0, 0, false, true);
        auto still = MakeHint(0, 0, false, false);
        moving->OnMouseMove(1, 1);
        still->OnMouseMove(1, 1);
        EXPECT_TRUE(moving->closing);
        EXPECT_FALSE(still->closing);
    }
    Control control(4242);
    std::weak_ptr<CHint> watched;
    {
        auto hint = MakeHint(0, 0);
        watched = hint;
        EXPECT_GE(CHintRegistry::Instance().AddHint(4242, hint), 0);
    }
    ASSERT_FALSE(watched.expired()); // the control owns it now
    EXPECT_TRUE(control.hintGiven);
    control.MouseEnter();
    control.MouseLeave();
    EXPECT_TRUE(watched.lock()->closing);
    control.Update(10);
    EXPECT_TRUE(watched.expired());
}

TEST_F(InFolder, APausingHintDarkensBlocksClicksAndHoldsThePauseUntilItCloses)
{
    Write("game.ini", "[debug]\nno_check=1\n");
    QuietGameApp app;
    app.mWidgetManager->AddWidget(&app.ScreenHolder());
    auto* screen = new tilvan::CLoadingScreen();
    app.SetScreen(screen);
    app.ScreenHolder().Update();
    {
        auto hint = MakeHint(100, 0, true, true);
        ASSERT_TRUE(hint->shadow);
        EXPECT_TRUE(screen->IsPaused());
        EXPECT_EQ(hint->mManager, app.mWidgetManager);
        EXPECT_EQ(hint->shadow->mManager, app.mWidgetManager);

        // Moving never closes a pausing hint; clicks on it and on the shadow wait 700 ms.
        hint->OnMouseMove(3, 3);
        hint->OnMouseDown(3, 3, 1);
        hint->shadow->OnMouseDown(3, 3, 1);
        EXPECT_FALSE(hint->closing);
        for (int t = 0; t < 700; t += 10) {
            hint->Update();
            hint->shadow->Update();
        }
        hint->shadow->OnMouseDown(3, 3, 1);
        EXPECT_TRUE(hint->closing);
        hint->Update();
        EXPECT_FALSE(screen->IsPaused());
    }
    // Destroyed before it finished: the pause is lifted exactly once.
    {
        auto hint = MakeHint(100, 0, true);
        EXPECT_EQ(screen->PauseCount(), 1);
    }
    EXPECT_EQ(screen->PauseCount(), 0);
    app.RemoveScreen();
}

TEST(Hints, TheBubbleSitsAboveOrBelowAndRightOrLeftOfItsAnchor)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddImage("IMAGE_GUI_HINTS_ARROW", 30, 29);
    resources.AddImage("IMAGE_GUI_HINTS_ARROWUP", 30, 29);
    struct Case {
        int x, y;
        int widgetX, widgetY;
        bool mirrored;
        int arrowX, arrowY, backY;
    };
    // Body 60, arrow 29 high: inset 20; the widget is 200 x 80.
    const Case cases[] = {
        {100, 300, 95, 220, true, 5, 51, 0},     // room above and to the right
        {100, 50, 95, 50, true, 5, 0, 20},       // near the top: below the anchor, arrow up
        {900, 300, 705, 220, false, 165, 51, 0}, // near the right edge: box to the left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        CHint hint(c.x, c.y, 200, 60, "", false, false, 0, 0, false);
        EXPECT_EQ(hint.mWidth, 200);
        EXPECT_EQ(hint.mHeight, 80);
        EXPECT_EQ(hint.mX, c.widgetX);
        EXPECT_EQ(hint.mY, c.widgetY);
        EXPECT_EQ((hint.arrow.GetFlags() & tilvan::CImage::MIRRORED) != 0, c.mirrored);
        EXPECT_EQ(int(hint.arrow.GetPosition().x), c.arrowX);
        EXPECT_EQ(int(hint.arrow.GetPosition().y), c.arrowY);
        EXPECT_EQ(int(hint.back.GetPosition().y), c.backY);
    }
    // Moving the anchor lays the bubble out again before it is drawn.
    CHint hint(100, 300, 200, 60, "", false, false, 0, 0, false);
    hint.SetPosition(100, 50);
    EXPECT_TRUE(hint.layoutDirty);
    shelltest::RecordingImage target;
    Olvarn::Graphics g(&target);
    hint.Draw(g);
    EXPECT_EQ(hint.mY, 50);
}

TEST(Hints, NumbersCountFailuresAndScriptsMakeThemThroughTheRegistry)
{
    shelltest::TestApp app;
    CHintRegistry& registry = CHintRegistry::Instance();
    registry.Reset();
    Control older(77), newer(77);
    auto first = MakeHint(0, 0);
    EXPECT_EQ(registry.AddHint(77, first), 0);
    EXPECT_EQ(newer.hint, first); // the newest record with the id takes it
    EXPECT_FALSE(older.hint);
    auto lost = MakeHint(0, 0);
    EXPECT_EQ(registry.AddHint(9999, lost), -1);
    ASSERT_EQ(app.mMessages.size(), 1u);
    EXPECT_EQ(app.mMessages[0], "Error: Control id=9999 not found");
    auto second = MakeHint(0, 0);
    EXPECT_EQ(registry.AddHint(77, second), 2); // the failed one kept its number
    first.reset();
    EXPECT_EQ(registry.GetHint(0), nullptr); // replaced on the control, so gone
    EXPECT_EQ(registry.GetHint(2), second);
    lost.reset();
    EXPECT_EQ(registry.GetHint(1), nullptr);
    EXPECT_EQ(registry.GetHint(-1), nullptr);
    EXPECT_EQ(registry.GetHint(3), nullptr);

    // The show-hints choice goes to whoever installed access to it.
    bool stored = false;
    registry.SetShowHintsAccess([&] { return stored; }, [&](bool v) { stored = v; });
    registry.SetShowHints(true);
    EXPECT_TRUE(stored);
    EXPECT_TRUE(registry.ShowHints());
    registry.SetShowHintsAccess(nullptr, nullptr);
    registry.Reset();
    EXPECT_EQ(registry.GetHint(2), nullptr);
}

TEST(Hints, ScriptFunctionsMakeAttachAndDecorateHints)
{
    shelltest::TestApp app;
    shelltest::TestResources resources;
    resources.AddFont("FONT_HINT");
    testsupport::TempDir dir;
    struct ApiScript : shelltest::CapturingScript<> {
        using CapturingScript<>::CapturingScript;
        void RegisterBindings(lua_State* state) override
        {
            CapturingScript<>::RegisterBindings(state);
            tilvan::RegisterGameApi(state);
        }
    };
    dir.WriteFile("hint.lua", R"(
        function main()
            set_hint_font("FONT_HINT")
            set_hint_color(1, 2, 3, 4)
            set_showhints_text("Show hints")
            n = add_hint_to_control(555, "Hello", vector2(100, 300), 200, 10, 100, 0, false, false, true)
            add_image_to_hint(n, "IMAGE_X", 3, 4)
            add_image_to_hint(n + 5, "IMAGE_X", 3, 4)
            missing = add_hint_to_control(556, "Lost", vector2(0, 0), 10, 10, 0, 0, false, false, false)
            shown = show_hints()
        end)");
    Control control(555);
    ApiScript script(dir.File("hint.lua"), "main");
    script.Run();
    EXPECT_TRUE(script.mErrors.empty());
    ASSERT_TRUE(control.hint);
    EXPECT_EQ(control.hint->images.size(), 1u);
    EXPECT_EQ(control.hint->text, "Hello");
    EXPECT_NE(CHint::GetFont(), nullptr);
    // The font's text needs more than the 10 pixels asked for.
    EXPECT_GT(control.hint->BodyHeight(), 10);
    EXPECT_EQ(CHint::GetColor(), Olvarn::Color(1, 2, 3, 4));
    EXPECT_EQ(CHint::GetShowHintsText(), "Show hints");
    // A control id nobody has gives -1; the player's choice reads back as a boolean.
    luabind::object globals = luabind::globals(script.State());
    EXPECT_EQ(luabind::object_cast<int>(globals["missing"]), -1);
    EXPECT_EQ(luabind::type(globals["shown"]), LUA_TBOOLEAN);
    EXPECT_EQ(luabind::object_cast<bool>(globals["shown"]), CHintRegistry::Instance().ShowHints());
    CHint::SetFont(nullptr);
    control.hint.reset();
}
