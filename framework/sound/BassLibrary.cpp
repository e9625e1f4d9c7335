// The built-in BASS stand-in: created with the first use, deleted with the last.
#include "sound/BassLibrary.h"

#include <cstdio>
#include <mutex>

#include "platform/AudioDevice.h"
#include "platform/Log.h"
#include "platform/MusicEngine.h"

namespace Olvarn
{

BassLibrary* BASS_INSTANCE = nullptr;

namespace
{
std::mutex gBassMutex;
int gBassUses = 0;
} // namespace

BassLibrary* BassLibrary::TakeUse()
{
    std::lock_guard<std::mutex> lock(gBassMutex);
    if (!BASS_INSTANCE) {
        std::shared_ptr<AudioDevice> device = AudioDevice::Acquire();
        if (!device) {
            LogWrite(LogLevel::Warning, "sound: no audio device, music stays silent");
            return nullptr;
        }
        auto* library = new BassLibrary();
        library->mEngine = std::make_unique<MusicEngine>(std::move(device));
        BASS_INSTANCE = library;
    }
    ++gBassUses;
    return BASS_INSTANCE;
}

void BassLibrary::GiveBackUse()
{
    std::lock_guard<std::mutex> lock(gBassMutex);
    if (--gBassUses <= 0) {
        gBassUses = 0;
        delete BASS_INSTANCE;
        BASS_INSTANCE = nullptr;
    }
}

int BassLibrary::UseCount()
{
    std::lock_guard<std::mutex> lock(gBassMutex);
    return gBassUses;
}

BassLibrary::~BassLibrary() = default;

} // namespace Olvarn
