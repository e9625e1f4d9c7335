// The info panel: its rows, its buttons and what a press on each does.
#include "screens/CInfoPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "board/BonusKinds.h"
#include "board/CElementType.h"
#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CXmlDataReader.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Log.h"
#include "screens/COptionsDialog.h"
#include "shell/CGameApp.h"
#include "shell/CHelpWindow.h"
#include "shell/CScreen.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kKeyPause = 19;
constexpr int kKeyEscape = 27;
constexpr int kKeyP = 80;
constexpr int kKeyF1 = 112;
// The panel is laid out for the game's fixed 1024-pixel width.
constexpr float kDesignWidth = 1024;
constexpr float kClockMinimum = 10000;

struct ButtonName {
    const char* name;
    int id;
    int slot;
    bool buy;
};

const ButtonName kButtonNames[] = {
    {"id_next_ice", CInfoPanel::kNextIce, -1, false},
    {"id_menu", CInfoPanel::kMenu, -1, false},
    {"id_help", CInfoPanel::kHelp, -1, false},
    {"id_create", CInfoPanel::kCreate, kSlotPufferfish, false},
    {"id_create_plus", CInfoPanel::kCreatePlus, kSlotPufferfish, true},
    {"id_pause", CInfoPanel::kPause, kSlotSnail, false},
    {"id_pause_plus", CInfoPanel::kPausePlus, kSlotSnail, true},
    {"id_destroy", CInfoPanel::kDestroy, kSlotHammerfish, false},
    {"id_destroy_plus", CInfoPanel::kDestroyPlus, kSlotHammerfish, true},
    {"id_move", CInfoPanel::kMove, kSlotOctopus, false},
    {"id_move_plus", CInfoPanel::kMovePlus, kSlotOctopus, true},
    {"id_minimize", CInfoPanel::kMinimize, -1, false},
    {"id_close", CInfoPanel::kClose, -1, false},
};

const ButtonName* FindName(int id)
{
    for (const ButtonName& n : kButtonNames)
        if (n.id == id)
            return &n;
    return nullptr;
}

Olvarn::Font* PanelFont()
{
    return services::FindFont(CConstantsRegistry::Instance().Get("info_panel", "font"));
}

std::string Format2(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02i", n);
    return text;
}

} // namespace

// --- configuration -----------------------------------------------------------------------------

CInfoPanelConfig& CInfoPanel::Config()
{
    static CInfoPanelConfig config;
    return config;
}

void CInfoPanel::ClearConfig()
{
    Config() = CInfoPanelConfig();
}

int CInfoPanel::ButtonIdOf(const std::string& name)
{
    for (const ButtonName& n : kButtonNames)
        if (name == n.name)
            return n.id;
    return -1;
}

int CInfoPanel::ToolButtonId(int slot)
{
    return slot >= 0 && slot < 4 ? kCreate + 2 * slot : -1;
}

int CInfoPanel::BuyButtonId(int slot)
{
    return slot >= 0 && slot < 4 ? kCreatePlus + 2 * slot : -1;
}

void CInfoPanel::DeclareSchema(CXmlDataReader& reader)
{
    for (const char* a :
         {"id", "pos", "front_image", "image", "press_image", "over_image", "off_image", "size", "text"})
        reader.DeclareAttribute("info_panel_button", a, "");
    for (const char* a : {"id", "text", "text_pos", "info_pos"})
        reader.DeclareAttribute("info_panel_label", a, "");
    for (const char* a : {"id", "pos"})
        reader.DeclareAttribute("info_panel_image", a, "");
    for (const char* a : {"lt_pos", "rb_pos"})
        reader.DeclareAttribute("info_panel_pointrect", a, "");
}

