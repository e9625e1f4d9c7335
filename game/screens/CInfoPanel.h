// The side panel of a level: the level's name, score, pearls, the four tool buttons with their
// counts, the next-piece button, the menu button and the snail's clock.
#pragma once

#include <memory>
#include <vector>

#include "play/CPlay.h"
#include "shell/CImage.h"
#include "widgets/ButtonListener.h"

namespace tilvan
{

class CGameButton;

class CInfoPanel : public CPlayPanel, public Olvarn::ButtonListener
{
public:
    enum EButton { kMenu = 2, kFirstTool = 3, kNextIce = 7 };
    static constexpr int kLeft = 880;

    explicit CInfoPanel(CPlay& play);
    ~CInfoPanel() override;

    void Init() override;
    void SetBonusLevel(bool bonus) override { bonusLevel = bonus; }
    void Update(float ms) override;
    void Draw(Olvarn::Graphics& g) override;
    void OnButton(int id, CCursor& cursor) override;
    void KeyDown(int key, CCursor& cursor) override;
    void OnButtonRelease(int id) override;

    // Where a button sits on the screen (x, y, width, height); false for an unknown id.
    static bool ButtonRect(int id, int& x, int& y, int& w, int& h);

private:
    void OpenMenu();
    void OpenHelp();

    CPlay& play;
    bool bonusLevel = false;
    std::vector<CGameButton*> buttons;
    CImage back{std::string("IMAGE_GUI_INFO_PANEL")};
    std::vector<CImage> toolImages;
};

} // namespace tilvan
