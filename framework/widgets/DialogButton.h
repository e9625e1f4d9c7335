// The button of a dialog: one component image stretched as a nine-grid behind a white label.
#pragma once

#include "widgets/ButtonWidget.h"

namespace Olvarn
{

class DialogButton : public ButtonWidget
{
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Draw(Graphics& g) override;

    Image* mComponentImage = nullptr;
    int mPressedOffsetX = 1;
    int mPressedOffsetY = 1;
    int mLabelOffsetX = 0;
    int mLabelOffsetY = 0;
};

} // namespace Olvarn
