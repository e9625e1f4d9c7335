// The game's message and yes-or-no boxes, filled from a "dialog" description: a heading, a body
// and up to three buttons with their captions, blinking, widths and keyboard shortcuts.
#pragma once

#include <string>

#include "widgets/Dialog.h"

namespace tilvan
{

class CGameButton;

class CDialogBuilder : public Olvarn::Dialog
{
public:
    static constexpr int kDialogId = 100;
    enum EButtonId { LEFT = 0, RIGHT = 1, CENTER = 2, ERROR_OK = 3 };
    static constexpr int kBorder = 25;
    static constexpr int kTopBorder = 35;
    // Standard buttons are this high when their image is missing.
    static constexpr int kFallbackButtonHeight = 32;

    CDialogBuilder(const std::string& dialogName, bool closeOnClick);
    ~CDialogBuilder() override;

    // Replaces the body, then fits and centres the dialog again.
    void SetText(const std::string& text);
    const std::string& GetText() const { return mLinesText; }

    void Resize(int x, int y, int width, int height) override;
    void OnKeyDown(int key) override;
    void OnButtonRelease(int id) override;

    CGameButton* LeftButton() const { return leftButton; }
    CGameButton* RightButton() const { return rightButton; }
    CGameButton* CenterButton() const { return centerButton; }
    CGameButton* EnterButton() const { return enterButton; }
    CGameButton* EscapeButton() const { return escapeButton; }

private:
    void SetUp(int width, int height);
    CGameButton* CreateStandardButton(int id, const std::string& caption);
    void Fit();
    void LayOutButtons();

    CGameButton* leftButton = nullptr;
    CGameButton* rightButton = nullptr;
    CGameButton* centerButton = nullptr;
    CGameButton* enterButton = nullptr;
    CGameButton* escapeButton = nullptr;
    bool closeOnClick;
};

} // namespace tilvan
