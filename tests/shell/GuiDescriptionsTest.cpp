// GUI descriptions read from the data files and looked up by name.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "ShellTestSupport.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "shell/CGuiDescriptions.h"
#include "support/TempDir.h"

using tilvan::CGuiDescriptions;

namespace
{

class GuiDescriptions : public testing::Test
{
protected:
    GuiDescriptions()
    {
        CGuiDescriptions::DeclareSchema(mReader);
        CGuiDescriptions::Instance().Clear();
        mFont = mResources.AddFont("FONT_TEST");
        tilvan::GetStringTable().Set(9001, "Hello");
    }
    ~GuiDescriptions() override { CGuiDescriptions::Instance().Clear(); }

    void Load(const std::string& rows)
    {
        mReader.LoadFromMemory("<data>" + rows + "</data>");
        CGuiDescriptions::Instance().Load(mReader, &mApp);
        mReader.Clear();
    }
    CGuiDescriptions::WindowDescription* Window(const char* name)
    {
        return CGuiDescriptions::Instance().FindWindow(name);
    }

    shelltest::TestApp mApp;
    shelltest::TestResources mResources;
    widgettest::FixedFont* mFont;
    tilvan::CXmlDataReader mReader;
};

std::vector<int> Channels(const Olvarn::Color& c)
{
    return {c.GetRed(), c.GetGreen(), c.GetBlue(), c.GetAlpha()};
}

} // namespace

TEST_F(GuiDescriptions, WindowsAreReadFirstSoLabelsAndWidgetsCentreOnTheirWidth)
{
    Load(R"(<label window_id="w" text="$9001 there" pos="5 6" font="FONT_TEST" x_centered="1"/>
            <widget window_id="w" id="ok" pos="200 40" size="100 30" x_centered="1"/>
            <window id="w" size="500 300" pos="-1 -1"/>)");
    CGuiDescriptions::WindowDescription* w = Window("w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->width, 500);
    EXPECT_EQ(w->x, -1);
    ASSERT_EQ(w->labels.size(), 1u);
    EXPECT_EQ(w->labels[0].text.Get(), "Hellothere");
    // "Hellothere" is 100 pixels in the test font.
    EXPECT_EQ(w->labels[0].x, 200);
    EXPECT_EQ(w->labels[0].y, 6);
    ASSERT_NE(w->FindWidget("ok"), nullptr);
    EXPECT_EQ(w->FindWidget("ok")->x, 250);
    EXPECT_EQ(w->FindWidget("missing"), nullptr);
}

TEST_F(GuiDescriptions, AWindowOnlyNamedByItsPartsExistsWithSizeZero)
{
    Load(R"(<image window_id="bare" id="IMAGE_X" pos="1 2"/>
            <label window_id="bare" text="x" font="FONT_TEST" x_centered="1" pos="7 8"/>)");
    CGuiDescriptions::WindowDescription* w = Window("bare");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->width, 0);
    EXPECT_EQ(w->height, 0);
    EXPECT_EQ(w->images[0].alpha, 0);
    EXPECT_EQ(w->labels[0].x, -5); // centred against width 0
    EXPECT_EQ(Window("Bare"), nullptr);
}

TEST_F(GuiDescriptions, TheSameWindowInTwoFilesIsOneWindowWithTheLaterPlace)
{
    Load(R"(<window id="w" size="100 100" pos="1 1"/><image window_id="w" id="A"/>)");
    Load(R"(<window id="w" size="200 150" pos="2 2"/><image window_id="w" id="B"/>)");
    ASSERT_EQ(CGuiDescriptions::Instance().windows.size(), 1u);
    CGuiDescriptions::WindowDescription* w = Window("w");
    EXPECT_EQ(w->width, 200);
    EXPECT_EQ(w->y, 2);
    ASSERT_EQ(w->images.size(), 2u);
    EXPECT_EQ(w->images[0].id, "A");
    EXPECT_EQ(w->images[1].id, "B");
}

