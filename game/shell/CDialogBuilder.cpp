// Message and confirmation boxes.
#include "shell/CDialogBuilder.h"

#include <cstdio>

#include "graphics/DDImage.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/CGameButton.h"
#include "shell/CGameDialog.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CImage.h"
#include "shell/GameLog.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

} // namespace

CDialogBuilder::CDialogBuilder(const std::string& dialogName, bool closeOnClick_)
    : Olvarn::Dialog(services::FindImage("IMAGE_GUI_FRAME"), nullptr, kDialogId, true, "", "", "", BUTTONS_NONE),
      closeOnClick(closeOnClick_)
{
    services::PlaySound("SOUND_WINDOW_OPEN");
    const CGuiDescriptions::DialogDescription* d = CGuiDescriptions::Instance().FindDialog(dialogName);
    if (!d) {
        SetUp(300, 200);
        mHeaderText = "Dialog error!";
        char text[1024];
        std::snprintf(text, sizeof text, "Dialog \"%s\" not found", dialogName.c_str());
        mLinesText = text;
        centerButton = CreateStandardButton(ERROR_OK, "OK");
        centerButton->Resize(kBorder, mHeight - kBorder - centerButton->mHeight, centerButton->mWidth,
                             centerButton->mHeight);
        Fit();
        return;
    }
    SetUp(int(d->width), int(d->height));
    mHeaderText = d->title.Get();
    mLinesText = d->text.Get();
    if (!d->center.Get().empty())
        centerButton = CreateStandardButton(CENTER, d->center.Get());
    if (!d->left.Get().empty()) {
        leftButton = CreateStandardButton(LEFT, d->left.Get());
        leftButton->Resize(0, 0, leftButton->mWidth / 2, leftButton->mHeight);
    }
    if (leftButton && !d->right.Get().empty()) {
        rightButton = CreateStandardButton(RIGHT, d->right.Get());
        rightButton->Resize(0, 0, rightButton->mWidth / 2, rightButton->mHeight);
    }

    escapeButton = centerButton ? centerButton : rightButton ? rightButton : leftButton;
    enterButton = rightButton ? leftButton : leftButton ? nullptr : centerButton;
    auto pick = [this](const std::string& name, CGameButton*& target) {
        if (name == "left")
            target = leftButton;
        else if (name == "right")
            target = rightButton;
        else if (name == "center")
            target = centerButton;
    };
    pick(d->onEnter, enterButton);
    pick(d->onEscape, escapeButton);

    if (leftButton)
        leftButton->blinkFlags = d->leftBlink ? 1 : 0;
    if (rightButton)
        rightButton->blinkFlags = d->rightBlink ? 1 : 0;
    if (centerButton)
        centerButton->blinkFlags = d->centerBlink ? 1 : 0;

    int inner = mWidth - kBorder - kBorder;
    if (leftButton) {
        leftButton->Resize(leftButton->mX, leftButton->mY, int(float(inner) * d->leftRightBalance),
                           leftButton->mHeight);
        if (rightButton)
            rightButton->Resize(leftButton->mX + leftButton->mWidth, leftButton->mY, inner - leftButton->mWidth,
                                rightButton->mHeight);
    }
    Fit();
}

CDialogBuilder::~CDialogBuilder()
{
    services::PlaySound("SOUND_WINDOW_CLOSE");
    for (CGameButton* button : {leftButton, rightButton, centerButton}) {
        if (button) {
            RemoveWidget(button);
            delete button;
        }
    }
}

void CDialogBuilder::SetUp(int width, int height)
{
    mContentBorders = Olvarn::WidgetMargins{kBorder, kTopBorder, kBorder, kBorder};
    Olvarn::Dialog::Resize(512 - width / 2, 384 - height / 2, width, height);
    SetTitleFont(services::FindFont("FONT_HEADER"));
    SetBodyFont(services::FindFont("FONT_DEFAULT"));
    SetColor(COLOR_HEADER, Olvarn::Color(255, 255, 255, 255));
    SetColor(COLOR_LINES, Olvarn::Color(0, 90, 130, 255));
}

CGameButton* CDialogBuilder::CreateStandardButton(int id, const std::string& caption)
{
    auto* button = new CGameButton(id, this);
    if (Olvarn::Font* font = services::FindFont("FONT_DEFAULT"))
        button->SetFont(font);
    const int colors[][4] = {{0, 97, 146, 255}, {0, 95, 202, 255}, {0, 157, 206, 128}};
    button->SetColorTableRGBA(colors, 3);
    button->ShowHandCursor(true);
    button->mButtonImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON");
    button->mOverImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_OVER");
    button->mDownImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_PRESS");
    button->mDisabledImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_OFF");
    button->mLabel = caption;
    int height = kFallbackButtonHeight;
    if (button->mButtonImage)
        height = button->mButtonImage->GetHeight();
    else
        LogText("Missing image IMAGE_GUI_STANDARDBUTTON: message box buttons drawn without it\n");
    button->Resize(0, 0, mWidth - kBorder - kBorder, height);
    AddWidget(button);
    return button;
}

void CDialogBuilder::Fit()
{
    int height = MeasureHeight(mWidth);
    if (centerButton)
        height += centerButton->mHeight;
    if (leftButton)
        height += leftButton->mHeight;
    else if (rightButton)
        height += rightButton->mHeight;
    Resize(512 - mWidth / 2, 384 - height / 2, mWidth, height);
}

void CDialogBuilder::SetText(const std::string& text)
{
    mLinesText = text;
    Fit();
}

void CDialogBuilder::Resize(int x, int y, int width, int height)
{
    Olvarn::Dialog::Resize(x, y, width, height);
    LayOutButtons();
}

void CDialogBuilder::LayOutButtons()
{
    int bottom = mHeight - kBorder;
    if (centerButton) {
        centerButton->Resize(kBorder, bottom - centerButton->mHeight, centerButton->mWidth, centerButton->mHeight);
        bottom -= centerButton->mHeight;
    }
    if (leftButton) {
        leftButton->Resize(kBorder, bottom - leftButton->mHeight, leftButton->mWidth, leftButton->mHeight);
        if (rightButton)
            rightButton->Resize(kBorder + leftButton->mWidth, leftButton->mY, rightButton->mWidth,
                                rightButton->mHeight);
    }
}

void CDialogBuilder::OnKeyDown(int key)
{
    if (key == kKeyEnter && enterButton)
        OnButtonRelease(enterButton->mId);
    else if (key == kKeyEscape && escapeButton)
        OnButtonRelease(escapeButton->mId);
}

void CDialogBuilder::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    bool ours = (leftButton && id == leftButton->mId) || (rightButton && id == rightButton->mId) ||
                (centerButton && id == centerButton->mId);
    if (!ours)
        return;
    mResult = id;
    if (closeOnClick)
        services::CloseDialog(this);
}

} // namespace tilvan
