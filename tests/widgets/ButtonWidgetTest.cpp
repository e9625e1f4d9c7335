// Buttons and hyperlinks: listener calls through the manager, held events, the over-face fade,
// the code-drawn bevel, label placement, image faces and underlines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/DialogButton.h"
#include "widgets/HyperlinkWidget.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class RecordingListener : public ButtonListener
{
public:
    void OnButtonMouseEnter(int id) override { Note("enter", id); }
    void OnButtonMouseLeave(int id) override { Note("leave", id); }
    void OnButtonPressClicks(int id, int code) override
    {
        Note("clicks " + std::to_string(code), id);
        ButtonListener::OnButtonPressClicks(id, code);
    }
    void OnButtonPress(int id) override { Note("press", id); }
    void OnButtonRelease(int id) override { Note("release", id); }
    void OnButtonHeld(int id) override { Note("held", id); }
    void Note(const std::string& what, int id) { log.push_back(what + " " + std::to_string(id)); }
    Log log;
};

class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        button.Resize(10, 10, 40, 20);
        manager.AddWidget(&button);
        manager.AddWidget(&other);
        manager.SetScreenSize(200, 200);
    }
    void TearDown() override { manager.RemoveAllChildren(); }

    RecordingListener listener;
    WidgetManager manager{nullptr};
    ButtonWidget button{7, &listener};
    LogWidget other{"O", nullptr, 100, 100, 20, 20};
};

} // namespace

TEST_F(ButtonTest, AReleaseOverTheButtonIsTheClick)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> dragPath;
        bool clicked;
    } cases[] = {
        {"in place", {}, true},
        {"dragged off", {{105, 105}}, false},
        {"dragged off and back", {{105, 105}, {20, 15}}, true},
    };
    for (const Case& c : cases) {
        manager.OnMouseMove(15, 15);
        listener.log.clear();
        manager.OnMouseDown(15, 15, 1);
        int x = 15, y = 15;
        for (auto [px, py] : c.dragPath) {
            manager.OnMouseMove(px, py);
            x = px;
            y = py;
        }
        manager.OnMouseUp(x, y, 1);
        EXPECT_EQ(listener.log.front(), "clicks 1 7") << c.name;
        EXPECT_EQ(listener.log[1], "press 7") << c.name;
        EXPECT_EQ(Count(listener.log, "release 7"), c.clicked ? 1 : 0) << c.name;
        manager.OnMouseMove(150, 150);
    }
}

TEST_F(ButtonTest, RightAndMiddleClicksAlsoClick)
{
    for (int code : {-1, -2, 3, 2}) {
        manager.OnMouseMove(15, 15);
        listener.log.clear();
        manager.OnMouseDown(15, 15, code);
        manager.OnMouseUp(15, 15, code);
        EXPECT_EQ(listener.log, (Log{"clicks " + std::to_string(code) + " 7", "press 7", "release 7"}));
    }
}

TEST_F(ButtonTest, AReleaseWhileTheApplicationIsInactiveIsNoClick)
{
    manager.OnMouseMove(15, 15);
    manager.OnMouseDown(15, 15, 1);
    manager.mAppHasFocus = false;
    manager.OnMouseUp(15, 15, 1);
    EXPECT_EQ(Count(listener.log, "release 7"), 0);
}

TEST_F(ButtonTest, HeldArrivesEveryUpdateWhilePressedAndHovered)
{
    manager.OnMouseMove(15, 15);
    manager.OnMouseDown(15, 15, 1);
    listener.log.clear();
    manager.UpdateWidgets();
    manager.UpdateWidgets();
    EXPECT_EQ(listener.log, (Log{"held 7", "held 7"}));
    manager.OnMouseMove(150, 150);
    listener.log.clear();
    manager.UpdateWidgets();
    EXPECT_TRUE(listener.log.empty());
    manager.OnMouseMove(15, 15);
    listener.log.clear();
    manager.UpdateWidgets();
    EXPECT_EQ(listener.log, (Log{"held 7"}));
}

