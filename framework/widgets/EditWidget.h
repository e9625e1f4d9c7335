// A single-line text field: blinking caret, selection, keyboard and mouse editing, word jumps,
// clipboard, one level of undo, limits by characters and pixels, password masking and listener vetoes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "widgets/Widget.h"

namespace Olvarn
{

class Font;
class TextEditListener;

class EditWidget : public Widget
{
public:
    enum ColorIndex {
        COLOR_BKG = 0,
        COLOR_OUTLINE = 1,
        COLOR_TEXT = 2,
        COLOR_HILITE = 3,
        COLOR_HILITE_TEXT = 4,
    };
    // Control characters the system delivers for Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z.
    static constexpr char kCharCopy = 3;
    static constexpr char kCharPaste = 22;
    static constexpr char kCharCut = 24;
    static constexpr char kCharUndo = 26;

    EditWidget(int id, TextEditListener* listener);
    ~EditWidget() override;

    virtual void ProcessKey(int key, char c);
    // Keeps clones of both fonts; the caller keeps its own.
    virtual void SetFont(Font* font, Font* widthCheckFont = nullptr);
    virtual void SetText(const std::string& text, bool scrollToStart);
    virtual bool IsPartOfWord(char c);
    virtual int GetCharAt(int x, int y);
    virtual void FocusCursor(bool bigJump);

    void Invalidate() override;
    void Update() override;
    void Draw(Graphics& g) override;
    void Resize(int x, int y, int width, int height) override;
    bool AcceptsFocus() override { return true; }
    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnChar(char c) override;
    void OnKeyDown(int key) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseUp(int x, int y, int clickCode) override;
    void OnMouseDrag(int x, int y) override;

    const std::string& GetDisplayString();
    void EnforceMaxPixels();
    void AddWidthCheckFont(Font* font, int maxWidth);
    void ClearWidthCheckFonts();

    int mId = 0;
    std::string mText;
    std::string mPasswordDisplayText;
    Font* mFont = nullptr;
    std::vector<std::pair<Font*, int>> mWidthCheckFonts;
    TextEditListener* mListener = nullptr;
    bool mShowingCursor = false;
    bool mDrawSelectionWithoutFocus = false;
    int mCursorPos = 0;
    int mHilitePos = -1;
    int mBlinkCounter = 0;
    int mBlinkDelay = 40;
    int mLeftPos = 0;
    int mMaxChars = -1;
    int mMaxPixels = -1;
    char mPasswordChar = 0;
    std::string mUndoText;
    int mUndoCursor = 0;
    int mUndoHilite = 0;
    int mLastModifyPos = 0;

private:
    // What one editing step decided besides the text itself.
    struct StepState {
        bool mClearSelection = true;
        bool mNewUndoStep = false;
    };

    void EnsureFont();
    bool HasSelection() const;
    // The selection's ends in ascending order, within the text.
    void SelectionBounds(int& lo, int& hi) const;
    void RemoveSelection(StepState& step);
    void ApplyCharacter(char c, int key, StepState& step);
    // False for keys without an editing action of their own.
    bool ApplyKey(int key, StepState& step);
    void CopySelection();
    void Paste(StepState& step);
    void Undo(StepState& step);
    void Backspace(StepState& step);
    void Delete(StepState& step);
    void MoveLeft(bool ctrl, bool shift);
    void MoveRight(bool ctrl, bool shift);
    void InsertTyped(char c, StepState& step);
    bool CanType(char c);
    void SelectWord();
    int DisplayWidth(int from, int to);
    bool IsKeyDown(int key) const;
    void SetAppCursor(int number);
};

} // namespace Olvarn
