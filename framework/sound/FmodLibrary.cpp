// The built-in FMOD stand-in: created with the first use, deleted with the last.
#include "sound/FmodLibrary.h"

#include <cstdio>
#include <mutex>

#include "platform/AudioDevice.h"
#include "platform/Log.h"
#include "platform/MusicEngine.h"

namespace Olvarn
{

FmodLibrary* FMOD_INSTANCE = nullptr;

namespace
{
std::mutex gFmodMutex;
int gFmodUses = 0;
} // namespace

FmodLibrary* FmodLibrary::TakeUse()
{
    std::lock_guard<std::mutex> lock(gFmodMutex);
    if (!FMOD_INSTANCE) {
        std::shared_ptr<AudioDevice> device = AudioDevice::Acquire();
        if (!device) {
            LogWrite(LogLevel::Warning, "sound: no audio device, music stays silent");
            return nullptr;
        }
        auto* library = new FmodLibrary();
        library->mEngine = std::make_unique<MusicEngine>(std::move(device));
        FMOD_INSTANCE = library;
    }
    ++gFmodUses;
    return FMOD_INSTANCE;
}

void FmodLibrary::GiveBackUse()
{
    std::lock_guard<std::mutex> lock(gFmodMutex);
    if (--gFmodUses <= 0) {
        gFmodUses = 0;
        delete FMOD_INSTANCE;
        FMOD_INSTANCE = nullptr;
    }
}

int FmodLibrary::UseCount()
{
    std::lock_guard<std::mutex> lock(gFmodMutex);
    return gFmodUses;
}

FmodLibrary::~FmodLibrary() = default;

} // namespace Olvarn
