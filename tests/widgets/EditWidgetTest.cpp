// Edit box: the editing keys, word jumps, one level of undo with merged typing, clipboard keys,
// limits, listener vetoes, password masking, mouse and word selection, scrolling and the caret.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "app/OlvarnAppBase.h"
#include "widgets/EditWidget.h"
#include "widgets/TextEditListener.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kEnd = 35;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDelete = 46;

// An application whose clipboard is a string, so no desktop is involved.
class ClipboardApp : public OlvarnAppBase
{
public:
    void CopyToClipboard(const std::string& text) override { mClip = text; }
    std::string GetClipboardText() override { return mClip; }
    std::string mClip;
};

class RecordingEditListener : public TextEditListener
{
public:
    void OnEditTextEntered(int id, const std::string& text) override { entered.push_back(text); }
    bool AllowKey(int id, int key) override
    {
        keys.push_back(key);
        return true;
    }
    bool AllowChar(int id, char c) override { return c != mRefusedChar; }
    bool AllowText(int id, const std::string& text) override { return text != mRefusedText; }

    std::vector<std::string> entered;
    std::vector<int> keys;
    char mRefusedChar = 0;
    std::string mRefusedText = "\x01";
};

class EditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        edit.SetFont(&font);
        edit.Resize(0, 0, 208, 20);
        app.mWidgetManager->AddWidget(&edit);
    }
    void TearDown() override { app.mWidgetManager->RemoveWidget(&edit); }

    void Type(const std::string& text)
    {
        for (char c : text)
            edit.OnChar(c);
    }
    void Key(int key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            edit.ProcessKey(key, 0);
    }
    void Hold(int key, bool down) { app.mWidgetManager->mKeyDown[static_cast<size_t>(key)] = down; }
    void Ctrl(char c) { edit.OnChar(c); }
    std::string Text() const { return edit.mText; }

    ClipboardApp app;
    FixedFont font;
    RecordingEditListener listener;
    EditWidget edit{5, &listener};
};

TEST_F(EditTest, TypingIsOneUndoStepAndUndoingTwiceRestoresIt)
{
    Type("abc");
    EXPECT_EQ(Text(), "abc");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "abc");
}

TEST_F(EditTest, TypingElsewhereStartsANewUndoStep)
{
    Type("ab");
    Key(kHome);
    Type("x");
    EXPECT_EQ(Text(), "xab");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(edit.mCursorPos, 0);
}

TEST_F(EditTest, RunsOfBackspacesAndDeletesUndoAtOnce)
{
    Type("hello");
    Key(kHome);
    Type("X");
    Key(kEnd);
    Key(kBackspace, 2);
    EXPECT_EQ(Text(), "Xhel");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "Xhello");

    Key(kHome);
    Key(kDelete, 3);
    EXPECT_EQ(Text(), "llo");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "Xhello");
}

TEST_F(EditTest, EmptyFieldKeysChangeNothing)
{
    for (int key : {kBackspace, kDelete, kLeft, kRight, kHome, kEnd}) {
        for (bool ctrl : {false, true}) {
            SCOPED_TRACE(testing::Message() << key << (ctrl ? " ctrl" : ""));
            Hold(WidgetManager::kKeyControl, ctrl);
            Key(key);
            EXPECT_EQ(Text(), "");
            EXPECT_EQ(edit.mCursorPos, 0);
        }
    }
    Hold(WidgetManager::kKeyControl, false);
    Type("a");
    Key(kLeft);
    Key(kBackspace);
    Key(kLeft);
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(edit.mCursorPos, 0);
    Key(kEnd);
    Key(kDelete);
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(edit.mCursorPos, 1);
}

TEST_F(EditTest, ShiftSelectsAndLeftCollapsesToTheSelectionStart)
{
    Type("hello");
    Hold(WidgetManager::kKeyShift, true);
    Key(kLeft, 3);
    Hold(WidgetManager::kKeyShift, false);
    EXPECT_EQ(edit.mCursorPos, 2);
    EXPECT_EQ(edit.mHilitePos, 5);
    Key(kLeft);
    EXPECT_EQ(edit.mCursorPos, 2);
    EXPECT_EQ(edit.mHilitePos, -1);

    Hold(WidgetManager::kKeyShift, true);
    Key(kRight, 2);
    Hold(WidgetManager::kKeyShift, false);
    Key(kRight);
    EXPECT_EQ(edit.mCursorPos, 4);
    // Keys that insert nothing keep the selection.
    Hold(WidgetManager::kKeyShift, true);
    Key(kLeft);
    Hold(WidgetManager::kKeyShift, false);
    Key(kUp);
    EXPECT_EQ(edit.mHilitePos, 4);
    EXPECT_EQ(edit.mCursorPos, 3);
}

