// A list box of text lines with a hilited line under the mouse and a selected line, scrolled by a
// scrollbar; lists chained through parentList/childList form the columns of one table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Color.h"
#include "widgets/ScrollListener.h"
#include "widgets/Widget.h"

namespace Olvarn
{

class Font;
class ListSelectListener;
class ScrollbarWidget;

class ListWidget : public Widget, public ScrollListener
{
public:
    enum ColorIndex {
        COLOR_BKG = 0,
        COLOR_OUTLINE = 1,
        COLOR_TEXT = 2,
        COLOR_HILITE = 3,
        COLOR_SELECT = 4,
        COLOR_SELECT_TEXT = 5,
    };
    // What the other columns of a table show in the row of a line added to one column.
    static constexpr const char* kPlaceholder = "-";

    ListWidget(int id, Font* font, ListSelectListener* listener);

    virtual std::string GetSortKey(int index);
    virtual void Sort(bool ascending);
    virtual std::string GetStringAt(int index);
    virtual int AddLine(const std::string& line, bool alphabetical);
    virtual void SetLine(int index, const std::string& line);
    virtual int GetLineCount();
    virtual int GetLineIdx(const std::string& line);
    virtual void SetLineColor(const std::string& line, const Color& color);
    virtual void RemoveLine(int index);
    virtual void RemoveAll();
    virtual int GetOptimalWidth();
    virtual int GetOptimalHeight();
    virtual void SetSelect(int index);

    void Draw(Graphics& g) override;
    void Resize(int x, int y, int width, int height) override;
    void OnDetached(WidgetManager* manager) override;
    void OnZOrderChanged() override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta) override;

    void ScrollPosition(int id, double position) override;

    int mId = 0;
    Font* mFont = nullptr;
    ScrollbarWidget* mScrollbar = nullptr;
    int mJustify = 0;
    std::vector<std::string> mLines;
    std::vector<Color> mLineColors;
    double mPosition = 0;
    double mPageSize = 0;
    int mHiliteIndex = -1;
    int mSelectIndex = -1;
    ListSelectListener* mListener = nullptr;
    ListWidget* mParentList = nullptr;
    ListWidget* mChildList = nullptr;
    bool mSortFromChild = false;
    bool mDrawOutline = true;
    int mSortNumericWidth = 0;
    int mItemHeight = -1;
    bool mDrawHiliteBar = false;
    bool mHandCursorOverLines = true;

private:
    // The line pitch: itemHeight, or the font's height while it is -1 (never below 1).
    int LineHeight();
    ListWidget* FirstOfGroup();
    void ForGroup(const std::function<void(ListWidget&)>& visit);
    void SetHilite(int index);
    void UpdateScrollRange();
    void SetCursor(int number);
    Color TextColorFor(int index);
};

} // namespace Olvarn