TEST_F(ButtonTest, OverFaceFadesInAndOutAtItsSpeeds)
{
    button.mOverAlphaFadeInSpeed = 0.25;
    button.mOverAlphaFadeOutSpeed = 0.125;
    manager.OnMouseMove(15, 15);
    int updates = 0;
    while (button.mOverAlpha < 1.0 && updates < 100) {
        manager.UpdateWidgets();
        ++updates;
    }
    EXPECT_EQ(updates, 4);
    manager.OnMouseMove(150, 150);
    EXPECT_EQ(button.mOverAlpha, 1.0);
    updates = 0;
    while (button.mOverAlpha > 0.0 && updates < 100) {
        manager.UpdateWidgets();
        ++updates;
    }
    EXPECT_EQ(updates, 8);

    // Without speeds the over face switches at once.
    button.mOverAlphaFadeInSpeed = 0;
    button.mOverAlphaFadeOutSpeed = 0;
    button.mOverAlpha = 0.5;
    manager.OnMouseMove(15, 15);
    EXPECT_EQ(button.mOverAlpha, 0.0);
    button.mOverAlpha = 0.5;
    manager.OnMouseMove(150, 150);
    EXPECT_EQ(button.mOverAlpha, 0.0);
}

TEST_F(ButtonTest, CodeDrawnFaceShowsARaisedOrSunkenBevel)
{
    std::unique_ptr<MemoryImage> screen(NewCanvas(200, 200, 0x123456));
    manager.mScreenImage = screen.get();
    FixedFont font(11, 14);
    button.mLabel = "Ok";
    button.SetFont(&font);
    std::shared_ptr<std::vector<FixedFont::Drawn>> drawn = static_cast<FixedFont*>(button.mFont)->mDrawn;

    struct Case {
        const char* name;
        bool inverted, pressed;
        uint32_t topLeft, bottomRight, innerShadow;
        int labelX, labelY;
        uint32_t labelColor;
    } cases[] = {
        // Label: x = (40 - 20) / 2 = 10, baseline (20 - 11/6 + 11 - 1) / 2 = 14, in the button's space.
        {"at rest", false, false, 0xFFFFFF, 0x000000, 0x848484, 10, 14, 0x000000},
        {"pressed", false, true, 0x000000, 0xFFFFFF, 0x848484, 11, 15, 0x000000},
        {"inverted at rest", true, false, 0x000000, 0xFFFFFF, 0x848484, 11, 15, 0x000000},
        {"inverted pressed", true, true, 0xFFFFFF, 0x000000, 0x848484, 10, 14, 0x000000},
    };
    for (const Case& c : cases) {
        button.mInverted = c.inverted;
        button.mIsPressed = c.pressed;
        button.mIsHovered = c.pressed;
        button.SetColor(1, Color(0, 0, 200));
        drawn->clear();
        button.Invalidate();
        manager.DrawWidgets();
        EXPECT_EQ(At(*screen, 10, 10), c.topLeft) << c.name;
        EXPECT_EQ(At(*screen, 49, 29), c.bottomRight) << c.name;
        EXPECT_EQ(At(*screen, 20, 20), 0xD4D4D4u) << c.name;
        // Raised: grey inside the bottom edge; sunken: grey inside the top edge.
        bool sunken = c.inverted != c.pressed;
        EXPECT_EQ(At(*screen, 20, sunken ? 11 : 28), c.innerShadow) << c.name;
        ASSERT_EQ(drawn->size(), 1u) << c.name;
        EXPECT_EQ((*drawn)[0].x, 10 + c.labelX) << c.name;
        EXPECT_EQ((*drawn)[0].y, 10 + c.labelY) << c.name;
        // Pressed faces draw the label black; the hovered label at rest takes colour 1.
        Color expected = sunken ? Color(0, 0, 0) : (c.pressed ? Color(0, 0, 200) : Color(0, 0, 0));
        EXPECT_EQ((*drawn)[0].color, expected) << c.name;
    }
    EXPECT_EQ(At(*screen, 9, 9), 0x123456u) << "nothing outside the button";
    button.mIsPressed = false;
    button.mIsHovered = false;
}

