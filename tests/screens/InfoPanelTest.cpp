// The info panel: its rows turned into buttons, labels and the hint area, what each button does,
// the refusals (locked, unaffordable, unusable), the snail's clock and the score's drawing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardFixture.h"
#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CXmlDataReader.h"
#include "graphics/Graphics.h"
#include "play/CPlay.h"
#include "play/PlayHooks.h"
#include "play/TestWater.h"
#include "screens/CInfoPanel.h"
#include "screens/COptionsDialog.h"
#include "shell/CHintRegistry.h"
#include "shell/ShellTestSupport.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

const char* kRows = R"(<data>
  <info_panel_label id="score" text="Score" text_pos="890 60" info_pos="890 80"/>
  <info_panel_label id="level" text="Level" text_pos="890 30" info_pos="980 30"/>
  <info_panel_label id="points" text="Pearls" text_pos="890 110" info_pos="980 110"/>
  <info_panel_label id="weather" text="Sunny" text_pos="1 1" info_pos="2 2"/>
  <info_panel_pointrect lt_pos="889.7 96" rb_pos="1013 122.9"/>
  <info_panel_image id="IMAGE_DECOR" pos="900.6 300"/>
  <info_panel_button id="id_next_ice" pos="896 572" size="110 34" text="Next" image="IMAGE_BTN"/>
  <info_panel_button id="id_menu" pos="896 664" size="110 34" text="Menu" image="IMAGE_BTN"/>
  <info_panel_button id="id_help" pos="896 618" size="110 34" text="Help" image="IMAGE_BTN"/>
  <info_panel_button id="id_create" pos="884 180" size="96 60" front_image="IMAGE_FRONT" image="IMAGE_BTN"/>
  <info_panel_button id="id_create_plus" pos="984.9 195" size="0 0" image="IMAGE_BUY"/>
  <info_panel_button id="id_pause" pos="884 270" size="96 60" front_image="IMAGE_FRONT" image="IMAGE_BTN"/>
  <info_panel_button id="id_pause_plus" pos="984 285" size="0 0" image="IMAGE_BUY"/>
  <info_panel_button id="id_nxet_ice" pos="1 1" size="5 5" image="IMAGE_BTN"/>
  <info_panel_button id="id_close" pos="956 708" size="0 0" front_image="IMAGE_FRONT" image="IMAGE_BUY"/>
</data>)";

// The events script's stand-in: the panel's calls are noted as text.
class PanelScript : public shelltest::CapturingScript<>
{
public:
    explicit PanelScript(const testsupport::TempDir& dir) : CapturingScript<>(dir.File("panel.lua"), "main")
    {
        dir.WriteFile("panel.lua", R"(
            calls = ""
            function main() end
            function hint_main() calls = calls .. "hint_main;" end
            function on_mouse_click(id, x, y, cursor, flag)
                calls = calls .. "click " .. id .. " " .. tostring(flag) .. " " .. tostring(cursor ~= nil) .. ";"
            end
        )");
    }
    std::string Calls()
    {
        lua_getglobal(State(), "calls");
        std::string text = lua_tostring(State(), -1);
        lua_pop(State(), 1);
        lua_pushstring(State(), "");
        lua_setglobal(State(), "calls");
        return text;
    }

protected:
    void RegisterBindings(lua_State* state) override
    {
        CapturingScript<>::RegisterBindings(state);
        luabind::module(state)[luabind::class_<CCursor>("cursor_class")];
    }
};

void LoadRows(const char* text)
{
    CXmlDataReader reader;
    CInfoPanel::DeclareSchema(reader);
    reader.LoadFromMemory(text);
    CInfoPanel::LoadConfig(reader);
}

