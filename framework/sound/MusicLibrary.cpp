// The music engine the stand-ins share the audio device through.
#include "sound/MusicLibrary.h"

#include <cstdio>

#include "platform/AudioDevice.h"
#include "platform/Log.h"
#include "platform/MusicEngine.h"

namespace Olvarn
{

MusicLibrary::MusicLibrary() = default;
MusicLibrary::~MusicLibrary() = default;

bool MusicLibrary::StartEngine()
{
    std::shared_ptr<AudioDevice> device = AudioDevice::Acquire();
    if (!device) {
        LogWrite(LogLevel::Warning, "sound: no audio device, music stays silent");
        return false;
    }
    mEngine = std::make_unique<MusicEngine>(std::move(device));
    return true;
}

} // namespace Olvarn
