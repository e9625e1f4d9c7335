// What images and the display device ask of the program above them. The application implements it;
// graphics never includes the application.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Olvarn
{

class Clock;
class CriticalSection;
class DDInterface;
class MemoryImage;

class GraphicsHost
{
public:
    virtual ~GraphicsHost() = default;

    // The registry of live software images, guarded by the lock the display device hands in.
    virtual void RegisterImage(MemoryImage* image) = 0;
    virtual void UnregisterImage(MemoryImage* image) = 0;
    virtual void SetImageSetLock(CriticalSection* lock) = 0;
    // Drops the textures the hardware renderer keeps for the image.
    virtual void ReleaseImageTextures(MemoryImage* image) = 0;

    virtual bool Is3DEnabled() = 0;
    // The display device of the main window; null before the display starts.
    virtual DDInterface* GetDisplayDevice() = 0;
    // 512 entries, entry i = min(i, 255).
    virtual const unsigned char* GetSaturationTable() = 0;

    // Display state that changes while the device runs.
    virtual bool InSystemPopup() = 0;
    virtual void OnVSyncBroken() = 0;
    virtual Clock& GetClock() const = 0;

    // The hardware renderer and its acceptance test keep values under the application's settings key
    // ("Test3D\\Name" names a value in a sub-key). They are this machine's and go past any demo.
    // Without an application nothing is kept.
    virtual bool ReadSetting(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) { return false; }
    virtual bool WriteSetting(const std::string& name, uint32_t type, const std::vector<uint8_t>& data)
    {
        return false;
    }
    // A text value the program's own settings calls write (the renderer's last failure).
    virtual bool WriteSettingString(const std::string& name, const std::string& text);
    // While a demo plays back, outside findings come from the recording.
    virtual bool IsPlayingDemo() { return false; }
    // A finding passed through the demo: recorded while one is recorded, the recorded one while one
    // plays back, else the finding itself.
    virtual std::string SyncTextWithDemo(const std::string& text) { return text; }
    virtual bool SyncFlagWithDemo(bool flag) { return flag; }
    // The acceptance test ran instead of being taken from its stored outcome.
    virtual void On3DTestRanAfresh() {}
    // Nothing is drawn on the card while the main window is minimised.
    virtual bool IsMinimized() { return false; }
};

// The process's host while one lives (the application sets itself); null otherwise.
GraphicsHost* GetGraphicsHost();
void SetGraphicsHost(GraphicsHost* host);

} // namespace Olvarn
