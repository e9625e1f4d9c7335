// What fonts and the resource manager ask of the program above them: image and sound loading and
// the fatal message. The application implements it; resources never include the application.
#pragma once

#include <string>

#include "graphics/GraphicsHost.h"

namespace Olvarn
{

class DDImage;
class SoundManager;
template <typename T> class TRect;
using Rect = TRect<int>;

class ResourceHost : public GraphicsHost
{
public:
    // A display image read from the file (with its alpha companion), or null; the caller owns it.
    virtual DDImage* LoadImageFile(const std::string& path) = 0;
    // A display image with the same picture; the caller owns it.
    virtual DDImage* DuplicateImage(MemoryImage* image) = 0;
    // The sound manager sounds are loaded into; null without sound.
    virtual SoundManager* GetSoundManager() = 0;
    virtual void ShowFatalMessage(const std::string& text) = 0;
};

ResourceHost* GetResourceHost();
void SetResourceHost(ResourceHost* host);

} // namespace Olvarn