void CInfoPanel::LoadConfig(CXmlDataReader& reader)
{
    CInfoPanelConfig& c = Config();
    for (int i = 0, n = reader.GetRowCount("info_panel_button"); i < n; ++i) {
        std::string name;
        CInfoPanelButtonInfo info;
        CLocalizedText text;
        reader.GetRow("info_panel_button", i, name, info.pos, info.frontImage, info.image, info.pressImage,
                      info.overImage, info.offImage, info.size, text);
        info.id = ButtonIdOf(name);
        if (info.id < 0) {
            // A misspelt id would make a button vanish without a trace.
            Olvarn::LogWrite(
                Olvarn::LogLevel::Warning, "%s: info_panel_button row %i has the unknown id \"%s\" and is skipped",
                reader.Source().empty() ? "info panel rows" : reader.Source().c_str(), i + 1, name.c_str());
            continue;
        }
        info.text = text.Get();
        c.buttons.push_back(info);
    }
    for (int i = 0, n = reader.GetRowCount("info_panel_image"); i < n; ++i) {
        CInfoPanelImageInfo info;
        reader.GetRow("info_panel_image", i, info.id, info.pos);
        c.images.push_back(info);
    }
    for (int i = 0, n = reader.GetRowCount("info_panel_pointrect"); i < n; ++i) {
        CFloatPair lt, rb;
        reader.GetRow("info_panel_pointrect", i, lt, rb);
        c.areaX = static_cast<int>(lt.x);
        c.areaY = static_cast<int>(lt.y);
        c.areaWidth = static_cast<int>(rb.x - lt.x);
        c.areaHeight = static_cast<int>(rb.y - lt.y);
    }
    for (int i = 0, n = reader.GetRowCount("info_panel_label"); i < n; ++i) {
        std::string id;
        CLocalizedText text;
        CInfoPanelLabel label;
        reader.GetRow("info_panel_label", i, id, text, label.textPos, label.infoPos);
        label.text = text.Get();
        if (id == "score")
            c.score = label;
        else if (id == "level")
            c.level = label;
        else if (id == "points")
            c.points = label;
    }
}

void CInfoPanel::CheckConfig()
{
    if (Config().buttons.empty())
        return;
    if (CConstantsRegistry::Instance().Get("info_panel", "font").empty())
        throw std::runtime_error("The info panel's buttons need the constant \"font\" of the group \"info_panel\" "
                                 "(the id of a font resource), and properties/constants.xml has none.");
}

bool CInfoPanel::ButtonRect(int id, int& x, int& y, int& w, int& h)
{
    for (const CInfoPanelButtonInfo& info : Config().buttons) {
        if (info.id != id)
            continue;
        float width = info.size.x, height = info.size.y;
        if (width == 0 && height == 0) {
            if (Olvarn::Image* image = services::FindImage(info.image)) {
                width = static_cast<float>(image->GetCellWidth());
                height = static_cast<float>(image->GetCellHeight());
            }
        }
        x = static_cast<int>(info.pos.x);
        y = static_cast<int>(info.pos.y);
        w = static_cast<int>(width);
        h = static_cast<int>(height);
        return true;
    }
    return false;
}

// --- buttons -----------------------------------------------------------------------------------

CInfoPanelButton::CInfoPanelButton(int id, Olvarn::ButtonListener* listener, int bonusSlot, bool buyButton)
    : CGameButton(id, listener), bonusSlot(bonusSlot), buyButton(buyButton), control(id),
      clock(services::FindImage("IMAGE_GUI_BUTTON_SHADOW"), Olvarn::OlvarnVector2(0, 0))
{
}

void CInfoPanelButton::UpdateFraction(float fraction)
{
    const float ms = fraction * 10;
    control.Update(ms);
    // The creature on the button only moves while the pointer is on a usable button.
    if ((mIsHovered || mIsPressed) && !inactive && !locked) {
        normalLayer.RemoveFlags(CImage::STOP_ANIMATION);
    } else {
        normalLayer.AddFlags(CImage::STOP_ANIMATION);
        normalLayer.ResetTime();
    }
    CGameButton::UpdateFraction(fraction);
    RefreshUse();
}

void CInfoPanelButton::RefreshUse()
{
    if (bonusSlot < 0 || locked)
        return;
    const CPlayerInfo& player = CPlayerInfo::Instance();
    inactive = buyButton ? !player.CanAffordBonus(bonusSlot) : player.GetBonusCount(bonusSlot) <= 0;
    // The snail's clock is the only sign of a running slow-down: its button stays in sight, in its
    // unusable look, until the clock has run out, even when that was the last snail.
    SetVisible(!inactive || clockTotal != 0);
}

void CInfoPanelButton::Draw(Olvarn::Graphics& g)
{
    const bool wasDisabled = mIsDisabled;
    if (inactive || locked)
        mIsDisabled = true;
    CGameButton::Draw(g);
    mIsDisabled = wasDisabled;
    if (clockTotal != 0) {
        Olvarn::GraphicsStateSaver saver(g);
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, 100));
        clock.Draw(g);
    }
    if (bonusSlot >= 0 && !buyButton) {
        if (Olvarn::Font* font = services::FindFont("FONT_DEFAULT")) {
            Olvarn::GraphicsStateSaver saver(g);
            g.SetFont(font);
            g.SetColor(Olvarn::Color(10, 79, 130, 255));
            g.DrawString(Format2(CPlayerInfo::Instance().GetBonusCount(bonusSlot)), 5, 37);
        }
    }
}

