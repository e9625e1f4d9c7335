// List box: chained columns kept in step, alphabetical insertion and numeric sort, hilite and
// clicks, scrolling through the scrollbar and the wheel, drawing and z-order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/ListSelectListener.h"
#include "widgets/ListWidget.h"
#include "widgets/ScrollbarWidget.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class RecordingListListener : public ListSelectListener
{
public:
    void OnListClicked(int id, int line, int code) override
    {
        log.push_back("click " + std::to_string(id) + " " + std::to_string(line) + " " + std::to_string(code));
    }
    void OnListClosed(int id) override { log.push_back("closed " + std::to_string(id)); }
    void OnListHiliteChanged(int id, int oldIndex, int newIndex) override
    {
        log.push_back("hilite " + std::to_string(id) + " " + std::to_string(oldIndex) + ">" + std::to_string(newIndex));
    }
    Log log;
};

// Three columns of one table; lines are 16 pixels high (the font's height).
class TableTest : public ::testing::Test
{
protected:
    TableTest()
    {
        first.mChildList = &second;
        second.mParentList = &first;
        second.mChildList = &third;
        third.mParentList = &second;
        for (ListWidget* list : {&first, &second, &third})
            list->Resize(0, 0, 100, 88);
    }
    std::vector<std::string> Column(ListWidget& list) { return list.mLines; }

    FixedFont font;
    RecordingListListener listener;
    ListWidget first{1, &font, &listener};
    ListWidget second{2, &font, &listener};
    ListWidget third{3, &font, &listener};
};

TEST_F(TableTest, AlphabeticalInsertionIgnoresCaseAndFillsOtherColumnsWithPlaceholders)
{
    EXPECT_EQ(first.AddLine("b", true), 0);
    EXPECT_EQ(first.AddLine("a", true), 0);
    EXPECT_EQ(second.AddLine("x", false), 2);
    // "B2" sorts after "b" and nothing in this column sorts after it (the placeholder sorts first).
    EXPECT_EQ(first.AddLine("B2", true), 3);
    EXPECT_EQ(Column(first), (std::vector<std::string>{"a", "b", "-", "B2"}));
    EXPECT_EQ(Column(second), (std::vector<std::string>{"-", "-", "x", "-"}));
    EXPECT_EQ(Column(third), (std::vector<std::string>{"-", "-", "-", "-"}));
    EXPECT_EQ(third.mLineColors.size(), 4u);
    // Finding a line is exact, unlike the ordering.
    EXPECT_EQ(first.GetLineIdx("B2"), 3);
    EXPECT_EQ(first.GetLineIdx("b2"), -1);
}

TEST_F(TableTest, HoveringAnyColumnHilitesTheRowInAll)
{
    for (const char* s : {"a", "b", "c"})
        first.AddLine(s, false);
    second.OnMouseMove(50, 4 + 16 + 3);
    EXPECT_EQ(first.mHiliteIndex, 1);
    EXPECT_EQ(second.mHiliteIndex, 1);
    EXPECT_EQ(third.mHiliteIndex, 1);
    EXPECT_EQ(listener.log, (Log{"hilite 1 -1>1", "hilite 2 -1>1", "hilite 3 -1>1"}));
    listener.log.clear();
    // The top border still counts as the first line; below the last line is nothing.
    third.OnMouseMove(50, 1);
    EXPECT_EQ(first.mHiliteIndex, 0);
    third.OnMouseMove(50, 80);
    EXPECT_EQ(second.mHiliteIndex, -1);
    listener.log.clear();
    first.OnMouseMove(50, 10);
    first.OnMouseLeave();
    EXPECT_EQ(third.mHiliteIndex, -1);
    EXPECT_EQ(Count(listener.log, "hilite 2 0>-1"), 1);
}

TEST_F(TableTest, ClicksReportTheHilitedLineButNotOneThatWasRemoved)
{
    for (const char* s : {"a", "b", "c"})
        first.AddLine(s, false);
    first.OnMouseDown(5, 5, 1);
    EXPECT_TRUE(listener.log.empty());
    first.OnMouseMove(50, 4 + 32);
    listener.log.clear();
    first.OnMouseDown(50, 4 + 32, -2);
    EXPECT_EQ(listener.log, (Log{"click 1 2 -2"}));
    listener.log.clear();
    first.RemoveLine(2);
    first.OnMouseDown(50, 4 + 32, 1);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_EQ(Column(third).size(), 2u);
    first.RemoveLine(-1);
    EXPECT_EQ(Column(first).size(), 2u);
}

TEST_F(TableTest, SelectionAndRemoveAllAreGroupWide)
{
    first.AddLine("a", false);
    third.SetSelect(0);
    EXPECT_EQ(first.mSelectIndex, 0);
    EXPECT_EQ(second.mSelectIndex, 0);
    second.RemoveAll();
    EXPECT_TRUE(first.mLines.empty());
    EXPECT_EQ(third.mSelectIndex, -1);
}

TEST_F(TableTest, NumericSortPadsKeysAndPermutesEveryColumn)
{
    first.mSortNumericWidth = 3;
    for (const char* s : {"10", "9", "100", "9"})
        first.AddLine(s, false);
    for (int i = 0; i < 4; ++i)
        second.SetLine(i, std::string(1, static_cast<char>('p' + i)));
    first.Sort(true);
    EXPECT_EQ(Column(first), (std::vector<std::string>{"9", "9", "10", "100"}));
    // The next column breaks the tie between the two "9" rows.
    EXPECT_EQ(Column(second), (std::vector<std::string>{"q", "s", "p", "r"}));
    first.Sort(false);
    EXPECT_EQ(Column(first), (std::vector<std::string>{"100", "10", "9", "9"}));
}