class InfoPanelTest : public testing::Test
{
protected:
    InfoPanelTest() : script(dir)
    {
        app.mWidth = 1024;
        app.mHeight = 768;
        ownResources = app.mResourceManager;
        app.mResourceManager = &resources;
        resources.AddImage("IMAGE_GUI_INFO_PANEL", 147, 768);
        resources.AddImage("IMAGE_GUI_BUTTON_SHADOW", 72, 72);
        resources.AddImage("IMAGE_BTN", 60, 40);
        resources.AddImage("IMAGE_BUY", 30, 28);
        resources.AddImage("IMAGE_FRONT", 40, 20);
        resources.AddImage("IMAGE_DECOR", 10, 10);
        defaultFont = resources.AddFont("FONT_DEFAULT");
        panelFont = resources.AddFont("FONT_PANEL");
        CConstantsRegistry::Instance().Get("info_panel", "font") = "FONT_PANEL";
        script.Run();
        CHintRegistry::Instance().SetScriptHost(&script);
        CHintRegistry::Instance().Reset();
        SetPlayHooksEnabled(false);
        boardtest::LoadTestTypes();
        CPlayerInfo::Instance().Reset();
        ClearBonusTable();
        // Slot costs by kind: none, pufferfish 3, hammerfish 5, snail 4, octopus 6.
        AddBonusRow("", 0, 0, 0, 0, 1, 0);
        AddBonusRow("", 0, 3, 0, 0, 1, 0);
        AddBonusRow("", 0, 5, 0, 0, 1, 0);
        AddBonusRow("", 0, 4, 0, 0, 1, 0);
        AddBonusRow("", 0, 6, 0, 0, 1, 0);
        CInfoPanel::ClearConfig();
        LoadRows(kRows);
        PlayMakers().panel = [](CPlay& play) { return std::make_unique<CInfoPanel>(play); };
        play = std::make_unique<CPlay>(nullptr);
        panel = static_cast<CInfoPanel*>(play->Panel());
        panel->Init();
        EXPECT_EQ(script.Calls(), "hint_main;");
    }
    ~InfoPanelTest() override
    {
        play.reset();
        PlayMakers().panel = nullptr;
        CInfoPanel::ClearConfig();
        ClearBonusTable();
        CConstantsRegistry::Instance()["info_panel"].clear();
        CHintRegistry::Instance().SetScriptHost(nullptr);
        app.mResourceManager = ownResources;
    }
    CInfoPanelButton& Button(int id)
    {
        CInfoPanelButton* button = panel->FindButton(id);
        EXPECT_NE(button, nullptr) << id;
        return *button;
    }
    bool InManager(Olvarn::Widget* widget)
    {
        for (Olvarn::Widget* w : app.mWidgetManager->mChildren)
            if (w == widget)
                return true;
        return false;
    }

    testsupport::TempDir dir;
    PanelScript script;
    shelltest::TestApp app;
    shelltest::TestResources resources;
    Olvarn::ResourceManager* ownResources = nullptr;
    widgettest::FixedFont* defaultFont = nullptr;
    widgettest::FixedFont* panelFont = nullptr;
    TestWater water;
    std::unique_ptr<CPlay> play;
    CInfoPanel* panel = nullptr;
};

} // namespace

TEST_F(InfoPanelTest, RowsBecomeButtonsAtTheirPlacesWithThePanelIds)
{
    struct Expected {
        int id, x, y, w, h, slot;
        bool buy;
    };
    // The misspelt row is skipped; a size of 0 0 takes the image's.
    const Expected expected[] = {
        {1, 896, 572, 110, 34, -1, false}, {2, 896, 664, 110, 34, -1, false}, {3, 896, 618, 110, 34, -1, false},
        {4, 884, 180, 96, 60, 0, false},   {5, 984, 195, 30, 28, 0, true},    {6, 884, 270, 96, 60, 1, false},
        {7, 984, 285, 30, 28, 1, true},    {13, 956, 708, 30, 28, -1, false},
    };
    ASSERT_EQ(panel->Buttons().size(), std::size(expected));
    auto it = panel->Buttons().begin();
    for (const Expected& e : expected) {
        const CInfoPanelButton& b = **it++;
        SCOPED_TRACE(e.id);
        EXPECT_EQ(b.mId, e.id);
        EXPECT_EQ(b.control.id, e.id);
        EXPECT_EQ(b.mX, e.x);
        EXPECT_EQ(b.mY, e.y);
        EXPECT_EQ(b.mWidth, e.w);
        EXPECT_EQ(b.mHeight, e.h);
        EXPECT_EQ(b.bonusSlot, e.slot);
        EXPECT_EQ(b.buyButton, e.buy);
        EXPECT_FLOAT_EQ(b.control.x, float(e.x) + float(e.w) / 2);
        EXPECT_EQ(b.mFont != nullptr, true) << "the buttons take the panel's font constant";
        EXPECT_TRUE(InManager(const_cast<CInfoPanelButton*>(&b)));
    }
    EXPECT_EQ(Button(1).mLabel, "Next");
    // Tool fronts are half the button wide and face the other way; other fronts keep their size.
    EXPECT_FLOAT_EQ(Button(4).normalLayer.GetScale(), 96.0f / 2 / 40);
    EXPECT_TRUE(Button(4).normalLayer.GetFlags() & CImage::MIRRORED);
    EXPECT_FLOAT_EQ(Button(13).normalLayer.GetScale(), 30.0f / 2 / 40);
    EXPECT_FALSE(Button(13).normalLayer.GetFlags() & CImage::MIRRORED);

    CInfoPanelArea* area = panel->Area();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->control.id, 0);
    EXPECT_EQ(area->mX, 889);
    EXPECT_EQ(area->mY, 96);
    EXPECT_EQ(area->mWidth, 123);
    EXPECT_EQ(area->mHeight, 26);
    EXPECT_TRUE(InManager(area));

    int x = 0, y = 0, w = 0, h = 0;
    EXPECT_TRUE(CInfoPanel::ButtonRect(5, x, y, w, h));
    EXPECT_EQ(x, 984);
    EXPECT_EQ(w, 30);
    EXPECT_FALSE(CInfoPanel::ButtonRect(9, x, y, w, h)) << "no row for the hammerfish's buy button";
}

