// The widget tree: walks that survive changes to the tree, flag masks, drawing with clip and
// translation, invalidation among top-level siblings, z-order, hit testing and small helpers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "WidgetTestSupport.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

struct Tree {
    Log log;
    WidgetManager manager{nullptr};
    std::vector<std::unique_ptr<LogWidget>> owned;

    LogWidget* Add(WidgetContainer* parent, const std::string& name, int x = 0, int y = 0, int w = 0, int h = 0)
    {
        owned.push_back(std::make_unique<LogWidget>(name, &log, x, y, w, h));
        parent->AddWidget(owned.back().get());
        return owned.back().get();
    }
    LogWidget* Top(const std::string& name, int x = 0, int y = 0, int w = 0, int h = 0)
    {
        return Add(&manager, name, x, y, w, h);
    }
    void ClearDirty()
    {
        manager.mDirty = false;
        for (auto& w : owned)
            w->mDirty = false;
    }
    // Only before the tree goes: children are not deleted by their parents.
    ~Tree() { manager.RemoveAllChildren(false, true); }
};

std::vector<std::string> Order(WidgetContainer& c)
{
    std::vector<std::string> names;
    for (Widget* w : c.mChildren)
        names.push_back(static_cast<LogWidget*>(w)->mName);
    return names;
}

} // namespace

TEST(WidgetTreeTest, UpdateWalkSurvivesChangesMadeDuringUpdate)
{
    struct Case {
        const char* name;
        std::function<void(Tree&, LogWidget* a, LogWidget* b, LogWidget* c)> action;
        std::vector<std::string> updates;
    } cases[] = {
        {"remove self",
         [](Tree& t, LogWidget*, LogWidget* b, LogWidget*) { t.manager.RemoveWidget(b); },
         {"A update", "B update", "C update", "D update"}},
        {"remove later sibling",
         [](Tree& t, LogWidget*, LogWidget*, LogWidget* c) { t.manager.RemoveWidget(c); },
         {"A update", "B update", "D update"}},
        {"remove earlier sibling",
         [](Tree& t, LogWidget* a, LogWidget*, LogWidget*) { t.manager.RemoveWidget(a); },
         {"A update", "B update", "C update", "D update"}},
        {"bring self to front",
         [](Tree& t, LogWidget*, LogWidget* b, LogWidget*) { t.manager.BringToFront(b); },
         {"A update", "B update", "C update", "D update"}},
        {"bring later sibling to front",
         [](Tree& t, LogWidget*, LogWidget*, LogWidget* c) { t.manager.BringToFront(c); },
         {"A update", "B update", "D update", "C update"}},
        {"remove self and the next one",
         [](Tree& t, LogWidget*, LogWidget* b, LogWidget* c) {
             t.manager.RemoveWidget(b);
             t.manager.RemoveWidget(c);
         },
         {"A update", "B update", "D update"}},
    };
    for (const Case& c : cases) {
        Tree t;
        LogWidget* a = t.Top("A");
        LogWidget* b = t.Top("B");
        LogWidget* cw = t.Top("C");
        t.Top("D");
        b->mOnUpdate = [&] { c.action(t, a, b, cw); };
        t.manager.UpdateWidgets();
        std::vector<std::string> updates;
        for (const std::string& e : t.log)
            if (e.find("update") != std::string::npos)
                updates.push_back(e);
        EXPECT_EQ(updates, c.updates) << c.name;
        // The next update walks the changed list normally.
        b->mOnUpdate = nullptr;
        t.log.clear();
        t.manager.UpdateWidgets();
        EXPECT_EQ(t.log.size(), t.manager.mChildren.size()) << c.name;
    }
}

TEST(WidgetTreeTest, NestedChildrenUpdateOncePerManagerUpdate)
{
    Tree t;
    LogWidget* panel = t.Top("P");
    LogWidget* x = t.Add(panel, "X");
    t.Add(panel, "Y");
    x->mOnUpdate = [&] { panel->RemoveWidget(x); };
    t.manager.UpdateWidgets();
    EXPECT_EQ(t.log, (Log{"P update", "X update", "Y update"}));
    EXPECT_EQ(panel->mUpdateCount, 1);
    EXPECT_EQ(t.manager.mUpdateCount, 1);
    EXPECT_EQ(x->mParent, nullptr);
}