void CInfoPanelButton::SetDisabled(bool disabled)
{
    if (!locked)
        CGameButton::SetDisabled(disabled);
}

void CInfoPanelButton::Resize(int x, int y, int width, int height)
{
    CGameButton::Resize(x, y, width, height);
    control.SetPosition(static_cast<float>(x) + static_cast<float>(width) / 2,
                        static_cast<float>(y) + static_cast<float>(height) / 2);
    clock = CImageSector(services::FindImage("IMAGE_GUI_BUTTON_SHADOW"),
                         Olvarn::OlvarnVector2(static_cast<float>(width) / 2, static_cast<float>(height) / 2));
    AdvanceClock(0);
}

void CInfoPanelButton::OnMouseEnter()
{
    control.MouseEnter();
    CGameButton::OnMouseEnter();
}

void CInfoPanelButton::OnMouseLeave()
{
    control.MouseLeave();
    CGameButton::OnMouseLeave();
}

void CInfoPanelButton::OnMouseMove(int x, int y)
{
    control.MouseMove(x, y);
    CGameButton::OnMouseMove(x, y);
}

void CInfoPanelButton::SetClock(float t, float total)
{
    clockLeft = std::max(clockLeft, 0.0f) + t;
    clockTotal = total == -1 ? clockLeft : total;
    AdvanceClock(0);
}

void CInfoPanelButton::AdvanceClock(float ms)
{
    if (clockTotal == 0)
        return;
    clockLeft -= ms;
    clock.SetAngles(static_cast<int>(std::floor(360 - clockLeft * 360 / clockTotal)), 360);
    if (clockLeft <= 0)
        clockLeft = clockTotal = 0;
}

void CInfoPanelButton::StopClock()
{
    clockLeft = std::max(clockLeft, 0.0f);
    clockTotal = 0;
}

CInfoPanelArea::CInfoPanelArea() : control(CInfoPanel::kPearlCountArea) {}

void CInfoPanelArea::UpdateFraction(float fraction)
{
    control.Update(fraction * 10);
}

void CInfoPanelArea::Resize(int x, int y, int width, int height)
{
    Olvarn::Widget::Resize(x, y, width, height);
    control.SetPosition(static_cast<float>(x) + static_cast<float>(width) / 2,
                        static_cast<float>(y) + static_cast<float>(height) / 2);
}

// --- the panel ---------------------------------------------------------------------------------

CInfoPanel::CInfoPanel(CPlay& play) : owner(play)
{
    panelX = kDesignWidth - panel.GetDimensions().x;
    panelY = 0;
    for (const CInfoPanelImageInfo& info : Config().images)
        images.emplace_back(info.id, static_cast<int>(info.pos.x), static_cast<int>(info.pos.y));
}

CInfoPanel::~CInfoPanel()
{
    RemoveButtons();
}

void CInfoPanel::RemoveButtons()
{
    Olvarn::WidgetManager* widgets = services::Widgets();
    if (area) {
        if (widgets)
            widgets->RemoveWidget(area);
        delete area;
        area = nullptr;
    }
    for (CInfoPanelButton* button : buttons) {
        if (widgets)
            widgets->RemoveWidget(button);
        delete button;
    }
    buttons.clear();
    nextButton = closeButton = minimizeButton = clockButton = nullptr;
}

