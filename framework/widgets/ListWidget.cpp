// List box lines, table columns kept in step, hilite and selection, scrolling, sorting and drawing.
#include "widgets/ListWidget.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "widgets/ListSelectListener.h"
#include "widgets/ScrollbarWidget.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kBorder = 4;
constexpr int kCursorPointer = 0;
constexpr int kCursorHand = 1;

unsigned char FoldCase(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// True when a sorts after b, ignoring the case of ASCII letters.
bool GreaterIgnoringCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldCase(a[i]);
        unsigned char cb = FoldCase(b[i]);
        if (ca != cb)
            return ca > cb;
    }
    return a.size() > b.size();
}

} // namespace

ListWidget::ListWidget(int id, Font* font, ListSelectListener* listener)
    : mId(id), mFont(font), mListener(listener), mItemHeight(font ? font->Height() : -1)
{
    const int colors[][3] = {{255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {0, 192, 0}, {0, 0, 128}, {255, 255, 255}};
    SetColorTableRGB(colors, 6);
}

int ListWidget::LineHeight()
{
    int height = mItemHeight;
    if (height == -1)
        height = mFont ? mFont->Height() : 0;
    return height > 0 ? height : 1;
}

ListWidget* ListWidget::FirstOfGroup()
{
    ListWidget* first = this;
    while (first->mParentList)
        first = first->mParentList;
    return first;
}

void ListWidget::ForGroup(const std::function<void(ListWidget&)>& visit)
{
    for (ListWidget* list = FirstOfGroup(); list; list = list->mChildList)
        visit(*list);
}

void ListWidget::UpdateScrollRange()
{
    if (mScrollbar)
        mScrollbar->SetMaxValue(static_cast<double>(mLines.size()));
}

void ListWidget::SetCursor(int number)
{
    if (mManager)
        mManager->SetAppCursor(number);
}

// ---- Lines ----

int ListWidget::AddLine(const std::string& line, bool alphabetical)
{
    size_t at = mLines.size();
    if (alphabetical) {
        auto it = std::find_if(mLines.begin(), mLines.end(),
                               [&line](const std::string& existing) { return GreaterIgnoringCase(existing, line); });
        at = static_cast<size_t>(it - mLines.begin());
    }
    Color color = GetColor(COLOR_TEXT);
    ForGroup([&](ListWidget& list) {
        size_t index = std::min(at, list.mLines.size());
        list.mLines.insert(list.mLines.begin() + static_cast<long>(index), &list == this ? line : kPlaceholder);
        size_t colorIndex = std::min(at, list.mLineColors.size());
        list.mLineColors.insert(list.mLineColors.begin() + static_cast<long>(colorIndex), color);
        list.Invalidate();
    });
    UpdateScrollRange();
    return static_cast<int>(at);
}

void ListWidget::SetLine(int index, const std::string& line)
{
    if (index < 0 || index >= GetLineCount())
        return;
    mLines[static_cast<size_t>(index)] = line;
    Invalidate();
}

std::string ListWidget::GetStringAt(int index)
{
    if (index < 0 || index >= GetLineCount())
        return std::string();
    return mLines[static_cast<size_t>(index)];
}

int ListWidget::GetLineCount()
{
    return static_cast<int>(mLines.size());
}

int ListWidget::GetLineIdx(const std::string& line)
{
    auto it = std::find(mLines.begin(), mLines.end(), line);
    return it == mLines.end() ? -1 : static_cast<int>(it - mLines.begin());
}

void ListWidget::SetLineColor(const std::string& line, const Color& color)
{
    int index = GetLineIdx(line);
    if (index == -1)
        return;
    ForGroup([&](ListWidget& list) {
        if (static_cast<size_t>(index) < list.mLineColors.size())
            list.mLineColors[static_cast<size_t>(index)] = color;
        list.Invalidate();
    });
}

void ListWidget::RemoveLine(int index)
{
    if (index < 0)
        return;
    auto at = static_cast<size_t>(index);
    ForGroup([at](ListWidget& list) {
        if (at < list.mLines.size())
            list.mLines.erase(list.mLines.begin() + static_cast<long>(at));
        if (at < list.mLineColors.size())
            list.mLineColors.erase(list.mLineColors.begin() + static_cast<long>(at));
        list.Invalidate();
    });
    UpdateScrollRange();
}

void ListWidget::RemoveAll()
{
    ForGroup([](ListWidget& list) {
        list.mLines.clear();
        list.mLineColors.clear();
        list.mHiliteIndex = -1;
        list.mSelectIndex = -1;
        list.Invalidate();
    });
    if (mScrollbar)
        mScrollbar->SetMaxValue(0);
}

void ListWidget::SetSelect(int index)
{
    ForGroup([index](ListWidget& list) {
        list.mSelectIndex = index;
        list.Invalidate();
    });
}

int ListWidget::GetOptimalWidth()
{
    int widest = 0;
    if (mFont)
        for (const std::string& line : mLines)
            widest = std::max(widest, mFont->TextWidth(line));
    return widest + 16;
}

int ListWidget::GetOptimalHeight()
{
    return LineHeight() * GetLineCount() + 8;
}

// ---- Sorting ----

std::string ListWidget::GetSortKey(int index)
{
    std::string key = GetStringAt(index);
    if (static_cast<int>(key.size()) < mSortNumericWidth)
        key.insert(0, static_cast<size_t>(mSortNumericWidth) - key.size(), '0');
    if (!mChildList)
        return key;
    std::string childKey = mChildList->GetSortKey(index);
    return mSortFromChild ? childKey + key : key + childKey;
}

void ListWidget::Sort(bool ascending)
{
    int count = GetLineCount();
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        keys.push_back(GetSortKey(i));
    std::vector<size_t> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    // A bubble sort, so equal keys keep their order exactly as the lines stood.
    for (size_t pass = order.size(); pass > 1; --pass) {
        for (size_t i = 0; i + 1 < pass; ++i) {
            const std::string& left = keys[order[i]];
            const std::string& right = keys[order[i + 1]];
            if (ascending ? left > right : left < right)
                std::swap(order[i], order[i + 1]);
        }
    }
    ForGroup([&order](ListWidget& list) {
        std::vector<std::string> lines;
        std::vector<Color> colors;
        for (size_t from : order) {
            if (from < list.mLines.size())
                lines.push_back(list.mLines[from]);
            if (from < list.mLineColors.size())
                colors.push_back(list.mLineColors[from]);
        }
        list.mLines.swap(lines);
        list.mLineColors.swap(colors);
        list.Invalidate();
    });
}

// ---- Geometry and scrolling ----

void ListWidget::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    int lineHeight = LineHeight();
    mPageSize = lineHeight + 8 < height ? static_cast<double>(height - 8) / lineHeight : 1;
    if (mScrollbar)
        mScrollbar->SetPageSize(mPageSize);
}