TEST(WidgetTreeTest, FlagMasksSteerTheSubtreeAndAreRestored)
{
    Tree t;
    LogWidget* frozen = t.Top("F");
    t.Add(frozen, "FC");
    frozen->mFlagsRemove = FlagUpdate;
    LogWidget* redraw = t.Top("R");
    redraw->mFlagsAdd = FlagRedraw;
    t.ClearDirty();
    t.manager.UpdateWidgets();
    EXPECT_EQ(t.log, (Log{"R update"}));
    EXPECT_TRUE(redraw->mDirty);
    EXPECT_FALSE(frozen->mDirty);

    // A handler that throws leaves the caller's flag words as they were.
    redraw->mOnUpdate = [] { throw std::runtime_error("boom"); };
    redraw->mFlagsRemove = FlagDraw;
    FlagsMod mod;
    mod.mFlags = FlagUpdate | FlagDraw;
    mod.mBelowModalFlags = FlagUpdate;
    ++t.manager.mUpdateCount;
    EXPECT_THROW(redraw->UpdateTree(mod), std::runtime_error);
    EXPECT_EQ(mod.mFlags, FlagUpdate | FlagDraw);
    EXPECT_EQ(mod.mBelowModalFlags, FlagUpdate);
}

TEST(WidgetTreeTest, DrawWalkTranslatesAndClipsToEachWidget)
{
    Tree t;
    std::unique_ptr<MemoryImage> screen(NewCanvas(30, 30, 0x000000));
    t.manager.mScreenImage = screen.get();
    t.manager.SetScreenSize(30, 30);
    LogWidget* panel = t.Top("P", 5, 5, 10, 10);
    LogWidget* child = t.Add(panel, "C", 8, 8, 10, 10);
    child->mFill = Color(255, 0, 0);
    LogWidget* free = t.Add(panel, "U", 2, 2, 3, 3);
    free->mFill = Color(0, 255, 0);

    EXPECT_TRUE(t.manager.DrawWidgets());
    EXPECT_EQ(At(*screen, 13, 13), 0xFF0000u);
    EXPECT_EQ(At(*screen, 14, 14), 0xFF0000u);
    EXPECT_EQ(At(*screen, 15, 14), 0x000000u) << "outside the panel";
    EXPECT_EQ(At(*screen, 12, 13), 0x000000u) << "outside the child";
    EXPECT_EQ(At(*screen, 7, 7), 0x00FF00u);
    EXPECT_EQ(At(*screen, 10, 10), 0x000000u);
    EXPECT_EQ(Count(t.log, "P draw"), 1);
    EXPECT_FALSE(child->mDirty);

    // Nothing dirty at the top level: nothing is drawn.
    t.log.clear();
    EXPECT_FALSE(t.manager.DrawWidgets());
    EXPECT_TRUE(t.log.empty());

    // A hidden child is skipped; the panel's own mask can switch drawing off for the subtree.
    free->SetVisible(false);
    t.log.clear();
    EXPECT_TRUE(t.manager.DrawWidgets());
    EXPECT_EQ(t.log, (Log{"P draw", "C draw"}));
    panel->mFlagsRemove = FlagDraw;
    panel->Invalidate();
    t.log.clear();
    t.manager.DrawWidgets();
    EXPECT_TRUE(t.log.empty());
}

TEST(WidgetTreeTest, SameValueChangesSetNothingDirty)
{
    Tree t;
    LogWidget* w = t.Top("W", 1, 2, 3, 4);
    t.ClearDirty();
    t.log.clear();
    w->Resize(1, 2, 3, 4);
    w->Move(1, 2);
    w->SetVisible(true);
    w->SetDisabled(false);
    EXPECT_FALSE(w->mDirty);
    EXPECT_FALSE(t.manager.mDirty);
    EXPECT_TRUE(t.log.empty());
    w->Resize(1, 2, 3, 5);
    EXPECT_TRUE(w->mDirty);
    EXPECT_TRUE(t.manager.mDirty);
}