TEST_F(ButtonTest, ImageFacesFollowTheState)
{
    std::unique_ptr<MemoryImage> screen(NewCanvas(200, 200, 0));
    manager.mScreenImage = screen.get();
    // One sheet of three 40x20 cels: normal red, over green, down blue.
    std::vector<uint32_t> sheet(120 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
            sheet[y * 120 + x] = x < 40 ? 0xFFFF0000u : x < 80 ? 0xFF00FF00u : 0xFF0000FFu;
    MemoryImage image;
    image.SetBits(sheet.data(), 120, 20);
    button.mButtonImage = &image;
    button.mNormalRect = Rect(0, 0, 40, 20);
    button.mOverRect = Rect(40, 0, 40, 20);
    button.mDownRect = Rect(80, 0, 40, 20);

    // Which of the three cels shows, by its strongest channel.
    auto face = [&] {
        button.Invalidate();
        manager.DrawWidgets();
        uint32_t p = At(*screen, 30, 20);
        return (p >> 16) > 200 ? 'n' : ((p >> 8) & 0xFF) > 200 ? 'o' : (p & 0xFF) > 200 ? 'd' : '?';
    };
    EXPECT_EQ(face(), 'n');
    manager.OnMouseMove(15, 15);
    EXPECT_EQ(face(), 'o');
    manager.OnMouseDown(15, 15, 1);
    EXPECT_EQ(face(), 'd');
    manager.OnMouseMove(150, 150);
    EXPECT_EQ(face(), 'o') << "pressed but dragged off: the over face";
    manager.OnMouseUp(150, 150, 1);
    EXPECT_EQ(face(), 'n');
    button.SetDisabled(true);
    EXPECT_EQ(face(), 'n') << "no disabled face: the normal one";
}

TEST(HyperlinkTest, DrawsCentredTextWithUnderlineRowsBelowTheBaseline)
{
    RecordingListener listener;
    WidgetManager manager(nullptr);
    std::unique_ptr<MemoryImage> screen(NewCanvas(100, 40, 0));
    manager.mScreenImage = screen.get();
    HyperlinkWidget link(3, &listener);
    link.Resize(0, 0, 100, 40);
    link.mLabel = "abcd";
    FixedFont font(12, 16);
    link.SetFont(&font);
    link.mUnderlineSize = 2;
    link.mLinkColor = Color(255, 0, 0);
    link.mLinkOverColor = Color(0, 255, 0);
    manager.AddWidget(&link);
    manager.DrawWidgets();
    // x = (100 - 40) / 2 = 30; baseline (40 + 12) / 2 - 1 = 25; rows 28 and 29.
    auto drawn = static_cast<FixedFont*>(link.mFont)->mDrawn;
    ASSERT_EQ(drawn->size(), 1u);
    EXPECT_EQ((*drawn)[0].x, 30);
    EXPECT_EQ((*drawn)[0].y, 25);
    for (int y = 26; y <= 31; ++y) {
        bool underline = y == 28 || y == 29;
        EXPECT_EQ(At(*screen, 30, y), underline ? 0xFF0000u : 0u) << y;
        EXPECT_EQ(At(*screen, 69, y), underline ? 0xFF0000u : 0u) << y;
        EXPECT_EQ(At(*screen, 70, y), 0u) << y;
    }
    EXPECT_TRUE(link.mShowsHandCursor);
    manager.OnMouseMove(50, 20);
    manager.DrawWidgets();
    EXPECT_EQ(At(*screen, 30, 28), 0x00FF00u);
    EXPECT_EQ(listener.log, (Log{"enter 3"}));
    manager.RemoveWidget(&link);
}

TEST(DialogButtonTest, WhiteLabelAndHandCursor)
{
    RecordingListener listener;
    DialogButton button(nullptr, 1000, &listener);
    EXPECT_TRUE(button.mShowsHandCursor);
    EXPECT_EQ(button.GetColor(0), Color(255, 255, 255));
    EXPECT_EQ(button.GetColor(1), Color(255, 255, 255));
    EXPECT_TRUE(button.mIsTranslucent);
    EXPECT_EQ(button.mPressedOffsetX, 1);
}