TEST_F(InfoPanelTest, AnotherFileAddsButtonsAndReplacesTheLabelsAndTheArea)
{
    LoadRows(R"(<data>
      <info_panel_label id="score" text="Points" text_pos="1 2" info_pos="3 4"/>
      <info_panel_pointrect lt_pos="10 20" rb_pos="30 50"/>
      <info_panel_button id="id_minimize" pos="918 708" size="30 30" image="IMAGE_BUY"/>
    </data>)");
    const CInfoPanelConfig& c = CInfoPanel::Config();
    EXPECT_EQ(c.buttons.size(), 9u);
    EXPECT_EQ(c.buttons.back().id, CInfoPanel::kMinimize);
    EXPECT_EQ(c.score.text, "Points");
    EXPECT_EQ(c.level.text, "Level") << "a label the file does not name stays";
    EXPECT_EQ(c.areaWidth, 20);
    EXPECT_EQ(c.areaHeight, 30);
    // A new level rebuilds the buttons from the rows; the old ones leave the manager.
    const size_t others = app.mWidgetManager->mChildren.size() - panel->Buttons().size() - 1;
    panel->Init();
    EXPECT_NE(panel->FindButton(CInfoPanel::kMinimize), nullptr);
    EXPECT_EQ(panel->Buttons().size(), 9u);
    EXPECT_EQ(app.mWidgetManager->mChildren.size(), others + 9 + 1) << "the buttons and the area, once";
    play.reset();
    EXPECT_TRUE(app.mWidgetManager->mChildren.empty()) << "the panel leaves nothing behind";
}

TEST_F(InfoPanelTest, ButtonsDoWhatTheirRolesSay)
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    CCursor* cursor = nullptr;
    struct Case {
        const char* name;
        int id;
        std::function<void()> arrange;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"next piece scores 10 and marks its use", 1, [] {},
         [&] {
             EXPECT_EQ(player.score, 10);
             EXPECT_TRUE(player.HasFlag(CPlayerInfo::next_ice_used));
         }},
        {"menu opens the paused options", 2, [] {},
         [&] { EXPECT_NE(app.FindDialog(COptionsDialog::kDialogId), nullptr); }},
        {"buy takes the price and gives one use", 5, [&] { player.points = 7; },
         [&] {
             EXPECT_EQ(player.points, 4);
             EXPECT_EQ(player.GetBonusCount(kSlotPufferfish), 1);
         }},
        {"the snail slows the level and starts its clock", 6, [&] { player.bonus_count[kSlotSnail] = 2; },
         [&] {
             EXPECT_FLOAT_EQ(play->GetPause(), CInfoPanel::kSnailTime);
             EXPECT_EQ(player.GetBonusCount(kSlotSnail), 1);
             EXPECT_TRUE(player.IsBonusUsed(kSlotSnail));
             EXPECT_FLOAT_EQ(Button(6).clockTotal, CInfoPanel::kSnailTime);
         }},
        {"a tool goes onto the cursor", 4, [&] { player.bonus_count[kSlotPufferfish] = 1; },
         [&] { EXPECT_EQ(cursor->GetState(), CCursor::pufferfish); }},
        {"the same tool again is put away", 4,
         [&] {
             player.bonus_count[kSlotPufferfish] = 1;
             cursor->SetState(CCursor::pufferfish);
         },
         [&] { EXPECT_EQ(cursor->GetState(), CCursor::free); }},
        {"a carried piece stays in hand", 4,
         [&] {
             player.bonus_count[kSlotPufferfish] = 1;
             cursor->SetState(CCursor::element_state);
         },
         [&] { EXPECT_EQ(cursor->GetState(), CCursor::element_state); }},
        {"a tool without uses stays away", 4, [] {}, [&] { EXPECT_EQ(cursor->GetState(), CCursor::free); }},
        {"the snail without uses does nothing", 6, [] {},
         [&] {
             EXPECT_FLOAT_EQ(play->GetPause(), 0);
             EXPECT_FALSE(player.IsBonusUsed(kSlotSnail));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        player.Reset();
        play = nullptr;
        play = std::make_unique<CPlay>(nullptr);
        panel = static_cast<CInfoPanel*>(play->Panel());
        panel->Init();
        script.Calls();
        cursor = &play->Cursor();
        c.arrange();
        panel->OnButton(c.id, play->Cursor());
        // Every press is told to the scripts, with the cursor, as a usable button's.
        EXPECT_EQ(script.Calls(), "click " + std::to_string(c.id) + " false true;");
        c.check();
        if (Olvarn::Dialog* dialog = app.FindDialog(COptionsDialog::kDialogId))
            app.CloseDialogOf(dialog);
    }
}