TEST(WidgetTreeTest, InvalidationReachesOverlappingSiblingsOnly)
{
    Tree t;
    t.manager.SetScreenSize(200, 200);
    LogWidget* left = t.Top("L", 0, 0, 10, 10);
    LogWidget* touching = t.Top("T", 10, 0, 10, 10);
    LogWidget* over = t.Top("O", 5, 5, 10, 10);
    t.ClearDirty();
    left->Invalidate();
    EXPECT_TRUE(left->mDirty);
    EXPECT_FALSE(touching->mDirty) << "touching edges do not overlap";
    EXPECT_TRUE(over->mDirty) << "what lies above is redrawn over it";
    EXPECT_TRUE(t.manager.mDirty);

    // Below the top level no sibling bookkeeping happens.
    LogWidget* a = t.Add(left, "a", 0, 0, 5, 5);
    LogWidget* b = t.Add(left, "b", 0, 0, 5, 5);
    t.ClearDirty();
    a->Invalidate();
    EXPECT_TRUE(a->mDirty);
    EXPECT_FALSE(b->mDirty);
    EXPECT_TRUE(left->mDirty);
}

TEST(WidgetTreeTest, ATranslucentWidgetRedrawsTheOpaqueWidgetCoveringItAndNothingBelow)
{
    struct Case {
        const char* name;
        Rect top, cover;
        bool bottomDirty;
    } cases[] = {
        {"covered", {20, 20, 10, 10}, {10, 10, 50, 50}, false},
        {"partly covered", {5, 5, 10, 10}, {10, 10, 50, 50}, true},
        // Only the part on the screen needs to be covered.
        {"covered on screen", {190, 190, 30, 30}, {150, 150, 50, 50}, false},
    };
    for (const Case& c : cases) {
        Tree t;
        t.manager.SetScreenSize(200, 200);
        LogWidget* bottom = t.Top("B", 0, 0, 200, 200);
        LogWidget* cover = t.Top("C", c.cover.mX, c.cover.mY, c.cover.mWidth, c.cover.mHeight);
        LogWidget* top = t.Top("T", c.top.mX, c.top.mY, c.top.mWidth, c.top.mHeight);
        top->mIsTranslucent = true;
        t.ClearDirty();
        top->Invalidate();
        EXPECT_TRUE(top->mDirty) << c.name;
        EXPECT_TRUE(cover->mDirty) << c.name;
        EXPECT_EQ(bottom->mDirty, c.bottomDirty) << c.name;
    }
}

