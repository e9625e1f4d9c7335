// The side panel of a level: score, level number and pearls, the next-piece, menu and help buttons,
// the four tool buttons with their buy buttons, minimise and close, and an invisible area over the
// pearl counter for the scripts' hints. Everything is placed by the "info_panel_*" property rows.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "data/DataValues.h"
#include "play/CPlay.h"
#include "shell/CGameButton.h"
#include "shell/CHintRegistry.h"
#include "shell/CImage.h"
#include "shell/CImageSector.h"
#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace tilvan
{

class CXmlDataReader;

struct CInfoPanelButtonInfo {
    int id = 0;
    CFloatPair pos;
    std::string text;
    std::string frontImage, image, pressImage, overImage, offImage;
    CFloatPair size;
};

struct CInfoPanelImageInfo {
    std::string id;
    CFloatPair pos;
};

struct CInfoPanelLabel {
    std::string text;
    CFloatPair textPos, infoPos;
};

struct CInfoPanelConfig {
    std::vector<CInfoPanelButtonInfo> buttons;
    std::vector<CInfoPanelImageInfo> images;
    int areaX = 0, areaY = 0, areaWidth = 0, areaHeight = 0;
    CInfoPanelLabel score, level, points;
};

class CInfoPanelButton : public CGameButton
{
public:
    CInfoPanelButton(int id, Olvarn::ButtonListener* listener, int bonusSlot, bool buyButton);

    void UpdateFraction(float fraction) override;
    void Draw(Olvarn::Graphics& g) override;
    // A locked button keeps its look until the panel unlocks it.
    void SetDisabled(bool disabled) override;
    void Resize(int x, int y, int width, int height) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseMove(int x, int y) override;

    bool IsInert() const { return mIsDisabled || inactive || locked; }
    // The snail's waiting time: t is added to what is left; total -1 takes the new time left.
    void SetClock(float t, float total);
    void AdvanceClock(float ms);
    void StopClock();
    // A tool button is usable while its slot has a use left, a buy button while the pearls cover
    // the price; an unusable one is hidden.
    void RefreshUse();

    int bonusSlot = -1;
    bool buyButton = false;
    bool locked = false;
    bool inactive = false;
    float clockLeft = 0;
    float clockTotal = 0;
    lua_private::control_id control;
    CImageSector clock;
};

// The invisible widget over the pearl counter that scripts point their hints at.
class CInfoPanelArea : public Olvarn::Widget
{
public:
    CInfoPanelArea();

    void UpdateFraction(float fraction) override;
    void Draw(Olvarn::Graphics&) override {}
    void OnMouseEnter() override { control.MouseEnter(); }
    void OnMouseLeave() override { control.MouseLeave(); }
    void OnMouseMove(int x, int y) override { control.MouseMove(x, y); }
    void Resize(int x, int y, int width, int height) override;

    lua_private::control_id control;
};

class CInfoPanel : public CPlayPanel, public Olvarn::ButtonListener
{
public:
    enum EButton {
        kNextIce = 1,
        kMenu = 2,
        kHelp = 3,
        kCreate = 4,
        kCreatePlus = 5,
        kPause = 6,
        kPausePlus = 7,
        kDestroy = 8,
        kDestroyPlus = 9,
        kMove = 10,
        kMovePlus = 11,
        kMinimize = 12,
        kClose = 13
    };
    static constexpr int kPearlCountArea = 0;
    // A slow-down lasts this long at half speed.
    static constexpr float kSnailTime = 10000;

    static void DeclareSchema(CXmlDataReader& reader);
    // Appends the button and image rows; the point rectangle and the labels are replaced.
    static void LoadConfig(CXmlDataReader& reader);
    // Rejects a panel with buttons but no usable "info_panel" "font" constant.
    static void CheckConfig();
    static CInfoPanelConfig& Config();
    static void ClearConfig();
    // The control id of a button name ("id_menu" is 2); -1 for a name that is not a panel button.
    static int ButtonIdOf(const std::string& name);
    // The button of a tool slot (4, 6, 8, 10) and its buy button (5, 7, 9, 11); -1 outside 0..3.
    static int ToolButtonId(int slot);
    static int BuyButtonId(int slot);
    // Where the first row of that id places its button (x, y, width, height); false without one.
    static bool ButtonRect(int id, int& x, int& y, int& w, int& h);

    explicit CInfoPanel(CPlay& play);
    ~CInfoPanel() override;

    void Init() override;
    void SetBonusLevel(bool bonus) override;
    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;
    void OnButton(int id, CCursor& cursor) override;
    void KeyDown(int key, CCursor& cursor) override;
    void OnButtonRelease(int id) override;

    void SetClock(float t, float total);
    // Tells the scripts of a click on the button; true when the button exists and may be used.
    bool ClickButton(int id, CCursor& cursor);

    CInfoPanelButton* FindButton(int id) const;
    const std::list<CInfoPanelButton*>& Buttons() const { return buttons; }
    CInfoPanelArea* Area() const { return area; }
    // The score as drawn: leading zeros to nine digits in a muted blue, the digits in white.
    static std::string ScoreText(int score);

private:
    void RemoveButtons();
    void CreateButtons();
    void UseTool(int slot, int tool, CCursor& cursor);

    CPlay& owner;
    std::list<CInfoPanelButton*> buttons;
    std::vector<CImage> images;
    CInfoPanelButton* nextButton = nullptr;
    CInfoPanelButton* closeButton = nullptr;
    CInfoPanelButton* minimizeButton = nullptr;
    CInfoPanelButton* clockButton = nullptr;
    CImage panel{std::string("IMAGE_GUI_INFO_PANEL")};
    float panelX = 0, panelY = 0;
    CInfoPanelArea* area = nullptr;
};

} // namespace tilvan
