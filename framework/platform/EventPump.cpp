// The SDL event pump: window events of the main window and process termination requests.
#include "platform/EventPump.h"

#include <SDL.h>

#include "platform/Process.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

namespace Olvarn
{

namespace
{

AppMessage Record(AppMessageKind kind, int64_t param1 = 0, int64_t param2 = 0)
{
    AppMessage message;
    message.mKind = kind;
    message.mParam1 = param1;
    message.mParam2 = param2;
    return message;
}

void TranslateWindowEvent(const SDL_WindowEvent& event, const Window& window, std::vector<AppMessage>& out)
{
    int64_t size = (window.Width() & 0xFFFF) | (static_cast<int64_t>(window.Height() & 0xFFFF) << 16);
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(Record(AppMessageKind::Close));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(Record(AppMessageKind::Activate, 1));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(Record(AppMessageKind::Activate, 0));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back(Record(AppMessageKind::Size, kSizeMinimized, size));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back(Record(AppMessageKind::Size, kSizeRestored, size));
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back(Record(AppMessageKind::Size, kSizeMaximized, size));
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back(Record(AppMessageKind::Move, 0, (event.data1 & 0xFFFF) | (int64_t(event.data2 & 0xFFFF) << 16)));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back(Record(AppMessageKind::Paint));
        break;
    default:
        break;
    }
}

} // namespace

void EventPump::Poll(const Window* mainWindow, std::vector<AppMessage>& out)
{
    if (Process::TakeTerminationRequest())
        out.push_back(Record(AppMessageKind::EndSession));
    if (!VideoSystem::IsRunning())
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            out.push_back(Record(AppMessageKind::Close));
        } else if (event.type == SDL_WINDOWEVENT && mainWindow && event.window.windowID == mainWindow->Id()) {
            TranslateWindowEvent(event.window, *mainWindow, out);
        }
    }
}

} // namespace Olvarn