TEST_F(InfoPanelTest, BuyingIsRefusedWhileThePearlsDoNotCoverThePrice)
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    player.points = 3; // the snail costs 4
    player.bonus_count[kSlotPufferfish] = 0;
    player.bonus_count[kSlotSnail] = 1;
    play->Level().Start();
    panel->Update(16);
    EXPECT_TRUE(Button(7).inactive);
    EXPECT_FALSE(Button(7).mIsVisible);
    EXPECT_FALSE(Button(5).inactive) << "the pufferfish costs 3";
    EXPECT_TRUE(Button(5).mIsVisible);
    EXPECT_TRUE(Button(4).inactive) << "a tool without uses is hidden";
    EXPECT_FALSE(Button(4).mIsVisible);
    EXPECT_TRUE(Button(6).mIsVisible);

    panel->OnButton(7, play->Cursor());
    EXPECT_EQ(script.Calls(), "click 7 true true;");
    EXPECT_EQ(player.points, 3);
    EXPECT_EQ(player.GetBonusCount(kSlotSnail), 1);
}

TEST_F(InfoPanelTest, KeysOfALockedMenuAreToldToTheScriptsAndOpenNothing)
{
    // Before the start, as while a level ends, every button is locked and hidden.
    ASSERT_EQ(play->Level().get_state(), CLevel::before_start);
    panel->Update(16);
    for (CInfoPanelButton* button : panel->Buttons()) {
        EXPECT_TRUE(button->locked) << button->mId;
        EXPECT_FALSE(button->mIsVisible) << button->mId;
    }
    for (int key : {80, 27, 19})
        panel->KeyDown(key, play->Cursor());
    EXPECT_EQ(script.Calls(), "click 2 true true;click 2 true true;click 2 true true;");
    EXPECT_EQ(app.FindDialog(COptionsDialog::kDialogId), nullptr);
    panel->KeyDown(78, play->Cursor());
    EXPECT_EQ(script.Calls(), "") << "other keys are not the panel's";

    play->Level().Start();
    panel->Update(16);
    EXPECT_FALSE(Button(2).locked);
    EXPECT_TRUE(Button(1).mIsVisible) << "the next piece is offered in normal play";
    Button(3).SetDisabled(true);
    panel->KeyDown(112, play->Cursor());
    EXPECT_EQ(script.Calls(), "click 3 true true;") << "F1 is the help button";
}

TEST_F(InfoPanelTest, OnABonusLevelOnlyMenuHelpMinimiseAndCloseStay)
{
    panel->SetBonusLevel(true);
    for (CInfoPanelButton* button : panel->Buttons()) {
        const bool kept = button->mId == CInfoPanel::kMenu || button->mId == CInfoPanel::kHelp;
        EXPECT_EQ(button->locked, !kept) << button->mId;
        EXPECT_EQ(button->mIsVisible, kept) << button->mId;
    }
    // A locked button keeps its look whatever the framework asks.
    Button(4).SetDisabled(true);
    EXPECT_FALSE(Button(4).mIsDisabled);
    EXPECT_FALSE(panel->ClickButton(4, play->Cursor()));
    panel->SetBonusLevel(false);
    EXPECT_TRUE(Button(4).mIsVisible);
}

