// Message boxes through SDL, or logged when nobody can see them.
#include "platform/MessageBox.h"
#include "platform/Log.h"

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

namespace Olvarn
{

namespace
{

struct ButtonDef {
    int mId;
    const char* mText;
};

std::vector<ButtonDef> ButtonsFor(int flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    default:
        return {{IDOK, "OK"}};
    }
}

size_t DefaultIndex(int flags, size_t count)
{
    size_t index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return index < count ? index : 0;
}

Uint32 IconFlags(int flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

} // namespace

int MessageBox::DefaultAnswer(int flags)
{
    std::vector<ButtonDef> buttons = ButtonsFor(flags);
    return buttons[DefaultIndex(flags, buttons.size())].mId;
}

int MessageBox::Show(const std::string& text, const std::string& title, int flags, Window* owner)
{
    int answer = DefaultAnswer(flags);
    if (VideoSystem::IsHeadless()) {
        LogWrite(LogLevel::Error, "[%s] %s", Cp1252ToUtf8(title).c_str(), Cp1252ToUtf8(text).c_str());
        return answer;
    }
    std::vector<ButtonDef> buttons = ButtonsFor(flags);
    size_t def = DefaultIndex(flags, buttons.size());
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 f = i == def ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
        if (buttons[i].mId == IDCANCEL || (buttons.size() == 1))
            f |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back({f, buttons[i].mId, buttons[i].mText});
    }
    std::string utf8Title = Cp1252ToUtf8(title), utf8Text = Cp1252ToUtf8(text);
    SDL_MessageBoxData box = {};
    box.flags = IconFlags(flags);
    box.window = owner ? static_cast<SDL_Window*>(owner->Native()) : nullptr;
    box.title = utf8Title.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    int chosen = answer;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        // Say why no box came (an X server without core fonts, no display), then what it said.
        LogWrite(LogLevel::Warning, "cannot show a message box: %s", SDL_GetError());
        LogWrite(LogLevel::Error, "[%s] %s", utf8Title.c_str(), utf8Text.c_str());
        return answer;
    }
    return chosen < 0 ? answer : chosen;
}

} // namespace Olvarn
