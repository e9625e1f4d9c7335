// The level map: background by progress, level dots, caption, and starting the chosen level.
#include "screens/CMapWindow.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "board/CPlayerInfo.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "play/CPlay.h"
#include "records/CProfiles.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameButton.h"
#include "shell/CGuiWindow.h"
#include "shell/GameServices.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

// The map's window, whose buttons report to the map.
class CMapGui : public CGuiWindow
{
public:
    explicit CMapGui(CMapWindow& map) : CGuiWindow("map_window"), map(map) {}
    void OnButtonRelease(int id) override { map.ButtonDepress(id); }

private:
    CMapWindow& map;
};

int ConstantInt(const char* group, const char* key)
{
    int v = 0;
    CConstantsRegistry::Instance().GetInt(group, key, v);
    return v;
}

} // namespace

CMapConfig& MapConfig()
{
    static CMapConfig config;
    return config;
}

void DeclareMapSchema(CXmlDataReader& reader)
{
    for (const char* a : {"image", "pos", "from_level", "to_level"})
        reader.DeclareAttribute("map_window_image", a, "");
    for (const char* a : {"pos", "is_big"})
        reader.DeclareAttribute("map_window_dot", a, "");
    reader.DeclareAttribute("config_map", "text_pos", "");
}

void LoadMapConfig(CXmlDataReader& reader)
{
    CMapConfig& c = MapConfig();
    for (int i = 0, n = reader.GetRowCount("map_window_image"); i < n; ++i) {
        CMapImageRow row;
        CFloatPair pos;
        int from = 0, to = 0;
        reader.GetRow("map_window_image", i, row.image, pos, from, to);
        row.x = static_cast<int>(pos.x);
        row.y = static_cast<int>(pos.y);
        row.first = from - 1 < 0 ? 0 : from - 1;
        row.last = to - 1 < 0 ? GetLevelCount() : to - 1;
        c.images.push_back(row);
    }
    for (int i = 0, n = reader.GetRowCount("map_window_dot"); i < n; ++i) {
        CMapDotRow row;
        CFloatPair pos;
        reader.GetRow("map_window_dot", i, pos, row.big);
        row.x = pos.x;
        row.y = pos.y;
        c.dots.push_back(row);
    }
    for (int i = 0, n = reader.GetRowCount("config_map"); i < n; ++i) {
        CFloatPair pos;
        reader.GetRow("config_map", i, pos);
        c.textX = pos.x;
        c.textY = pos.y;
    }
}

CMapWindow::CMapWindow(CGameStateHost* host, bool newGame) : newGame(newGame)
{
    owner = host;
}

CMapWindow::~CMapWindow() = default;

void CMapWindow::Activate()
{
    CPlayerInfo& player = CPlayerInfo::Instance();
    if (!newGame)
        player.level += 1;
    window = std::make_unique<CMapGui>(*this);
    window->CreateButton(menuButton, "menu");
    window->CreateButton(replayButton, "replay");
    window->CreateButton(playButton, "play");
    if (playButton)
        playButton->blinkFlags = 1;
    if (replayButton && newGame)
        replayButton->SetDisabled(true);
    BuildBackground();
    BuildCaption();
    BuildDots();
    melted = true;
    if (Olvarn::WidgetManager* widgets = services::Widgets())
        window->AddWidgetsToManager(widgets);
    CProfiles& profiles = CProfiles::Instance();
    if (profiles.EnsureCurrentProfile())
        profiles.RaiseMaxLevel(player.level);
}

void CMapWindow::Deactivate()
{
    if (window)
        if (Olvarn::WidgetManager* widgets = services::Widgets())
            window->RemoveWidgetsFromManager(widgets);
}

void CMapWindow::BuildBackground()
{
    images.clear();
    meltImages.clear();
    const int level = CPlayerInfo::Instance().level;
    for (const CMapImageRow& row : MapConfig().images) {
        if (row.first <= level && level <= row.last)
            images.emplace_back(row.image, row.x, row.y);
        else if (!newGame && level == row.last + 1)
            meltImages.emplace_back(row.image, row.x, row.y);
    }
    if (!meltImages.empty() && !melted) {
        meltTime = meltRemaining = CConstantsRegistry::Instance().GetFloat("main_menu", "melt_time");
        services::PlaySound("SOUND_MELT");
    }
}

