// The help window: a full-screen modal picture book whose pages the script "scripts/help.lua" lays
// out and animates in a Lua state of its own, with OK, credits and two page buttons.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <luabind/object.hpp>

#include "core/Color.h"
#include "core/Vector2.h"
#include "widgets/Dialog.h"

namespace tilvan
{

class CEventImage;
class CGameButton;
class CHelpScript;
class CScreen;
namespace help
{
class CText;
}

class CHelpWindow : public Olvarn::Dialog
{
public:
    static constexpr int kDialogId = 5;
    enum EButton { BUTTON_CREDITS = 0, BUTTON_OK = 1, BUTTON_PAGE1 = 2, BUTTON_PAGE2 = 3 };
    // Texts without a layer lie above every picture of a lower layer.
    static constexpr int kTopLayer = 99999;

    // `owner` (may be null) stays paused while the window lives. The first page is the one the
    // script's "init" builds, the second the one of "second_init".
    CHelpWindow(CScreen* owner, bool firstPage);
    ~CHelpWindow() override;

    // Opens a help window over `owner`: registered with the application under its own id and
    // focused. The application deletes it once it is closed.
    static CHelpWindow* Open(CScreen* owner, bool firstPage);
    // The same, run modally; returns when the window is closed.
    static int Run(CScreen* owner, bool firstPage);
    // The open help window, null when there is none.
    static CHelpWindow* Current();

    // What the script calls. Ids count from 0, reusing the first free id above a used one.
    int AddImage(const std::string& imageId, int layer, const Olvarn::OlvarnVector2& pos, float angle);
    CEventImage* GetImage(int id);
    // Removed pictures and texts vanish at once; their entries go at the next update.
    void RemoveImage(int id);
    void RemoveImage(CEventImage* image);
    int AddText(const std::string& text, const Olvarn::OlvarnVector2& pos, const Olvarn::Color& color,
                const std::string& fontId);
    int AddText(const std::string& text, const Olvarn::OlvarnVector2& pos, const Olvarn::Color& color,
                const std::string& fontId, const Olvarn::OlvarnVector2& size, int layer = kTopLayer);
    help::CText* GetText(int id);
    void RemoveText(int id);
    void RemoveText(help::CText* text);

    // A delayed call of an action: the global function with (window, picture, argument).
    void CallActionFunction(const std::string& name, CEventImage& picture, const luabind::object& argument,
                            bool zeroWithoutArgument);
    // Drops the page and runs the script again from its file, on the same page.
    void RestartScript();

    void OnAttached(Olvarn::WidgetManager* manager) override;
    void OnDetached(Olvarn::WidgetManager* manager) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void OnKeyDown(int key) override;
    void OnMouseDown(int x, int y, int clickCode) override {}
    void OnButtonRelease(int id) override;

    bool IsFirstPage() const { return firstPage; }
    CGameButton* Button(int id) const;
    CHelpScript& Script() { return *script; }
    const std::multimap<int, std::unique_ptr<CEventImage>>& Images() const { return images; }
    const std::map<int, std::unique_ptr<help::CText>>& Texts() const { return texts; }

private:
    void MakeButtons();
    CGameButton* MakeButton(int id, const std::string& name);
    void RunScript();
    void StartPage();
    void ClearPage();
    void ShowPage(bool first);

    bool firstPage;
    std::multimap<int, std::unique_ptr<CEventImage>> images;
    std::list<CEventImage*> imageDrawList;
    std::set<int> removedImages;
    std::map<int, std::unique_ptr<help::CText>> texts;
    std::list<help::CText*> textDrawList;
    std::set<int> removedTexts;
    CGameButton* okButton = nullptr;
    CGameButton* creditsButton = nullptr;
    CGameButton* page1Button = nullptr;
    CGameButton* page2Button = nullptr;
    CScreen* owner;
    std::unique_ptr<CHelpScript> script;
};

} // namespace tilvan
