// Edit box behaviour: the editing step with its undo and vetoes, limits, scrolling, caret and
// mouse selection, and drawing.
#include "widgets/EditWidget.h"

#include <algorithm>
#include <memory>

#include "graphics/Graphics.h"
#include "resources/SysFont.h"
#include "widgets/TextEditListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyDelete = 46;
// Key codes of the letters A to Y arrive as characters and never reach the key handling.
constexpr int kFirstLetterKey = 65;
constexpr int kLastSkippedLetterKey = 89;
constexpr int kCursorPointer = 0;
constexpr int kCursorText = 3;
constexpr int kTextInset = 4;

// Whether a Windows-1252 byte is a printable character (the bytes the code page leaves undefined
// and the control characters are not).
bool IsGraphic1252(char c)
{
    auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u == 0x7F)
        return false;
    return u != 0x81 && u != 0x8D && u != 0x8F && u != 0x90 && u != 0x9D;
}

bool IsControl(char c)
{
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

} // namespace

EditWidget::EditWidget(int id, TextEditListener* listener) : mId(id), mListener(listener)
{
    const int colors[][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}};
    SetColorTableRGB(colors, 5);
}

EditWidget::~EditWidget()
{
    delete mFont;
    ClearWidthCheckFonts();
}

// ---- Fonts and limits ----

void EditWidget::EnsureFont()
{
    if (mFont)
        return;
    WidgetHost* app = GetHost();
    mFont = new SysFont(app, "SansSerif", 10, 0, false, false, false);
}

void EditWidget::SetFont(Font* font, Font* widthCheckFont)
{
    delete mFont;
    mFont = font ? font->Clone() : nullptr;
    ClearWidthCheckFonts();
    if (widthCheckFont)
        AddWidthCheckFont(widthCheckFont, -1);
}

void EditWidget::AddWidthCheckFont(Font* font, int maxWidth)
{
    mWidthCheckFonts.emplace_back(font->Clone(), maxWidth);
}

void EditWidget::ClearWidthCheckFonts()
{
    for (auto& entry : mWidthCheckFonts)
        delete entry.first;
    mWidthCheckFonts.clear();
}

void EditWidget::EnforceMaxPixels()
{
    if (mMaxPixels <= 0 && mWidthCheckFonts.empty())
        return;
    if (mWidthCheckFonts.empty()) {
        EnsureFont();
        while (!mText.empty() && mFont->TextWidth(mText) > mMaxPixels)
            mText.pop_back();
        return;
    }
    for (auto& [font, maxWidth] : mWidthCheckFonts) {
        int limit = maxWidth > 0 ? maxWidth : mMaxPixels;
        if (limit <= 0)
            continue;
        while (!mText.empty() && font->TextWidth(mText) > limit)
            mText.pop_back();
    }
}

const std::string& EditWidget::GetDisplayString()
{
    if (mPasswordChar == 0)
        return mText;
    if (mPasswordDisplayText.size() != mText.size()) {
        mPasswordDisplayText.assign(mText.size(), mPasswordChar);
    }
    return mPasswordDisplayText;
}

