// The info panel: texts of the level, the tool buttons and what a press on each does.
#include "screens/CInfoPanel.h"

#include <string>

#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "data/CLevelInfo.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "screens/COptionsDialog.h"
#include "shell/CGameButton.h"
#include "shell/CHelpWindow.h"
#include "shell/CScreen.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

// Tools in slot order, each button 56 pixels below the last.
const char* const kToolImages[] = {"IMAGE_GUI_TOOL_PUFFERFISH", "IMAGE_GUI_TOOL_SNAIL", "IMAGE_GUI_TOOL_HAMMERFISH",
                                   "IMAGE_GUI_TOOL_OCTOPUS"};
constexpr int kToolTop = 260;
constexpr int kToolStep = 64;
constexpr int kButtonSize = 56;
constexpr int kKeyEscape = 27;
constexpr int kKeySpaceNext = 0x4E; // N
constexpr int kKeyF1 = 112;

Olvarn::Image* Find(const char* id)
{
    return services::FindImage(id);
}

} // namespace

bool CInfoPanel::ButtonRect(int id, int& x, int& y, int& w, int& h)
{
    w = h = kButtonSize;
    if (id >= kFirstTool && id < kFirstTool + 4) {
        x = kLeft + 10 + ((id - kFirstTool) % 2) * kToolStep;
        y = kToolTop + ((id - kFirstTool) / 2) * kToolStep;
        return true;
    }
    if (id == kNextIce) {
        x = kLeft + 10;
        y = kToolTop + 2 * kToolStep + 10;
        w = 2 * kToolStep - 8;
        return true;
    }
    if (id == kMenu) {
        x = kLeft + 10;
        y = 700;
        w = 2 * kToolStep - 8;
        h = 40;
        return true;
    }
    return false;
}

CInfoPanel::CInfoPanel(CPlay& play) : play(play)
{
    for (int id : {int(kMenu), int(kFirstTool), kFirstTool + 1, kFirstTool + 2, kFirstTool + 3, int(kNextIce)}) {
        auto* button = new CGameButton(id, this);
        bool tool = id >= kFirstTool && id < kNextIce;
        button->mButtonImage = Find(tool ? "IMAGE_GUI_TOOL_BUTTON" : "IMAGE_GUI_PANEL_BUTTON");
        button->mOverImage = Find(tool ? "IMAGE_GUI_TOOL_BUTTON_OVER" : "IMAGE_GUI_PANEL_BUTTON_OVER");
        button->mDownImage = Find(tool ? "IMAGE_GUI_TOOL_BUTTON_PRESS" : "IMAGE_GUI_PANEL_BUTTON_PRESS");
        button->mDisabledImage = Find(tool ? "IMAGE_GUI_TOOL_BUTTON_OFF" : "IMAGE_GUI_PANEL_BUTTON_OFF");
        if (Olvarn::Font* font = services::FindFont("FONT_DEFAULT"))
            button->SetFont(font);
        button->mLabel = id == kMenu ? "Menu" : id == kNextIce ? "Next" : "";
        int x = 0, y = 0, w = 0, h = 0;
        ButtonRect(id, x, y, w, h);
        button->Resize(x, y, w, h);
        buttons.push_back(button);
        if (Olvarn::WidgetManager* widgets = services::Widgets())
            widgets->AddWidget(button);
    }
    for (const char* id : kToolImages)
        toolImages.emplace_back(id);
}

CInfoPanel::~CInfoPanel()
{
    for (CGameButton* button : buttons) {
        if (Olvarn::WidgetManager* widgets = services::Widgets())
            widgets->RemoveWidget(button);
        delete button;
    }
}

void CInfoPanel::Init() {}

void CInfoPanel::Update(float ms)
{
    const CPlayerInfo& player = CPlayerInfo::Instance();
    for (CGameButton* button : buttons) {
        int id = button->mId;
        if (id >= kFirstTool && id < kNextIce)
            button->SetDisabled(player.GetBonusCount(id - kFirstTool) == 0);
        if (id == kNextIce)
            button->SetDisabled(bonusLevel);
    }
    for (CImage& image : toolImages)
        image.Update(ms);
}