TEST_F(EditTest, CtrlArrowsJumpByWords)
{
    struct Case {
        int from, key, to;
    };
    Type("abc def");
    Hold(WidgetManager::kKeyControl, true);
    for (Case c : {Case{7, kLeft, 4}, Case{4, kLeft, 0}, Case{0, kRight, 4}, Case{4, kRight, 7}, Case{3, kLeft, 0}}) {
        SCOPED_TRACE(testing::Message() << c.from << " key " << c.key);
        edit.mCursorPos = c.from;
        edit.mHilitePos = -1;
        Key(c.key);
        EXPECT_EQ(edit.mCursorPos, c.to);
    }
}

TEST_F(EditTest, SetTextSelectsAllAndTypingReplacesIt)
{
    edit.SetText("name", false);
    EXPECT_EQ(edit.mCursorPos, 4);
    EXPECT_EQ(edit.mHilitePos, 0);
    Type("x");
    EXPECT_EQ(Text(), "x");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "name");
}

TEST_F(EditTest, CopyCutAndPasteUseTheApplicationClipboard)
{
    Type("hello world");
    edit.mCursorPos = 0;
    edit.mHilitePos = 5;
    Ctrl(EditWidget::kCharCopy);
    EXPECT_EQ(app.mClip, "hello");
    EXPECT_EQ(edit.mHilitePos, 5);
    Ctrl(EditWidget::kCharCut);
    EXPECT_EQ(Text(), " world");
    EXPECT_EQ(edit.mCursorPos, 0);
    Key(kEnd);
    Ctrl(EditWidget::kCharPaste);
    EXPECT_EQ(Text(), " worldhello");
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), " world");
}

TEST_F(EditTest, PastedTextStopsAtALineBreakAndDropsControlAndRefusedCharacters)
{
    struct Case {
        std::string clip, expected;
    };
    listener.mRefusedChar = '#';
    for (const Case& c : {Case{"ab\r\ncd", "ab"}, Case{"ab\ncd", "ab"}, Case{"\r\nab", ""},
                          Case{"a\tb\x01"
                               "c\x7F",
                               "abc"},
                          Case{"x#y", "xy"}, Case{"caf\xE9", "caf\xE9"}}) {
        SCOPED_TRACE(c.clip);
        edit.SetText("", true);
        app.mClip = c.clip;
        Ctrl(EditWidget::kCharPaste);
        EXPECT_EQ(Text(), c.expected);
        EXPECT_EQ(edit.mCursorPos, static_cast<int>(c.expected.size()));
    }
}

TEST_F(EditTest, CharacterAndPixelLimitsCutTheResult)
{
    edit.mMaxChars = 20;
    app.mClip = std::string(30, 'z');
    Ctrl(EditWidget::kCharPaste);
    EXPECT_EQ(Text(), std::string(20, 'z'));
    EXPECT_EQ(edit.mCursorPos, 20);

    edit.SetText("", true);
    edit.mMaxChars = -1;
    edit.mMaxPixels = 35;
    Type("abcdef");
    EXPECT_EQ(Text(), "abc");
    EXPECT_LE(edit.mCursorPos, 3);

    // A width-check font replaces the field's own font as the measure.
    FixedFont wide;
    edit.AddWidthCheckFont(&wide, 50);
    edit.mMaxPixels = -1;
    Type("defgh");
    EXPECT_EQ(Text(), "abcde");
    edit.ClearWidthCheckFonts();
}

TEST_F(EditTest, ListenerVetoesDropKeysAndCharactersAndRollBackTexts)
{
    listener.mRefusedChar = '!';
    Type("ab!");
    EXPECT_EQ(Text(), "ab");
    listener.mRefusedText = "abc";
    Type("c");
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(edit.mCursorPos, 2);
    // The refused step wrote no undo state: undo still brings back the empty field.
    Ctrl(EditWidget::kCharUndo);
    EXPECT_EQ(Text(), "");

    edit.OnKeyDown(kEnter);
    EXPECT_EQ(listener.entered, (std::vector<std::string>{""}));
}

TEST_F(EditTest, LetterKeyCodesNeverReachTheListener)
{
    for (int key : {64, 65, 77, 89, 90, 112})
        edit.OnKeyDown(key);
    EXPECT_EQ(listener.keys, (std::vector<int>{64, 90, 112}));
}