// A widget that asks for a part of itself to be drawn again draws, clipped to that part, and the
// manager reports only that part as drawn; what asks for more, or may show what lies below, is
// drawn whole.
TEST(WidgetTreeTest, AnInvalidatedAreaIsDrawnAloneAndReportedAsDrawn)
{
    struct Case {
        const char* name;
        std::function<void(LogWidget& screen, LogWidget& inner, LogWidget& over)> invalidate;
        Rect drawn;     // on the screen
        bool overDrawn; // the widget above the screen's area drew again
    } cases[] = {
        {"one area",
         [](LogWidget& s, LogWidget&, LogWidget&) { s.InvalidateRect(Rect(2, 3, 4, 5)); },
         {2, 3, 4, 5},
         false},
        {"two areas: their union",
         [](LogWidget& s, LogWidget&, LogWidget&) {
             s.InvalidateRect(Rect(2, 3, 4, 5));
             s.InvalidateRect(Rect(10, 1, 2, 2));
         },
         {2, 1, 10, 7},
         false},
        {"cut to the widget",
         [](LogWidget& s, LogWidget&, LogWidget&) { s.InvalidateRect(Rect(-5, 30, 10, 50)); },
         {0, 30, 5, 10},
         false},
        {"outside the widget: nothing",
         [](LogWidget& s, LogWidget&, LogWidget&) { s.InvalidateRect(Rect(50, 0, 5, 5)); },
         {},
         false},
        {"a child's area in its parent's place",
         [](LogWidget&, LogWidget& in, LogWidget&) { in.InvalidateRect(Rect(1, 1, 2, 2)); },
         {21, 11, 2, 2},
         false},
        {"a whole invalidation after an area",
         [](LogWidget& s, LogWidget&, LogWidget&) {
             s.InvalidateRect(Rect(2, 3, 4, 5));
             s.Invalidate();
         },
         {0, 0, 40, 40},
         true},
        {"an area under a widget above: it draws that part too",
         [](LogWidget& s, LogWidget&, LogWidget&) { s.InvalidateRect(Rect(28, 28, 6, 6)); },
         {28, 28, 6, 6},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tree t;
        std::unique_ptr<MemoryImage> canvas(NewCanvas(40, 40, 0x000000));
        t.manager.mScreenImage = canvas.get();
        t.manager.SetScreenSize(40, 40);
        LogWidget* screen = t.Top("S", 0, 0, 40, 40);
        screen->mFill = Color(0, 0, 255);
        LogWidget* inner = t.Add(screen, "I", 20, 10, 5, 5);
        LogWidget* over = t.Top("O", 30, 30, 10, 10);
        over->mFill = Color(0, 255, 0);
        ASSERT_TRUE(t.manager.DrawWidgets());
        EXPECT_EQ(t.manager.DrawnArea(), Rect(0, 0, 40, 40));

        screen->mFill = Color(255, 0, 0);
        inner->mFill = Color(255, 0, 0);
        t.log.clear();
        c.invalidate(*screen, *inner, *over);
        const bool any = c.drawn.mWidth > 0;
        EXPECT_EQ(t.manager.DrawWidgets(), any);
        EXPECT_EQ(t.manager.DrawnArea(), c.drawn);
        EXPECT_EQ(Count(t.log, "O draw"), c.overDrawn ? 1 : 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                uint32_t want = 0x0000FF;
                if (x >= 30 && y >= 30)
                    want = 0x00FF00; // the widget above always stays on top
                else if (c.drawn.Contains(x, y))
                    want = 0xFF0000;
                ASSERT_EQ(At(*canvas, x, y), want) << x << "," << y;
            }
        EXPECT_FALSE(screen->mDirty);
        EXPECT_FALSE(screen->mDirtyPartly);
    }
}

TEST(WidgetTreeTest, ATranslucentWidgetAskingForAnAreaIsDrawnWhole)
{
    Tree t;
    t.manager.SetScreenSize(100, 100);
    LogWidget* bottom = t.Top("B", 0, 0, 100, 100);
    LogWidget* glass = t.Top("G", 10, 10, 20, 20);
    glass->mIsTranslucent = true;
    t.ClearDirty();
    glass->InvalidateRect(Rect(1, 1, 2, 2));
    EXPECT_TRUE(glass->mDirty);
    EXPECT_FALSE(glass->mDirtyPartly);
    EXPECT_TRUE(bottom->mDirty) << "what shows through is drawn again";
}

TEST(WidgetTreeTest, ZOrderOperationsMoveWithinTheListOnly)
{
    struct Case {
        const char* name;
        std::function<void(WidgetManager&, Widget* a, Widget* b, Widget* c, Widget* stranger)> op;
        std::vector<std::string> order;
        bool notified;
    } cases[] = {
        {"front",
         [](WidgetManager& m, Widget* a, Widget*, Widget*, Widget*) { m.BringToFront(a); },
         {"B", "C", "A"},
         true},
        {"back",
         [](WidgetManager& m, Widget*, Widget*, Widget* c, Widget*) { m.SendToBack(c); },
         {"C", "A", "B"},
         true},
        {"behind",
         [](WidgetManager& m, Widget* a, Widget*, Widget* c, Widget*) { m.MoveBehind(c, a); },
         {"C", "A", "B"},
         true},
        {"in front",
         [](WidgetManager& m, Widget* a, Widget* b, Widget*, Widget*) { m.MoveInFront(a, b); },
         {"B", "A", "C"},
         true},
        {"behind a stranger goes to the top",
         [](WidgetManager& m, Widget* a, Widget*, Widget*, Widget* s) { m.MoveBehind(a, s); },
         {"B", "C", "A"},
         true},
        {"in front of a stranger goes to the top",
         [](WidgetManager& m, Widget* a, Widget*, Widget*, Widget* s) { m.MoveInFront(a, s); },
         {"B", "C", "A"},
         true},
        {"a stranger is not moved",
         [](WidgetManager& m, Widget*, Widget*, Widget*, Widget* s) { m.BringToFront(s); },
         {"A", "B", "C"},
         false},
    };
    for (const Case& c : cases) {
        Tree t;
        LogWidget* a = t.Top("A", 0, 0, 10, 10);
        LogWidget* b = t.Top("B", 0, 0, 10, 10);
        LogWidget* cw = t.Top("C", 0, 0, 10, 10);
        LogWidget stranger("S", &t.log);
        t.ClearDirty();
        t.log.clear();
        c.op(t.manager, a, b, cw, &stranger);
        EXPECT_EQ(Order(t.manager), c.order) << c.name;
        EXPECT_EQ(t.log.size() == 1 && t.log[0].find("zorder") != std::string::npos, c.notified) << c.name;
        EXPECT_FALSE(a->mDirty || b->mDirty || cw->mDirty) << c.name;
    }
}

TEST(WidgetTreeTest, HitTestFollowsVisibilityInsetsDisablingOpacityAndModality)
{
    Tree t;
    LogWidget* base = t.Top("W", 0, 0, 100, 100);
    LogWidget* panel = t.Top("P", 50, 50, 50, 50);
    panel->SetDisabled(true);
    t.Add(panel, "K", 10, 10, 10, 10);
    LogWidget* holed = t.Top("H", 0, 0, 40, 40);
    holed->mHoleAtLeft = true;
    LogWidget* inset = t.Top("I", 100, 0, 20, 20);
    inset->mInsets.mLeft = 5;
    LogWidget* through = t.Top("N", 0, 100, 20, 20);
    through->mAcceptsMouse = false;
    t.Add(through, "Q", 5, 5, 5, 5);

    struct Case {
        int x, y;
        const char* expected; // null: nothing
        int localX, localY;
    } cases[] = {
        {30, 10, "H", 30, 10},   {10, 10, "W", 10, 10},
        {55, 55, nullptr, 0, 0}, {62, 62, "K", 2, 2},
        {102, 5, nullptr, 0, 0}, {110, 5, "I", 10, 5},
        {2, 102, nullptr, 0, 0}, {6, 106, "Q", 1, 1},
        {-5, -5, nullptr, 0, 0}, {100000, -100000, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        bool hit = false;
        int lx = -1, ly = -1;
        Widget* w = t.manager.FindWidgetAt(c.x, c.y, t.manager.mDefaultFlags, &hit, &lx, &ly);
        if (!c.expected) {
            EXPECT_EQ(w, nullptr) << c.x << "," << c.y;
            continue;
        }
        ASSERT_NE(w, nullptr) << c.x << "," << c.y;
        EXPECT_EQ(static_cast<LogWidget*>(w)->mName, c.expected) << c.x << "," << c.y;
        EXPECT_EQ(lx, c.localX);
        EXPECT_EQ(ly, c.localY);
        EXPECT_TRUE(hit);
    }

    // Below a modal widget nothing takes the mouse; the modal widget and what is above it still do.
    t.manager.AddBaseModal(holed);
    EXPECT_EQ(t.manager.FindWidgetAt(45, 45, t.manager.mDefaultFlags), nullptr);
    EXPECT_EQ(t.manager.FindWidgetAt(30, 10, t.manager.mDefaultFlags), holed);
    EXPECT_EQ(t.manager.FindWidgetAt(110, 5, t.manager.mDefaultFlags), inset);
    t.manager.RemoveBaseModal(holed);
    EXPECT_EQ(t.manager.FindWidgetAt(45, 45, t.manager.mDefaultFlags), base);

    base->SetVisible(false);
    EXPECT_EQ(t.manager.FindWidgetAt(10, 10, t.manager.mDefaultFlags), nullptr);
}

TEST(WidgetTreeTest, CoordinatesConvertThroughEveryAncestor)
{
    Tree t;
    LogWidget* a = t.Top("A", 10, 20);
    LogWidget* b = t.Add(a, "B", 3, 4);
    LogWidget* c = t.Add(b, "C", 100, 200);
    int x = 0, y = 0;
    c->ToRootCoords(1, 2, x, y);
    EXPECT_EQ(LogWidget::Pt(x, y), "114,226");
    c->FromRootCoords(114, 226, x, y);
    EXPECT_EQ(LogWidget::Pt(x, y), "1,2");
    EXPECT_TRUE(t.manager.IsBelow(a, c));
    EXPECT_FALSE(t.manager.IsBelow(c, a));
    EXPECT_FALSE(t.manager.IsBelow(a, a));
}

TEST(WidgetTreeTest, RemovingAWidgetDetachesItsWholeSubtree)
{
    Tree t;
    LogWidget* panel = t.Top("P", 0, 0, 50, 50);
    LogWidget* field = t.Add(panel, "F", 0, 0, 10, 10);
    t.manager.SetFocusWidget(field);
    ASSERT_EQ(t.manager.mFocusWidget, field);
    t.manager.RemoveWidget(panel);
    EXPECT_EQ(t.manager.mFocusWidget, nullptr);
    EXPECT_EQ(Count(t.log, "F focus-"), 1);
    EXPECT_EQ(field->mManager, nullptr);
    EXPECT_EQ(panel->mManager, nullptr);
    EXPECT_EQ(field->mParent, panel) << "the panel keeps its own children";
    // Adding the panel back attaches the subtree again, but the focus stays empty.
    t.manager.AddWidget(panel);
    EXPECT_EQ(field->mManager, &t.manager);
    EXPECT_EQ(t.manager.mFocusWidget, nullptr);
}

TEST(WidgetTreeTest, RemoveAllChildrenCanDeleteTheWholeSubtree)
{
    Log log;
    WidgetManager manager(nullptr);
    auto* panel = new LogWidget("P", &log);
    manager.AddWidget(panel);
    panel->AddWidget(new LogWidget("X", &log));
    panel->AddWidget(new LogWidget("Y", &log));
    manager.RemoveAllChildren(true, true);
    EXPECT_TRUE(manager.mChildren.empty());
    // Nothing leaks: the sanitizer build checks it.
}

TEST(WidgetTreeTest, AWidgetLivesInOneChildListAtATime)
{
    Tree t;
    LogWidget* first = t.Top("A");
    LogWidget* second = t.Top("B");
    LogWidget* moved = t.Add(first, "M");
    second->AddWidget(moved);
    EXPECT_TRUE(first->mChildren.empty());
    EXPECT_EQ(moved->mParent, second);
    second->AddWidget(moved);
    EXPECT_EQ(second->mChildren.size(), 1u);

    // A widget deleted while still in the tree takes itself out rather than leaving a dangling pointer.
    auto* doomed = new LogWidget("D", &t.log, 0, 0, 10, 10);
    t.manager.AddWidget(doomed);
    t.manager.SetFocusWidget(doomed);
    delete doomed;
    EXPECT_EQ(t.manager.mChildren.size(), 2u);
    EXPECT_EQ(t.manager.mFocusWidget, nullptr);
    t.manager.UpdateWidgets();
}

TEST(WidgetTreeTest, ColorTableAndDigitHelpers)
{
    LogWidget w("W", nullptr);
    int rgb[][3] = {{1, 2, 3}, {4, 5, 6}};
    w.SetColorTableRGB(rgb, 2);
    EXPECT_EQ(w.GetColor(1), Color(4, 5, 6, 255));
    EXPECT_EQ(w.GetColor(2), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColor(-1), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColorOrDefault(5, Color(9, 9, 9)), Color(9, 9, 9));
    w.SetColor(4, Color(7, 7, 7));
    EXPECT_EQ(w.mColors.size(), 5u);
    EXPECT_EQ(w.GetColor(3), Color(0, 0, 0, 255));

    struct {
        int n, digits;
    } counts[] = {{0, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {2147483647, 10}, {-5, 1}};
    for (auto& c : counts)
        EXPECT_EQ(w.CountDigits(c.n), c.digits) << c.n;
}

TEST(WidgetTreeTest, DigitStripShowsOneCellPerDigit)
{
    // Cell d of the strip is filled with the blue value (d + 1) x 16; blending may lose a little of it.
    std::vector<uint32_t> strip(100 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 100; ++x)
            strip[y * 100 + x] = 0xFF000000u | static_cast<uint32_t>((x / 10 + 1) * 16);
    auto cell = [](uint32_t v) { return (v + 8) / 16; };
    MemoryImage digits;
    digits.SetBits(strip.data(), 100, 4);
    struct Case {
        int n;
        std::vector<uint32_t> cells; // value at the start of each drawn cell
    } cases[] = {{305, {4, 1, 6}}, {0, {1}}, {7, {8}}};
    for (const Case& c : cases) {
        std::unique_ptr<MemoryImage> canvas(NewCanvas(60, 4, 0));
        Graphics g(canvas.get());
        LogWidget w("W", nullptr);
        w.DrawNumberFromDigitStrip(g, c.n, 1, 0, &digits, 2);
        for (size_t i = 0; i < c.cells.size(); ++i) {
            int x = 1 + static_cast<int>(i) * 12;
            EXPECT_EQ(cell(At(*canvas, x, 1)), c.cells[i]) << c.n << " cell " << i;
            EXPECT_EQ(cell(At(*canvas, x + 9, 1)), c.cells[i]) << c.n << " cell " << i;
            EXPECT_EQ(At(*canvas, x + 10, 1), 0u) << c.n << " spacing " << i;
        }
        EXPECT_EQ(At(*canvas, 1 + static_cast<int>(c.cells.size()) * 12, 1), 0u);
    }
}