TEST_F(InfoPanelTest, TheSnailUsedTwiceShowsAFullClockForTheSummedTime)
{
    CInfoPanelButton& snail = Button(CInfoPanel::kPause);
    EXPECT_FLOAT_EQ(snail.clockTotal, 0) << "no slow-down at the start: no clock";
    panel->SetClock(10000, -1);
    snail.AdvanceClock(4000);
    EXPECT_EQ(snail.clock.TriangleCount(), 5) << "216 of 360 degrees left";
    panel->SetClock(10000, -1);
    EXPECT_FLOAT_EQ(snail.clockLeft, 16000);
    EXPECT_FLOAT_EQ(snail.clockTotal, 16000);
    EXPECT_EQ(snail.clock.TriangleCount(), 8) << "full again";
    snail.AdvanceClock(16000);
    EXPECT_FLOAT_EQ(snail.clockTotal, 0);
    EXPECT_FLOAT_EQ(snail.clockLeft, 0);

    // The last snail used: its button stays in sight, unusable, while its clock runs.
    CPlayerInfo::Instance().bonus_count[kSlotSnail] = 1;
    play->Level().Start();
    panel->OnButton(CInfoPanel::kPause, play->Cursor());
    panel->Update(1000);
    EXPECT_TRUE(snail.inactive);
    EXPECT_TRUE(snail.mIsVisible);
    EXPECT_FALSE(panel->ClickButton(CInfoPanel::kPause, play->Cursor()));
    panel->Update(9000);
    panel->Update(16);
    EXPECT_FALSE(snail.mIsVisible) << "hidden once the clock has run out";

    // A level that ends stops the clock where it is.
    panel->SetClock(5000, -1);
    snail.StopClock();
    snail.AdvanceClock(1000);
    EXPECT_FLOAT_EQ(snail.clockLeft, 5000);
}

TEST_F(InfoPanelTest, TheScoreIsNineDigitsWithMutedLeadingZeros)
{
    struct Case {
        int score;
        std::string text;
    };
    const Case cases[] = {
        {0, "^6E99C3100000000^FFFFFF10"},
        {123, "^6E99C31000000^FFFFFF1123"},
        {123456789, "^FFFFFF1123456789"},
        {1234567890, "^FFFFFF11234567890"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CInfoPanel::ScoreText(c.score), c.text) << c.score;

    CPlayerInfo& player = CPlayerInfo::Instance();
    player.score = 123;
    player.level = 4;
    player.points = 7;
    shelltest::RecordingImage canvas;
    Olvarn::Graphics g(&canvas);
    panel->Draw(g);
    std::vector<std::string> texts;
    std::vector<Olvarn::Color> colors;
    for (const auto& d : *defaultFont->mDrawn) {
        if (d.text.empty())
            continue;
        texts.push_back(d.text + "@" + std::to_string(d.x) + "," + std::to_string(d.y));
        colors.push_back(d.color);
    }
    const std::vector<std::string> expected = {"Score@890,60", "000000@890,80",  "123@950,80", "Level@890,30",
                                               "05@980,30",    "Pearls@890,110", "07@980,110"};
    EXPECT_EQ(texts, expected);
    ASSERT_EQ(colors.size(), expected.size());
    EXPECT_EQ(colors[1], Olvarn::Color(0x6E, 0x99, 0xC3, 255));
    EXPECT_EQ(colors[2], Olvarn::Color(255, 255, 255, 255));
    EXPECT_EQ(colors[3], Olvarn::Color(255, 255, 255, 255)) << "the colour codes do not leak into the labels";
}

TEST(InfoPanelConfig, ButtonsWithoutTheFontConstantAreRejectedWithTheirReason)
{
    CInfoPanel::ClearConfig();
    CConstantsRegistry::Instance()["info_panel"].clear();
    EXPECT_NO_THROW(CInfoPanel::CheckConfig()) << "no panel rows, nothing to check";
    LoadRows(kRows);
    try {
        CInfoPanel::CheckConfig();
        ADD_FAILURE() << "accepted";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("\"info_panel\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"font\""), std::string::npos) << e.what();
    }
    CConstantsRegistry::Instance().Get("info_panel", "font") = "FONT_DEFAULT";
    EXPECT_NO_THROW(CInfoPanel::CheckConfig());
    CInfoPanel::ClearConfig();
    CConstantsRegistry::Instance()["info_panel"].clear();
}