bool EditWidget::IsPartOfWord(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

void EditWidget::SetText(const std::string& text, bool scrollToStart)
{
    mText = text;
    mCursorPos = static_cast<int>(mText.size());
    mHilitePos = 0;
    if (scrollToStart)
        mLeftPos = 0;
    else
        FocusCursor(true);
    Invalidate();
}

// ---- Selection helpers ----

bool EditWidget::HasSelection() const
{
    return mHilitePos != -1 && mHilitePos != mCursorPos;
}

void EditWidget::SelectionBounds(int& lo, int& hi) const
{
    int length = static_cast<int>(mText.size());
    lo = std::clamp(std::min(mCursorPos, mHilitePos), 0, length);
    hi = std::clamp(std::max(mCursorPos, mHilitePos), 0, length);
}

void EditWidget::RemoveSelection(StepState& step)
{
    int lo = 0, hi = 0;
    SelectionBounds(lo, hi);
    mText.erase(static_cast<size_t>(lo), static_cast<size_t>(hi - lo));
    mCursorPos = lo;
    mHilitePos = -1;
    step.mNewUndoStep = true;
}

bool EditWidget::IsKeyDown(int key) const
{
    return mManager && mManager->IsKeyDown(key);
}

// ---- The editing step ----

void EditWidget::ProcessKey(int key, char c)
{
    if (key == WidgetManager::kKeyShift || key == WidgetManager::kKeyControl)
        return;
    EnsureFont();
    bool shift = IsKeyDown(WidgetManager::kKeyShift);
    StepState step;
    step.mClearSelection = !shift;
    if (shift && mHilitePos == -1)
        mHilitePos = mCursorPos;
    std::string oldText = mText;
    int oldCursor = mCursorPos;
    int oldHilite = mHilitePos;

    ApplyCharacter(c, key, step);

    if (mMaxChars != -1 && static_cast<int>(mText.size()) > mMaxChars)
        mText.resize(static_cast<size_t>(std::max(mMaxChars, 0)));
    EnforceMaxPixels();
    mCursorPos = std::clamp(mCursorPos, 0, static_cast<int>(mText.size()));
    if (mCursorPos != oldCursor) {
        mBlinkCounter = 0;
        mShowingCursor = true;
    }
    FocusCursor(true);
    if (step.mClearSelection)
        mHilitePos = -1;

    bool allowed = !mListener || mListener->AllowText(mId, mText);
    if (!allowed) {
        mText = oldText;
        mCursorPos = oldCursor;
        mHilitePos = oldHilite;
    } else if (step.mNewUndoStep) {
        mUndoText = oldText;
        mUndoCursor = oldCursor;
        mUndoHilite = oldHilite;
    }
    Invalidate();
}

void EditWidget::ApplyCharacter(char c, int key, StepState& step)
{
    switch (c) {
    case kCharCopy:
        if (HasSelection())
            CopySelection();
        step.mClearSelection = false;
        return;
    case kCharCut:
        if (HasSelection()) {
            CopySelection();
            RemoveSelection(step);
        }
        return;
    case kCharPaste:
        Paste(step);
        return;
    case kCharUndo:
        Undo(step);
        return;
    default:
        if (!ApplyKey(key, step))
            InsertTyped(c, step);
        return;
    }
}

bool EditWidget::ApplyKey(int key, StepState& step)
{
    bool ctrl = IsKeyDown(WidgetManager::kKeyControl);
    bool shift = IsKeyDown(WidgetManager::kKeyShift);
    switch (key) {
    case kKeyBackspace:
        Backspace(step);
        break;
    case kKeyEnter:
        if (mListener)
            mListener->OnEditTextEntered(mId, mText);
        break;
    case kKeyEnd:
        mCursorPos = static_cast<int>(mText.size());
        break;
    case kKeyHome:
        mCursorPos = 0;
        break;
    case kKeyLeft:
        MoveLeft(ctrl, shift);
        break;
    case kKeyRight:
        MoveRight(ctrl, shift);
        break;
    case kKeyDelete:
        Delete(step);
        break;
    default:
        return false;
    }
    return true;
}

void EditWidget::CopySelection()
{
    int lo = 0, hi = 0;
    SelectionBounds(lo, hi);
    const std::string& shown = GetDisplayString();
    WidgetHost* app = GetHost();
    if (app)
        app->CopyToClipboard(shown.substr(static_cast<size_t>(lo), static_cast<size_t>(hi - lo)));
}

void EditWidget::Paste(StepState& step)
{
    WidgetHost* app = GetHost();
    std::string clip = app ? app->GetClipboardText() : std::string();
    if (clip.empty())
        return;
    std::string kept;
    for (char c : clip) {
        if (c == '\r' || c == '\n')
            break;
        // Control characters would reach saved names and files invisibly, whatever width the font
        // gives them.
        if (IsControl(c) || mFont->CharWidth(c) == 0)
            continue;
        if (mListener && !mListener->AllowChar(mId, c))
            continue;
        kept += c;
    }
    if (mHilitePos != -1) {
        int lo = 0, hi = 0;
        SelectionBounds(lo, hi);
        mText.replace(static_cast<size_t>(lo), static_cast<size_t>(hi - lo), kept);
        mCursorPos = lo;
        mHilitePos = -1;
    } else {
        mCursorPos = std::clamp(mCursorPos, 0, static_cast<int>(mText.size()));
        mText.insert(static_cast<size_t>(mCursorPos), kept);
    }
    mCursorPos += static_cast<int>(kept.size());
    step.mNewUndoStep = true;
}

void EditWidget::Undo(StepState& step)
{
    mLastModifyPos = -1;
    std::swap(mText, mUndoText);
    std::swap(mCursorPos, mUndoCursor);
    std::swap(mHilitePos, mUndoHilite);
    step.mClearSelection = false;
}

void EditWidget::Backspace(StepState& step)
{
    if (mText.empty())
        return;
    if (HasSelection()) {
        RemoveSelection(step);
        return;
    }
    if (mCursorPos > 0 && mCursorPos <= static_cast<int>(mText.size()))
        mText.erase(static_cast<size_t>(mCursorPos - 1), 1);
    --mCursorPos;
    mHilitePos = -1;
    if (mCursorPos != mLastModifyPos)
        step.mNewUndoStep = true;
    mLastModifyPos = mCursorPos - 1;
}

void EditWidget::Delete(StepState& step)
{
    if (mText.empty())
        return;
    if (HasSelection()) {
        RemoveSelection(step);
        return;
    }
    if (mCursorPos >= 0 && mCursorPos < static_cast<int>(mText.size()))
        mText.erase(static_cast<size_t>(mCursorPos), 1);
    if (mCursorPos != mLastModifyPos)
        step.mNewUndoStep = true;
    mLastModifyPos = mCursorPos;
}

void EditWidget::MoveLeft(bool ctrl, bool shift)
{
    if (ctrl) {
        while (mCursorPos > 0 && !IsPartOfWord(mText[static_cast<size_t>(mCursorPos - 1)]))
            --mCursorPos;
        while (mCursorPos > 0 && IsPartOfWord(mText[static_cast<size_t>(mCursorPos - 1)]))
            --mCursorPos;
        return;
    }
    if (shift || mHilitePos == -1)
        --mCursorPos;
    else
        mCursorPos = std::min(mCursorPos, mHilitePos);
}

void EditWidget::MoveRight(bool ctrl, bool shift)
{
    // Signed, so an empty text gives -1 and the jumps stop at once.
    int last = static_cast<int>(mText.size()) - 1;
    if (ctrl) {
        while (mCursorPos >= 0 && mCursorPos < last && IsPartOfWord(mText[static_cast<size_t>(mCursorPos + 1)]))
            ++mCursorPos;
        while (mCursorPos >= 0 && mCursorPos < last && !IsPartOfWord(mText[static_cast<size_t>(mCursorPos + 1)]))
            ++mCursorPos;
    }
    if (shift || mHilitePos == -1)
        ++mCursorPos;
    else
        mCursorPos = std::max(mCursorPos, mHilitePos);
}

bool EditWidget::CanType(char c)
{
    if (!IsGraphic1252(c) && c != ' ' && static_cast<unsigned char>(c) != 0xA0)
        return false;
    if (mFont->TextWidth(std::string(1, c)) < 1)
        return false;
    return !mListener || mListener->AllowChar(mId, c);
}

void EditWidget::InsertTyped(char c, StepState& step)
{
    if (c == 0 || !CanType(c)) {
        step.mClearSelection = false;
        return;
    }
    mCursorPos = std::clamp(mCursorPos, 0, static_cast<int>(mText.size()));
    if (HasSelection()) {
        int lo = 0, hi = 0;
        SelectionBounds(lo, hi);
        mText.replace(static_cast<size_t>(lo), static_cast<size_t>(hi - lo), 1, c);
        mCursorPos = lo;
        step.mNewUndoStep = true;
    } else {
        mText.insert(static_cast<size_t>(mCursorPos), 1, c);
        if (mCursorPos != mLastModifyPos + 1)
            step.mNewUndoStep = true;
        mLastModifyPos = mCursorPos;
    }
    ++mCursorPos;
    mHilitePos = -1;
    FocusCursor(false);
}

// ---- Scrolling and the caret ----

int EditWidget::DisplayWidth(int from, int to)
{
    const std::string& shown = GetDisplayString();
    int length = static_cast<int>(shown.size());
    from = std::clamp(from, 0, length);
    to = std::clamp(to, 0, length);
    if (to <= from)
        return 0;
    return mFont->TextWidth(shown.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
}

void EditWidget::FocusCursor(bool bigJump)
{
    int stepSize = bigJump ? 10 : 1;
    while (mCursorPos < mLeftPos) {
        mLeftPos = std::max(mLeftPos - stepSize, 0);
        Invalidate();
    }
    if (!mFont)
        return;
    int last = static_cast<int>(mText.size()) - 1;
    while (mWidth >= 9 && DisplayWidth(0, mCursorPos) - DisplayWidth(0, mLeftPos) >= mWidth - 8) {
        int next = std::min(mLeftPos + stepSize, last);
        // A character wider than the field: the caret stays at the right edge.
        if (next <= mLeftPos)
            break;
        mLeftPos = next;
        Invalidate();
    }
}

int EditWidget::GetCharAt(int x, int y)
{
    EnsureFont();
    int result = 0;
    int length = static_cast<int>(GetDisplayString().size());
    for (int i = mLeftPos; i < length; ++i) {
        int before = DisplayWidth(mLeftPos, i);
        int through = DisplayWidth(mLeftPos, i + 1);
        if (x >= (before + through) / 2 + 5)
            result = i + 1;
    }
    return result;
}

void EditWidget::SelectWord()
{
    const std::string& shown = GetDisplayString();
    int length = static_cast<int>(shown.size());
    if (mCursorPos >= length)
        return;
    mHilitePos = mCursorPos;
    while (mHilitePos > 0 && IsPartOfWord(shown[static_cast<size_t>(mHilitePos - 1)]))
        --mHilitePos;
    while (mCursorPos < length - 1 && IsPartOfWord(shown[static_cast<size_t>(mCursorPos + 1)]))
        ++mCursorPos;
    if (mCursorPos < length)
        ++mCursorPos;
}

// ---- Widget events ----

void EditWidget::Invalidate()
{
    if (GetColor(COLOR_BKG).GetAlpha() == 255) {
        Widget::Invalidate();
        return;
    }
    // What lies under a translucent field shows through and must be drawn again too.
    if (mParent)
        mParent->InvalidateChildFully(this);
    else
        mDirty = true;
}

void EditWidget::Update()
{
    Widget::Update();
    if (!mHasFocus)
        return;
    if (++mBlinkCounter > mBlinkDelay) {
        Invalidate();
        mBlinkCounter = 0;
        mShowingCursor = !mShowingCursor;
    }
}

void EditWidget::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    FocusCursor(false);
}

void EditWidget::OnFocusGained()
{
    mHasFocus = true;
    mShowingCursor = true;
    mBlinkCounter = 0;
    Invalidate();
}

void EditWidget::OnFocusLost()
{
    mHasFocus = false;
    mShowingCursor = false;
    Invalidate();
}

void EditWidget::OnChar(char c)
{
    ProcessKey(0, c);
}

void EditWidget::OnKeyDown(int key)
{
    if (key < kFirstLetterKey || key > kLastSkippedLetterKey) {
        if (!mListener || mListener->AllowKey(mId, key))
            ProcessKey(key, 0);
    }
    // Tab moves the focus to the neighbour.
    Widget::OnKeyDown(key);
}

void EditWidget::SetAppCursor(int number)
{
    if (mManager)
        mManager->SetAppCursor(number);
}

void EditWidget::OnMouseEnter()
{
    SetAppCursor(kCursorText);
}

void EditWidget::OnMouseLeave()
{
    SetAppCursor(kCursorPointer);
}

void EditWidget::OnMouseDown(int x, int y, int clickCode)
{
    Widget::OnMouseDown(x, y, clickCode);
    mHilitePos = -1;
    mCursorPos = GetCharAt(x, y);
    if (clickCode > 1)
        SelectWord();
    Invalidate();
    FocusCursor(false);
}

void EditWidget::OnMouseUp(int x, int y, int clickCode)
{
    Widget::OnMouseUp(x, y, clickCode);
    if (mHilitePos == mCursorPos)
        mHilitePos = -1;
}

void EditWidget::OnMouseDrag(int x, int y)
{
    if (mHilitePos == -1)
        mHilitePos = mCursorPos;
    mCursorPos = GetCharAt(x, y);
    Invalidate();
    FocusCursor(false);
}

// ---- Drawing ----

void EditWidget::Draw(Graphics& g)
{
    EnsureFont();
    std::string shown = GetDisplayString();
    g.SetColor(GetColor(COLOR_BKG));
    g.FillRect(0, 0, mWidth, mHeight);
    int textY = (mHeight - mFont->Height()) / 2;
    int left = std::clamp(mLeftPos, 0, static_cast<int>(shown.size()));
    std::string visible = shown.substr(static_cast<size_t>(left));
    int baseline = textY + mFont->Ascent();

    std::unique_ptr<Graphics> plain(g.Clone());
    plain->SetFont(mFont);
    plain->IntersectClip(kTextInset, 0, mWidth - 8, mHeight);
    plain->SetColor(GetColor(COLOR_TEXT));
    plain->DrawString(visible, kTextInset, baseline);

    std::unique_ptr<Graphics> band(g.Clone());
    band->SetFont(mFont);
    int caretX = DisplayWidth(0, mCursorPos) - DisplayWidth(0, mLeftPos);
    int begin = mShowingCursor ? caretX : caretX + 2;
    int end = HasSelection() ? DisplayWidth(0, mHilitePos) - DisplayWidth(0, mLeftPos) : caretX + 2;
    begin = std::clamp(begin, 0, std::max(mWidth - 8, 0));
    end = std::clamp(end, 0, std::max(mWidth - 8, 0));
    band->IntersectClip(std::min(begin, end) + kTextInset, textY, std::abs(end - begin), mFont->Height());
    if (mHasFocus || mDrawSelectionWithoutFocus) {
        band->SetColor(GetColor(COLOR_HILITE));
        band->FillRect(0, 0, mWidth, mHeight);
        band->SetColor(GetColor(COLOR_HILITE_TEXT));
    } else {
        band->SetColor(GetColor(COLOR_TEXT));
    }
    band->DrawString(visible, kTextInset, baseline);

    g.SetColor(GetColor(COLOR_OUTLINE));
    g.DrawRect(0, 0, mWidth - 1, mHeight - 1);
}

} // namespace Olvarn