TEST_F(EditTest, PasswordFieldShowsAndCopiesMaskCharacters)
{
    edit.mPasswordChar = '*';
    Type("secret");
    EXPECT_EQ(edit.GetDisplayString(), "******");
    Key(kBackspace);
    EXPECT_EQ(edit.GetDisplayString(), "*****");
    edit.mHilitePos = 0;
    Ctrl(EditWidget::kCharCopy);
    EXPECT_EQ(app.mClip, "*****");
}

TEST_F(EditTest, DoubleClickSelectsAWordAroundTheCaret)
{
    struct Case {
        int caret, lo, hi;
    };
    Type("abc def");
    for (Case c : {Case{1, 0, 3}, Case{2, 0, 3}, Case{3, 0, 7}, Case{4, 4, 7}}) {
        SCOPED_TRACE(c.caret);
        // Characters are 10 pixels wide: x = 10 k puts the caret at k.
        edit.OnMouseDown(10 * c.caret, 5, 2);
        EXPECT_EQ(std::min(edit.mCursorPos, edit.mHilitePos), c.lo);
        EXPECT_EQ(std::max(edit.mCursorPos, edit.mHilitePos), c.hi);
    }
}

TEST_F(EditTest, DraggingSelectsAndAPlainClickDropsTheSelection)
{
    Type("abcdef");
    // The caret moves past a character once the point is 5 pixels beyond its middle.
    EXPECT_EQ(edit.GetCharAt(0, 0), 0);
    EXPECT_EQ(edit.GetCharAt(9, 0), 0);
    EXPECT_EQ(edit.GetCharAt(10, 0), 1);
    EXPECT_EQ(edit.GetCharAt(19, 0), 1);
    EXPECT_EQ(edit.GetCharAt(500, 0), 6);
    edit.OnMouseDown(10, 5, 1);
    edit.OnMouseDrag(40, 5);
    edit.OnMouseUp(40, 5, 1);
    EXPECT_EQ(edit.mHilitePos, 1);
    EXPECT_EQ(edit.mCursorPos, 4);
    edit.OnMouseDown(20, 5, 1);
    edit.OnMouseUp(20, 5, 1);
    EXPECT_EQ(edit.mHilitePos, -1);
    EXPECT_EQ(edit.mCursorPos, 2);
}

TEST_F(EditTest, CaretBlinksWhileFocusedAndScrollingKeepsItInView)
{
    edit.OnFocusGained();
    EXPECT_TRUE(edit.mShowingCursor);
    for (int i = 0; i < 40; ++i)
        edit.Update();
    EXPECT_TRUE(edit.mShowingCursor);
    edit.Update();
    EXPECT_FALSE(edit.mShowingCursor);
    Type("a");
    EXPECT_TRUE(edit.mShowingCursor);
    edit.OnFocusLost();
    EXPECT_FALSE(edit.mShowingCursor);

    edit.Resize(0, 0, 58, 20);
    Type(std::string(29, 'b'));
    EXPECT_GT(edit.mLeftPos, 0);
    EXPECT_LT(10 * (edit.mCursorPos - edit.mLeftPos), 50);
    Key(kHome);
    EXPECT_EQ(edit.mLeftPos, 0);
}

TEST_F(EditTest, FieldNarrowerThanACharacterStopsScrolling)
{
    edit.Resize(0, 0, 12, 20);
    Type("abc");
    EXPECT_EQ(edit.mLeftPos, 2);
    EXPECT_EQ(edit.mCursorPos, 3);
}

TEST_F(EditTest, DrawShowsTheSelectionBandWithItsOwnTextColour)
{
    Type("abcd");
    edit.mCursorPos = 1;
    edit.mHilitePos = 3;
    edit.OnFocusGained();
    font.mDrawn->clear();
    std::unique_ptr<MemoryImage> canvas(NewCanvas(208, 20, 0xFF00FF00));
    Graphics g(canvas.get());
    edit.Draw(g);
    ASSERT_EQ(font.mDrawn->size(), 2u);
    EXPECT_EQ((*font.mDrawn)[0].color, Color(0, 0, 0));
    EXPECT_EQ((*font.mDrawn)[1].color, Color(255, 255, 255));
    EXPECT_EQ((*font.mDrawn)[0].x, 4);
    EXPECT_EQ((*font.mDrawn)[0].y, 2 + 12);
    // The band covers characters 1 and 2: x 14 to 33, rows 2 to 17.
    EXPECT_EQ(At(*canvas, 20, 10), 0x000000u);
    EXPECT_EQ(At(*canvas, 40, 10), 0xFFFFFFu);
    EXPECT_EQ(At(*canvas, 20, 1), 0xFFFFFFu);
    EXPECT_EQ(At(*canvas, 0, 10), 0x000000u);
}

} // namespace
