// The help window.
#include "shell/CHelpWindow.h"

#include <algorithm>

#include "data/CConstantsRegistry.h"
#include "data/CStringTable.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceManager.h"
#include "shell/CCreditsDialog.h"
#include "shell/CEventImage.h"
#include "shell/CGameButton.h"
#include "shell/CHelpScript.h"
#include "shell/CScreen.h"
#include "shell/CText.h"
#include "shell/GameServices.h"
#include "shell/GameTiming.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr const char* kGroup = "Help";
constexpr const char* kConstants = "help_window";
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeyF1 = 112;
constexpr int kKeyF12 = 123;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

CHelpWindow* gCurrent = nullptr;

// 0 for an empty table; else the first id just above a used one that is free (never one below
// the smallest).
template <typename Table> int NextId(const Table& table)
{
    for (auto it = table.begin(); it != table.end(); ++it)
        if (table.find(it->first + 1) == table.end())
            return it->first + 1;
    return 0;
}

// Before the first entry of a greater layer, so an entry goes after those already on its layer.
template <typename T> void InsertByLayer(std::list<T*>& list, T* item)
{
    auto it = std::find_if(list.begin(), list.end(), [&](T* other) { return other->layer > item->layer; });
    list.insert(it, item);
}

} // namespace

CHelpWindow::CHelpWindow(CScreen* owner_, bool firstPage_)
    : Olvarn::Dialog(nullptr, nullptr, kDialogId, true, "", "", "", BUTTONS_NONE), firstPage(firstPage_), owner(owner_)
{
    if (Olvarn::ResourceManager* resources = services::Resources())
        resources->LoadGroup(kGroup);
    services::PlaySound("SOUND_WINDOW_OPEN");
    gCurrent = this;
    if (owner)
        owner->AddPause(true);
    Resize(0, 0, kWidth, kHeight);
    MakeButtons();
    script = std::make_unique<CHelpScript>();
    RunScript();
}

CHelpWindow::~CHelpWindow()
{
    services::PlaySound("SOUND_WINDOW_CLOSE");
    for (CGameButton* button : {okButton, creditsButton, page1Button, page2Button}) {
        RemoveWidget(button);
        delete button;
    }
    // The pictures' actions hold values of the script's state: they go first.
    ClearPage();
    script.reset();
    // At program exit the screens go before the dialogs; a screen that is gone holds no pause.
    if (owner && services::IsLiveScreen(owner))
        owner->AddPause(false);
    // A window opened in this one's place keeps the group's pictures it draws.
    if (gCurrent != this)
        return;
    gCurrent = nullptr;
    if (Olvarn::ResourceManager* resources = services::Resources())
        resources->UnloadGroup(kGroup);
}

CHelpWindow* CHelpWindow::Open(CScreen* owner, bool firstPage)
{
    auto* window = new CHelpWindow(owner, firstPage);
    services::OpenDialog(window, kDialogId);
    return window;
}

int CHelpWindow::Run(CScreen* owner, bool firstPage)
{
    return services::RunDialog(new CHelpWindow(owner, firstPage), kDialogId, true);
}

CHelpWindow* CHelpWindow::Current()
{
    return gCurrent;
}

void CHelpWindow::MakeButtons()
{
    okButton = MakeButton(BUTTON_OK, "ok");
    creditsButton = MakeButton(BUTTON_CREDITS, "credits");
    page1Button = MakeButton(BUTTON_PAGE1, "page1");
    page2Button = MakeButton(BUTTON_PAGE2, "page2");
    page1Button->SetDisabled(firstPage);
    page2Button->SetDisabled(!firstPage);
}

CGameButton* CHelpWindow::MakeButton(int id, const std::string& name)
{
    auto* button = new CGameButton(id, this);
    button->SetFont(services::FindFont("FONT_DEFAULT"));
    button->SetColor(0, Olvarn::Color(0, 97, 146));
    button->SetColor(1, Olvarn::Color(0, 95, 202));
    button->SetColor(2, Olvarn::Color(0, 157, 206, 128));
    button->mButtonImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON");
    button->mOverImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_OVER");
    button->mDownImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_PRESS");
    button->mDisabledImage = services::FindImage("IMAGE_GUI_STANDARDBUTTON_OFF");
    CConstantsRegistry& constants = CConstantsRegistry::Instance();
    button->mLabel = Localize(constants.Get(kConstants, name + "_text"));
    button->SetVisible(true);
    int height = button->mButtonImage ? button->mButtonImage->GetHeight() : 0;
    int width = button->mButtonImage ? button->mButtonImage->GetWidth() : 0;
    button->Resize(0, 0, width, height);
    AddWidget(button);
    int x = 0, y = 0;
    constants.GetInt(kConstants, name + "_x", x);
    constants.GetInt(kConstants, name + "_y", y);
    constants.GetInt(kConstants, name + "_width", width);
    button->Resize(x, y, width, height);
    return button;
}

CGameButton* CHelpWindow::Button(int id) const
{
    switch (id) {
    case BUTTON_OK:
        return okButton;
    case BUTTON_CREDITS:
        return creditsButton;
    case BUTTON_PAGE1:
        return page1Button;
    case BUTTON_PAGE2:
        return page2Button;
    default:
        return nullptr;
    }
}

void CHelpWindow::RunScript()
{
    script->Run();
    StartPage();
}

void CHelpWindow::StartPage()
{
    script->CallFunction(firstPage ? "init" : "second_init", this);
}

void CHelpWindow::ClearPage()
{
    imageDrawList.clear();
    textDrawList.clear();
    images.clear();
    texts.clear();
    removedImages.clear();
    removedTexts.clear();
}