void CInfoPanel::Draw(Olvarn::Graphics& g)
{
    back.DrawAt(g, kLeft - 3, 0);
    const CPlayerInfo& player = CPlayerInfo::Instance();
    for (int slot = 0; slot < 4; ++slot) {
        int x = 0, y = 0, w = 0, h = 0;
        ButtonRect(kFirstTool + slot, x, y, w, h);
        CImage& image = toolImages[static_cast<size_t>(slot)];
        if (image.GetImage())
            image.DrawAt(g, x + (w - static_cast<int>(image.GetDimensions().x)) / 2,
                         y + (h - static_cast<int>(image.GetDimensions().y)) / 2);
    }
    Olvarn::Font* font = services::FindFont("FONT_DEFAULT");
    if (!font)
        return;
    g.SetFont(font);
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    const CLevel& level = play.Level();
    const CLevelInfo* def = level.Definition();
    g.DrawString("Level " + std::to_string(level.get_number()), kLeft + 12, 40);
    if (def)
        g.DrawString(def->name.Get(), kLeft + 12, 40 + font->Height());
    g.DrawString("Score", kLeft + 12, 120);
    g.SetColor(Olvarn::Color(255, 230, 120, 255));
    g.DrawString(std::to_string(player.score), kLeft + 12, 120 + font->Height());
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    g.DrawString("Pearls " + std::to_string(player.points), kLeft + 12, 190);
    if (level.is_bonus())
        g.DrawString("Time " + std::to_string(static_cast<int>(level.GetTimeLeft() / 1000)), kLeft + 12, 225);
    else if (play.GetPause() > 0)
        g.DrawString("Slow " + std::to_string(static_cast<int>(play.GetPause() / 1000)), kLeft + 12, 225);
    for (int slot = 0; slot < 4; ++slot) {
        int x = 0, y = 0, w = 0, h = 0;
        ButtonRect(kFirstTool + slot, x, y, w, h);
        g.DrawString(std::to_string(player.GetBonusCount(slot)), x + w - 14, y + h - 4);
    }
}

void CInfoPanel::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    play.ButtonDepress(id);
}

void CInfoPanel::OnButton(int id, CCursor& cursor)
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    CLevel& level = play.Level();
    if (id == kMenu) {
        OpenMenu();
        return;
    }
    if (id == kNextIce) {
        if (!level.is_bonus()) {
            level.BringNextElement();
            player.SetFlag(CPlayerInfo::next_ice_used);
        }
        return;
    }
    if (id < kFirstTool || id >= kNextIce)
        return;
    const int slot = id - kFirstTool;
    if (player.GetBonusCount(slot) == 0 || level.get_state() == CLevel::ending || !level.IsStarted())
        return;
    if (slot == kSlotSnail) {
        play.AddPause(0.5f, 10000);
        player.AddBonusCount(slot, -1);
        player.SetBonusUsed(slot);
        return;
    }
    // A piece in hand stays there; the same tool again puts it away.
    if (cursor.IsCarrying())
        return;
    const int tool = SlotToCursorState(slot);
    cursor.SetState(cursor.GetState() == tool ? CCursor::free : tool);
}

void CInfoPanel::OpenMenu()
{
    // The options pause the level while they are open and lead back to it or to the main menu.
    services::OpenDialog(new COptionsDialog(&play, "paused"), COptionsDialog::kDialogId);
}

void CInfoPanel::OpenHelp()
{
    if (auto* screen = dynamic_cast<CScreen*>(play.GetOwner()))
        CHelpWindow::Open(screen, true);
}

void CInfoPanel::KeyDown(int key, CCursor& cursor)
{
    if (key == kKeyEscape)
        OnButton(kMenu, cursor);
    else if (key == kKeySpaceNext)
        OnButton(kNextIce, cursor);
    else if (key == kKeyF1)
        OpenHelp();
}

} // namespace tilvan