TEST_F(GuiDescriptions, ColoursOfLabelsAndWidgetsAndUnreadablePoints)
{
    Load(R"(<widget window_id="w" id="plain"/>
            <widget window_id="w" id="red" color="255 0 0"/>
            <widget window_id="w" id="bad" pos="12" size="x y"/>
            <label window_id="w" text="a"/>
            <label window_id="w" text="b" color="255 0 0"/>
            <label window_id="w" text="c" color="0x10 020 3 4"/>)");
    CGuiDescriptions::WindowDescription* w = Window("w");
    EXPECT_EQ(Channels(w->FindWidget("plain")->color), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(Channels(w->FindWidget("red")->color), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(w->FindWidget("bad")->x, 0);
    EXPECT_EQ(w->FindWidget("bad")->width, 0);
    EXPECT_EQ(Channels(w->labels[0].color), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(Channels(w->labels[1].color), (std::vector<int>{255, 0, 0, 255}));
    // "%i" reads hexadecimal and octal as C does.
    EXPECT_EQ(Channels(w->labels[2].color), (std::vector<int>{16, 16, 3, 4}));
    // Without a font the label keeps its position and is never drawn.
    EXPECT_EQ(w->labels[0].FindFont(), nullptr);
}

TEST_F(GuiDescriptions, DialogsKeepEveryRowAndTheFirstOfAnIdIsFound)
{
    Load(R"(<dialog id="ask" size="400 200" title="$9001 " left="Yes" right="No" left_blink="1"
                    left_right_balance="0.25" on_enter="right" on_escape="left"/>
            <dialog id="ask" size="1 1"/>)");
    EXPECT_EQ(CGuiDescriptions::Instance().dialogs.size(), 2u);
    CGuiDescriptions::DialogDescription* d = CGuiDescriptions::Instance().FindDialog("ask");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->width, 400);
    EXPECT_EQ(d->title.Get(), "Hello");
    EXPECT_EQ(d->left.Get(), "Yes");
    EXPECT_TRUE(d->center.Get().empty());
    EXPECT_TRUE(d->leftBlink);
    EXPECT_FALSE(d->rightBlink);
    EXPECT_FLOAT_EQ(d->leftRightBalance, 0.25f);
    EXPECT_EQ(d->onEnter, "right");
    EXPECT_EQ(d->onEscape, "left");
    EXPECT_EQ(CGuiDescriptions::Instance().FindDialog("other"), nullptr);
}

TEST_F(GuiDescriptions, TheShippedFilesDescribeEveryMessageBoxTheGameAsksFor)
{
    tilvan::CStringTable& strings = tilvan::GetStringTable();
    tilvan::LoadStringTable(strings, testsupport::SourceDir() + "/data/properties/strings.xml");
    mReader.LoadFile(testsupport::SourceDir() + "/data/properties/gui.xml");
    CGuiDescriptions::Instance().Load(mReader, &mApp);
    for (const char* name :
         {"exit_game", "continue", "hardware_acc_not_supported", "hardware_acc_not_recommended",
          "window_mode_not_available", "replay_warning", "last_level", "start_game", "bonus_level_description",
          "good_playing", "in_game_try_again", "do_not_leave", "win_game", "profile_conflict", "connecting",
          "connection_failed", "clear_records", "delete_profile"}) {
        SCOPED_TRACE(name);
        const CGuiDescriptions::DialogDescription* d = CGuiDescriptions::Instance().FindDialog(name);
        ASSERT_NE(d, nullptr);
        EXPECT_GT(d->width, 0);
        EXPECT_FALSE(d->title.Get().empty());
        EXPECT_FALSE(d->left.Get().empty() && d->center.Get().empty());
    }
    // Every text the file refers to exists, and the product name is there.
    std::ifstream in(testsupport::SourceDir() + "/data/properties/gui.xml");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::regex reference(R"(\$(\d+))");
    int references = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it, ++references)
        EXPECT_TRUE(strings.Has(std::stoi((*it)[1]))) << (*it)[0];
    EXPECT_GT(references, 40);
    EXPECT_EQ(strings.Expand("$254 "), "Tamberlo");
}