void CHelpWindow::ShowPage(bool first)
{
    if (first == firstPage)
        return;
    firstPage = first;
    ClearPage();
    page1Button->SetDisabled(firstPage);
    page2Button->SetDisabled(!firstPage);
    StartPage();
}

void CHelpWindow::RestartScript()
{
    ClearPage();
    RunScript();
}

int CHelpWindow::AddImage(const std::string& imageId, int layer, const Olvarn::OlvarnVector2& pos, float angle)
{
    int id = NextId(images);
    auto image = std::make_unique<CEventImage>(imageId, layer, pos, angle);
    CEventImage* added = image.get();
    images.emplace(id, std::move(image));
    InsertByLayer(imageDrawList, added);
    return id;
}

CEventImage* CHelpWindow::GetImage(int id)
{
    auto it = images.find(id);
    return it == images.end() ? nullptr : it->second.get();
}

void CHelpWindow::RemoveImage(int id)
{
    auto it = images.find(id);
    if (it == images.end())
        return;
    imageDrawList.remove(it->second.get());
    removedImages.insert(id);
}

void CHelpWindow::RemoveImage(CEventImage* image)
{
    if (!image)
        return;
    imageDrawList.remove(image);
    for (const auto& entry : images)
        if (entry.second.get() == image)
            removedImages.insert(entry.first);
}

int CHelpWindow::AddText(const std::string& text, const Olvarn::OlvarnVector2& pos, const Olvarn::Color& color,
                         const std::string& fontId)
{
    int id = NextId(texts);
    auto made = std::make_unique<help::CText>(text, pos, color, fontId, kTopLayer);
    help::CText* added = made.get();
    if (!texts.emplace(id, std::move(made)).second)
        return -1;
    InsertByLayer(textDrawList, added);
    return id;
}

int CHelpWindow::AddText(const std::string& text, const Olvarn::OlvarnVector2& pos, const Olvarn::Color& color,
                         const std::string& fontId, const Olvarn::OlvarnVector2& size, int layer)
{
    int id = NextId(texts);
    auto made = std::make_unique<help::CText>(text, pos, color, fontId, layer);
    made->SetBox(pos, size);
    help::CText* added = made.get();
    if (!texts.emplace(id, std::move(made)).second)
        return -1;
    InsertByLayer(textDrawList, added);
    return id;
}

help::CText* CHelpWindow::GetText(int id)
{
    auto it = texts.find(id);
    return it == texts.end() ? nullptr : it->second.get();
}

void CHelpWindow::RemoveText(int id)
{
    auto it = texts.find(id);
    if (it == texts.end())
        return;
    textDrawList.remove(it->second.get());
    removedTexts.insert(id);
}

void CHelpWindow::RemoveText(help::CText* text)
{
    if (!text)
        return;
    textDrawList.remove(text);
    for (const auto& entry : texts)
        if (entry.second.get() == text)
            removedTexts.insert(entry.first);
}

void CHelpWindow::CallActionFunction(const std::string& name, CEventImage& picture, const luabind::object& argument,
                                     bool zeroWithoutArgument)
{
    lua_State* L = script->State();
    luabind::object value = argument;
    if (!value.is_valid()) {
        if (zeroWithoutArgument) {
            value = luabind::object(L, 0);
        } else {
            lua_pushnil(L);
            value = luabind::object(luabind::from_stack(L, -1));
            lua_pop(L, 1);
        }
    }
    script->CallFunction(name.c_str(), this, &picture, value);
}

void CHelpWindow::OnAttached(Olvarn::WidgetManager* manager)
{
    Olvarn::Widget::OnAttached(manager);
}

void CHelpWindow::OnDetached(Olvarn::WidgetManager* manager)
{
    Olvarn::Widget::OnDetached(manager);
}

void CHelpWindow::Update()
{
    Olvarn::Dialog::Update();
    const float ms = kUpdateStepMs;
    // A picture a call adds now joins the table without disturbing this walk.
    for (auto& entry : images)
        entry.second->Advance(ms);
    for (int id : removedImages)
        images.erase(id);
    removedImages.clear();
    for (int id : removedTexts)
        texts.erase(id);
    removedTexts.clear();
    Invalidate();
}

void CHelpWindow::Draw(Olvarn::Graphics& g)
{
    auto image = imageDrawList.begin();
    auto text = textDrawList.begin();
    while (image != imageDrawList.end() || text != textDrawList.end()) {
        if (text == textDrawList.end() || (image != imageDrawList.end() && (*image)->layer <= (*text)->layer)) {
            (*image++)->DrawPicture(g);
        } else {
            (*text++)->Draw(g);
        }
    }
}

void CHelpWindow::OnKeyDown(int key)
{
    if (key == kKeyEnter || key == kKeyEscape || key == kKeyF1)
        OnButtonRelease(BUTTON_OK);
    else if (key == kKeyF12)
        RestartScript();
}

void CHelpWindow::OnButtonRelease(int id)
{
    services::PlaySound("SOUND_BUTTON_CLICK");
    switch (id) {
    case BUTTON_OK:
        mResult = 0;
        services::CloseDialog(this);
        break;
    case BUTTON_CREDITS:
        services::RunDialog(new CCreditsDialog(), CCreditsDialog::kDialogId, true);
        if (Olvarn::WidgetManager* widgets = services::Widgets())
            widgets->SetFocusWidget(this);
        break;
    case BUTTON_PAGE1:
        ShowPage(true);
        break;
    case BUTTON_PAGE2:
        ShowPage(false);
        break;
    default:
        break;
    }
}

} // namespace tilvan