void CInfoPanel::CreateButtons()
{
    Olvarn::WidgetManager* widgets = services::Widgets();
    const CInfoPanelConfig& c = Config();
    area = new CInfoPanelArea();
    area->Resize(c.areaX, c.areaY, c.areaWidth, c.areaHeight);
    if (widgets)
        widgets->AddWidget(area);
    Olvarn::Font* font = PanelFont();
    for (const CInfoPanelButtonInfo& info : c.buttons) {
        const ButtonName* name = FindName(info.id);
        if (!name)
            continue;
        Olvarn::Image* image = services::FindImage(info.image);
        float width = info.size.x, height = info.size.y;
        if (width == 0 && height == 0 && image) {
            width = static_cast<float>(image->GetCellWidth());
            height = static_cast<float>(image->GetCellHeight());
        }
        auto* button = new CInfoPanelButton(info.id, this, name->slot, name->buy);
        button->normalLayer = CImage(info.frontImage);
        if (info.id >= kCreate && button->normalLayer.GetDimensions().x > 0)
            button->normalLayer.SetScale(width / 2 / button->normalLayer.GetDimensions().x);
        if (info.id >= kCreate && info.id <= kMovePlus)
            button->normalLayer.AddFlags(CImage::MIRRORED);
        button->Resize(static_cast<int>(info.pos.x), static_cast<int>(info.pos.y), static_cast<int>(width),
                       static_cast<int>(height));
        button->mButtonImage = image;
        button->mOverImage = services::FindImage(info.overImage);
        button->mDownImage = services::FindImage(info.pressImage);
        button->mDisabledImage = services::FindImage(info.offImage);
        button->SetColor(0, Olvarn::Color(0, 97, 146, 255));
        button->SetColor(1, Olvarn::Color(0, 95, 202, 255));
        button->SetColor(2, Olvarn::Color(0, 157, 206, 128));
        button->mLabel = info.text;
        if (font)
            button->SetFont(font);
        button->SetVisible(true);
        if (widgets)
            widgets->AddWidget(button);
        buttons.push_back(button);
        if (info.id == kNextIce)
            nextButton = button;
        else if (info.id == kClose)
            closeButton = button;
        else if (info.id == kMinimize)
            minimizeButton = button;
        else if (info.id == kPause)
            clockButton = button;
    }
}

void CInfoPanel::Init()
{
    panel = std::string("IMAGE_GUI_INFO_PANEL");
    RemoveButtons();
    CreateButtons();
    CHintRegistry::Instance().ScriptHost().CallFunction("hint_main");
    if (owner.Level().is_bonus())
        SetBonusLevel(true);
    if (clockButton) {
        const float t = std::max(owner.GetPause(), 0.0f);
        clockButton->SetClock(t, std::max(t, kClockMinimum));
    }
}

void CInfoPanel::SetBonusLevel(bool bonus)
{
    for (CInfoPanelButton* button : buttons) {
        if (button->mId == kMenu || button->mId == kHelp)
            continue;
        button->locked = bonus;
        button->SetVisible(!bonus);
    }
}

void CInfoPanel::Update(float ms)
{
    panel.Update(ms);
    for (CImage& image : images)
        image.Update(ms);
    const CLevel& level = owner.Level();
    const int state = level.get_state();
    const bool lock = state == CLevel::ending || state == CLevel::before_start;
    for (CInfoPanelButton* button : buttons) {
        if (!lock && level.is_bonus()) {
            const int id = button->mId;
            if (id == kMenu || id == kHelp || id == kMinimize || id == kClose) {
                button->locked = false;
                button->SetVisible(true);
            }
        } else {
            button->locked = lock;
            button->SetVisible(!lock);
        }
        // A tool that cannot be used stays hidden rather than flashing up until its next update.
        button->RefreshUse();
    }
    if (clockButton && state == CLevel::ending)
        clockButton->StopClock();
    if (nextButton && !nextButton->locked) {
        const bool normal = state == CLevel::normal;
        nextButton->inactive = !normal;
        nextButton->SetVisible(normal);
    }
    if (clockButton)
        clockButton->AdvanceClock(ms);
}

std::string CInfoPanel::ScoreText(int score)
{
    int digits = 1;
    for (int n = score / 10; n != 0; n /= 10)
        ++digits;
    std::string text;
    if (digits < 9)
        text = "^6E99C31" + std::string(static_cast<size_t>(9 - digits), '0');
    return text + "^FFFFFF1" + std::to_string(score);
}

