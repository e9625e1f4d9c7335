// Check box: toggling by presses with listener reports, SetChecked, and the two looks.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/Checkbox.h"
#include "widgets/CheckboxToggleListener.h"

using namespace Olvarn;
using namespace widgettest;

namespace
{

class RecordingCheckbox : public CheckboxToggleListener
{
public:
    void CheckboxChecked(int id, bool checked) override { reports.push_back(checked); }
    std::vector<bool> reports;
};

TEST(CheckboxTest, EveryPressTogglesAndReports)
{
    RecordingCheckbox listener;
    Checkbox box(nullptr, nullptr, 3, &listener);
    EXPECT_TRUE(box.mShowsHandCursor);
    box.OnMouseDown(1, 1, 1);
    box.OnMouseDown(1, 1, 2);
    box.OnMouseDown(1, 1, -1);
    EXPECT_EQ(listener.reports, (std::vector<bool>{true, false, true}));
    box.SetChecked(false, false);
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ(listener.reports.size(), 3u);
    box.SetChecked(true, true);
    EXPECT_EQ(listener.reports.back(), true);

    Checkbox silent(nullptr, nullptr, 4, nullptr);
    silent.OnMouseDown(1, 1, 1);
    EXPECT_TRUE(silent.IsChecked());
}

TEST(CheckboxTest, DrawsTheImageOrTheCelOfItsState)
{
    std::unique_ptr<MemoryImage> off(NewCanvas(4, 4, 0xFFFF0000));
    std::unique_ptr<MemoryImage> on(NewCanvas(4, 4, 0xFF00FF00));
    Checkbox box(off.get(), on.get(), 1, nullptr);
    std::unique_ptr<MemoryImage> canvas(NewCanvas(4, 4, 0xFF000000));
    Graphics g(canvas.get());
    box.Draw(g);
    EXPECT_EQ(At(*canvas, 1, 1), 0xFF0000u);
    box.SetChecked(true, false);
    box.Draw(g);
    EXPECT_EQ(At(*canvas, 1, 1), 0x00FF00u);

    // Cels of one sheet: the unchecked look on the left half, the checked one on the right.
    std::unique_ptr<MemoryImage> sheet(NewCanvas(8, 4, 0xFF0000FF));
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            sheet->GetBits()[y * 8 + x] = 0xFFFFFF00;
    sheet->BitsChanged();
    Checkbox cels(sheet.get(), nullptr, 2, nullptr);
    cels.mUncheckedRect = Rect(0, 0, 4, 4);
    cels.mCheckedRect = Rect(4, 0, 4, 4);
    cels.Draw(g);
    EXPECT_EQ(At(*canvas, 1, 1), 0x0000FFu);
    cels.SetChecked(true, false);
    cels.Draw(g);
    EXPECT_EQ(At(*canvas, 1, 1), 0xFFFF00u);
}

} // namespace
