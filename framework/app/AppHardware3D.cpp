// The application's side of hardware rendering: the acceptance test's verdict, the renderer's
// settings values, and the exit question after the renderer failed to draw.
#include "app/OlvarnAppBase.h"
#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDInterface.h"
#include "platform/Log.h"

namespace Olvarn
{

bool OlvarnAppBase::Is3DSupported()
{
    const D3DTester* tester = mDDInterface ? mDDInterface->Get3DTester() : nullptr;
    return tester && tester->IsSupported();
}

bool OlvarnAppBase::Is3DRecommended()
{
    const D3DTester* tester = mDDInterface ? mDDInterface->Get3DTester() : nullptr;
    return tester && tester->IsRecommended();
}

// The acceptance test's cache is this machine's own and goes past the demo: a replay skips the test
// and takes only its findings from the recording, so cache reads in the stream would put the replay
// out of step.
bool OlvarnAppBase::ReadSetting(const std::string& name, uint32_t& type, std::vector<uint8_t>& data)
{
    SettingsStore* store = OpenSettings();
    SettingsStore::Value value;
    if (!store || !store->Get(name, value)) {
        data.clear();
        return false;
    }
    type = value.mType;
    data.assign(value.mData.begin(), value.mData.end());
    return true;
}

bool OlvarnAppBase::WriteSetting(const std::string& name, uint32_t type, const std::vector<uint8_t>& data)
{
    SettingsStore* store = OpenSettings();
    if (!store)
        return false;
    store->Set(name, type, data.data(), static_cast<uint32_t>(data.size()));
    if (!store->Save()) {
        LogWrite(LogLevel::Warning, "%s", store->LastError().c_str());
        return false;
    }
    return true;
}

void OlvarnAppBase::ClearSceneFailure()
{
    D3DInterface::SceneFailed() = false;
}

void OlvarnAppBase::ConfirmAfterSceneFailure()
{
    if (!D3DInterface::SceneFailed() || mIsScreenSaver)
        return;
    int answer = ShowMessageBox("Hardware Acceleration may not have been working correctly during this session.\r\n"
                                "If you noticed graphics problems, you may want to turn off Hardware Acceleration.\r\n"
                                "Would you like to keep Hardware Acceleration switched on?",
                                mPromptTitlePrefix + " Hardware Acceleration Confirmation", MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO)
        WriteRegistryDWORD("Is3D", 0);
}

} // namespace Olvarn