void CInfoPanel::Draw(Olvarn::Graphics& g)
{
    panel.DrawAt(g, static_cast<int>(panelX), static_cast<int>(panelY));
    for (CImage& image : images)
        image.Draw(g);
    Olvarn::Font* font = services::FindFont("FONT_DEFAULT");
    if (!font)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    g.SetFont(font);
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    const CInfoPanelConfig& c = Config();
    const CPlayerInfo& player = CPlayerInfo::Instance();
    auto at = [](const CFloatPair& p, int& x, int& y) {
        x = static_cast<int>(p.x);
        y = static_cast<int>(p.y);
    };
    int x = 0, y = 0;
    at(c.score.textPos, x, y);
    g.DrawString(c.score.text, x, y);
    at(c.score.infoPos, x, y);
    g.DrawTextJustified(ScoreText(player.score), x, y, 0, Olvarn::Graphics::JUSTIFY_LEFT);
    g.SetColor(Olvarn::Color(255, 255, 255, 255));
    at(c.level.textPos, x, y);
    g.DrawString(c.level.text, x, y);
    at(c.level.infoPos, x, y);
    g.DrawString(Format2(player.level + 1), x, y);
    at(c.points.textPos, x, y);
    g.DrawString(c.points.text, x, y);
    at(c.points.infoPos, x, y);
    g.DrawString(Format2(player.points), x, y);
}

CInfoPanelButton* CInfoPanel::FindButton(int id) const
{
    for (CInfoPanelButton* button : buttons)
        if (button->mId == id)
            return button;
    return nullptr;
}

bool CInfoPanel::ClickButton(int id, CCursor& cursor)
{
    CInfoPanelButton* button = FindButton(id);
    if (!button)
        return false;
    int x = 0, y = 0;
    services::LastMousePosition(x, y);
    const bool inert = button->IsInert();
    button->control.MouseClick(x, y, &cursor, inert);
    return !inert;
}

void CInfoPanel::SetClock(float t, float total)
{
    if (clockButton)
        clockButton->SetClock(t, total);
}

void CInfoPanel::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    owner.ButtonDepress(id);
}

void CInfoPanel::UseTool(int slot, int tool, CCursor& cursor)
{
    const int state = cursor.GetState();
    if (state == tool) {
        cursor.SetState(CCursor::free);
        return;
    }
    // A piece in hand stays there.
    if (state == CCursor::element_state || state == CCursor::octopus_element)
        return;
    if (CPlayerInfo::Instance().GetBonusCount(slot) > 0)
        cursor.SetState(tool);
}

void CInfoPanel::OnButton(int id, CCursor& cursor)
{
    CGameApp* app = services::App();
    if (id == kClose && closeButton && !closeButton->IsInert()) {
        // Offsets tuned in the running game are kept; nothing is written when none changed.
        if (!SaveOffsetsFile(""))
            Olvarn::LogWrite(Olvarn::LogLevel::Error, "The offsets file could not be written");
        if (app)
            app->Quit();
        return;
    }
    if (id == kMinimize && minimizeButton && !minimizeButton->IsInert()) {
        if (app)
            app->MinimizeWindow();
        return;
    }
    CPlayerInfo& player = CPlayerInfo::Instance();
    switch (id) {
    case kMenu:
        if (ClickButton(id, cursor))
            services::OpenDialog(new COptionsDialog(&owner, "paused"), COptionsDialog::kDialogId);
        break;
    case kNextIce:
        if (ClickButton(id, cursor)) {
            owner.Level().BringNextElement();
            player.SetFlag(CPlayerInfo::next_ice_used);
            player.AddScore(10, true);
        }
        break;
    case kHelp:
        if (ClickButton(id, cursor)) {
            if (auto* screen = dynamic_cast<CScreen*>(owner.GetOwner()))
                CHelpWindow::Open(screen, true);
        }
        break;
    case kCreatePlus:
    case kPausePlus:
    case kDestroyPlus:
    case kMovePlus:
        if (ClickButton(id, cursor))
            player.BuyBonus((id - kCreatePlus) / 2);
        break;
    case kPause:
        if (ClickButton(id, cursor) && player.GetBonusCount(kSlotSnail) > 0) {
            owner.AddPause(0.5f, kSnailTime);
            SetClock(kSnailTime, -1);
            player.AddBonusCount(kSlotSnail, -1);
            player.SetBonusUsed(kSlotSnail);
        }
        break;
    case kCreate:
    case kDestroy:
    case kMove:
        if (ClickButton(id, cursor)) {
            const int slot = (id - kCreate) / 2;
            UseTool(slot, SlotToCursorState(slot), cursor);
        }
        break;
    default:
        break;
    }
}

void CInfoPanel::KeyDown(int key, CCursor& cursor)
{
    if (key == kKeyEscape || key == kKeyPause || key == kKeyP)
        OnButton(kMenu, cursor);
    else if (key == kKeyF1)
        OnButton(kHelp, cursor);
}

} // namespace tilvan