TEST_F(TableTest, SortFromChildPutsTheNextColumnFirst)
{
    first.AddLine("b", false);
    first.AddLine("a", false);
    second.SetLine(0, "1");
    second.SetLine(1, "2");
    EXPECT_EQ(first.GetSortKey(0), "b1-");
    first.mSortFromChild = true;
    EXPECT_EQ(first.GetSortKey(0), "1-b");
    first.Sort(true);
    EXPECT_EQ(Column(first), (std::vector<std::string>{"b", "a"}));
}

TEST(ListWidgetTest, ScrollbarDrivesEveryColumnAndTheWheelPagesIt)
{
    FixedFont font;
    ListWidget left(1, &font, nullptr);
    ListWidget right(2, &font, nullptr);
    left.mChildList = &right;
    right.mParentList = &left;
    ScrollbarWidget bar(9, &left);
    left.mScrollbar = &bar;
    bar.ResizeScrollbar(100, 0, 20, 88);
    left.Resize(0, 0, 100, 88);
    EXPECT_DOUBLE_EQ(left.mPageSize, 5.0);
    EXPECT_EQ(bar.mPageSize, 5.0);
    for (int i = 0; i < 20; ++i)
        left.AddLine("line" + std::to_string(i), false);
    EXPECT_EQ(bar.mMaxValue, 20);
    EXPECT_EQ(left.GetOptimalHeight(), 16 * 20 + 8);
    EXPECT_EQ(left.GetOptimalWidth(), 60 + 16);

    bar.SetValue(7.5);
    EXPECT_DOUBLE_EQ(left.mPosition, 7.5);
    EXPECT_DOUBLE_EQ(right.mPosition, 7.5);

    left.OnMouseWheel(1);
    EXPECT_DOUBLE_EQ(right.mPosition, 12.5);
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingForward);
    // Never pressed: the paging the wheel started ends at the next update.
    bar.Update();
    EXPECT_EQ(bar.mPagingState, ScrollbarWidget::kPagingNone);
    left.OnMouseWheel(-1);
    EXPECT_DOUBLE_EQ(left.mPosition, 7.5);
    left.OnMouseWheel(0);
    EXPECT_DOUBLE_EQ(left.mPosition, 7.5);

    // A row under the mouse is counted from the scrolled position.
    left.OnMouseMove(10, 4 + 16);
    EXPECT_EQ(left.mHiliteIndex, 8);
}

TEST(ListWidgetTest, DrawColoursHiliteSelectionAndLines)
{
    FixedFont font;
    ListWidget list(1, &font, nullptr);
    list.Resize(0, 0, 100, 88);
    for (const char* s : {"a", "b", "c", "d"})
        list.AddLine(s, false);
    list.SetLineColor("d", Color(1, 2, 3));
    list.SetSelect(1);
    list.OnMouseMove(10, 4 + 16 * 2 + 1);
    list.mJustify = 2;
    list.SetColor(ListWidget::COLOR_OUTLINE, Color(255, 0, 0));
    std::unique_ptr<MemoryImage> canvas(NewCanvas(100, 88, 0xFF000000));
    Graphics g(canvas.get());
    list.Draw(g);
    ASSERT_EQ(font.mDrawn->size(), 4u);
    const auto& drawn = *font.mDrawn;
    EXPECT_EQ(drawn[0].color, Color(0, 0, 0));
    EXPECT_EQ(drawn[1].color, Color(255, 255, 255));
    EXPECT_EQ(drawn[2].color, Color(0, 192, 0));
    EXPECT_EQ(drawn[3].color, Color(1, 2, 3));
    EXPECT_EQ(drawn[3].y, 4 + 48 + 12);
    EXPECT_EQ(drawn[3].x, 100 - 10 - 4);
    EXPECT_EQ(At(*canvas, 50, 4 + 16 + 5), 0x000080u);
    EXPECT_EQ(At(*canvas, 50, 4 + 5), 0xFFFFFFu);
    EXPECT_EQ(At(*canvas, 0, 50), 0xFF0000u);
}

TEST(ListWidgetTest, ZOrderChangeKeepsColumnsAndScrollbarJustAbove)
{
    FixedFont font;
    Log log;
    WidgetManager manager(nullptr);
    ListWidget list(1, &font, nullptr);
    ListWidget column(2, &font, nullptr);
    list.mChildList = &column;
    column.mParentList = &list;
    ScrollbarWidget bar(3, &list);
    list.mScrollbar = &bar;
    LogWidget other("other", &log, 0, 0, 10, 10);
    manager.AddWidget(&list);
    manager.AddWidget(&column);
    manager.AddWidget(&bar);
    manager.AddWidget(&other);
    manager.BringToFront(&list);
    std::vector<Widget*> order(manager.mChildren.begin(), manager.mChildren.end());
    EXPECT_EQ(order, (std::vector<Widget*>{&other, &list, &bar, &column}));
    manager.RemoveAllChildren();
}

TEST(ListWidgetTest, LeavingTheManagerTellsTheListener)
{
    FixedFont font;
    RecordingListListener listener;
    WidgetManager manager(nullptr);
    ListWidget list(4, &font, &listener);
    manager.AddWidget(&list);
    manager.RemoveWidget(&list);
    EXPECT_EQ(listener.log, (Log{"closed 4"}));
}

} // namespace