void ListWidget::ScrollPosition(int id, double position)
{
    if (mChildList)
        mChildList->ScrollPosition(id, position);
    mPosition = position;
    Invalidate();
}

void ListWidget::OnZOrderChanged()
{
    // Sibling order is what the list and its scrollbar share: for a top-level list that is the
    // widget manager itself.
    if (!mParent)
        return;
    if (mChildList)
        mParent->MoveInFront(mChildList, this);
    if (mScrollbar)
        mParent->MoveInFront(mScrollbar, this);
}

void ListWidget::OnDetached(WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (mListener)
        mListener->OnListClosed(mId);
}

// ---- Mouse ----

void ListWidget::SetHilite(int index)
{
    ForGroup([index](ListWidget& list) {
        int old = list.mHiliteIndex;
        if (old == index)
            return;
        list.mHiliteIndex = index;
        if (list.mListener)
            list.mListener->OnListHiliteChanged(list.mId, old, index);
        list.Invalidate();
    });
}

void ListWidget::OnMouseMove(int x, int y)
{
    // Truncation toward zero keeps a point in the top border on the first visible line.
    int row = static_cast<int>((y - kBorder) / static_cast<double>(LineHeight()) + mPosition);
    int hilite = row >= 0 && row < GetLineCount() ? row : -1;
    if (hilite != mHiliteIndex)
        SetHilite(hilite);
    SetCursor(mHiliteIndex != -1 && mHandCursorOverLines ? kCursorHand : kCursorPointer);
}

