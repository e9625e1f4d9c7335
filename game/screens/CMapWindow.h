// The level map between levels: a background that changes with the player's progress, a row of
// level dots, the current level's caption and the buttons play, replay and menu.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/CGameState.h"
#include "shell/CImage.h"

namespace Olvarn
{
class Image;
}

namespace tilvan
{

class CGameButton;
class CGuiWindow;
class CXmlDataReader;

struct CMapImageRow {
    std::string image;
    int x = 0, y = 0;
    int first = 0, last = 0;
};

struct CMapDotRow {
    float x = 0, y = 0;
    bool big = false;
};

struct CMapConfig {
    std::vector<CMapImageRow> images;
    std::vector<CMapDotRow> dots;
    float textX = 512, textY = 60;
};
CMapConfig& MapConfig();
void DeclareMapSchema(CXmlDataReader& reader);
void LoadMapConfig(CXmlDataReader& reader);

class CMapWindow : public CGameState
{
public:
    static constexpr int kClassId = 2;
    enum EButton { kMenu = 0, kReplay = 1, kPlay = 2 };

    struct Dot {
        bool isBig = false;
        float x = 0, y = 0;
        bool over = false, pressed = false, off = false;
        Olvarn::Image* image = nullptr;
        float showRemaining = 0, showTime = 0;
    };

    CMapWindow(CGameStateHost* owner, bool newGame);
    ~CMapWindow() override;

    int GetClassId() const override { return kClassId; }
    // The "map" row; a loaded map is activated at once, on the level it was showing.
    int Save() override;
    void Load(int row) override;
    void Activate() override;
    void Deactivate() override;
    void Draw(Olvarn::Graphics& g) override;
    void UpdateF(float ms) override;
    void ButtonDepress(int id) override;
    void MouseDown(int x, int y, int clicks) override;
    void MouseMove(int x, int y) override;
    void KeyDown(int key) override;
    bool IsSaveable() const override { return !newGame; }

    const std::vector<Dot>& Dots() const { return dots; }
    const std::string& Caption() const { return caption; }
    // Where a dot is hit; false for a dot without picture.
    static bool HitDot(const Dot& dot, int px, int py);
    void StartLevel();

private:
    void BuildBackground();
    void BuildCaption();
    void BuildDots();
    void ChooseDotImage(Dot& dot);

    std::unique_ptr<CGuiWindow> window;
    int lightDot = -1;
    bool newGame;
    bool melted = false;
    float meltRemaining = 0, meltTime = 0;
    std::string caption;
    std::vector<CImage> images;
    std::vector<CImage> meltImages;
    std::vector<Dot> dots;
    CGameButton* menuButton = nullptr;
    CGameButton* playButton = nullptr;
    CGameButton* replayButton = nullptr;
};

} // namespace tilvan