void CMapWindow::BuildCaption()
{
    int index = lightDot != -1 ? lightDot : CPlayerInfo::Instance().level;
    const CLevelInfo* info = GetLevelInfo(index);
    if (!info) {
        caption = "Error: level is missing!";
        return;
    }
    char text[1025];
    int n =
        std::snprintf(text, sizeof text, GetStringTable().GetString(142).c_str(), index + 1, info->name.Get().c_str());
    caption = n < 0 || n >= static_cast<int>(sizeof text) ? "Level name is too large!" : text;
}

void CMapWindow::ChooseDotImage(Dot& dot)
{
    std::string id = dot.isBig ? "IMAGE_GUI_MAP_BIGDOT" : "IMAGE_GUI_MAP_SMALLDOT";
    if (dot.pressed)
        id += "_PRESS";
    else if (dot.off)
        id += "_OFF";
    else if (dot.over)
        id += "_OVER";
    dot.image = services::FindImage(id);
}

void CMapWindow::BuildDots()
{
    dots.clear();
    const auto& rows = MapConfig().dots;
    const int n = static_cast<int>(rows.size());
    const int p = CPlayerInfo::Instance().level;
    // A start-of-game map offers the levels the profile has reached.
    int first = p;
    if (newGame) {
        CProfile* profile = CProfiles::Instance().EnsureCurrentProfile();
        first = profile ? profile->max_level + 1 : n - 1;
    }
    int last = first + 1;
    while (last < n && !rows[static_cast<size_t>(last)].big)
        ++last;
    bool fadeIn = !newGame && !melted && p >= 0 && p < n && rows[static_cast<size_t>(p)].big;
    int k = 0;
    for (int i = 0; i <= last && i < n; ++i) {
        const CMapDotRow& row = rows[static_cast<size_t>(i)];
        Dot dot;
        dot.isBig = row.big;
        dot.x = row.x;
        dot.y = row.y;
        dot.off = i >= first;
        dot.pressed = i == p;
        if (fadeIn && i > p) {
            dot.showTime = static_cast<float>(ConstantInt("main_menu", "dot_show_time"));
            dot.showRemaining = dot.showTime + static_cast<float>(k++ * ConstantInt("main_menu", "dot_show_delay"));
        }
        ChooseDotImage(dot);
        dots.push_back(dot);
    }
}

bool CMapWindow::HitDot(const Dot& dot, int px, int py)
{
    if (!dot.image)
        return false;
    int w = dot.image->GetWidth(), h = dot.image->GetHeight();
    int left = static_cast<int>(dot.x) - w / 2, top = static_cast<int>(dot.y) - h / 2;
    return left <= px && px < left + w && top <= py && py < top + h;
}

void CMapWindow::UpdateF(float ms)
{
    for (CImage& image : images)
        image.Update(ms);
    for (Dot& dot : dots)
        if (dot.showTime != 0) {
            dot.showRemaining -= ms;
            if (dot.showRemaining <= 0)
                dot.showRemaining = dot.showTime = 0;
        }
    if (meltTime != 0) {
        meltRemaining -= ms;
        if (meltRemaining <= 0) {
            meltRemaining = meltTime = 0;
        } else {
            int alpha = meltRemaining >= meltTime ? 255 : static_cast<int>(std::floor(meltRemaining * 255 / meltTime));
            for (CImage& image : meltImages)
                image.SetAlpha(std::min(alpha, 255));
        }
    }
    if (window)
        window->UpdateImages(ms);
}