void ListWidget::OnMouseDown(int x, int y, int clickCode)
{
    // Lines removed since the mouse last moved can leave the hilite past the end: such a click
    // names no line.
    if (mHiliteIndex != -1 && mHiliteIndex < GetLineCount() && mListener)
        mListener->OnListClicked(mId, mHiliteIndex, clickCode);
}

void ListWidget::OnMouseLeave()
{
    SetHilite(-1);
    SetCursor(kCursorPointer);
}

void ListWidget::OnMouseWheel(int delta)
{
    if (!mScrollbar || delta == 0)
        return;
    ScrollbarWidget& bar = *mScrollbar;
    if (delta < 0) {
        bar.SetValue(bar.mValue - bar.mPageSize);
        bar.mPagingState = ScrollbarWidget::kPagingBack;
    } else {
        bar.SetValue(bar.mValue + bar.mPageSize);
        bar.mPagingState = ScrollbarWidget::kPagingForward;
    }
    bar.mPagingCounter = 0;
}

// ---- Drawing ----

Color ListWidget::TextColorFor(int index)
{
    if (index == mHiliteIndex)
        return GetColor(COLOR_HILITE);
    if (index == mSelectIndex && mColors.size() >= 6)
        return GetColor(COLOR_SELECT_TEXT);
    if (static_cast<size_t>(index) < mLineColors.size())
        return mLineColors[static_cast<size_t>(index)];
    return GetColor(COLOR_TEXT);
}

void ListWidget::Draw(Graphics& g)
{
    g.SetColor(GetColor(COLOR_BKG));
    g.FillRect(0, 0, mWidth, mHeight);
    std::unique_ptr<Graphics> text(g.Clone());
    text->IntersectClip(kBorder, kBorder, mWidth - 8, mHeight - 8);
    text->SetFont(mFont);
    std::unique_ptr<Graphics> bar(g.Clone());
    bar->IntersectClip(0, kBorder, mWidth, mHeight - 8);

    int lineHeight = LineHeight();
    int first = static_cast<int>(mPosition);
    int last = std::min(first + static_cast<int>(mPageSize) + 1, GetLineCount() - 1);
    int dy = mItemHeight != -1 && mFont ? (mItemHeight - mFont->Height()) / 2 : 0;
    for (int i = std::max(first, 0); i <= last; ++i) {
        int y = static_cast<int>((i - mPosition) * lineHeight) + kBorder;
        if (i == mSelectIndex || (mDrawHiliteBar && i == mHiliteIndex)) {
            bar->SetColor(GetColor(COLOR_SELECT));
            bar->FillRect(0, y, mWidth, lineHeight);
        }
        if (!mFont)
            continue;
        const std::string& line = mLines[static_cast<size_t>(i)];
        int width = mFont->TextWidth(line);
        int x = mJustify == 0 ? kBorder : mJustify == 1 ? (mWidth - width) / 2 : mWidth - width - kBorder;
        text->SetColor(TextColorFor(i));
        text->DrawString(line, x, y + mFont->Ascent() + dy);
    }
    if (mDrawOutline) {
        g.SetColor(GetColor(COLOR_OUTLINE));
        g.DrawRect(0, 0, mWidth - 1, mHeight - 1);
    }
}

} // namespace Olvarn
