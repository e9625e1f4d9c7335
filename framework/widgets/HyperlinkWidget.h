// A button drawn as centred, underlined text.
#pragma once

#include "core/Color.h"
#include "widgets/ButtonWidget.h"

namespace Olvarn
{

class HyperlinkWidget : public ButtonWidget
{
public:
    HyperlinkWidget(int id, ButtonListener* listener);

    void Draw(Graphics& g) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;

    Color mLinkColor{255, 255, 255, 255};
    Color mLinkOverColor{255, 255, 255, 255};
    int mUnderlineSize = 1;
    int mUnderlineOffset = 3;
};

} // namespace Olvarn