void CMapWindow::Draw(Olvarn::Graphics& g)
{
    Olvarn::GraphicsStateSaver saver(g);
    for (CImage& image : images)
        image.Draw(g);
    if (meltTime != 0)
        for (CImage& image : meltImages)
            image.Draw(g);
    if (window)
        window->DrawWindow(g);
    for (const Dot& dot : dots) {
        if (!dot.image)
            continue;
        int x = static_cast<int>(dot.x) - dot.image->GetWidth() / 2;
        int y = static_cast<int>(dot.y) - dot.image->GetHeight() / 2;
        if (dot.showTime == 0) {
            g.DrawImage(dot.image, x, y);
        } else if (dot.showRemaining <= dot.showTime) {
            int alpha = std::min(255, static_cast<int>(std::floor((1 - dot.showRemaining / dot.showTime) * 255)));
            if (alpha > 0) {
                g.SetModulateImages(true);
                g.SetColor(Olvarn::Color(255, 255, 255, alpha));
                g.DrawImage(dot.image, x, y);
                g.SetModulateImages(false);
            }
        }
    }
    if (Olvarn::Font* font = services::FindFont("FONT_DEFAULT")) {
        g.SetFont(font);
        g.SetColor(Olvarn::Color(255, 255, 255, 255));
        float x = MapConfig().textX - static_cast<float>(font->TextWidth(caption)) / 2;
        float y = MapConfig().textY + static_cast<float>(font->Height()) / 2;
        g.DrawString(caption, static_cast<int>(x), static_cast<int>(y));
    }
}

void CMapWindow::StartLevel()
{
    if (!owner)
        return;
    while (!owner->IsLoaded() && !owner->LoadingFailed())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CPlayerInfo& player = CPlayerInfo::Instance();
    if (newGame)
        player.start_level = player.level;
    owner->SetState(new CPlay(owner));
}

void CMapWindow::ButtonDepress(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    if (id == kMenu) {
        if (owner) {
            owner->AbortLoading();
            owner->ReturnToMainMenu();
        }
    } else if (id == kReplay) {
        auto* dialog = new CDialogBuilder("replay_warning", true);
        if (services::RunDialog(dialog, -1, true) == 1)
            return;
        if (!owner)
            return;
        while (!owner->IsLoaded() && !owner->LoadingFailed())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CPlayerInfo::Instance().RestoreLevelStartSnapshot();
        owner->SetState(new CPlay(owner));
    } else if (id == kPlay) {
        StartLevel();
    }
}

void CMapWindow::MouseMove(int x, int y)
{
    if (!newGame)
        return;
    lightDot = -1;
    bool lost = false;
    for (size_t i = 0; i < dots.size(); ++i) {
        Dot& dot = dots[i];
        if (dot.off)
            continue;
        if (lightDot == -1 && HitDot(dot, x, y)) {
            if (!dot.over)
                services::PlaySound("SOUND_MAP_BUTTON_ON");
            dot.over = true;
            lightDot = static_cast<int>(i);
            services::SetAppCursor(1);
        } else if (dot.over) {
            dot.over = false;
            lost = true;
        }
        ChooseDotImage(dot);
    }
    if (lost && lightDot == -1)
        services::SetAppCursor(0);
    BuildCaption();
}

void CMapWindow::MouseDown(int x, int y, int clicks)
{
    if (!newGame || (clicks != 1 && clicks != 2))
        return;
    for (size_t i = 0; i < dots.size(); ++i) {
        Dot& dot = dots[i];
        if (dot.off || !HitDot(dot, x, y))
            continue;
        services::PlaySound("SOUND_BUTTON_CLICK");
        CPlayerInfo::Instance().level = static_cast<int>(i);
        if (clicks == 2 || dot.pressed) {
            StartLevel();
            return;
        }
        for (Dot& other : dots) {
            other.pressed = &other == &dot;
            ChooseDotImage(other);
        }
        BuildBackground();
        BuildCaption();
        return;
    }
}

void CMapWindow::KeyDown(int key)
{
    if (key == kKeyEnter && playButton)
        ButtonDepress(kPlay);
    else if (key == kKeyEscape && menuButton)
        ButtonDepress(kMenu);
}

} // namespace tilvan
